// The host's command record as the core sees it. The host fills only the fields
// its command uses: Param is a number for one command and a text pointer for
// another, and the rest may hold anything. So each field is read only where a
// command needs it, and a text is read only for a command that takes one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kolvar {

class ActionRecord {
 public:
  virtual ~ActionRecord() = default;

  // 1 plain command, 2 command with a parameter.
  virtual std::int32_t Kind() const = 0;
  // Must be 0 for a command to run; status commands write their answer back here.
  virtual std::int32_t Result() const = 0;
  virtual void SetResult(std::int32_t value) = 0;
  // Kind 2: non-zero for a number of minutes, zero for a text.
  virtual std::int32_t Flag() const = 0;
  // The command text; nullopt for a null pointer.
  virtual std::optional<std::string> Command() const = 0;
  // Param as a number of minutes.
  virtual std::int32_t ParamNumber() const = 0;
  // Param as a text; nullopt for a null pointer.
  virtual std::optional<std::string> ParamText() const = 0;
  // A command that answers through the Command field itself ("HANDLE").
  virtual void SetCommandField(std::uintptr_t value) = 0;
};

}  // namespace kolvar

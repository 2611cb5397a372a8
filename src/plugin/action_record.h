// The host's command record as the core sees it: the Win32 layer copies the fields
// in from the raw record and writes Result back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kolvar {

struct ActionRecord {
  std::int32_t kind = 0;               // 1 plain command, 2 command with a parameter
  std::int32_t result = 0;             // must be 0 for a command to run; status goes back here
  std::int32_t flag = 0;               // kind 2: non-zero for a number of minutes, zero for a text
  std::optional<std::string> command;  // nullopt when the host passed a null pointer
  std::intptr_t param = 0;             // kind 2 with a flag: the minutes
  std::optional<std::string> paramText;  // kind 2 without a flag: the text, if not null
  // Set when a command answers through the Command field itself ("HANDLE").
  std::optional<std::uintptr_t> commandOut;
};

}  // namespace kolvar

// A host command record for the tests: plain fields, and a log of the fields the
// plug-in read, so a test can tell that a field the command does not use was
// never touched (a host may leave it holding anything).
#pragma once

#include <optional>
#include <set>
#include <string>

#include "plugin/action_record.h"

namespace kolvar::testing {

class FakeRecord : public ActionRecord {
 public:
  std::int32_t kind = 0;
  std::int32_t result = 0;
  std::int32_t flag = 0;
  std::optional<std::string> command;
  std::int32_t param = 0;
  std::optional<std::string> paramText;
  std::optional<std::uintptr_t> commandOut;
  mutable std::set<std::string> read;  // "command", "param", "paramText"

  std::int32_t Kind() const override { return kind; }
  std::int32_t Result() const override { return result; }
  void SetResult(std::int32_t value) override { result = value; }
  std::int32_t Flag() const override { return flag; }
  std::optional<std::string> Command() const override {
    read.insert("command");
    return command;
  }
  std::int32_t ParamNumber() const override {
    read.insert("param");
    return param;
  }
  std::optional<std::string> ParamText() const override {
    read.insert("paramText");
    return paramText;
  }
  void SetCommandField(std::uintptr_t value) override { commandOut = value; }
};

}  // namespace kolvar::testing

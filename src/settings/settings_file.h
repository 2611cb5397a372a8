// "settings.ini": a positional file, read by counting lines and skipping label
// lengths rather than by looking keys up. What the writer writes, the loader
// always reads back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "settings/settings.h"

namespace kolvar {

inline constexpr char kSettingsFileName[] = "settings.ini";

// Why a file did not load, and where: enough for the user to mend it by hand.
struct LoadFailure {
  std::string reason{};        // "Load Error: Beat delay", ...
  int line = 0;                // 1-based, where the failed item begins; 0: not read
  std::string found{};         // that line as it stands
  std::string expected{};      // what the line must hold
  bool byteOrderMark = false;  // the file begins with UTF-8's, as some editors add
};

// Fills settings from the file's bytes. 1 on success, -1 on the first failure;
// what was read before a failure stays in settings. failure, when given, says why.
int LoadSettingsText(std::string_view text, TSettings& settings, LoadFailure* failure = nullptr);
// The same from a file; a missing or unreadable file is a failure.
int LoadSettings(const std::string& path, TSettings& settings, LoadFailure* failure = nullptr);
// The message for the user: "Load Error", then the file, the line, what it must
// hold and what it holds.
std::string LoadErrorText(const std::string& path, const LoadFailure& failure);

// The rules of the file's format, for the places where values enter the plug-in
// (keyword lists loaded from files, the typed folder): a value is one line, and a
// list entry is not empty and does not begin with a blank.
std::string SingleLine(std::string_view text);
// The entry as the file can hold it (leading blanks dropped), or nullopt when
// nothing of it is left.
std::optional<std::string> ListLine(std::string_view text);

// The file's bytes for settings. Values the file cannot hold are mended on the
// way: line breaks are dropped, list entries that are empty or begin with a blank
// (which would end their list) are trimmed or left out, day names are made two
// characters, numbers outside the ranges the loader accepts are brought inside.
std::string SettingsText(const TSettings& settings);
// Writes the file safely (a temporary file renamed over it); 1 or -1. reason, when
// given, gets the failure's text: kCannotWrite, the file, and ": " and the
// system's cause when it gave one.
inline constexpr char kCannotWrite[] = "Save Error: cannot write ";
int WriteSettings(const std::string& path, const TSettings& settings,
                  std::string* reason = nullptr);

}  // namespace kolvar

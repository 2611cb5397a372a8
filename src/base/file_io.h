// Whole-file reading and safe writing. Paths are in Windows form (see paths.h) and
// single-byte: the Windows build passes them to the ANSI file functions, so names
// in the user's code page work. One implementation per operating system.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolvar {

// The file's bytes; nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// At most maxBytes from the start of a file, and the file's whole size.
struct FileHead {
  std::string bytes;
  std::uint64_t size = 0;
};
std::optional<FileHead> ReadFileHead(const std::string& path, std::size_t maxBytes);

// The names in a folder that match "*" followed by suffix (".ndx"), letter case
// ignored, every kind of entry included, ordered as Windows lists a folder
// (by the upper-cased names). Empty when there are none or the folder is missing.
std::vector<std::string> ListFolder(const std::string& folder, std::string_view suffix);

// Writes to a temporary file beside the target and renames it over the target, so
// a failed write leaves the old file whole. False when anything failed.
bool WriteFileAtomic(const std::string& path, std::string_view contents);

}  // namespace kolvar

// Whole-file reading and safe writing. Paths are in Windows form (see paths.h) and
// single-byte: the Windows build passes them to the ANSI file functions, so names
// in the user's code page work. One implementation per operating system.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kolvar {

// The file's bytes; nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Writes to a temporary file beside the target and renames it over the target, so
// a failed write leaves the old file whole. False when anything failed.
bool WriteFileAtomic(const std::string& path, std::string_view contents);

}  // namespace kolvar

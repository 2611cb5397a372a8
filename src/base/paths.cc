#include "base/paths.h"

namespace kolvar {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (!out.empty() && !IsSeparator(out.back())) out += '\\';
  out += name;
  return out;
}

std::string DirectoryPart(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) return std::string(path.substr(0, i));
  }
  return {};
}

std::string ToNativePath(std::string_view path) {
  std::string out(path);
#ifndef _WIN32
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
#endif
  return out;
}

std::string WithTextExtension(std::string path) {
  // A name shorter than four characters has no fourth character from the end.
  if (path.size() < 4 || path[path.size() - 4] != '.') path += ".txt";
  return path;
}

}  // namespace kolvar

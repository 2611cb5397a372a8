#include "base/paths.h"

#include <cctype>

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

std::string WithTextExtension(std::string path) {
  // A name shorter than four characters has no fourth character from the end.
  if (path.size() < 4 || path[path.size() - 4] != '.') path += ".txt";
  return path;
}

std::string WithChosenExtension(std::string path, std::string_view filter, int filterIndex) {
  const std::size_t nameStart = path.find_last_of("\\/") + 1;  // 0 without a folder
  if (path.size() == nameStart || path.find('.', nameStart) != std::string::npos) return path;
  // The pattern is the second of each pair of fields.
  std::size_t at = 0;
  for (int field = 1; field < 2 * filterIndex; ++field) {
    at = filter.find('|', at);
    if (at == std::string_view::npos) return path;
    ++at;
  }
  const std::string_view pattern = filter.substr(at, filter.find('|', at) - at);
  if (pattern.size() < 3 || pattern.substr(0, 2) != "*.") return path;
  std::string extension(pattern.substr(2));
  for (char& c : extension) {
    if (!std::isalnum(static_cast<unsigned char>(c))) return path;
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return path + "." + extension;
}

}  // namespace kolvar

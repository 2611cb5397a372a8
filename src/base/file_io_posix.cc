#include <cstdio>
#include <memory>

#include "base/file_io.h"
#include "base/paths.h"

namespace kolvar {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
  File f(std::fopen(ToNativePath(path).c_str(), "rb"));
  if (!f) return std::nullopt;
  std::string data;
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) data.append(buffer, n);
  if (std::ferror(f.get())) return std::nullopt;
  return data;
}

bool WriteFileAtomic(const std::string& path, std::string_view contents) {
  const std::string target = ToNativePath(path);
  const std::string temp = target + ".tmp";
  {
    File f(std::fopen(temp.c_str(), "wb"));
    if (!f) return false;
    bool ok = std::fwrite(contents.data(), 1, contents.size(), f.get()) == contents.size();
    ok = std::fflush(f.get()) == 0 && ok;
    if (!ok) {
      f.reset();
      std::remove(temp.c_str());
      return false;
    }
  }
  if (std::rename(temp.c_str(), target.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace kolvar

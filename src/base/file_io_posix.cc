#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "base/cp1251.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "base/utf8.h"

namespace kolvar {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The core's Windows-1251 path as the system names files: UTF-8. Every byte has
// its character, and ListFolder turns the names back, so a listed name opens
// the file it was listed from.
std::string Native(const std::string& path) { return ToNativePath(Cp1251ToUtf8(path)); }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// As a Windows folder lists: by the upper-cased names ("B" before "[" and "_"); then
// by the plain names, so the order never depends on the order the system read them.
bool ListedBefore(const std::string& a, const std::string& b) {
  const std::string upperA = UpperCase(a);
  const std::string upperB = UpperCase(b);
  return upperA != upperB ? upperA < upperB : a < b;
}

bool EndsWithIgnoringCase(std::string_view name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    if (LowerAscii(name[name.size() - suffix.size() + i]) != LowerAscii(suffix[i])) return false;
  }
  return true;
}

// ok, with the system's reason recorded when it is false.
bool Checked(bool ok) {
  if (!ok) RecordSystemFailure();
  return ok;
}

class PosixWritableFile final : public WritableFile {
 public:
  explicit PosixWritableFile(File f) : f_(std::move(f)) {}
  bool Write(std::string_view bytes) override {
    return Checked(f_ && std::fwrite(bytes.data(), 1, bytes.size(), f_.get()) == bytes.size());
  }
  bool Flush() override { return Checked(f_ && std::fflush(f_.get()) == 0); }
  bool Close() override { return Checked(f_ && std::fclose(f_.release()) == 0); }

 private:
  File f_;
};

// inotify on the folder: entries created, removed, renamed or written, and the
// folder itself moved or removed. Read without waiting; any event is a change.
class InotifyFolderWatch final : public FolderWatch {
 public:
  explicit InotifyFolderWatch(int fd) : fd_(fd) {}
  ~InotifyFolderWatch() override { ::close(fd_); }

  bool Changed() override {
    bool changed = false;
    alignas(inotify_event) char events[4096];
    // Drained, so a burst of writes is one change.
    while (::read(fd_, events, sizeof events) > 0) changed = true;
    return changed;
  }

 private:
  int fd_;
};

class PosixFileSystem final : public FileSystem {
 public:
  std::optional<std::string> ReadWholeFile(const std::string& path) override {
    File f(std::fopen(Native(path).c_str(), "rb"));
    if (!Checked(f != nullptr)) return std::nullopt;
    std::string data;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) data.append(buffer, n);
    if (!Checked(!std::ferror(f.get()))) return std::nullopt;
    return data;
  }

  std::optional<FileHead> ReadFileHead(const std::string& path, std::size_t maxBytes) override {
    File f(std::fopen(Native(path).c_str(), "rb"));
    if (!f) return std::nullopt;
    // The size first, so a small file costs no buffer of maxBytes.
    if (std::fseek(f.get(), 0, SEEK_END) != 0) return std::nullopt;
    long size = std::ftell(f.get());
    if (size < 0 || std::fseek(f.get(), 0, SEEK_SET) != 0) return std::nullopt;
    FileHead head;
    head.size = static_cast<std::uint64_t>(size);
    head.bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(head.size, maxBytes)));
    std::size_t got = std::fread(head.bytes.data(), 1, head.bytes.size(), f.get());
    if (std::ferror(f.get())) return std::nullopt;
    head.bytes.resize(got);
    return head;
  }

  std::vector<std::string> ListFolder(const std::string& folder, std::string_view suffix) override {
    std::vector<std::string> names;
    std::error_code ec;
    std::filesystem::directory_iterator it(Native(folder), ec);
    if (ec) return names;
    for (const auto& entry : it) {
      // A name that is not UTF-8, or holds a character Windows-1251 lacks, is
      // left out, as the Windows build leaves out what Windows-1251 cannot spell:
      // no path of the core's could open it again, nor should open another file.
      std::optional<std::string> name = Utf8ToCp1251(entry.path().filename().string());
      if (name && EndsWithIgnoringCase(*name, suffix)) names.push_back(std::move(*name));
    }
    std::sort(names.begin(), names.end(), ListedBefore);
    return names;
  }

  std::vector<FileStamp> ListFolderStamps(const std::string& folder,
                                          std::string_view suffix) override {
    std::vector<FileStamp> stamps;
    // readdir and fstatat on the open folder: no path is built per entry.
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(Native(folder).c_str()), ::closedir);
    if (!dir) return stamps;
    const int fd = ::dirfd(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
      const std::string_view raw = entry->d_name;
      if (raw == "." || raw == "..") continue;
      std::optional<std::string> name = Utf8ToCp1251(std::string(raw));
      if (!name || !EndsWithIgnoringCase(*name, suffix)) continue;
      // One stat for both: a file replaced between two would mix two versions.
      struct stat st {};
      if (::fstatat(fd, entry->d_name, &st, 0) != 0 || S_ISDIR(st.st_mode)) continue;
      const std::int64_t nanoseconds =
          std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
      stamps.push_back({std::move(*name), static_cast<std::uint64_t>(st.st_size), nanoseconds});
    }
    return stamps;
  }

  std::unique_ptr<WritableFile> CreateForWriting(const std::string& path) override {
    File f(std::fopen(Native(path).c_str(), "wb"));
    if (!Checked(f != nullptr)) return nullptr;
    return std::make_unique<PosixWritableFile>(std::move(f));
  }

  bool RenameFile(const std::string& from, const std::string& to) override {
    return Checked(std::rename(Native(from).c_str(), Native(to).c_str()) == 0);
  }

  // unlink, unlike std::remove, leaves a folder of that name alone.
  bool RemoveFile(const std::string& path) override { return ::unlink(Native(path).c_str()) == 0; }

  std::unique_ptr<FolderWatch> WatchFolder(const std::string& folder) override {
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return nullptr;  // the user's instances used up: the caller looks
    auto watch = std::make_unique<InotifyFolderWatch>(fd);
    constexpr std::uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MODIFY | IN_ATTRIB |
                                      IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO |
                                      IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    if (::inotify_add_watch(fd, Native(folder).c_str(), kEvents) < 0) return nullptr;
    return watch;
  }
};

}  // namespace

std::string ToNativePath(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

FileSystem& SystemFileSystem() {
  static PosixFileSystem system;
  return system;
}

void RecordSystemFailure() {
  std::string text = std::strerror(errno);
  // As it ends a sentence of ours: "... could not be saved to F: permission denied".
  if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') text[0] = static_cast<char>(text[0] + 32);
  SetLastFileFailure(std::move(text));
}

}  // namespace kolvar

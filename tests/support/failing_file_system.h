// The system's file system with chosen calls failing, the way LevelDB's tests
// fail the n-th write: put it in use with ScopedFileSystem. Safe to call from
// several threads; the faults are fixed when it is made.
#pragma once

#include <atomic>
#include <string>
#include <utility>

#include "base/file_io.h"

namespace kolvar::testing {

struct FileFaults {
  int failWrite = 0;  // the n-th WriteWholeFile from now fails (1 the next); 0 none
  bool failRenames = false;
  std::string failReadsOf{};  // reads of exactly this path fail
};

class FailingFileSystem final : public FileSystem {
 public:
  explicit FailingFileSystem(FileFaults faults) : faults_(std::move(faults)) {}

  std::optional<std::string> ReadWholeFile(const std::string& path) override {
    if (path == faults_.failReadsOf) return std::nullopt;
    return real_.ReadWholeFile(path);
  }
  std::optional<FileHead> ReadFileHead(const std::string& path, std::size_t maxBytes) override {
    if (path == faults_.failReadsOf) return std::nullopt;
    return real_.ReadFileHead(path, maxBytes);
  }
  std::vector<std::string> ListFolder(const std::string& folder, std::string_view suffix) override {
    return real_.ListFolder(folder, suffix);
  }
  // A failed write stops half way, as a full disk does, so the file is left cut short.
  bool WriteWholeFile(const std::string& path, std::string_view contents) override {
    if (++writes_ != faults_.failWrite) return real_.WriteWholeFile(path, contents);
    real_.WriteWholeFile(path, contents.substr(0, contents.size() / 2));
    return false;
  }
  bool RenameFile(const std::string& from, const std::string& to) override {
    return !faults_.failRenames && real_.RenameFile(from, to);
  }
  bool RemoveFile(const std::string& path) override { return real_.RemoveFile(path); }

 private:
  const FileFaults faults_;
  FileSystem& real_ = SystemFileSystem();
  std::atomic<int> writes_ = 0;
};

}  // namespace kolvar::testing

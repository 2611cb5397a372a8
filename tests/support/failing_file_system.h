// The system's file system with chosen calls failing (the n-th write, every
// rename, ...): put it in use with ScopedFileSystem. Safe to call from
// several threads; the faults are fixed when it is made.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "base/file_io.h"

namespace kolvar::testing {

// Each: the n-th call of that kind from now fails (1 the next); 0 none.
struct FileFaults {
  int failCreate = 0;
  int failWrite = 0;  // writes half its bytes first, as a full disk does
  int failFlush = 0;
  int failClose = 0;  // the file is closed all the same
  int failRename = 0;
  int failRemove = 0;
  std::string failReadsOf{};  // reads of exactly this path fail
  // Folder watches as the system gives them, none (the system cannot), or ones
  // that never tell of a change (a network drive).
  enum class Watch { kSystem, kNone, kSilent } watch = Watch::kSystem;
};

// How many calls of each kind were made.
struct FileCalls {
  std::atomic<int> create = 0, write = 0, flush = 0, close = 0, rename = 0, remove = 0;
};

// The causes a failed call gives, as a system would: a folder the user may not
// write in, and a full disk.
inline constexpr char kDenied[] = "access is denied";
inline constexpr char kDiskFull[] = "no space left on device";

// The calls a save makes, for tests that fail each in turn (a removal is made only
// to clean up after another failure).
struct FaultKind {
  const char* name;
  int FileFaults::*fault;
  std::atomic<int> FileCalls::*calls;
  const char* cause;
};
inline constexpr FaultKind kSaveCalls[] = {
    {"create", &FileFaults::failCreate, &FileCalls::create, kDenied},
    {"write", &FileFaults::failWrite, &FileCalls::write, kDiskFull},
    {"flush", &FileFaults::failFlush, &FileCalls::flush, kDiskFull},
    {"close", &FileFaults::failClose, &FileCalls::close, kDiskFull},
    {"rename", &FileFaults::failRename, &FileCalls::rename, kDenied},
};

class FailingFileSystem final : public FileSystem {
 public:
  explicit FailingFileSystem(FileFaults faults = {}) : faults_(std::move(faults)) {}

  const FileCalls& Calls() const { return calls_; }

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
  std::vector<FileStamp> ListFolderStamps(const std::string& folder,
                                          std::string_view suffix) override {
    return real_.ListFolderStamps(folder, suffix);
  }
  std::unique_ptr<WritableFile> CreateForWriting(const std::string& path) override {
    if (++calls_.create == faults_.failCreate) return Fail(kDenied), nullptr;
    std::unique_ptr<WritableFile> file = real_.CreateForWriting(path);
    if (!file) return nullptr;
    return std::make_unique<File>(*this, std::move(file), path);
  }
  // As on Windows, a file still open can be neither renamed nor removed: a save
  // that forgot to close first fails here on every system.
  bool RenameFile(const std::string& from, const std::string& to) override {
    if (++calls_.rename == faults_.failRename || IsOpen(from)) return Fail(kDenied);
    return real_.RenameFile(from, to);
  }
  bool RemoveFile(const std::string& path) override {
    if (++calls_.remove == faults_.failRemove || IsOpen(path)) return Fail(kDenied);
    return real_.RemoveFile(path);
  }
  std::unique_ptr<FolderWatch> WatchFolder(const std::string& folder) override {
    struct Silent final : FolderWatch {
      bool Changed() override { return false; }
    };
    switch (faults_.watch) {
      case FileFaults::Watch::kSystem:
        return real_.WatchFolder(folder);
      case FileFaults::Watch::kNone:
        return nullptr;
      case FileFaults::Watch::kSilent:
        return std::make_unique<Silent>();
    }
    return nullptr;
  }

 private:
  static bool Fail(const char* cause) {
    SetLastFileFailure(cause);
    return false;
  }

  bool IsOpen(const std::string& path) {
    std::lock_guard lock(openMutex_);
    return open_.count(path) > 0;
  }
  void Opened(const std::string& path) {
    std::lock_guard lock(openMutex_);
    open_.insert(path);
  }
  void Closed(const std::string& path) {
    std::lock_guard lock(openMutex_);
    open_.erase(path);
  }

  class File final : public WritableFile {
   public:
    File(FailingFileSystem& fs, std::unique_ptr<WritableFile> real, std::string path)
        : fs_(fs), real_(std::move(real)), path_(std::move(path)) {
      fs_.Opened(path_);
    }
    ~File() override {
      if (!closed_) fs_.Closed(path_);
    }
    bool Write(std::string_view bytes) override {
      if (++fs_.calls_.write != fs_.faults_.failWrite) return real_->Write(bytes);
      real_->Write(bytes.substr(0, bytes.size() / 2));
      return Fail(kDiskFull);
    }
    bool Flush() override {
      if (++fs_.calls_.flush == fs_.faults_.failFlush) return Fail(kDiskFull);
      return real_->Flush();
    }
    bool Close() override {
      const bool closed = real_->Close();
      closed_ = true;
      fs_.Closed(path_);
      if (++fs_.calls_.close == fs_.faults_.failClose) return Fail(kDiskFull);
      return closed;
    }

   private:
    FailingFileSystem& fs_;
    std::unique_ptr<WritableFile> real_;
    std::string path_;
    bool closed_ = false;
  };

  const FileFaults faults_;
  FileSystem& real_ = SystemFileSystem();
  FileCalls calls_;
  std::mutex openMutex_;
  std::set<std::string> open_;  // the files being written
};

}  // namespace kolvar::testing

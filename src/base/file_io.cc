#include "base/file_io.h"

namespace kolvar {

namespace {
thread_local std::string lastFailure;

// A plain pointer on purpose: it may change only while one thread runs, so
// ThreadSanitizer reports a test that changes it under a running worker.
FileSystem* replacement = nullptr;
}  // namespace

FileSystem& CurrentFileSystem() { return replacement ? *replacement : SystemFileSystem(); }

ScopedFileSystem::ScopedFileSystem(FileSystem& fs) : previous_(replacement) { replacement = &fs; }

ScopedFileSystem::~ScopedFileSystem() { replacement = previous_; }

std::optional<std::string> ReadWholeFile(const std::string& path) {
  return CurrentFileSystem().ReadWholeFile(path);
}

std::optional<FileHead> ReadFileHead(const std::string& path, std::size_t maxBytes) {
  return CurrentFileSystem().ReadFileHead(path, maxBytes);
}

std::vector<std::string> ListFolder(const std::string& folder, std::string_view suffix) {
  return CurrentFileSystem().ListFolder(folder, suffix);
}

std::vector<FileStamp> ListFolderStamps(const std::string& folder, std::string_view suffix) {
  return CurrentFileSystem().ListFolderStamps(folder, suffix);
}

std::unique_ptr<FolderWatch> WatchFolder(const std::string& folder) {
  return CurrentFileSystem().WatchFolder(folder);
}

std::string LastFileFailure() { return lastFailure; }

void SetLastFileFailure(std::string cause) { lastFailure = std::move(cause); }

FileStatus WriteFileAtomic(const std::string& path, std::string_view contents) {
  FileSystem& fs = CurrentFileSystem();
  const std::string temp = path + ".tmp";
  std::string cause;
  // The first failure is the one the user needs to hear of.
  auto failed = [&cause](bool ok) {
    if (!ok && cause.empty()) cause = LastFileFailure();
    return !ok;
  };
  SetLastFileFailure({});
  bool written = false;
  std::unique_ptr<WritableFile> file = fs.CreateForWriting(temp);
  if (!failed(file != nullptr)) {
    constexpr std::size_t kChunk = std::size_t{64} * 1024;
    written = true;
    for (std::size_t at = 0; written && at < contents.size(); at += kChunk) {
      written = !failed(file->Write(contents.substr(at, kChunk)));
    }
    written = written && !failed(file->Flush());
    // Closed before the rename or the removal, which Windows refuses on an open file.
    written = !failed(file->Close()) && written;
  }
  if (written && !failed(fs.RenameFile(temp, path))) return FileStatus::Done();
  fs.RemoveFile(temp);
  return FileStatus::Failed(cause);
}

}  // namespace kolvar

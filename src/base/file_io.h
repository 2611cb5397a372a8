// Whole-file reading, folder listing and safe writing. Paths are in Windows form
// (see paths.h) and Windows-1251, as all the core's text: each file system turns
// them into the system's names (UTF-16 on Windows, UTF-8 elsewhere) and back.
//
// The core reaches files only through the FileSystem in use: the system's own
// (file_io_posix.cc, or win32/file_io_win32.cc on Windows, chosen by CMake), or one
// a test puts in its place with ScopedFileSystem to fail chosen calls.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kolvar {

// At most maxBytes from the start of a file, and the file's whole size.
struct FileHead {
  std::string bytes;
  std::uint64_t size = 0;
};

// A folder entry as the folder itself records it: a change of the file shows in
// its size or its last write time (in the system's own units, only compared).
struct FileStamp {
  std::string name;
  std::uint64_t size = 0;
  std::int64_t writeTime = 0;
};

// A file open for writing. Dropped without Close, it is closed all the same and
// the outcome is lost: call Close to know whether everything reached the file.
class WritableFile {
 public:
  WritableFile() = default;
  WritableFile(const WritableFile&) = delete;
  WritableFile& operator=(const WritableFile&) = delete;
  virtual ~WritableFile() = default;

  // False when not all of bytes was written (a full disk).
  virtual bool Write(std::string_view bytes) = 0;
  // Hands what was written to the system.
  virtual bool Flush() = 0;
  // Call once, last.
  virtual bool Close() = 0;
};

// The system's word that a folder may have changed: asked on the window thread,
// it never waits. A system may merge, delay or (on some network drives) never
// deliver the word, so it saves looks; it does not replace them.
class FolderWatch {
 public:
  FolderWatch() = default;
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;
  virtual ~FolderWatch() = default;

  // True when the folder's entries, or the folder itself (renamed, removed), may
  // have changed since the watch began or since the last true.
  virtual bool Changed() = 0;
};

class FileSystem {
 public:
  FileSystem() = default;
  FileSystem(const FileSystem&) = delete;
  FileSystem& operator=(const FileSystem&) = delete;
  virtual ~FileSystem() = default;

  // Every method may be called from the window thread and the search worker at
  // once; the system's implementation keeps no state.

  // The file's bytes; nullopt when it cannot be opened or read.
  virtual std::optional<std::string> ReadWholeFile(const std::string& path) = 0;
  // The file's head and size; nullopt when it cannot be opened, read or measured.
  virtual std::optional<FileHead> ReadFileHead(const std::string& path, std::size_t maxBytes) = 0;
  // The names in a folder that match "*" followed by suffix (".ndx"), letter case
  // ignored, every kind of entry included, ordered as Windows lists a folder (by
  // the upper-cased names); a missing or unreadable folder lists as empty. A name
  // that Windows-1251 cannot spell is left out.
  virtual std::vector<std::string> ListFolder(const std::string& folder,
                                              std::string_view suffix) = 0;
  // The files (not sub-folders) ListFolder would list, each with its size and
  // write time, in no particular order; no file is opened or read.
  virtual std::vector<FileStamp> ListFolderStamps(const std::string& folder,
                                                  std::string_view suffix) = 0;
  // Creates or empties the file, open for writing; null when it cannot.
  virtual std::unique_ptr<WritableFile> CreateForWriting(const std::string& path) = 0;
  // Renames from over to, replacing a file there; on false both are as they were.
  virtual bool RenameFile(const std::string& from, const std::string& to) = 0;
  // Deletes a file, never a folder; false when nothing was deleted.
  virtual bool RemoveFile(const std::string& path) = 0;
  // A watch on the folder's files (names, sizes, write times), or null when the
  // system cannot give one: the caller then looks itself.
  virtual std::unique_ptr<FolderWatch> WatchFolder(const std::string& /*folder*/) {
    return nullptr;
  }
};

// The operating system's file system: lives as long as the process, holds nothing.
FileSystem& SystemFileSystem();

// The file system the core uses now.
FileSystem& CurrentFileSystem();

// Puts fs in use until the scope ends, then the one before it again. Create and
// destroy it only while no other thread of the process runs core code (no search
// worker), and keep fs alive until then; reading it from several threads is safe.
class ScopedFileSystem {
 public:
  explicit ScopedFileSystem(FileSystem& fs);
  ScopedFileSystem(const ScopedFileSystem&) = delete;
  ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;
  ~ScopedFileSystem();

 private:
  FileSystem* previous_;
};

// The operations the core calls, on the file system in use.
std::optional<std::string> ReadWholeFile(const std::string& path);
std::optional<FileHead> ReadFileHead(const std::string& path, std::size_t maxBytes);
std::vector<std::string> ListFolder(const std::string& folder, std::string_view suffix);
std::vector<FileStamp> ListFolderStamps(const std::string& folder, std::string_view suffix);
std::unique_ptr<FolderWatch> WatchFolder(const std::string& folder);

// A core path as the system's own calls take it, for tools and tests that hand
// paths to the C++ library: unchanged on Windows, backslashes turned into slashes
// elsewhere. Each system's file system file has its own.
std::string ToNativePath(std::string_view path);

// Why the calling thread's last failed file call failed, in the system's words
// ("permission denied", "no space left on device"); empty when it gave none. Read
// it right after the failure, as errno: the next failure replaces it.
std::string LastFileFailure();
// Records the reason for a failure just met: the file systems call it, with the
// system's text for its own last error (errno, GetLastError) or one of theirs.
void SetLastFileFailure(std::string cause);
void RecordSystemFailure();  // the system's last error, per platform
// ": cause" to end a message with, or nothing when the cause is unknown.
inline std::string Because(const std::string& cause) {
  return cause.empty() ? std::string() : ": " + cause;
}

// The outcome of writing a file: done, or failed and why (possibly unknown).
class FileStatus {
 public:
  static FileStatus Done() { return FileStatus(true, {}); }
  static FileStatus Failed(std::string cause) { return FileStatus(false, std::move(cause)); }

  explicit operator bool() const { return done_; }
  const std::string& Cause() const { return cause_; }
  std::string Because() const { return kolvar::Because(cause_); }

 private:
  FileStatus(bool done, std::string cause) : done_(done), cause_(std::move(cause)) {}

  bool done_;
  std::string cause_;
};

// Writes to a temporary file beside the target (create, writes of at most 64 KiB,
// flush, close) and renames it over the target, so a failed write leaves the old
// file whole and, unless the system refuses to delete it, no temporary file.
// Failed, with the first failure's cause, when anything failed.
FileStatus WriteFileAtomic(const std::string& path, std::string_view contents);

}  // namespace kolvar

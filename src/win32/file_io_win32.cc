// Paths are Windows-1251 and go to the "W" file functions as UTF-16, so a folder
// or a channel named in Cyrillic works whatever the system's code page is.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "base/file_io.h"
#include "win32/unique_handle.h"
#include "win32/wide_text.h"

namespace kolvar {
namespace {

win32::UniqueHandle OpenForReading(const std::string& path) {
  return win32::UniqueHandle(CreateFileW(win32::Wide(path).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
}

// ok, with the system's reason recorded when it is false.
bool Checked(bool ok) {
  if (!ok) RecordSystemFailure();
  return ok;
}

class Win32WritableFile final : public WritableFile {
 public:
  explicit Win32WritableFile(win32::UniqueHandle file) : file_(std::move(file)) {}
  bool Write(std::string_view bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      DWORD wrote = 0;
      DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
      if (!Checked(WriteFile(file_.Get(), bytes.data() + done, chunk, &wrote, nullptr) &&
                   wrote != 0)) {
        return false;
      }
      done += wrote;
    }
    return true;
  }
  bool Flush() override { return Checked(FlushFileBuffers(file_.Get()) != 0); }
  bool Close() override { return Checked(file_.Valid() && CloseHandle(file_.Release()) != 0); }

 private:
  win32::UniqueHandle file_;
};

// The folder's own notification (files named, resized, written) and its
// parent's for sub-folder names: a handle follows its folder when the folder is
// renamed, so only the parent sees a guide folder moved away and another put in
// its place.
class Win32FolderWatch final : public FolderWatch {
 public:
  Win32FolderWatch(HANDLE folder, HANDLE parent) : folder_(folder), parent_(parent) {}

  bool Changed() override {
    bool changed = false;
    for (const win32::UniqueChangeNotification* h : {&folder_, &parent_}) {
      if (h->Valid() && WaitForSingleObject(h->Get(), 0) == WAIT_OBJECT_0) {
        changed = true;
        // Armed again; a folder gone cannot be, and stays signalled.
        FindNextChangeNotification(h->Get());
      }
    }
    return changed;
  }

 private:
  win32::UniqueChangeNotification folder_;
  win32::UniqueChangeNotification parent_;
};

class Win32FileSystem final : public FileSystem {
 public:
  std::optional<std::string> ReadWholeFile(const std::string& path) override {
    win32::UniqueHandle file = OpenForReading(path);
    if (!Checked(file.Valid())) return std::nullopt;
    std::string data;
    char buffer[65536];
    for (;;) {
      DWORD got = 0;
      if (!Checked(ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) != 0)) {
        return std::nullopt;
      }
      if (got == 0) break;
      data.append(buffer, got);
    }
    return data;
  }

  std::optional<FileHead> ReadFileHead(const std::string& path, std::size_t maxBytes) override {
    win32::UniqueHandle file = OpenForReading(path);
    if (!file.Valid()) return std::nullopt;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) return std::nullopt;
    FileHead head;
    head.size = static_cast<std::uint64_t>(size.QuadPart);
    head.bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(head.size, maxBytes)));
    std::size_t done = 0;
    while (done < head.bytes.size()) {
      DWORD got = 0;
      DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(head.bytes.size() - done, 1 << 20));
      if (!ReadFile(file.Get(), head.bytes.data() + done, chunk, &got, nullptr)) {
        return std::nullopt;
      }
      if (got == 0) break;
      done += got;
    }
    head.bytes.resize(done);
    return head;
  }

  std::vector<std::string> ListFolder(const std::string& folder, std::string_view suffix) override {
    // The system matches the pattern ignoring case and lists in its own order.
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    const std::wstring pattern = win32::Wide(folder + "*" + std::string(suffix));
    win32::UniqueFindHandle search(FindFirstFileW(pattern.c_str(), &found));
    if (!search.Valid()) return names;
    do {
      // A name Windows-1251 cannot spell could be neither saved nor opened again.
      if (std::optional<std::string> name = win32::Narrow(found.cFileName)) {
        names.push_back(std::move(*name));
      }
    } while (FindNextFileW(search.Get(), &found));
    return names;
  }

  // The folder's own records: one sweep, however many files, and none opened.
  std::vector<FileStamp> ListFolderStamps(const std::string& folder,
                                          std::string_view suffix) override {
    std::vector<FileStamp> stamps;
    WIN32_FIND_DATAW found;
    const std::wstring pattern = win32::Wide(folder + "*" + std::string(suffix));
    win32::UniqueFindHandle search(FindFirstFileW(pattern.c_str(), &found));
    if (!search.Valid()) return stamps;
    do {
      // Sub-folders (".", ".." among them) are no channel files.
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      if (std::optional<std::string> name = win32::Narrow(found.cFileName)) {
        const std::uint64_t size = (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
        const std::int64_t written =
            static_cast<std::int64_t>((std::uint64_t{found.ftLastWriteTime.dwHighDateTime} << 32) |
                                      found.ftLastWriteTime.dwLowDateTime);
        stamps.push_back({std::move(*name), size, written});
      }
    } while (FindNextFileW(search.Get(), &found));
    return stamps;
  }

  std::unique_ptr<WritableFile> CreateForWriting(const std::string& path) override {
    win32::UniqueHandle file(CreateFileW(win32::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!Checked(file.Valid())) return nullptr;
    return std::make_unique<Win32WritableFile>(std::move(file));
  }

  bool RenameFile(const std::string& from, const std::string& to) override {
    return Checked(MoveFileExW(win32::Wide(from).c_str(), win32::Wide(to).c_str(),
                               MOVEFILE_REPLACE_EXISTING) != 0);
  }

  // DeleteFileW refuses folders.
  bool RemoveFile(const std::string& path) override {
    return DeleteFileW(win32::Wide(path).c_str()) != 0;
  }

  std::unique_ptr<FolderWatch> WatchFolder(const std::string& folder) override {
    HANDLE own = FindFirstChangeNotificationW(
        win32::Wide(folder).c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
    if (own == INVALID_HANDLE_VALUE) return nullptr;
    // "C:\Guide\" has the parent "C:\"; a drive's root has none to watch.
    std::string parent = folder;
    while (!parent.empty() && (parent.back() == '\\' || parent.back() == '/')) parent.pop_back();
    const std::size_t cut = parent.find_last_of("\\/");
    HANDLE up = INVALID_HANDLE_VALUE;
    if (cut != std::string::npos) {
      up = FindFirstChangeNotificationW(win32::Wide(parent.substr(0, cut + 1)).c_str(), FALSE,
                                        FILE_NOTIFY_CHANGE_DIR_NAME);
    }
    return std::make_unique<Win32FolderWatch>(own, up);
  }
};

}  // namespace

std::string ToNativePath(std::string_view path) { return std::string(path); }

FileSystem& SystemFileSystem() {
  static Win32FileSystem system;
  return system;
}

void RecordSystemFailure() {
  const DWORD error = GetLastError();
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = length > 0 && text ? std::wstring(text, length) : std::wstring();
  if (text) LocalFree(text);
  // As it ends a sentence of ours: "... could not be saved to F: access is denied".
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' ||
                              message.back() == L' ' || message.back() == L'.')) {
    message.pop_back();
  }
  if (!message.empty() && message[0] >= L'A' && message[0] <= L'Z') message[0] += 32;
  if (message.empty()) message = L"error " + std::to_wstring(error);
  SetLastFileFailure(win32::NarrowLossy(message));
}

}  // namespace kolvar

// RAII owners for the Win32 handles the plug-in and the host create.
#pragma once

#include <windows.h>

#include <type_traits>
#include <utility>

namespace kolvar::win32 {

// A kernel handle closed with CloseHandle. Both NULL and INVALID_HANDLE_VALUE
// mean "none", since the API uses either depending on the call.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : handle_(h) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  // Gives the handle up, to be closed by the caller.
  HANDLE Release() { return std::exchange(handle_, nullptr); }
  void Reset(HANDLE h = nullptr) {
    if (Valid()) CloseHandle(handle_);
    handle_ = h;
  }

 private:
  HANDLE handle_ = nullptr;
};

// A hook of SetWindowsHookEx, removed with UnhookWindowsHookEx.
class UniqueHook {
 public:
  UniqueHook() = default;
  UniqueHook(const UniqueHook&) = delete;
  UniqueHook& operator=(const UniqueHook&) = delete;
  ~UniqueHook() { Reset(); }

  void Reset(HHOOK h = nullptr) {
    if (hook_) UnhookWindowsHookEx(hook_);
    hook_ = h;
  }

 private:
  HHOOK hook_ = nullptr;
};

// A search handle of FindFirstFileA, closed with FindClose.
class UniqueFindHandle {
 public:
  explicit UniqueFindHandle(HANDLE h) : handle_(h) {}
  UniqueFindHandle(const UniqueFindHandle&) = delete;
  UniqueFindHandle& operator=(const UniqueFindHandle&) = delete;
  ~UniqueFindHandle() {
    if (Valid()) FindClose(handle_);
  }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

// A change notification of FindFirstChangeNotificationW, closed with
// FindCloseChangeNotification.
class UniqueChangeNotification {
 public:
  explicit UniqueChangeNotification(HANDLE h) : handle_(h) {}
  UniqueChangeNotification(const UniqueChangeNotification&) = delete;
  UniqueChangeNotification& operator=(const UniqueChangeNotification&) = delete;
  ~UniqueChangeNotification() {
    if (Valid()) FindCloseChangeNotification(handle_);
  }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

// A GDI object (pen, brush, font, bitmap, region) deleted with DeleteObject.
// DeleteObject fails on an object still selected into a device context, so
// select the old one back before the owner goes.
template <typename T>
class UniqueGdiObject {
  static_assert(std::is_same_v<T, HFONT> || std::is_same_v<T, HBRUSH> ||
                    std::is_same_v<T, HBITMAP> || std::is_same_v<T, HPEN>,
                "only kinds that DeleteObject frees");

 public:
  UniqueGdiObject() = default;
  explicit UniqueGdiObject(T object) : object_(object) {}
  UniqueGdiObject(UniqueGdiObject&& other) noexcept
      : object_(std::exchange(other.object_, nullptr)) {}
  UniqueGdiObject& operator=(UniqueGdiObject&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.object_, nullptr));
    return *this;
  }
  UniqueGdiObject(const UniqueGdiObject&) = delete;
  UniqueGdiObject& operator=(const UniqueGdiObject&) = delete;
  ~UniqueGdiObject() { Reset(); }

  T Get() const { return object_; }
  void Reset(T object = nullptr) {
    if (object_) DeleteObject(object_);
    object_ = object;
  }

 private:
  T object_ = nullptr;
};

}  // namespace kolvar::win32

// Clang's thread-safety annotations, and a mutex they understand. A member marked
// GUARDED_BY(mutex) may be touched only with that mutex held; clang checks it at
// compile time (-Wthread-safety, on in the builds made with clang), other
// compilers ignore the marks.
#pragma once

#include <mutex>

#if defined(__clang__)
#define KOLVAR_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define KOLVAR_THREAD_ANNOTATION(x)
#endif

#define CAPABILITY(x) KOLVAR_THREAD_ANNOTATION(capability(x))
#define SCOPED_CAPABILITY KOLVAR_THREAD_ANNOTATION(scoped_lockable)
#define GUARDED_BY(x) KOLVAR_THREAD_ANNOTATION(guarded_by(x))
#define REQUIRES(...) KOLVAR_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define ACQUIRE(...) KOLVAR_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define RELEASE(...) KOLVAR_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define EXCLUDES(...) KOLVAR_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
#define ASSERT_CAPABILITY(x) KOLVAR_THREAD_ANNOTATION(assert_capability(x))

namespace kolvar {

// A std::mutex that the analysis can follow. Its lower-case pair makes it usable
// with std::condition_variable_any.
class CAPABILITY("mutex") Mutex {
 public:
  void Lock() ACQUIRE() { mutex_.lock(); }
  void Unlock() RELEASE() { mutex_.unlock(); }
  void lock() ACQUIRE() { mutex_.lock(); }
  void unlock() RELEASE() { mutex_.unlock(); }
  // Tells the analysis that the caller holds the mutex (a function run by a
  // helper that took it, such as a callback under the lock).
  void AssertHeld() const ASSERT_CAPABILITY(this) {}

 private:
  std::mutex mutex_;
};

class SCOPED_CAPABILITY MutexLock {
 public:
  explicit MutexLock(Mutex& mutex) ACQUIRE(mutex) : mutex_(mutex) { mutex_.Lock(); }
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;
  ~MutexLock() RELEASE() { mutex_.Unlock(); }

 private:
  Mutex& mutex_;
};

}  // namespace kolvar

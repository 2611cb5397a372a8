// The search worker: one background run at a time, frozen, resumed, stopped and
// abandoned cooperatively. A run touches the world only through its RunContext:
// the results under the result store's lock, window state and host messages by a
// synchronous hand-over to the window thread. A run that has been stopped gets
// "no" from all of these, so it can never write shared state again.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/platform.h"
#include "base/thread_annotations.h"
#include "search/search_run.h"

namespace kolvar {

class SearchWorker;
namespace testing {
class PluginProbe;
}  // namespace testing

// What a run sees of its worker. Worker thread only.
class RunContext {
 public:
  // Between steps: waits while the run is frozen; false once it must stop.
  bool Continue();
  // Runs fn under the shared-state mutex if the run is current. fn must not call
  // out (no host message, no box, no hand-over).
  bool WithSharedState(const std::function<void()>& fn);
  // Runs fn on the window thread and waits for it. False, with fn not run (or its
  // outcome ignored), when the run is stopped meanwhile or fn failed.
  bool OnWindowThread(std::function<void()> fn);
  // Which run this is, for SearchWorker::Finished.
  std::uint64_t Generation() const { return generation_; }

 private:
  friend class SearchWorker;
  RunContext(SearchWorker& worker, std::uint64_t generation)
      : worker_(worker), generation_(generation) {}

  SearchWorker& worker_;
  std::uint64_t generation_;
};

using SearchRunFn = std::function<void(const SearchArgs&, RunContext&)>;
// Runs a task of the window thread as plug-in code (see PluginSlot): the plug-in
// is not torn down under it.
using EnterFn = std::function<void(const std::function<void()>&)>;
// Starts a thread running body; throws std::system_error when the system refuses.
using ThreadFactory = std::function<std::thread(std::function<void()> body)>;

class SearchWorker {
 public:
  // sharedMutex is the result store's lock, which guards what the runs write;
  // the window thread takes it too. enter wraps every hand-over.
  SearchWorker(Platform& platform, Mutex& sharedMutex, EnterFn enter = {});
  SearchWorker(const SearchWorker&) = delete;
  SearchWorker& operator=(const SearchWorker&) = delete;
  ~SearchWorker();

  // Window thread. Starts a run at once; priority -3 (idle) .. 3 (time-critical).
  // False, with nothing running, when no thread could be started or the worker
  // was shut down.
  bool Launch(SearchArgs args, SearchRunFn run, int priority);
  // A current worker exists: set by Launch, cleared by the run's end or by Stop.
  bool Running() const { return running_; }
  // Frozen: a freeze was asked and not resumed. A frozen run makes no progress.
  bool Frozen() const { return frozen_; }
  void Freeze();
  void Resume();
  // Stops the current run without waiting for it: safe from inside its own
  // hand-over. It leaves by itself and is joined later.
  void Stop();
  // Run generation is over, if it is still the current one: its results are final,
  // and from now on no search runs. Called when its thread ends, and earlier from
  // its last hand-overs: the run may still send its last messages (which a new run,
  // once launched, keeps from the host).
  void Finished(std::uint64_t generation);
  // Stop, and refuse every later Launch.
  void Shutdown();
  // Stop, then wait until every worker thread has left.
  void StopAndJoin();

 private:
  friend class RunContext;
  friend class testing::PluginProbe;

  // Window thread. Every run's thread has left its body: nothing more will be
  // handed over, not even a finished run's last messages.
  bool ThreadsEnded() const;

  // A hand-over in flight, shared between the worker that waits for it and the
  // task posted to the window thread. It carries its own lock, so the task never
  // touches the worker, which may be gone by the time the task ends.
  struct HandOver {
    enum class State { kWaiting, kDone, kFailed, kCancelled };
    std::mutex mutex;
    std::condition_variable changed;
    std::function<void()> fn;
    State state = State::kWaiting;
  };

  struct Thread {
    std::thread thread;
    std::atomic<bool> finished{false};
  };

  bool IsCurrent(std::uint64_t generation) const REQUIRES(mutex_) {
    return generation == generation_;
  }
  void CancelHandOverLocked() REQUIRES(mutex_);
  void JoinFinished();

  Platform& platform_;
  Mutex& mutex_;
  EnterFn enter_;
  ThreadFactory threadFactory_;
  std::function<void()> failureHandler_;
  std::condition_variable_any changed_;  // generation or freeze changed
  std::uint64_t generation_ GUARDED_BY(mutex_) = 0;
  std::shared_ptr<HandOver> handOver_ GUARDED_BY(mutex_);
  bool shutDown_ = false;  // window thread only
  std::atomic<bool> running_{false};
  std::atomic<bool> frozen_{false};
  std::vector<std::unique_ptr<Thread>> threads_;  // window thread only
};

}  // namespace kolvar

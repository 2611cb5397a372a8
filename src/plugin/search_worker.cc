#include "plugin/search_worker.h"

#include <system_error>

namespace kolvar {

bool RunContext::Continue() {
  MutexLock lock(worker_.mutex_);
  while (worker_.IsCurrent(generation_) && worker_.frozen_) worker_.changed_.wait(worker_.mutex_);
  return worker_.IsCurrent(generation_);
}

bool RunContext::WithSharedState(const std::function<void()>& fn) {
  MutexLock lock(worker_.mutex_);
  if (!worker_.IsCurrent(generation_)) return false;
  fn();
  return true;
}

bool RunContext::OnWindowThread(std::function<void()> fn) {
  using State = SearchWorker::HandOver::State;
  auto handOver = std::make_shared<SearchWorker::HandOver>();
  handOver->fn = std::move(fn);
  {
    MutexLock lock(worker_.mutex_);
    if (!worker_.IsCurrent(generation_)) return false;
    worker_.handOver_ = handOver;
  }
  worker_.platform_.PostToWindowThread([handOver, enter = worker_.enter_] {
    {
      std::lock_guard lock(handOver->mutex);
      if (handOver->state != State::kWaiting) return;
    }
    // However fn ends, the worker must not wait for ever.
    auto settle = [&handOver](State state) {
      {
        std::lock_guard lock(handOver->mutex);
        if (handOver->state == State::kWaiting) handOver->state = state;
      }
      handOver->changed.notify_all();
    };
    try {
      // No lock held: fn may call out to the host, which may call back in.
      if (enter) {
        enter(handOver->fn);
      } else {
        handOver->fn();
      }
    } catch (...) {
      settle(State::kFailed);
      throw;
    }
    settle(State::kDone);
  });
  State outcome;
  {
    std::unique_lock lock(handOver->mutex);
    handOver->changed.wait(lock, [&] { return handOver->state != State::kWaiting; });
    outcome = handOver->state;
  }
  MutexLock lock(worker_.mutex_);
  if (worker_.handOver_ == handOver) worker_.handOver_.reset();
  return outcome == State::kDone && worker_.IsCurrent(generation_);
}

SearchWorker::SearchWorker(Platform& platform, Mutex& sharedMutex, EnterFn enter)
    : platform_(platform),
      mutex_(sharedMutex),
      enter_(std::move(enter)),
      threadFactory_([](std::function<void()> body) { return std::thread(std::move(body)); }) {}

SearchWorker::~SearchWorker() { StopAndJoin(); }

bool SearchWorker::Launch(SearchArgs args, SearchRunFn run, int priority) {
  JoinFinished();
  if (shutDown_) return false;
  auto t = std::make_unique<Thread>();
  Thread* self = t.get();
  // Held while the thread starts: a run that ends at once waits here, so it cannot
  // clear running_ before it is set.
  MutexLock lock(mutex_);
  const std::uint64_t generation = ++generation_;
  try {
    t->thread = threadFactory_(
        [this, self, generation, priority, args = std::move(args), run = std::move(run)] {
          platform_.SetCurrentThreadPriority(priority);
          RunContext context(*this, generation);
          try {
            if (run) run(args, context);
          } catch (...) {
            // The run catches what it expects; anything else ends it like a
            // finished one, as an exception must not reach the host.
            if (failureHandler_) failureHandler_();
          }
          Finished(generation);
          self->finished = true;
        });
  } catch (const std::system_error&) {
    return false;
  }
  frozen_ = false;
  running_ = true;
  threads_.push_back(std::move(t));
  return true;
}

void SearchWorker::Freeze() {
  MutexLock lock(mutex_);
  if (running_) frozen_ = true;
}

void SearchWorker::Resume() {
  {
    MutexLock lock(mutex_);
    frozen_ = false;
  }
  changed_.notify_all();
}

void SearchWorker::CancelHandOverLocked() {
  if (!handOver_) return;
  {
    std::lock_guard lock(handOver_->mutex);
    if (handOver_->state == HandOver::State::kWaiting) {
      handOver_->state = HandOver::State::kCancelled;
    }
  }
  handOver_->changed.notify_all();
  handOver_.reset();
}

void SearchWorker::Stop() {
  {
    MutexLock lock(mutex_);
    ++generation_;
    running_ = false;
    frozen_ = false;
    CancelHandOverLocked();
  }
  changed_.notify_all();
}

void SearchWorker::Finished(std::uint64_t generation) {
  MutexLock lock(mutex_);
  if (!IsCurrent(generation)) return;
  running_ = false;
  frozen_ = false;
}

void SearchWorker::Shutdown() {
  Stop();
  shutDown_ = true;
}

void SearchWorker::StopAndJoin() {
  Stop();
  // Every run is stale now: its waits end and its hand-overs are refused, so each
  // thread leaves at its next check without needing the window thread.
  for (auto& t : threads_) {
    if (t->thread.joinable()) t->thread.join();
  }
  threads_.clear();
}

bool SearchWorker::ThreadsEnded() const {
  for (const auto& t : threads_) {
    if (!t->finished) return false;
  }
  return true;
}

void SearchWorker::JoinFinished() {
  for (auto it = threads_.begin(); it != threads_.end();) {
    if ((*it)->finished) {
      (*it)->thread.join();
      it = threads_.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace kolvar

#include "plugin/search_worker.h"

namespace kolvar {

bool RunContext::Continue() {
  std::unique_lock lock(worker_.mutex_);
  worker_.changed_.wait(lock, [&] { return !worker_.IsCurrent(generation_) || !worker_.frozen_; });
  return worker_.IsCurrent(generation_);
}

bool RunContext::Current() {
  std::lock_guard lock(worker_.mutex_);
  return worker_.IsCurrent(generation_);
}

bool RunContext::WithSharedState(const std::function<void()>& fn) {
  std::lock_guard lock(worker_.mutex_);
  if (!worker_.IsCurrent(generation_)) return false;
  fn();
  return true;
}

bool RunContext::OnWindowThread(std::function<void()> fn) {
  auto handOver = std::make_shared<SearchWorker::HandOver>();
  handOver->fn = std::move(fn);
  std::mutex& mutex = worker_.mutex_;
  std::condition_variable& changed = worker_.changed_;
  {
    std::lock_guard lock(mutex);
    if (!worker_.IsCurrent(generation_)) return false;
    worker_.handOver_ = handOver;
  }
  // The closure may outlive this run's wait (it is dropped with the window), so
  // it holds only the hand-over and references that live as long as the window.
  worker_.platform_.PostToWindowThread([handOver, &mutex, &changed] {
    {
      std::lock_guard lock(mutex);
      if (handOver->cancelled) return;
    }
    handOver->fn();  // no lock held: it may call out to the host
    {
      std::lock_guard lock(mutex);
      handOver->done = true;
    }
    changed.notify_all();
  });
  std::unique_lock lock(mutex);
  changed.wait(lock, [&] { return handOver->done || handOver->cancelled; });
  if (worker_.handOver_ == handOver) worker_.handOver_.reset();
  return handOver->done && !handOver->cancelled;
}

SearchWorker::SearchWorker(Platform& platform, std::mutex& sharedMutex)
    : platform_(platform), mutex_(sharedMutex) {}

SearchWorker::~SearchWorker() { StopAndJoin(); }

void SearchWorker::Launch(SearchArgs args, SearchRunFn run, int priority) {
  JoinFinished();
  std::uint64_t generation;
  {
    std::lock_guard lock(mutex_);
    generation = ++generation_;
    frozen_ = false;
    running_ = true;
  }
  auto t = std::make_unique<Thread>();
  Thread* self = t.get();
  t->thread =
      std::thread([this, self, generation, priority, args = std::move(args), run = std::move(run)] {
        platform_.SetCurrentThreadPriority(priority);
        RunContext context(*this, generation);
        try {
          if (run) run(args, context);
        } catch (...) {
          // A failed run ends like a finished one; there is no one to tell.
        }
        {
          std::lock_guard lock(mutex_);
          if (IsCurrent(generation)) {
            running_ = false;
            frozen_ = false;
          }
        }
        self->finished = true;
      });
  threads_.push_back(std::move(t));
}

void SearchWorker::Freeze() {
  std::lock_guard lock(mutex_);
  if (running_) frozen_ = true;
}

void SearchWorker::Resume() {
  {
    std::lock_guard lock(mutex_);
    frozen_ = false;
  }
  changed_.notify_all();
}

void SearchWorker::CancelHandOverLocked() {
  if (handOver_) {
    handOver_->cancelled = true;
    handOver_.reset();
  }
}

void SearchWorker::Stop() {
  {
    std::lock_guard lock(mutex_);
    ++generation_;
    running_ = false;
    frozen_ = false;
    CancelHandOverLocked();
  }
  changed_.notify_all();
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

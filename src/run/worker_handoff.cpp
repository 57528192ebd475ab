#include "run/worker_handoff.h"

#include <utility>

namespace korimu {

WorkerHandoff::WorkerHandoff(Task wake) : wake_(std::move(wake)) {}

WorkerHandoff::~WorkerHandoff() {
  requestStop();
  finish();
}

void WorkerHandoff::start(Task work) {
  if (!wake_) {
    work();
    const std::lock_guard lock(mutex_);
    workReturned_ = true;
    return;
  }
  thread_ = std::thread([this, work = std::move(work)] {
    work();
    bool wakeOwner = false;
    {
      const std::lock_guard lock(mutex_);
      workReturned_ = true;
      wakeOwner = !std::exchange(woken_, true);
      waiting_.store(false, std::memory_order_relaxed);
    }
    // The owner learns of the end as of a task: done() turns true when it delivers.
    if (wakeOwner) wake_();
  });
}

bool WorkerHandoff::wakeDue(bool urgent) {
  if (woken_ || tasks_.empty()) return false;
  const Clock::time_point now = Clock::now();
  if (!urgent && now - lastWake_ < kWakeInterval) {
    waiting_.store(true, std::memory_order_relaxed);
    return false;
  }
  woken_ = true;
  lastWake_ = now;
  waiting_.store(false, std::memory_order_relaxed);
  return true;
}

void WorkerHandoff::queue(Task task, uint64_t* number, bool urgent) {
  bool wakeOwner = false;
  {
    const std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    *number = ++posted_;
    wakeOwner = wakeDue(urgent);
  }
  if (wakeOwner) wake_();
}

void WorkerHandoff::flushIfDue() {
  if (!waiting_.load(std::memory_order_relaxed)) return;
  bool wakeOwner = false;
  {
    const std::lock_guard lock(mutex_);
    wakeOwner = wakeDue(false);
  }
  if (wakeOwner) wake_();
}

void WorkerHandoff::post(Task task) {
  if (!wake_) {
    task();
    return;
  }
  uint64_t number = 0;
  queue(std::move(task), &number, false);
}

void WorkerHandoff::postAndWait(Task task) {
  if (!wake_) {
    task();
    return;
  }
  uint64_t number = 0;
  queue(std::move(task), &number, true);
  std::unique_lock lock(mutex_);
  ran_.wait(lock, [&] { return delivered_ >= number || stopRequested(); });
}

void WorkerHandoff::deliver() {
  std::vector<Task> batch;
  {
    const std::lock_guard lock(mutex_);
    batch.swap(tasks_);
    woken_ = false;
  }
  for (Task& task : batch) {
    task();
    {
      const std::lock_guard lock(mutex_);
      ++delivered_;
    }
    ran_.notify_all();
  }
}

bool WorkerHandoff::done() {
  const std::lock_guard lock(mutex_);
  return workReturned_ && delivered_ == posted_;
}

bool WorkerHandoff::workReturned() {
  const std::lock_guard lock(mutex_);
  return workReturned_;
}

void WorkerHandoff::requestStop() {
  {
    // Under the lock, so a worker about to wait for a task sees the stop.
    const std::lock_guard lock(mutex_);
    stop_.store(true, std::memory_order_relaxed);
  }
  ran_.notify_all();
}

void WorkerHandoff::finish() {
  // Only the owner holds the hand-off, so this never runs on the worker itself.
  if (thread_.joinable()) thread_.join();
}

}  // namespace korimu

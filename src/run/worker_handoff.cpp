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
    }
    // The owner learns of the end as of a task: done() turns true when it delivers.
    if (wakeOwner) wake_();
  });
}

void WorkerHandoff::queue(Task task, uint64_t* number) {
  bool wakeOwner = false;
  {
    const std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    *number = ++posted_;
    wakeOwner = !std::exchange(woken_, true);
  }
  if (wakeOwner) wake_();
}

void WorkerHandoff::post(Task task) {
  if (!wake_) {
    task();
    return;
  }
  uint64_t number = 0;
  queue(std::move(task), &number);
}

void WorkerHandoff::postAndWait(Task task) {
  if (!wake_) {
    task();
    return;
  }
  uint64_t number = 0;
  queue(std::move(task), &number);
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

void WorkerHandoff::requestStop() {
  {
    // Under the lock, so a worker about to wait for a task sees the stop.
    const std::lock_guard lock(mutex_);
    stop_.store(true, std::memory_order_relaxed);
  }
  ran_.notify_all();
}

void WorkerHandoff::finish() {
  if (thread_.joinable() && !onWorker()) thread_.join();
}

}  // namespace korimu

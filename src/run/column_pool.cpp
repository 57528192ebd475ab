#include "run/column_pool.h"

#include <sched.h>

#include <algorithm>
#include <charconv>
#include <system_error>
#include <utility>

namespace korimu {

ColumnPool::ColumnPool(int threads) {
  const int count = std::max(threads, 1);
  workers_.reserve(size_t(count));
  for (int i = 0; i < count; ++i) {
    tables_.push_back(std::make_unique<TransformTables>());
    try {
      workers_.emplace_back([this, tables = tables_.back().get()] { work(*tables); });
    } catch (const std::system_error&) {
      // The system has no more threads (or memory for their stacks) to give: the pool works
      // with those it got, and a pool of none is not used.
      tables_.pop_back();
      break;
    }
  }
}

ColumnPool::~ColumnPool() {
  {
    const std::lock_guard lock(mutex_);
    closing_ = true;
  }
  wake_.notify_all();
  workers_.clear();  // joins; queued tasks are run first, so no run waits for ever
}

bool ColumnPool::reservePlace() {
  const std::lock_guard lock(mutex_);
  if (placesTaken_ >= threads()) return false;
  ++placesTaken_;
  return true;
}

void ColumnPool::submit(Task task) {
  {
    const std::lock_guard lock(mutex_);
    queue_.push_back(std::move(task));
  }
  wake_.notify_one();
}

uint64_t ColumnPool::tasksEnded() const {
  const std::lock_guard lock(mutex_);
  return tasksEnded_;
}

void ColumnPool::waitForTaskEnd(uint64_t endedBefore, std::chrono::milliseconds most) const {
  std::unique_lock lock(mutex_);
  ended_.wait_for(lock, most, [&] { return tasksEnded_ != endedBefore; });
}

int ColumnPool::placesTaken() const {
  const std::lock_guard lock(mutex_);
  return placesTaken_;
}

void ColumnPool::work(TransformTables& tables) {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return closing_ || !queue_.empty(); });
    if (queue_.empty()) return;  // closing, nothing left
    Task task = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    task(tables);
    task = nullptr;  // what the task held goes before the next one starts
    lock.lock();
    --placesTaken_;
    ++tasksEnded_;
    ended_.notify_all();
  }
}

std::optional<int> parseColumnThreads(const std::string& text, const std::string& what,
                                      std::string& error) {
  int n = 0;
  const char* end = text.data() + text.size();
  const auto parsed = std::from_chars(text.data(), end, n);
  if (!text.empty() && parsed.ec == std::errc() && parsed.ptr == end && n >= 1 &&
      n <= kMaxColumnThreads)
    return n;
  error = what + " wants a whole number of threads from 1 to " + std::to_string(kMaxColumnThreads) +
          ", not '" + text + "'";
  return std::nullopt;
}

int defaultColumnThreads() {
  cpu_set_t set;
  CPU_ZERO(&set);
  int cores = 0;
  if (sched_getaffinity(0, sizeof set, &set) == 0) cores = CPU_COUNT(&set);
  if (cores <= 0) cores = int(std::thread::hardware_concurrency());
  return std::clamp(cores, 1, kMaxColumnThreads);
}

}  // namespace korimu

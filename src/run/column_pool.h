// The threads a chart's columns are computed on. The pool is owned by whoever runs charts (the
// window's controller, a render, a batch of renders) and lent to their sessions; runs hand it
// their blocks as tasks, and every task gets the transform tables of the thread it runs on, which
// no other thread touches. All runs lent one pool share its threads and its places: a task takes
// one of the pool's `threads()` places before its run reads its samples, so a batch of files on N
// threads never holds more than N blocks in the pool nor computes more than N at a time.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "analysis/transform_tables.h"

namespace korimu {

class ColumnPool {
 public:
  using Task = std::function<void(TransformTables& tables)>;

  // A pool of `threads` threads (at least 1), or of as many as the system would start.
  explicit ColumnPool(int threads);
  ~ColumnPool();
  ColumnPool(const ColumnPool&) = delete;
  ColumnPool& operator=(const ColumnPool&) = delete;

  int threads() const { return int(workers_.size()); }
  // A pool with threads of its own, for its owner to lend to runs.
  bool usable() const { return threads() > 0; }
  // Takes a place for a task when one is free (false when every place is taken).
  bool reservePlace();
  // Queues a task on the place reserved for it; the first free thread runs it, in the order they
  // were queued, and the place is free again when it has ended.
  void submit(Task task);
  // How many tasks have ended so far: a run that saw this count and then finds that none of its
  // tasks has finished waits until the count moves on (or `most` has passed).
  uint64_t tasksEnded() const;
  void waitForTaskEnd(uint64_t endedBefore, std::chrono::milliseconds most) const;
  // Places taken: tasks reserved, queued or running (a finished run leaves none behind).
  int placesTaken() const;

 private:
  void work(TransformTables& tables);

  mutable std::mutex mutex_;
  std::condition_variable wake_;           // a task was queued, or the pool closes
  mutable std::condition_variable ended_;  // a task ended
  std::deque<Task> queue_;
  int placesTaken_ = 0;
  uint64_t tasksEnded_ = 0;
  bool closing_ = false;
  std::vector<std::unique_ptr<TransformTables>> tables_;
  std::vector<std::jthread> workers_;
};

// The computing threads a user asked for: a whole number from 1 to kMaxColumnThreads. On
// anything else returns nothing and says why in `error` (naming `what`, the option or variable).
inline constexpr int kMaxColumnThreads = 256;
std::optional<int> parseColumnThreads(const std::string& text, const std::string& what,
                                      std::string& error);
// One thread per core the process may run on.
int defaultColumnThreads();

}  // namespace korimu

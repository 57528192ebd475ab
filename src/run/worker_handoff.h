// Work on a worker thread, and the hand-off of what it reports to the thread that owns the
// window. The worker posts tasks; the owner runs them, in order, when it is woken. The owner never
// waits for the worker while it computes, and the worker never touches what the owner shows: what
// it reports travels in the tasks, by value.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace korimu {

class WorkerHandoff {
 public:
  using Task = std::function<void()>;

  // `wake` is called on the worker when a task is queued and the owner has not been woken for it
  // yet: it must make the owner's thread call deliver() soon (a queued call). Without it the work
  // runs on the owner's thread inside start(), and every task runs as it is posted.
  explicit WorkerHandoff(Task wake = {});
  // Stops the work and waits for it; tasks still queued are dropped.
  ~WorkerHandoff();
  WorkerHandoff(const WorkerHandoff&) = delete;
  WorkerHandoff& operator=(const WorkerHandoff&) = delete;

  // Starts the work (once).
  void start(Task work);

  // From the work: `task` is for the owner. The owner is woken at most every kWakeInterval for
  // what is posted (each wake costs both threads a system call and a switch); tasks posted
  // sooner wait for the next wake, which flushIfDue gives once the interval is over.
  void post(Task task);
  // From the work, at its frequent questions: wakes the owner for tasks left waiting once the
  // interval has passed.
  void flushIfDue();
  // From the work: waits until the owner has run `task` (a message box the run stops for), or
  // until a stop was requested.
  void postAndWait(Task task);

  // On the owner's thread: runs the tasks queued so far. A task may run a nested event loop that
  // delivers again; each task runs once.
  void deliver();
  // The work has returned and every task it posted has run: finish() may follow.
  bool done();
  // The work has returned (some of its tasks may still be queued).
  bool workReturned();
  // On the owner's thread, once done() (or to give up the work): waits for the thread.
  void finish();

  // Any thread: the work is to stop at its next question.
  void requestStop();
  bool stopRequested() const { return stop_.load(std::memory_order_relaxed); }
  // The work runs on a worker thread (else on the owner's, inside start()).
  bool threaded() const { return static_cast<bool>(wake_); }

 private:
  using Clock = std::chrono::steady_clock;
  // A frame of a 60 Hz display: a run that ends sooner wakes its owner once, at its end.
  static constexpr std::chrono::milliseconds kWakeInterval{16};

  // Under the lock: whether the owner is to be woken now (`urgent`: at once).
  bool wakeDue(bool urgent);
  void queue(Task task, uint64_t* number, bool urgent);

  Task wake_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable ran_;
  std::vector<Task> tasks_;
  bool woken_ = false;
  // Tasks are queued that no wake has been sent for yet.
  std::atomic<bool> waiting_{false};
  Clock::time_point lastWake_ = Clock::now();
  bool workReturned_ = false;
  uint64_t posted_ = 0;
  uint64_t delivered_ = 0;
};

}  // namespace korimu

// A window view whose thread is the test's own: the wakes a worker sends queue up, and the test
// runs them as the window's thread would.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "control/window_view.h"

namespace korimu::testing {

// The window's thread as a queue the test drains: the wakes the worker sends.
struct ThreadedView : WindowView {
  std::mutex mutex;
  std::condition_variable woken;
  std::deque<std::function<void()>> queue;
  bool runsInBackground() override { return true; }
  void wakeOwner(const std::function<void()>& task) override {
    {
      const std::lock_guard lock(mutex);
      queue.push_back(task);
    }
    woken.notify_one();
  }
  // Runs what arrives until `idle` holds (a minute at most).
  bool runUntil(const std::function<bool()>& idle) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!idle()) {
      std::function<void()> task;
      {
        std::unique_lock lock(mutex);
        if (!woken.wait_until(lock, deadline, [&] { return !queue.empty(); })) return false;
        task = std::move(queue.front());
        queue.pop_front();
      }
      task();
    }
    return true;
  }
};

}  // namespace korimu::testing

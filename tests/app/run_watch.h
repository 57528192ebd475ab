// Follows the window's analysis runs for as long as it exists: each block before its analysis,
// and each progress step of the analysers.
#pragma once

#include <functional>

#include "app/window_run.h"

namespace korimu::testing {

struct RunWatch : RunListener {
  std::function<void(const SampleBlock& block, int column, int columnsPerBlock)> onBlock;
  std::function<void(long done, long total)> onStep;

  explicit RunWatch(AppShell& app) : app_(app) { watchWindowRuns(app_, this); }
  ~RunWatch() override { watchWindowRuns(app_, nullptr); }
  RunWatch(const RunWatch&) = delete;
  RunWatch& operator=(const RunWatch&) = delete;

  void blockStarting(const SampleBlock& block, int column, int columnsPerBlock) override {
    if (onBlock) onBlock(block, column, columnsPerBlock);
  }
  void step(long done, long total) override {
    if (onStep) onStep(done, total);
  }

 private:
  AppShell& app_;
};

}  // namespace korimu::testing

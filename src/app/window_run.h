// An analysis run as the window shows it, on the window's thread: the listener checks the chart's
// menu item when the wavelet switches the view, enables the cross-section for chart runs and
// writes diagnostic texts on the overview strip.
#pragma once

#include "run/run_listener.h"

namespace korimu {

class AppShell;

class WindowRunListener : public RunListener {
 public:
  explicit WindowRunListener(AppShell& app) : app_(app) {}
  void begin(std::string_view name, long total) override;
  void step(long done, long total) override;
  void end() override;
  bool followsClosely() override;
  void runningChanged(bool running) override;
  void viewChanged(int32_t from, int32_t to) override;
  void chartRun(bool chart) override;
  void overviewText(int x, int y, const std::string& text) override;
  void blockStarting(const SampleBlock& block, int column, int columnsPerBlock) override;

 private:
  AppShell& app_;
};

// Lets a test follow `app`'s runs: the observer sees every block, every progress report and the
// running state of the runs that follow (nullptr to stop watching). It is never asked whether to
// stop.
void watchWindowRuns(AppShell& app, RunListener* observer);

}  // namespace korimu

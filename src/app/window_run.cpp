#include "app/window_run.h"

#include "app/app_shell.h"
#include "app/widgets.h"

namespace korimu {

void WindowRunListener::begin(std::string_view name, long total) {
  if (RunListener* watcher = app_.runWatcher) watcher->begin(name, total);
}

void WindowRunListener::step(long done, long total) {
  if (RunListener* watcher = app_.runWatcher) watcher->step(done, total);
}

void WindowRunListener::end() {
  if (RunListener* watcher = app_.runWatcher) watcher->end();
}

bool WindowRunListener::followsClosely() {
  return app_.runWatcher != nullptr;
}

void WindowRunListener::runningChanged(bool running) {
  if (RunListener* watcher = app_.runWatcher) watcher->runningChanged(running);
}

void WindowRunListener::viewChanged(int32_t from, int32_t to) {
  app_.widgets.checkMenuItem(from, false);
  app_.widgets.checkMenuItem(to, true);
}

void WindowRunListener::chartRun(bool chart) {
  app_.widgets.enableMenuItem(kCrossSectionId, chart);
}

void WindowRunListener::overviewText(int x, int y, const std::string& text) {
  OverviewWidget* overview = app_.widgets.overview;
  if (!overview) return;
  overview->canvas().textOut(x, y, text, TextStyle{kBlack, kWhite, true});
  overview->update();
}

void WindowRunListener::blockStarting(const SampleBlock& block, int column, int columnsPerBlock) {
  if (RunListener* watcher = app_.runWatcher)
    watcher->blockStarting(block, column, columnsPerBlock);
}

void watchWindowRuns(AppShell& app, RunListener* observer) {
  app.runWatcher = observer;
}

}  // namespace korimu

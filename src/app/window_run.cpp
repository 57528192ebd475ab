#include "app/window_run.h"

#include "app/shell_widgets.h"
#include "app/widgets.h"

namespace korimu {

namespace {

RunListener* watcher = nullptr;

}  // namespace

void WindowRunListener::begin(std::string_view name, long total) {
  if (watcher) watcher->begin(name, total);
}

void WindowRunListener::step(long done, long total) {
  if (watcher) watcher->step(done, total);
}

void WindowRunListener::end() {
  if (watcher) watcher->end();
}

bool WindowRunListener::followsClosely() {
  return watcher != nullptr;
}

void WindowRunListener::runningChanged(bool running) {
  if (watcher) watcher->runningChanged(running);
}

void WindowRunListener::viewChanged(int32_t from, int32_t to) {
  checkMenuItem(from, false);
  checkMenuItem(to, true);
}

void WindowRunListener::chartRun(bool chart) {
  enableMenuItem(kCrossSectionId, chart);
}

void WindowRunListener::overviewText(int x, int y, const std::string& text) {
  if (!shell().overview) return;
  shell().overview->canvas().textOut(x, y, text, TextStyle{kBlack, kWhite, true});
  shell().overview->update();
}

void WindowRunListener::blockStarting(const SampleBlock& block, int column, int columnsPerBlock) {
  if (watcher) watcher->blockStarting(block, column, columnsPerBlock);
}

void watchWindowRuns(RunListener* observer) {
  watcher = observer;
}

}  // namespace korimu

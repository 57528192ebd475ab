// Decoding a file the reader refuses, inside the window: the decode runs on a worker while the
// window's controls are off as during an analysis run, the status text counts up once the decode
// has taken half a second, and Esc or Stop cancels it, leaving no file open.
#include "control/background_task.h"
#include "control/controller.h"
#include "core/layout.h"
#include "core/settings.h"
#include "display/client_area.h"
#include "display/peak_readout.h"
#include "display/status_texts.h"
#include "platform/tick_clock.h"
#include "wave/source_opening.h"

namespace korimu {

namespace {

// The decode's progress, on the worker: the percentage is posted to the window's thread, and Stop
// is the hand-off's.
class WorkerDecodeProgress : public DecodeProgress {
 public:
  WorkerDecodeProgress(Controller::BackgroundTask& task, RunListener& window,
                       std::function<void(int percent)> show)
      : task_(task), window_(window), show_(std::move(show)), startMs_(tickCountMs()) {}

  void advanced(double fraction) override {
    if (tickCountMs() - startMs_ < kDecodeQuietMs) return;
    const int percent = int(fraction * 100.0);
    if (percent == shownPercent_) return;
    shownPercent_ = percent;
    task_.handoff->post([show = show_, percent] { show(percent); });
  }
  bool cancelled() override {
    task_.handoff->flushIfDue();
    // Without a worker the window's own listener may stop it (a test's Esc).
    return task_.handoff->stopRequested() || (!task_.handoff->threaded() && window_.cancelled());
  }

 private:
  Controller::BackgroundTask& task_;
  RunListener& window_;
  std::function<void(int)> show_;
  unsigned long startMs_;
  int shownPercent_ = -1;
};

}  // namespace

void Controller::decodeInWindow(const std::string& source, const WaveOpenResult& refused,
                                bool keepOpenFile) {
  auto task = std::make_shared<BackgroundTask>();
  task->kind = BackgroundTask::Kind::kDecode;
  task->refused = refused;
  if (keepOpenFile) {
    task->replacement = source;
    task->clientBefore = clientCanvas();
  }
  task->work = [this, source, task = task.get(),
                cache = decodeCache_.value_or(defaultDecodeCache())] {
    WorkerDecodeProgress progress(*task, view_.runListener(), [this](int percent) {
      drawDecodeProgress(clientCanvas(), percent, display().texts);
      view_.refreshClient();
    });
    task->decoded = decodedCopy(source, cache, progress);
  };
  enter(UiState::kAnalysing);
  startBackground(task);
}

void Controller::finishDecode(BackgroundTask& task) {
  if (!task.replacement.empty()) {
    if (task.decoded.status == DecodeStatus::kCancelled) {
      // The open file is still open: its window comes back as it was, progress and notice gone.
      stopRequested_ = false;
      clientCanvas() = std::move(task.clientBefore);
      view_.refreshClient();
      view_.invalidateOverview();
      enter(stateOfFlags());
      return;
    }
    forgetLastRun();
    // The new file is ready (or known to fail): only now does the open one go.
    closeWave(session_.wave, true);
    Document& document = session_.document;
    document.fileName = task.replacement;
    document.position = 0;
    rememberSource(document, SourceOpenResult{});
    setTitle();
  }
  enter(stateOfFlags());
  const SourceOpenResult source = openDecodedSource(session_.wave, fileRequest(), session_.settings,
                                                    task.refused, task.decoded);
  commandLineOpened(finishOpen(source));
}

void Controller::forgetFile() {
  overviewSummary_.stop();
  closeWave(session_.wave, true);
  session_.document = Document{};
  stopRequested_ = false;
  setTitle();
  offerSpans(0);  // the list without a file
  DisplayState& shown = display();
  shown.fileRate = SampleRate{0};
  hideFileFacts(shown, true);
  forgetLastRun();
  redrawClientAfresh();
  enter(UiState::kNoFile);
}

void Controller::forgetLastRun() {
  // The chart, its peak box and the numbers behind them belong to the file that was open before:
  // under another file's name they would read as its results.
  view_.closeCrossSection();
  view_.runListener().chartRun(false);  // no chart to show a column of: its menu item goes off
  lastRun_ = RunRecord{};
  session_.document.lastRunView = 0;
  session_.document.lastRunMethod = 0;
  forgetPeakReadout(display());
  Canvas& chart = display().surfaces.backBuffer;
  if (chart.width() > 0) chart.whiteness(kLayout.unitW, kLayout.plotTop, kPlotWidth, kPlotHeight);
}

void Controller::redrawClientAfresh() {
  // The whole client as at start-up: the last run's labels lie outside the frame.
  Canvas& client = clientCanvas();
  client.clear(kButtonFace);
  if (client.width() > 0) client.whiteness(kLayout.unitW, kLayout.plotTop, kPlotWidth, kPlotHeight);
  composeClientArea(display(), session_.settings, client, session_.wave.source, session_.document);
  view_.refreshClient();
  view_.invalidateOverview();
}

}  // namespace korimu

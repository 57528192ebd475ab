// The window's analysis runs on a worker thread. A run works on a session of its own: the
// settings and the document copied when it starts, the transform tables lent to it, and a file
// handle of its own. It draws nothing: its steps (run/run_steps.h) are handed to the window's
// thread by value, where the window's painter applies them to the window's record of the run and
// draws them into the window's own canvases. When the run ends, its tables become the window's
// again and the record it painted becomes the last run's.
#include <algorithm>
#include <chrono>
#include <memory>
#include <utility>
#include <vector>

#include "control/background_task.h"
#include "control/controller.h"
#include "display/status_texts.h"
#include "run/run_driver.h"

namespace korimu {

namespace {

// How often a run hands its steps to the window: as often as the window is woken, once a frame
// of a 60 Hz display.
constexpr auto kHandOverInterval = std::chrono::milliseconds(16);

// The facts an open found out about a file, without its open handle.
std::shared_ptr<const WaveSource> factsOf(const WaveSource& source) {
  auto facts = std::make_shared<WaveSource>();
  facts->riffChunk = source.riffChunk;
  facts->dataChunk = source.dataChunk;
  facts->format = source.format;
  facts->hasFormat = source.hasFormat;
  facts->formatTag = source.formatTag;
  facts->sampleKind = source.sampleKind;
  facts->srKHz = source.srKHz;
  facts->bitsPerSample = source.bitsPerSample;
  facts->bytesPerSecond = source.bytesPerSecond;
  facts->blockAlign = source.blockAlign;
  facts->dataSize = source.dataSize;
  facts->bytesLeft = source.bytesLeft;
  facts->readMode = source.readMode;
  facts->volume = source.volume;
  return facts;
}

}  // namespace

// The run's listener, on the worker. Everything the window is to see is posted to its thread, in
// the order the run did it; the posted tasks hold the controller, the window's listener and the
// task, never this listener, which ends with the run.
class WorkerRunListener : public RunListener {
 public:
  WorkerRunListener(Controller& controller, Controller::BackgroundTask& task)
      : controller_(&controller),
        task_(&task),
        window_(&controller.view_.runListener()),
        closely_(window_->followsClosely()),
        diagnosticText_(controller.diagnosticText_) {}
  WorkerRunListener(const WorkerRunListener&) = delete;
  WorkerRunListener& operator=(const WorkerRunListener&) = delete;
  ~WorkerRunListener() override = default;

  RunStepSink* stepSink() override { return &steps_; }
  bool followsClosely() override { return closely_; }

  void begin(std::string_view name, long total) override {
    if (closely_) wait([w = window_, name = std::string(name), total] { w->begin(name, total); });
  }
  void step(long done, long total) override {
    if (closely_) wait([w = window_, done, total] { w->step(done, total); });
  }
  void end() override {
    if (closely_) wait([w = window_] { w->end(); });
  }

  bool cancelled() override {
    if (std::chrono::steady_clock::now() - lastHandOver_ >= kHandOverInterval) handOverSteps();
    task_->handoff->flushIfDue();
    // Without a worker the window's own listener may stop the run (a test's Esc).
    const bool stop =
        task_->handoff->stopRequested() || (!task_->handoff->threaded() && window_->cancelled());
    if (stop && !stopShown_) {
      // Shown at the run's question, where the window showed it between two steps.
      stopShown_ = true;
      steps_.add(StopAcceptedStep{});
    }
    return stop;
  }
  void runningChanged(bool running) override {
    // The window leaves the running state when the run is wound up.
    if (!running) return;
    post([c = controller_, w = window_, t = task_] {
      t->runEntered = true;
      w->runningChanged(true);
      // A run that ended before the window heard it start was never seen running: its controls
      // need not go off and on again (a repaint of each).
      if (!t->handoff->workReturned()) c->runStateChanged(true);
    });
  }
  void fileOpened(const WaveOpenResult& result) override {
    // What the run's own open found, as the run's settings show it (全体 follows the file).
    post([c = controller_, result, facts = factsOf(task_->session.wave.source),
          settings = task_->session.settings] {
      if (drawOpenedFileTexts(c->display(), *facts, c->session_.document, settings, result))
        c->view_.refreshClient();
    });
  }
  void viewChanged(int32_t from, int32_t to) override {
    post([c = controller_, w = window_, from, to] {
      c->session_.settings.display = ViewMode(to);
      w->viewChanged(from, to);
    });
  }
  void chartRun(bool chart) override {
    post([w = window_, chart] { w->chartRun(chart); });
  }
  void overviewText(int x, int y, const std::string& text) override {
    if (diagnosticText_) post([w = window_, x, y, text] { w->overviewText(x, y, text); });
  }
  void blockStarting(const SampleBlock& block, int column, int width) override {
    if (!closely_) return;
    std::vector<uint8_t> bytes(block.bytes, block.bytes + block.length);
    wait([w = window_, block, bytes = std::move(bytes), column, width] {
      SampleBlock copy = block;
      copy.bytes = bytes.data();
      w->blockStarting(copy, column, width);
    });
  }
  void message(std::string_view text, MessageKind kind) override {
    // The box stands over what the run has shown so far.
    wait([c = controller_, text = std::string(text), kind] {
      c->session_.wave.messages.show(text, kind);
    });
  }

  // Hands the steps taken since the last time to the window's painter.
  void handOverSteps() {
    lastHandOver_ = std::chrono::steady_clock::now();
    if (steps_.empty()) return;
    task_->handoff->post([c = controller_, steps = steps_.take()] { c->paintRunSteps(steps); });
  }

 private:
  // Every task goes after the steps taken before it, so the window sees them in the run's order.
  void post(WorkerHandoff::Task task) {
    handOverSteps();
    task_->handoff->post(std::move(task));
  }
  void wait(WorkerHandoff::Task task) {
    handOverSteps();
    task_->handoff->postAndWait(std::move(task));
  }

  Controller* controller_;
  Controller::BackgroundTask* task_;
  RunListener* window_;
  const bool closely_;
  const bool diagnosticText_;
  bool stopShown_ = false;
  PendingRunSteps steps_;
  std::chrono::steady_clock::time_point lastHandOver_ = std::chrono::steady_clock::now();
};

void Controller::paintRunSteps(const std::vector<RunStep>& steps) {
  for (const RunStep& step : steps) runPainter_.paint(step);
  for (const Rect& area : runPainter_.takeDrawnAreas()) view_.refreshClientArea(area);
}

void Controller::analyze() {
  if (background_) return;  // one task at a time
  auto task = std::make_shared<BackgroundTask>();
  Session& run = task->session;
  run.settings = session_.settings;
  run.document = session_.document;
  run.tables = std::move(session_.tables);
  run.memRunningMax = session_.memRunningMax;
  if (columnThreads_ > 1 && (!columnPool_ || columnPool_->threads() != columnThreads_))
    columnPool_ = std::make_unique<ColumnPool>(columnThreads_);
  run.columnPool = columnThreads_ > 1 && columnPool_->usable() ? columnPool_.get() : nullptr;
  run.wave.sampleMemoryLimit = session_.wave.sampleMemoryLimit;
  task->kind = BackgroundTask::Kind::kRun;
  runSoFar_ = RunRecord{};
  task->work = [this, task = task.get()] {
    WorkerRunListener listener(*this, *task);
    runAnalysis(task->session, listener);
    listener.handOverSteps();
  };
  startBackground(task);
}

void Controller::setColumnThreads(int threads) {
  columnThreads_ = std::clamp(threads, 1, kMaxColumnThreads);
}

void Controller::finishRun(BackgroundTask& task) {
  Session& run = task.session;
  session_.tables = std::move(run.tables);
  session_.memRunningMax = run.memRunningMax;
  session_.settings.display = run.settings.display;
  session_.document.lastRunView = run.document.lastRunView;
  session_.document.lastRunMethod = run.document.lastRunMethod;
  // A run that never began drawing leaves the last run's numbers as they were.
  if (runSoFar_.drawn) lastRun_ = std::move(runSoFar_);
  runSoFar_ = RunRecord{};
  if (task.runEntered) {
    runStateChanged(false);
    view_.runListener().runningChanged(false);
  } else {
    enter(stateOfFlags());
  }
}

const RunRecord& Controller::shownRecord() const {
  const bool running = background_ && background_->kind == BackgroundTask::Kind::kRun;
  return running ? runSoFar_ : lastRun_;
}

}  // namespace korimu

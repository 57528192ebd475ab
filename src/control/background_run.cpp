// The window's analysis runs on a worker thread. A run works on a session of its own: the
// settings, the document and the display copied when it starts, the transform tables lent to it,
// and a file handle of its own. Its own canvas is the one that counts; the window's canvas follows
// it by the rectangles the run reports, each handed over as a copy of its pixels. When the run
// ends, its display, tables and record become the window's.
#include "control/background_task.h"
#include "control/controller.h"
#include "display/status_texts.h"
#include "run/run_driver.h"

namespace korimu {

namespace {

// The pixels of `area` of a canvas, for the window's copy of it.
struct CanvasPatch {
  Rect area;
  Canvas pixels;
};

CanvasPatch patchOf(const Canvas& canvas, const Rect& area) {
  CanvasPatch patch{area, Canvas(area.w, area.h, canvas.depthBits())};
  patch.pixels.copyFrom(canvas, area.x, area.y, area.w, area.h, 0, 0);
  return patch;
}

}  // namespace

// The run's listener, on the worker. Everything the window is to see is posted to its thread; the
// posted tasks hold the controller, the window's listener and the task, never this listener,
// which ends with the run.
class WorkerRunListener : public RunListener {
 public:
  WorkerRunListener(Controller& controller, Controller::BackgroundTask& task)
      : controller_(&controller),
        task_(&task),
        window_(&controller.view_.runListener()),
        closely_(window_->followsClosely()),
        diagnosticText_(controller.diagnosticText_) {}

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
    // Without a worker the window's own listener may stop the run (a test's Esc).
    const bool stop =
        task_->handoff->stopRequested() || (!task_->handoff->onWorker() && window_->cancelled());
    if (stop && !stopShown_) {
      // Drawn here, at the run's question, where the window drew it between two steps.
      stopShown_ = true;
      drawStopAccepted(canvas());
      clientChanged();
    }
    return stop;
  }
  void runningChanged(bool running) override {
    // The window leaves the running state when the run is wound up.
    if (!running) return;
    post([c = controller_, w = window_, t = task_] {
      t->runEntered = true;
      w->runningChanged(true);
      c->runStateChanged(true);
    });
  }
  void clientChanged() override {
    const Canvas& shown = canvas();
    post([c = controller_, patch = patchOf(shown, Rect{0, 0, shown.width(), shown.height()})] {
      apply(*c, patch);
      c->view_.refreshClient();
    });
  }
  void clientAreaChanged(const Rect& area) override {
    post([c = controller_, patch = patchOf(canvas(), area)] {
      apply(*c, patch);
      c->view_.refreshClientArea(patch.area);
    });
  }
  void fileOpened(const WaveOpenResult& result) override {
    // The texts are the run's to draw: its canvas is the one that stays.
    Session& run = task_->session;
    if (drawOpenedFileTexts(run.display, run.wave.source, run.document, run.settings, result))
      clientChanged();
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
  RunRecord* record() override { return &task_->record; }
  void message(std::string_view text, MessageKind kind) override {
    wait([text = std::string(text), kind] { showMessage(text, kind); });
  }

 private:
  Canvas& canvas() { return task_->session.display.surfaces.window; }
  void post(WorkerHandoff::Task task) { task_->handoff->post(std::move(task)); }
  void wait(WorkerHandoff::Task task) { task_->handoff->postAndWait(std::move(task)); }
  static void apply(Controller& controller, const CanvasPatch& patch) {
    controller.clientCanvas().copyFrom(patch.pixels, 0, 0, patch.area.w, patch.area.h, patch.area.x,
                                       patch.area.y);
  }

  Controller* controller_;
  Controller::BackgroundTask* task_;
  RunListener* window_;
  const bool closely_;
  const bool diagnosticText_;
  bool stopShown_ = false;
};

void Controller::analyze() {
  if (background_) return;  // one task at a time
  auto task = std::make_shared<BackgroundTask>();
  Session& run = task->session;
  run.settings = session_.settings;
  run.document = session_.document;
  run.display = session_.display;
  run.tables = std::move(session_.tables);
  run.memRunningMax = session_.memRunningMax;
  run.wholePlotCopies = session_.wholePlotCopies;
  run.wave.sampleMemoryLimit = session_.wave.sampleMemoryLimit;
  task->kind = BackgroundTask::Kind::kRun;
  task->work = [this, task = task.get()] {
    WorkerRunListener listener(*this, *task);
    runAnalysis(task->session, listener);
  };
  startBackground(std::move(task));
}

void Controller::finishRun(BackgroundTask& task) {
  Session& run = task.session;
  // The scheme may have changed while the run drew: the window's word is the current one.
  const bool darkScheme = display().darkScheme;
  session_.display = std::move(run.display);
  display().darkScheme = darkScheme;
  session_.tables = std::move(run.tables);
  session_.memRunningMax = run.memRunningMax;
  session_.settings.display = run.settings.display;
  session_.document.lastRunView = run.document.lastRunView;
  session_.document.lastRunMethod = run.document.lastRunMethod;
  // A run that never began drawing leaves the last run's numbers as they were.
  if (task.record.drawn) lastRun_ = std::move(task.record);
  view_.refreshClient();
  if (task.runEntered) {
    runStateChanged(false);
    view_.runListener().runningChanged(false);
  } else {
    enter(stateOfFlags());
  }
}

}  // namespace korimu

// The window's analysis runs on a worker thread. A run works on a session of its own: the
// settings, the document and the display copied when it starts, the transform tables lent to it,
// and a file handle of its own. Its own canvas is the one that counts; the window's canvas follows
// it by the rectangles the run reports, each handed over as a copy of its pixels. When the run
// ends, its display, tables and record become the window's.
#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include "control/background_task.h"
#include "control/controller.h"
#include "control/run_so_far.h"
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
  const int left = std::max(area.x, 0), top = std::max(area.y, 0);
  const Rect inside{left, top, std::min(area.x + area.w, canvas.width()) - left,
                    std::min(area.y + area.h, canvas.height()) - top};
  return CanvasPatch{inside, canvas.part(inside.x, inside.y, inside.w, inside.h)};
}

Rect unionOf(const Rect& a, const Rect& b) {
  const int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
  const int right = std::max(a.x + a.w, b.x + b.w), bottom = std::max(a.y + a.h, b.y + b.h);
  return Rect{left, top, right - left, bottom - top};
}

bool contains(const Rect& outer, const Rect& inner) {
  return outer.x <= inner.x && outer.y <= inner.y && inner.x + inner.w <= outer.x + outer.w &&
         inner.y + inner.h <= outer.y + outer.h;
}

bool touch(const Rect& a, const Rect& b) {
  return a.x <= b.x + b.w && b.x <= a.x + a.w && a.y <= b.y + b.h && b.y <= a.y + a.h;
}

// The rectangles a run drew since its last hand-over: a chart's next columns join the ones before
// them, the progress counter stays one rectangle of its own.
class DirtyRects {
 public:
  void add(Rect area) {
    if (area.w <= 0 || area.h <= 0) return;
    // A run that asks at every point redraws the same counter each time.
    for (const Rect& r : rects_)
      if (contains(r, area)) return;
    // Whatever the new one touches merges into it, until it touches no other.
    for (size_t i = 0; i < rects_.size();) {
      if (touch(rects_[i], area)) {
        area = unionOf(rects_[i], area);
        rects_.erase(rects_.begin() + std::ptrdiff_t(i));
        i = 0;
      } else {
        ++i;
      }
    }
    rects_.push_back(area);
  }
  std::vector<Rect> take() { return std::exchange(rects_, {}); }
  bool empty() const { return rects_.empty(); }

 private:
  std::vector<Rect> rects_;
};

// How often a run hands what it drew to the window: as often as the window is woken, once a frame
// of a 60 Hz display. A shorter run hands nothing over: the window takes its canvas at the end.
constexpr auto kHandOverInterval = std::chrono::milliseconds(16);

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
  // What is still to show is left to the end of the run, which hands the whole canvas over.
  ~WorkerRunListener() override { task_->undelivered = dirty_.take(); }
  WorkerRunListener(const WorkerRunListener&) = delete;
  WorkerRunListener& operator=(const WorkerRunListener&) = delete;

  bool cancelled() override {
    if (std::chrono::steady_clock::now() - lastHandOver_ >= kHandOverInterval) handOverDrawing();
    task_->handoff->flushIfDue();
    // Without a worker the window's own listener may stop the run (a test's Esc).
    const bool stop =
        task_->handoff->stopRequested() || (!task_->handoff->threaded() && window_->cancelled());
    if (stop && !stopShown_) {
      // Drawn here, at the run's question, where the window drew it between two steps.
      stopShown_ = true;
      drawStopAccepted(canvas(), task_->session.display.texts);
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
      // A run that ended before the window heard it start was never seen running: its controls
      // need not go off and on again (a repaint of each).
      if (!t->handoff->workReturned()) c->runStateChanged(true);
    });
  }
  void clientChanged() override {
    const Canvas& shown = canvas();
    dirty_.add(Rect{0, 0, shown.width(), shown.height()});
  }
  // Gathered, and handed over once a display frame: a run draws a rectangle at every step, and
  // the whole client a few times (each a megabyte to copy).
  void clientAreaChanged(const Rect& area) override { dirty_.add(area); }
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

  // Hands the rectangles drawn since the last time to the window, as copies of their pixels.
  void handOverDrawing() {
    lastHandOver_ = std::chrono::steady_clock::now();
    if (dirty_.empty()) return;
    std::vector<CanvasPatch> patches;
    const std::vector<Rect> areas = dirty_.take();
    patches.reserve(areas.size());
    for (const Rect& area : areas) patches.push_back(patchOf(canvas(), area));
    // The numbers of the columns shown, for the readout.
    ChartCellsUpdate cells = chartCellsUpdate(task_->record, areas, blocksSent_, parametersSent_);
    post([c = controller_, patches = std::move(patches), cells = std::move(cells)] {
      applyChartCellsUpdate(c->runSoFar_, cells);
      for (const CanvasPatch& patch : patches) {
        apply(*c, patch);
        c->view_.refreshClientArea(patch.area);
      }
    });
  }
  void message(std::string_view text, MessageKind kind) override {
    handOverDrawing();  // the box stands over what the run has drawn so far
    wait([c = controller_, text = std::string(text), kind] {
      c->session_.wave.messages.show(text, kind);
    });
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
  DirtyRects dirty_;
  size_t blocksSent_ = 0;
  bool parametersSent_ = false;
  std::chrono::steady_clock::time_point lastHandOver_ = std::chrono::steady_clock::now();
};

void Controller::analyze() {
  if (background_) return;  // one task at a time
  auto task = std::make_shared<BackgroundTask>();
  Session& run = task->session;
  run.settings = session_.settings;
  run.document = session_.document;
  // The display goes to the run as it is (its canvases move, nothing is copied); the window keeps a
  // copy of its client canvas to show, in the memory its copy of the last run used.
  DisplaySurfaces surfaces = std::move(session_.display.surfaces);
  run.display = session_.display;
  run.display.surfaces = std::move(surfaces);
  // (The chart's back buffer is the run's alone: the window reads it as empty meanwhile.)
  session_.display.surfaces.backBuffer = Canvas();
  Canvas& shown = session_.display.surfaces.window;
  shown = std::move(spareClientCanvas_);
  shown = run.display.surfaces.window;
  run.tables = std::move(session_.tables);
  run.memRunningMax = session_.memRunningMax;
  run.wholePlotCopies = session_.wholePlotCopies;
  run.wave.sampleMemoryLimit = session_.wave.sampleMemoryLimit;
  task->kind = BackgroundTask::Kind::kRun;
  runSoFar_ = RunRecord{};
  task->work = [this, task = task.get()] {
    WorkerRunListener listener(*this, *task);
    runAnalysis(task->session, listener);
  };
  startBackground(task);
}

void Controller::finishRun(BackgroundTask& task) {
  Session& run = task.session;
  // The scheme may have changed while the run drew: the window's word is the current one.
  const bool darkScheme = display().darkScheme;
  spareClientCanvas_ = std::move(clientCanvas());
  session_.display = std::move(run.display);
  display().darkScheme = darkScheme;
  session_.tables = std::move(run.tables);
  session_.memRunningMax = run.memRunningMax;
  session_.settings.display = run.settings.display;
  session_.document.lastRunView = run.document.lastRunView;
  session_.document.lastRunMethod = run.document.lastRunMethod;
  // A run that never began drawing leaves the last run's numbers as they were.
  if (task.record.drawn) lastRun_ = std::move(task.record);
  runSoFar_ = RunRecord{};
  for (const Rect& area : task.undelivered) view_.refreshClientArea(area);
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

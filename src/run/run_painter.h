// The one painter of a run: it applies the run's steps, in order, to a record and draws each from
// that record and the display state, into the display's two surfaces (the chart's back buffer and
// the main window's client canvas). The window's painter works on the window's thread with the
// steps the worker hands over; a render's and a test's paints each step as the run takes it. The
// same steps give the same record and the same pixels either way.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "core/layout.h"
#include "core/settings.h"
#include "display/display_state.h"
#include "run/run_record.h"
#include "run/run_steps.h"

namespace korimu {

// Rectangles of the client canvas drawn since they were last taken: touching ones merge (a
// chart's next columns join the ones before them), the progress counter stays one of its own.
class DrawnAreas {
 public:
  void add(Rect area);
  std::vector<Rect> take() { return std::exchange(areas_, {}); }
  bool empty() const { return areas_.empty(); }

 private:
  std::vector<Rect> areas_;
};

class RunPainter : public RunStepSink {
 public:
  RunPainter(DisplayState& display, RunRecord& record) : display_(display), record_(record) {}

  // Applies the step to the record and draws it. A progress counter waits for the run's next step
  // of another kind (the counters before it would only be drawn over): a run nobody watches does
  // not draw its analysers' every step. Every run ends with steps of other kinds.
  void add(RunStep step) override;
  void paint(const RunStep& step);
  // The client canvas's rectangles drawn since the last call, for the window to show again.
  std::vector<Rect> takeDrawnAreas() { return drawn_.take(); }

 private:
  struct Drawing;

  DisplayState& display_;
  RunRecord& record_;
  // The run's settings as it started: its look.
  AppSettings settings_;
  DrawnAreas drawn_;
  std::optional<RunStep> pendingCounter_;
};

}  // namespace korimu

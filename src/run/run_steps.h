// What a run hands on as it goes: each step a value, in the order the run took it. The record is
// a function of the steps (applyRunStep), and so is the picture (run/run_painter.h): the worker
// computes and never draws, and whoever shows the run applies the steps it is handed, on its own
// thread (the window's), or at once (a render, a test).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "analysis/spectrum_frame.h"
#include "core/settings.h"
#include "display/chart.h"
#include "run/run_record.h"

namespace korimu {

// The run's open read the file's format (the pictures follow its rate from now on).
struct FileFormatStep {
  bool formatRead = false;
  int srKHz = 0;
};
// The run begins: its settings as it draws them, its parameters, and whether a chart keeps its
// cells' powers and blocks. The graph frame is drawn.
struct RunStartStep {
  AppSettings settings;
  RunParameters run;
  bool keepsChartNumbers = true;
};
// The chart is cleared before its first block.
struct ChartClearStep {};
// A chart block read at block.bytePosition begins; what follows is drawn into its columns.
struct ChartBlockStep {
  ChartBlock block;
};
// Cells of the last block are ready: span i is drawn at depths[i] and says powers[i]. A block's
// spectrum also names the power it draws at 0 dB.
struct ChartCellsStep {
  std::optional<double> zeroDbPower;
  std::vector<ChartSpan> spans;
  std::vector<uint8_t> depths;
  std::vector<double> powers;
};
struct PeakStep {
  double frequency = 0.0;
  double power = 0.0;
};
// The spectrum of a frame view (points: MEM or DTFT points rather than FFT or DCT bins) and the
// meter's bands.
struct SpectrumStep {
  SpectrumFrame frame;
  bool points = false;
  std::vector<MeterBandResult> bands;
};
struct WaveZoomStep {
  std::vector<uint8_t> rows;
  std::vector<double> values;
  bool extremesShown = false;
  int32_t maximum = 0;
  int32_t minimum = 0;
};
struct TableShortfallStep {
  int bytes = 0;
};
struct PowerWarningStep {
  std::string text;
};
struct ProgressTextStep {
  std::string name;
  long total = 0;
};
struct ProgressCounterStep {
  long done = 0;
};
struct ProgressClearStep {};
// The run saw the stop asked for (中断要求受付).
struct StopAcceptedStep {};
// The data ended before the chart did: from this column on the chart shows no sound.
struct ChartEmptyStep {
  int fromColumn = kChartColumns;
};
// The chart's last block is done: `columns` columns were drawn; the labels follow.
struct ChartEndStep {
  int columns = 0;
};
struct RunEndStep {
  bool complete = false;
};

using RunStep =
    std::variant<FileFormatStep, RunStartStep, ChartClearStep, ChartBlockStep, ChartCellsStep,
                 PeakStep, SpectrumStep, WaveZoomStep, TableShortfallStep, PowerWarningStep,
                 ProgressTextStep, ProgressCounterStep, ProgressClearStep, StopAcceptedStep,
                 ChartEmptyStep, ChartEndStep, RunEndStep>;

// Where a run's steps go, one at a time, in order.
class RunStepSink {
 public:
  virtual ~RunStepSink() = default;
  virtual void add(RunStep step) = 0;
};

// Steps kept until they are handed over. A progress counter right after another replaces it:
// the counter is drawn in one place, so only the last of a row of them shows.
class PendingRunSteps : public RunStepSink {
 public:
  void add(RunStep step) override;
  std::vector<RunStep> take() { return std::exchange(steps_, {}); }
  bool empty() const { return steps_.empty(); }

 private:
  std::vector<RunStep> steps_;
};

// What the step changes of the run's numbers.
void applyRunStep(RunRecord& record, const RunStep& step);

}  // namespace korimu

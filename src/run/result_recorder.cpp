#include "run/result_recorder.h"

#include <algorithm>

#include "analysis/level_map.h"
#include "display/chart.h"
#include "display/level_meter.h"
#include "platform/message.h"

namespace korimu {

namespace {

// Where each diagnostic line goes in the overview.
void diagnosticPlace(DiagnosticLine line, int& x, int& y) {
  switch (line) {
    case DiagnosticLine::kAutoScale:
    case DiagnosticLine::kModelOrders:
      x = 0, y = 0;
      return;
    case DiagnosticLine::kModelStep:
      x = 0, y = 20;
      return;
    case DiagnosticLine::kModelChoice:
      x = 0, y = 40;
      return;
    case DiagnosticLine::kBlockMaximum:
      x = 250, y = 0;
      return;
    case DiagnosticLine::kBlockMinimum:
      x = 250, y = 40;
      return;
  }
}

// The bands as the meter draws them, each with the power its depth stands for: the loudest bin's
// power for a bar, the mean of the bins' for a line point.
std::vector<MeterBandResult> meterBands(const SpectrumFrame& s, bool points, bool line,
                                        const AppSettings& settings) {
  const std::vector<MeterBand> drawn =
      points
          ? equalCountMeterBands(s.data(), s.bins(), line)
          : octaveMeterBands(s.data(), s.bins(), line, settings.blockOrder, settings.pinkNoiseFlat);
  std::vector<MeterBandResult> bands;
  for (const MeterBand& b : drawn) {
    MeterBandResult band{b.begin, b.end, b.depth, 0.0};
    const int end = std::min(b.end, int(s.powers.size()));
    if (line) {
      for (int i = b.begin; i < end; ++i) band.power += s.powers[size_t(i)] / (b.end - b.begin);
    } else {
      // By power, not by depth: depths clipped at the plot's edges tie, and the first of them
      // need not be the loudest.
      for (int i = b.begin; i < end; ++i) band.power = std::max(band.power, s.powers[size_t(i)]);
    }
    bands.push_back(band);
  }
  return bands;
}

}  // namespace

void ResultRecorder::notes(const AnalysisNotes& notes) {
  for (const AnalysisMessage& m : notes.messages)
    listener_.message(m.text, m.fatal ? MessageKind::kFatal : MessageKind::kPlainOk);
  if (notes.tableShortfallBytes != 0) steps_.add(TableShortfallStep{notes.tableShortfallBytes});
  for (const Diagnostic& d : notes.diagnostics) {
    int x = 0, y = 0;
    diagnosticPlace(d.line, x, y);
    listener_.overviewText(x, y, d.text);
  }
}

void ResultRecorder::chartBlock(uint64_t bytePosition, int column, int columnsPerBlock) {
  ChartBlock block;
  block.bytePosition = bytePosition;
  block.column = column;
  block.width = columnsPerBlock;
  steps_.add(ChartBlockStep{block});
}

ChartCellsStep chartCells(std::vector<ChartSpan> spans, const uint8_t* depths, const double* powers,
                          size_t count, std::optional<double> zeroDbPower) {
  ChartCellsStep cells;
  cells.zeroDbPower = zeroDbPower;
  cells.depths.reserve(spans.size());
  cells.powers.reserve(spans.size());
  for (const ChartSpan& span : spans) {
    const auto element = size_t(span.element);
    // The cell is drawn at its loudest point's depth and says the loudest power of its group:
    // depths clipped at the plot's edges tie, and the first of them need not be the loudest.
    double power = powers != nullptr && element < count ? powers[element] : 0.0;
    if (powers != nullptr) {
      const auto end = std::min(size_t(std::max(span.groupEnd, 0)), count);
      for (auto k = size_t(std::max(span.groupBegin, 0)); k < end; ++k)
        power = std::max(power, powers[k]);
    }
    cells.depths.push_back(depths[element]);
    cells.powers.push_back(power);
  }
  cells.spans = std::move(spans);
  return cells;
}

ChartCellsStep waveletRowCells(int row, const uint8_t* depths, const double* powers, int n,
                               int column, int columnsPerBlock) {
  return chartCells(waveletRowSpans(depths, n, column, columnsPerBlock, row), depths, powers,
                    size_t(n));
}

void ResultRecorder::cells(ChartCellsStep cells) {
  steps_.add(std::move(cells));
}

void ResultRecorder::spectrum(const SpectrumFrame& frame, bool points, int32_t view) {
  SpectrumStep step;
  step.frame = frame;
  step.points = points;
  if (view == kLevelMeter)
    step.bands = meterBands(frame, points, settings_.graphStyle == kLineGraph, settings_);
  steps_.add(std::move(step));
}

void ResultRecorder::frame(const FrameResult& r, int32_t view, int column, int columnsPerBlock) {
  if (r.waveZoom) {
    steps_.add(WaveZoomStep{r.rows, r.values, r.extremesShown, r.maximum, r.minimum});
    return;
  }
  peakReadout(r.peakFrequency, r.peakPower);
  if (view == kTimeFrequencyChart) {
    cells(chartCells(linearChartSpans(r.frame.bins(), column, columnsPerBlock), r.frame.data(),
                     r.frame.powers.data(), r.frame.powers.size(), r.frame.zeroDbPower));
    return;
  }
  spectrum(r.frame, false, view);
}

void ResultRecorder::points(const SpectrumFrame& frame, int32_t view, int column,
                            int columnsPerBlock) {
  if (view == kTimeFrequencyChart) {
    cells(chartCells(logChartSpans(frame.data(), frame.bins(), column, columnsPerBlock),
                     frame.data(), frame.powers.data(), frame.powers.size(), frame.zeroDbPower));
    return;
  }
  spectrum(frame, true, view);
}

void ResultRecorder::peakReadout(double frequency, double power) {
  steps_.add(PeakStep{frequency, power});
}

void ResultRecorder::powerWarning(const std::string& text) {
  steps_.add(PowerWarningStep{text});
}

void PlotProgress::begin(std::string_view name, long total) {
  steps_.add(ProgressTextStep{std::string(name), total});
  listener_.begin(name, total);
}

void PlotProgress::step(long done, long total) {
  steps_.add(ProgressCounterStep{done});
  listener_.step(done, total);
}

void PlotProgress::end() {
  steps_.add(ProgressClearStep{});
  listener_.end();
}

bool PlotProgress::cancelled() {
  const bool stop = listener_.cancelled();
  stopped_ = stopped_ || stop;
  return stop;
}

}  // namespace korimu

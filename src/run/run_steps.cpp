#include "run/run_steps.h"

#include <algorithm>

#include "run/chart_column.h"

namespace korimu {

void PendingRunSteps::add(RunStep step) {
  if (!steps_.empty() && std::holds_alternative<ProgressCounterStep>(step) &&
      std::holds_alternative<ProgressCounterStep>(steps_.back())) {
    steps_.back() = step;
    return;
  }
  steps_.push_back(std::move(step));
}

namespace {

struct RecordStep {
  RunRecord& record;

  void operator()(const RunStartStep& s) const {
    record = RunRecord{};
    record.drawn = true;
    record.run = s.run;
    if (s.run.analysis.view != kTimeFrequencyChart) return;
    record.chartCells.allocate(s.keepsChartNumbers);
    const AnalysisParams& p = s.run.analysis;
    record.chartRowFrequencies = chartRowFrequencies(s.run.rate(), p.method, p.blockOrder);
  }
  void operator()(const ChartBlockStep& s) const { record.chartBlocks.push_back(s.block); }
  void operator()(const ChartCellsStep& s) const {
    if (s.zeroDbPower && !record.chartBlocks.empty())
      record.chartBlocks.back().zeroDbPower = *s.zeroDbPower;
    ChartCells& cells = record.chartCells;
    if (!cells.allocated()) return;
    const int block = int(record.chartBlocks.size()) - 1;
    for (size_t i = 0; i < s.spans.size(); ++i) {
      const ChartSpan& span = s.spans[i];
      const int to = std::min(span.to, kChartColumns);
      for (int x = std::max(span.from, 0); x < to; ++x)
        cells.set(span.row, x, s.depths[i], s.powers[i], block);
    }
  }
  void operator()(const PeakStep& s) const {
    record.peakShown = true;
    record.peakFrequency = s.frequency;
    record.peakPower = s.power;
    if (record.chartBlocks.empty()) return;
    ChartBlock& block = record.chartBlocks.back();
    block.peakShown = true;
    block.peakFrequency = s.frequency;
    block.peakPower = s.power;
  }
  void operator()(const SpectrumStep& s) const {
    record.spectrum = s.frame;
    record.spectrumPoints = s.points;
    record.bands = s.bands;
  }
  void operator()(const WaveZoomStep& s) const {
    record.waveRows = s.rows;
    record.waveValues = s.values;
  }
  void operator()(const ChartEmptyStep& s) const { record.chartEmptyFrom = s.fromColumn; }
  void operator()(const ChartEndStep& s) const { record.chartColumns = s.columns; }
  void operator()(const RunEndStep& s) const { record.complete = s.complete; }
  // The rest only draws.
  template <typename Step>
  void operator()(const Step& /*step*/) const {}
};

}  // namespace

void applyRunStep(RunRecord& record, const RunStep& step) {
  std::visit(RecordStep{record}, step);
}

}  // namespace korimu

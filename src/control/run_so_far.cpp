#include "control/run_so_far.h"

#include <algorithm>

#include "run/chart_column.h"

namespace korimu {

ChartCellsUpdate chartCellsUpdate(const RunRecord& record, const std::vector<Rect>& drawn,
                                  size_t& blocksSent, bool& parametersSent) {
  ChartCellsUpdate update;
  if (!chartRecord(record) || !record.chartCells.numbersKept()) return update;
  if (!parametersSent) {
    parametersSent = true;
    update.parameters = record.run;
    const AnalysisParams& p = record.run.analysis;
    update.rowFrequencies = chartRowFrequencies(record.run.rate(), p.method, p.blockOrder);
  }
  update.firstBlock = blocksSent == 0 ? 0 : blocksSent - 1;
  update.blocks.assign(record.chartBlocks.begin() + std::ptrdiff_t(update.firstBlock),
                       record.chartBlocks.end());
  blocksSent = record.chartBlocks.size();

  // The plot columns the rectangles cover.
  int from = kChartColumns, to = 0;
  for (const Rect& r : drawn) {
    if (r.y >= kLayout.plotTop + kPlotHeight || r.y + r.h <= kLayout.plotTop) continue;
    from = std::min(from, std::max(r.x - kLayout.unitW, 0));
    to = std::max(to, std::min(r.x + r.w - kLayout.unitW, kChartColumns));
  }
  if (from >= to) return update;
  update.fromColumn = from;
  update.toColumn = to;
  const ChartCells& cells = record.chartCells;
  const auto width = size_t(to - from);
  for (int row = 0; row < kChartRows; ++row) {
    const auto at = std::ptrdiff_t(ChartCells::at(row, from));
    const auto end = at + std::ptrdiff_t(width);
    update.depths.insert(update.depths.end(), cells.depths.begin() + at,
                         cells.depths.begin() + end);
    update.powers.insert(update.powers.end(), cells.powers.begin() + at,
                         cells.powers.begin() + end);
    update.cellBlocks.insert(update.cellBlocks.end(), cells.blocks.begin() + at,
                             cells.blocks.begin() + end);
  }
  return update;
}

void applyChartCellsUpdate(RunRecord& soFar, const ChartCellsUpdate& update) {
  if (update.parameters) {
    soFar = RunRecord{};
    soFar.drawn = true;
    soFar.run = *update.parameters;
    soFar.chartRowFrequencies = update.rowFrequencies;
    soFar.chartCells.allocate(true);
  }
  if (!chartRecord(soFar)) return;
  soFar.chartBlocks.resize(std::min(soFar.chartBlocks.size(), update.firstBlock));
  soFar.chartBlocks.insert(soFar.chartBlocks.end(), update.blocks.begin(), update.blocks.end());
  const int width = update.toColumn - update.fromColumn;
  if (width <= 0) return;
  ChartCells& cells = soFar.chartCells;
  for (int row = 0; row < kChartRows; ++row) {
    const auto from = size_t(row) * size_t(width);
    const size_t at = ChartCells::at(row, update.fromColumn);
    std::copy_n(update.depths.begin() + std::ptrdiff_t(from), width,
                cells.depths.begin() + std::ptrdiff_t(at));
    std::copy_n(update.powers.begin() + std::ptrdiff_t(from), width,
                cells.powers.begin() + std::ptrdiff_t(at));
    std::copy_n(update.cellBlocks.begin() + std::ptrdiff_t(from), width,
                cells.blocks.begin() + std::ptrdiff_t(at));
  }
}

}  // namespace korimu

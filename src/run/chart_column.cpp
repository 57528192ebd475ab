#include "run/chart_column.h"

#include <algorithm>

namespace korimu {

double chartCellDecibels(const RunRecord& record, int row, int column) {
  const ChartCells& cells = record.chartCells;
  if (!cells.allocated()) return decibelsOf(0.0, 1.0);
  const size_t i = ChartCells::at(row, column);
  const int block = cells.block(i);
  const double zeroDb = block >= 0 && size_t(block) < record.chartBlocks.size()
                            ? record.chartBlocks[size_t(block)].zeroDbPower
                            : 1.0;
  return decibelsOf(cells.power(i), zeroDb);
}

ChartColumn chartColumnOf(const RunRecord& record, int column) {
  ChartColumn out;
  out.column = std::clamp(column, 0, kChartColumns - 1);
  const ChartCells& cells = record.chartCells;
  for (int element = 0; element < kChartRows; ++element) {
    const int row = kChartRows - 1 - element;
    const size_t i = ChartCells::at(row, out.column);
    const auto e = size_t(element);
    out.frequencies[e] = record.chartRowFrequencies[size_t(row)];
    // A record of another view has no cells: each reads as a cell no block drew.
    const bool cell = cells.allocated();
    out.depths[e] = cell ? cells.depths[i] : 255;
    out.powers[e] = cell ? cells.power(i) : 0.0;
    out.cellDrawn[e] = cell && cells.block(i) >= 0;
    out.decibels[e] = chartCellDecibels(record, row, out.column);
    out.drawn = out.drawn || out.cellDrawn[e];
    if (out.depths[e] < out.depths[size_t(out.loudest)]) out.loudest = element;
  }
  return out;
}

bool chartRecord(const RunRecord& record) {
  return record.drawn && record.run.analysis.view == kTimeFrequencyChart;
}

}  // namespace korimu

#include "run/chart_column.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/dtft.h"
#include "analysis/frame_analysis.h"
#include "analysis/mem.h"
#include "display/chart.h"
#include "display/cross_section.h"

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

namespace {

// The frequencies of the points a block of the method hands to the chart, lowest first.
std::vector<double> chartPointFrequencies(SampleRate rate, int method, int blockOrder) {
  std::vector<double> points;
  const int srKHz = rate.kHz();
  if (method == kDtft) {
    const DtftGrid grid = dtftGrid(srKHz, blockOrder);
    for (int k = 0; k < grid.points; ++k) points.push_back(dtftPointFrequency(grid, k));
  } else if (method == kMem) {
    const MemPoints grid = memPoints(srKHz, blockOrder, false);
    for (int k = 0; k < grid.count; ++k) points.push_back(grid.frequency(k));
  } else {
    const int bins = (1 << blockOrder) / 2;
    for (int k = 0; k < bins; ++k) points.push_back(spectrumBinFrequency(srKHz, blockOrder, k));
  }
  return points;
}

}  // namespace

std::array<double, kChartRows> chartRowFrequencies(SampleRate rate, int method, int blockOrder) {
  std::array<double, kChartRows> rows{};
  if (method == kWt) {
    // The wavelet computes one row per 1/24 octave down from its top frequency.
    const ChartRowScale scale = chartRowScale(rate, kChartRows, kWt);
    for (int row = 0; row < kChartRows; ++row)
      rows[size_t(row)] = scale.fBottom * std::pow(scale.ratio, kChartRows - 1 - row);
    return rows;
  }
  const std::vector<double> points = chartPointFrequencies(rate, method, blockOrder);
  const int count = int(points.size());
  if (count == 0) return rows;
  // The rows the painters put the points in: a group's first point names its row.
  const std::vector<uint8_t> level(points.size(), 0);
  const std::vector<ChartSpan> spans = method == kMem || method == kDtft
                                           ? logChartSpans(level.data(), count, 0, 1)
                                           : linearChartSpans(count, 0, 1);
  for (const ChartSpan& span : spans)
    rows[size_t(span.row)] = points[size_t(std::clamp(span.groupBegin, 0, count - 1))];
  return rows;
}

int chartColumnGraphDepths(const RunRecord& record, const DisplayState& display, int depthBits,
                           int column, uint8_t* depths) {
  const ChartColumn shown = chartColumnOf(record, column);
  // Past the data's end the chart shows no sound; elsewhere a cell no block drew is the clear.
  const std::array<Rgb, kChartRows>& undrawn =
      shown.column >= record.chartEmptyFrom ? record.chartEmptyColours : record.chartClearColours;
  int loudest = 0;
  for (int element = 0; element < kChartRows; ++element) {
    const auto e = size_t(element);
    const Rgb colour = shown.cellDrawn[e]
                           ? chartShade(shown.depths[e], depthBits, display.chartColours16)
                           : undrawn[size_t(kChartRows - 1 - element)];
    depths[e] = uint8_t(depthOfChartColour(display, quantiseColour(colour, depthBits), depthBits));
    if (depths[e] < depths[size_t(loudest)]) loudest = element;
  }
  return loudest;
}

bool chartRecord(const RunRecord& record) {
  return record.drawn && record.run.analysis.view == kTimeFrequencyChart;
}

}  // namespace korimu

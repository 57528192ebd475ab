// One column of a run's chart as the cross-section shows and saves it: the rows bottom first,
// each with its frequency, depth, power and level in dB, and the loudest row.
#pragma once

#include <array>
#include <cstdint>

#include "display/display_state.h"
#include "run/run_record.h"

namespace korimu {

struct ChartColumn {
  int column = 0;
  bool drawn = false;  // some block of the run drew into this column
  // Element 0 is the chart's bottom row.
  std::array<double, kChartRows> frequencies{};
  std::array<uint8_t, kChartRows> depths{};
  std::array<double, kChartRows> powers{};
  std::array<double, kChartRows> decibels{};
  std::array<bool, kChartRows> cellDrawn{};
  // The loudest row: the smallest depth, the lowest of equals.
  int loudest = 0;
};

// Column `column` (clamped to the chart) of the run's chart.
ChartColumn chartColumnOf(const RunRecord& record, int column);

// The level in dB of a chart cell, against the power its block draws at 0 dB.
double chartCellDecibels(const RunRecord& record, int row, int column);

// The frequency each chart row (row 0 the top) stands for: the frequency at which the method
// computed the point the row shows (the first of a group of points sharing a row; a bin shown on
// two rows names it twice).
std::array<double, kChartRows> chartRowFrequencies(SampleRate rate, int method, int blockOrder);

// The 256 depths (element 0 the bottom row) the cross-section's graph shows for chart column
// `column` on a display of `depthBits` bits: each drawn cell's shade and each cell no block drew
// the cleared chart's colour, read as the graph reads a colour. Returns the element with the
// smallest depth (the lowest of equals).
int chartColumnGraphDepths(const RunRecord& record, const DisplayState& display, int depthBits,
                           int column, uint8_t* depths);

// Whether the record is of a run that drew the chart.
bool chartRecord(const RunRecord& record);

}  // namespace korimu

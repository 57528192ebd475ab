// What a chart run has computed so far, for the window's thread: the worker writes the run's own
// record without locks, so with each hand-over of pixels it also hands over the cells of the
// columns those pixels show. The window keeps them in a record of its own, which its readout
// reads while the run goes on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/layout.h"
#include "run/run_record.h"

namespace korimu {

struct ChartCellsUpdate {
  // The run's parameters and its rows' frequencies, in the first update only.
  std::optional<RunParameters> parameters;
  std::array<double, kChartRows> rowFrequencies{};
  // The blocks from firstBlock on (the last one handed over may have gained its peak since).
  size_t firstBlock = 0;
  std::vector<ChartBlock> blocks;
  // The cells of the columns [fromColumn, toColumn), row by row.
  int fromColumn = 0;
  int toColumn = 0;
  std::vector<uint8_t> depths;
  std::vector<double> powers;
  std::vector<int16_t> cellBlocks;
  bool empty() const { return !parameters && blocks.empty() && fromColumn >= toColumn; }
};

// On the worker: what the window has not seen of `record`, for the client rectangles `drawn`
// (window coordinates) about to be handed over. `blocksSent` and `parametersSent` say what earlier
// updates carried, and are moved on. Nothing for a record of another view.
ChartCellsUpdate chartCellsUpdate(const RunRecord& record, const std::vector<Rect>& drawn,
                                  size_t& blocksSent, bool& parametersSent);

// On the window's thread: the update joins the window's copy of the running chart's record.
void applyChartCellsUpdate(RunRecord& soFar, const ChartCellsUpdate& update);

}  // namespace korimu

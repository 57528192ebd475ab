// The rows of the waveform-zoom view: one row value per sample (0 top, 255 bottom of the plot
// column), or one per lag when the autocorrelation is shown.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/analysis_notes.h"
#include "analysis/progress.h"
#include "analysis/sample_block.h"
#include "analysis/scratch_memory.h"

namespace korimu {

struct WaveZoomRows {
  std::vector<uint8_t> rows;
  int32_t maximum = 0;  // the block's largest and smallest sample (8-bit: byte - 128)
  int32_t minimum = 0;
  int32_t autoScale = 0;  // M of the automatic gain (0 unless displayGain is 0)
};

// Row values of the samples under `displayGain` (0 automatic, 1, 2, 4 times).
WaveZoomRows waveZoomRows(const SampleBlock& block, int displayGain);

// Row values of the block's lag-compensated autocorrelation (half the samples' worth of lags).
// Empty when memory ran out (the notes then hold the fatal message).
// `values`, when given, receives the lag-compensated value each row stands for (1 at lag 0).
std::vector<uint8_t> autocorrelationRows(const SampleBlock& block, ScratchAllocator& scratch,
                                         Progress& progress, AnalysisNotes& notes,
                                         std::vector<double>* values = nullptr);

}  // namespace korimu

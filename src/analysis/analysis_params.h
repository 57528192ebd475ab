// The choices an analysis run reads, taken from the settings record once when the run starts and
// passed down unchanged: the analysers read nothing else.
#pragma once

#include <cstdint>

#include "analysis/window_table.h"
#include "core/settings.h"

namespace korimu {

struct AnalysisParams {
  AnalysisMethod method = kFft;
  ViewMode view = kWaveZoom;
  int blockOrder = 10;  // the transform has 2^blockOrder points
  SpectrumScale scale = SpectrumScale::kLog;
  WindowFunction window = WindowFunction::kHanning;
  bool autocorrelation = false;  // analyse the block's autocorrelation instead of its samples
  bool pinkNoiseFlat = false;    // +3 dB per octave, so that pink noise draws flat
  bool onMem = false;            // the DCT keeps its tables in memory
  int displayGain = 1;           // 0 automatic, 1..3 the gain steps
};

AnalysisParams analysisParamsFrom(const AppSettings& settings);

}  // namespace korimu

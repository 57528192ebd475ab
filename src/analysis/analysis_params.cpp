#include "analysis/analysis_params.h"

namespace korimu {

AnalysisParams analysisParamsFrom(const AppSettings& s) {
  AnalysisParams p;
  p.method = s.method;
  p.view = s.display;
  p.blockOrder = s.blockOrder;
  p.scale = static_cast<SpectrumScale>(s.spectrumType);
  p.window = static_cast<WindowFunction>(s.mado);
  // The stored value 2 is the checked state of the autocorrelation box.
  p.autocorrelation = s.autocorrelation == 2;
  p.pinkNoiseFlat = s.pinkNoiseFlat != 0;
  p.onMem = s.onMem != 0;
  p.displayGain = s.displayGain;
  return p;
}

}  // namespace korimu

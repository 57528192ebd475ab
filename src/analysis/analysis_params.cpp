#include "analysis/analysis_params.h"

namespace korimu {

AnalysisParams analysisParamsFrom(const AppSettings& s) {
  AnalysisParams p;
  p.method = s.method;
  p.view = s.display;
  p.blockOrder = s.blockOrder;
  p.scale = s.spectrumType;
  p.window = s.windowFunction;
  p.autocorrelation = s.autocorrelation;
  p.pinkNoiseFlat = s.pinkNoiseFlat;
  p.onMem = s.onMem;
  p.displayGain = s.displayGain;
  return p;
}

}  // namespace korimu

// The wavelet rows as depths: each power mapped under the scale and gain.
#include <algorithm>
#include <cmath>

#include "analysis/depth_math.h"
#include "analysis/wavelet.h"

namespace korimu {

namespace {

uint8_t rowDepth(double p, const AnalysisParams& params) {
  const int g = std::clamp(params.displayGain, 0, 3);
  switch (params.scale) {
    case SpectrumScale::kAmplitude: {
      static constexpr double kGain[] = {1.0, 2.0, 4.0, 8.0};
      return toDepth(255.0 - 255.0 * clampTo(std::sqrt(p) * kGain[g], 0.0, 1.0));
    }
    case SpectrumScale::kPower: {
      static constexpr double kGain[] = {1.0, 3.0, 8.0, 24.0};
      return toDepth(255.0 - 255.0 * clampTo(p * kGain[g], 0.0, 1.0));
    }
    default: {
      const double level = p > 1e-35 ? std::log(p) / 25.0 : std::log(1e-35) / 25.0;
      switch (g) {
        case 0:
          return toDepth(-clampTo(level, -255.0 / 151.0, 0.0) * 151.0);
        case 1:
          return toDepth(-clampTo(level, -255.0 / 227.0, 0.0) * 227.0);
        case 2:
          return toDepth(-(clampTo(level, -1.0, -0.25) + 0.25) * 340.0);
        default:
          return toDepth(-(clampTo(level, -1.0, -0.5) + 0.5) * 510.0);
      }
    }
  }
}

}  // namespace

void waveletDepths(uint8_t* depths, const float* re, const float* im, int n, int row, double fRow,
                   double fTop, double divisor, WaveletExtremes& extremes,
                   const AnalysisParams& params, double* powers) {
  for (int i = 0; i < n; ++i) {
    const double a = re[i];
    const double b = im[i];
    double p = (a * a + b * b) / divisor;
    if (params.pinkNoiseFlat) p = p * fRow / fTop;
    if (powers != nullptr) powers[i] = p;
    if (p > extremes.maximum) {
      extremes.maximum = p;
      extremes.maximumRow = row;
      extremes.maximumFrequency = fRow;
    }
    if (row > 3 && p < extremes.minimum) extremes.minimum = p;
    depths[i] = rowDepth(p, params);
  }
}

}  // namespace korimu

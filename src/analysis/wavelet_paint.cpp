// The wavelet rows as chart pixels: powers to depths, and samples grouped into chart columns.
#include <algorithm>
#include <cmath>

#include "analysis/analysis_sink.h"
#include "analysis/depth_math.h"
#include "analysis/method_sink.h"
#include "analysis/wavelet.h"
#include "core/layout.h"
#include "core/settings.h"

namespace korimu {

namespace {

int gainIndex() {
  return std::clamp(settings.displayGain, 0, 3);
}

uint8_t rowDepth(double p) {
  const int g = gainIndex();
  switch (settings.spectrumType) {
    case 0: {
      static constexpr double kGain[] = {1.0, 2.0, 4.0, 8.0};
      return toDepth(255.0 - 255.0 * clampTo(std::sqrt(p) * kGain[g], 0.0, 1.0));
    }
    case 1: {
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
                   double fTop, double divisor, WaveletExtremes& extremes) {
  for (int i = 0; i < n; ++i) {
    const double a = re[i];
    const double b = im[i];
    double p = (a * a + b * b) / divisor;
    if (settings.pinkNoiseFlat) p = p * fRow / fTop;
    if (p > extremes.maximum) {
      extremes.maximum = p;
      extremes.maximumRow = row;
      extremes.maximumFrequency = fRow;
    }
    if (row > 3 && p < extremes.minimum) extremes.minimum = p;
    depths[i] = rowDepth(p);
  }
}

void drawChartRow(const uint8_t* depths, int n, int x0, int columns, int row) {
  const int width = std::clamp(columns, 1, 512);
  int group = n / width;
  int pixels = 1;
  if (group == 0) {
    group = 1;
    pixels = width / n;
  }
  const int y = layout.plotTop + row;
  for (int s = 0; s < n; s += group) {
    uint8_t loudest = 255;
    const int end = std::min(s + group, n);
    for (int i = s; i < end; ++i) loudest = std::min(loudest, depths[i]);
    const int x = layout.unitW + x0 + static_cast<int>(int64_t{s} * pixels / group);
    for (int q = 0; q < pixels; ++q) notifySink(methodSink.chartPixel, x + q, y, loudest);
  }
}

}  // namespace korimu

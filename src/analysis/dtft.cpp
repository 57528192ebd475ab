#include "analysis/dtft.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/analysis_sink.h"
#include "analysis/method_sink.h"
#include "analysis/scratch_memory.h"
#include "analysis/trig_sums.h"
#include "core/app_state.h"
#include "core/settings.h"
#include "platform/event_pump.h"
#include "platform/message.h"

namespace korimu {

namespace {

// Pi as this analyser takes it, so that the top point maps to an angle just below pi.
constexpr double kDtftPi = 3.141592;

}  // namespace

double dtftTopFrequency(int srKHz) {
  switch (srKHz) {
    case 44:
      return 22050.0;
    case 22:
      return 11025.0;
    case 11:
      return 5512.5;
    case 88:
      return 44100.0;
    default:
      return srKHz * 500.0;
  }
}

DtftGrid dtftGrid(int srKHz, int order) {
  DtftGrid grid;
  const int n = 1 << order;
  grid.points = std::min(n / 2, 512);
  grid.fmax = dtftTopFrequency(srKHz);
  grid.f0 = grid.fmax / (n / 2);
  grid.ratio = grid.points > 1 ? std::exp(std::log(grid.fmax / grid.f0) / (grid.points - 1)) : 1.0;
  return grid;
}

double dtftPointFrequency(const DtftGrid& grid, int k) {
  return grid.f0 * std::pow(grid.ratio, k);
}

int dtftLog(double* re, double* im, int order, int srKHz) {
  const int n = 1 << order;
  const DtftGrid grid = dtftGrid(srKHz, order);
  std::vector<double> x;
  if (!allocateScratch(x, n)) return 1;
  std::copy(re, re + n, x.begin());

  const int points = grid.points;
  showProgress(formatText("DTFT     %5d/%5d ", 0, points), 0, points);
  int result = 0;
  double f = grid.f0;
  for (int k = 0; k < points; ++k) {
    pumpOneEvent();
    if (appState.stopRequested) {
      result = 1;
      break;
    }
    showProgressCounter(k + 1, points);
    const double omega = kDtftPi / grid.fmax * f;
    // cos(-j w) = cos(j w) and sin(-j w) = -sin(j w).
    const TrigSums sums = trigSums(x.data(), n, omega, 0);
    re[k] = sums.cosSum / n;
    im[k] = -sums.sinSum / n;
    f = f * grid.ratio;
  }
  clearProgress();
  return result;
}

PointPeak dtftPeak(const double* re, const double* im, int points) {
  PointPeak peak;
  for (int k = 0; k < points; ++k) {
    double p = re[k] * re[k] + im[k] * im[k];
    if (settings.pinkNoiseFlat) p = k * p / (2 * points) * 2.0;
    if (p > peak.power) {
      peak.power = p;
      peak.index = k;
    }
  }
  return peak;
}

}  // namespace korimu

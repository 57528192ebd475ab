#include "analysis/dtft.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/frame_analysis.h"
#include "analysis/level_map.h"
#include "analysis/scratch_memory.h"
#include "analysis/trig_sums.h"
#include "core/translatable.h"

namespace korimu {

namespace {

// Pi as this analyser takes it, so that the top point maps to an angle just below pi.
constexpr double kDtftPi = 3.141592;

}  // namespace

DtftGrid dtftGrid(int srKHz, int order) {
  DtftGrid grid;
  const int n = 1 << order;
  grid.points = std::min(n / 2, 512);
  grid.fmax = SampleRate(srKHz).nyquistHz();
  grid.f0 = grid.fmax / (n / 2);  // NOLINT(bugprone-integer-division): n is a power of two
  grid.ratio = grid.points > 1 ? std::exp(std::log(grid.fmax / grid.f0) / (grid.points - 1)) : 1.0;
  return grid;
}

double dtftPointFrequency(const DtftGrid& grid, int k) {
  return grid.f0 * std::pow(grid.ratio, k);
}

int dtftLog(double* re, double* im, int order, int srKHz, ScratchAllocator& scratch,
            Progress& progress) {
  const int n = 1 << order;
  const DtftGrid grid = dtftGrid(srKHz, order);
  std::vector<double> x;
  if (!scratch.allocate(x, n)) return 1;
  std::copy(re, re + n, x.begin());

  const int points = grid.points;
  progress.begin("DTFT", points);
  int result = 0;
  double f = grid.f0;
  for (int k = 0; k < points; ++k) {
    if (progress.cancelled()) {
      result = 1;
      break;
    }
    progress.step(k + 1, points);
    const double omega = kDtftPi / grid.fmax * f;
    // cos(-j w) = cos(j w) and sin(-j w) = -sin(j w).
    const TrigSums sums = trigSums(x.data(), n, omega, 0);
    re[k] = sums.cosSum / n;
    im[k] = -sums.sinSum / n;
    f = f * grid.ratio;
  }
  progress.end();
  return result;
}

PointPeak dtftPeak(const double* re, const double* im, int points, bool pinkNoiseFlat) {
  PointPeak peak;
  for (int k = 0; k < points; ++k) {
    double p = re[k] * re[k] + im[k] * im[k];
    if (pinkNoiseFlat) p = k * p / (2 * points) * 2.0;
    if (p > peak.power) {
      peak.power = p;
      peak.index = k;
    }
  }
  return peak;
}

DtftResult dtftAnalyze(const SampleBlock& block, const AnalysisParams& params,
                       TransformTables& tables, Progress& progress) {
  DtftResult out;
  if (block.length == 0) return out;
  const int order = params.blockOrder;
  const int n = 1 << order;
  std::vector<double> re, im;
  std::vector<uint8_t> depths;
  if (!tables.scratch.allocate(re, size_t(n)) || !tables.scratch.allocate(im, size_t(n)) ||
      !tables.scratch.allocate(depths, std::max(size_t(block.length), size_t(n)))) {
    out.fail(QT_TRANSLATE_NOOP("Message", "解析用メモリの不足"));
    return out;
  }

  // The signal as the frame analysis prepares it: samples (or lags), offset, window.
  if (!prepareSignal(re.data(), im.data(), n, block, params.autocorrelation, params, tables,
                     progress, out)) {
    return out;
  }
  if (dtftLog(re.data(), im.data(), order, block.srKHz, tables.scratch, progress) == 1) {
    out.cancelled = true;
    return out;
  }

  const DtftGrid grid = dtftGrid(block.srKHz, order);
  const PointPeak peak = dtftPeak(re.data(), im.data(), grid.points, params.pinkNoiseFlat);
  out.peakFrequency = dtftPointFrequency(grid, peak.index);
  out.peakPower = peak.power;
  out.frame.zeroDbPower = block.sixteenBit() ? 7.0e7 : 1000.0;
  levelMap(depths.data(), re.data(), im.data(), 2 * grid.points, out.frame.zeroDbPower, params);
  out.frame.depths.assign(depths.begin(), depths.begin() + grid.points);
  for (int k = 0; k < grid.points; ++k) {
    double p = re[size_t(k)] * re[size_t(k)] + im[size_t(k)] * im[size_t(k)];
    if (params.pinkNoiseFlat) p = k * p / (2 * grid.points) * 2.0;
    out.frame.powers.push_back(p);
    out.frame.frequencies.push_back(dtftPointFrequency(grid, k));
  }
  out.analysed = true;
  return out;
}

}  // namespace korimu

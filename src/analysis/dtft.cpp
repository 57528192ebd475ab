#include "analysis/dtft.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/analysis_sink.h"
#include "analysis/autocorrelation.h"
#include "analysis/frame_analysis.h"
#include "analysis/level_map.h"
#include "analysis/method_sink.h"
#include "analysis/scratch_memory.h"
#include "analysis/spectrum_frame.h"
#include "analysis/trig_sums.h"
#include "analysis/window_table.h"
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

void dtftAnalyze(const SampleBlock& input, int column, int columnsPerBlock) {
  if (input.length == 0) return;
  const int order = settings.blockOrder;
  const int n = 1 << order;
  std::vector<double> re, im;
  std::vector<uint8_t> depths;
  if (!allocateScratch(re, size_t(n)) || !allocateScratch(im, size_t(n)) ||
      !allocateScratch(depths, std::max(size_t(input.length), size_t(n)))) {
    showMessage("解析用メモリの不足", MessageKind::kFatal);
    return;
  }

  // The signal as the frame analysis prepares it: samples (or lags), offset, window.
  SampleBlock block = input;
  if (settings.autocorrelation == 2) {
    compensatedAutocorr(re.data(), block, n);
    std::fill(im.begin(), im.end(), 0.0);
    block.length /= 2;  // the lags stand in for the samples: half as many
  } else {
    fillSamples(re.data(), im.data(), n, block);
  }
  const int real = std::min(block.sampleCount(), n);
  removeOffset(re.data(), real, block.sixteenBit());
  applyWindow(re.data(), real / 2, settings.mado);

  if (dtftLog(re.data(), im.data(), order, block.srKHz) == 1) return;

  const DtftGrid grid = dtftGrid(block.srKHz, order);
  const PointPeak peak = dtftPeak(re.data(), im.data(), grid.points);
  peakReadout(dtftPointFrequency(grid, peak.index), peak.power);
  levelMap(depths.data(), re.data(), im.data(), 2 * grid.points,
           block.sixteenBit() ? 7.0e7 : 1000.0);
  SpectrumFrame frame;
  frame.depths.assign(depths.begin(), depths.begin() + grid.points);
  notifySink(methodSink.drawPointSpectrum, settings.display, frame, column, columnsPerBlock);
  notifySink(analysisSink.presentPlot);
}

}  // namespace korimu

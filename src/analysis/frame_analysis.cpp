#include "analysis/frame_analysis.h"

#include <algorithm>
#include <vector>

#include "analysis/analysis_sink.h"
#include "analysis/autocorrelation.h"
#include "analysis/dct.h"
#include "analysis/fft.h"
#include "analysis/level_map.h"
#include "analysis/scratch_memory.h"
#include "analysis/wave_zoom.h"
#include "analysis/window_table.h"
#include "core/app_state.h"
#include "core/layout.h"
#include "core/settings.h"
#include "platform/message.h"

namespace korimu {

namespace {

// The stored value 2 is the checked state of the autocorrelation box.
bool autocorrelationOn() {
  return settings.autocorrelation == 2;
}

// Level divisors: full scale of each method and sample size maps near the top row.
double levelDivisor(bool dctMethod, bool sixteenBit) {
  if (dctMethod) return sixteenBit ? 7.0e10 : 1.0e6;
  return sixteenBit ? 7.0e7 : 1000.0;
}

struct WorkingArrays {
  std::vector<double> re;
  std::vector<double> im;
  std::vector<uint8_t> depths;
};

bool allocateWorking(WorkingArrays& w, int n, size_t depthCount) {
  if (allocateScratch(w.re, size_t(n)) && allocateScratch(w.im, size_t(n)) &&
      allocateScratch(w.depths, depthCount)) {
    return true;
  }
  showMessage("解析用メモリの不足", MessageKind::kFatal);
  return false;
}

void computeWaveZoom(const SampleBlock& block, FrameResult& out) {
  out.waveZoom = true;
  if (autocorrelationOn()) {
    out.rows = autocorrelationRows(block);
    out.analysed = block.sampleCount() / 2 == 0 || !out.rows.empty();
    return;
  }
  WaveZoomRows zoom = waveZoomRows(block, settings.displayGain);
  out.rows = std::move(zoom.rows);
  out.extremesShown = true;
  out.maximum = zoom.maximum;
  out.minimum = zoom.minimum;
  out.autoScale = zoom.autoScale;
  out.analysed = true;
}

// Sample fill, offset removal, window and transform, peak search and level mapping.
void computeSpectrum(const SampleBlock& input, WorkingArrays& w, int n, FrameResult& out) {
  const bool dctMethod = settings.method == kDct;
  const int order = settings.blockOrder;
  SampleBlock block = input;
  double* re = w.re.data();
  double* im = w.im.data();
  if (autocorrelationOn() && (settings.method == kFft || dctMethod)) {
    compensatedAutocorr(re, block, n);
    std::fill(w.im.begin(), w.im.end(), 0.0);
    block.length /= 2;  // the lags stand in for the samples: half as many
  } else {
    fillSamples(re, im, n, block);
  }
  const int real = std::min(block.sampleCount(), n);
  removeOffset(re, real, block.sixteenBit());
  applyWindow(re, real / 2, settings.mado);

  int points = 0;
  if (dctMethod) {
    dct(im, re, n, settings.onMem != 0);
    std::fill(w.re.begin(), w.re.end(), 0.0);
    points = n;
  } else {
    realFft(re, im, order, -1.0);
    points = n / 2;
  }

  const double fullSize = static_cast<double>(1 << order);
  double maxPower = 0.0;
  int peak = 0;
  for (int k = 0; k < points; ++k) {
    double p = re[k] * re[k] + im[k] * im[k];
    if (settings.pinkNoiseFlat) p = k * p / fullSize * 2.0;
    if (p > maxPower) {  // strictly: the lowest of equal maxima wins
      maxPower = p;
      peak = k;
    }
  }
  out.peakBin = peak;
  out.peakPower = maxPower;
  out.peakFrequency = peak * static_cast<double>(nominalRateFor(block.srKHz)) / fullSize;

  levelMap(w.depths.data(), re, im, 1 << order, levelDivisor(dctMethod, block.sixteenBit()));
  out.frame.depths.assign(w.depths.begin(), w.depths.begin() + points);
  out.analysed = true;
}

}  // namespace

int transformLength(int32_t method, int32_t blockOrder) {
  const int full = 1 << blockOrder;
  return method == kDct ? full / 2 : full;
}

void fillSamples(double* re, double* im, int n, const SampleBlock& block) {
  const int count = std::min(block.sampleCount(), n);
  const uint8_t* bytes = block.bytes;
  if (block.sixteenBit()) {
    for (int i = 0; i < count; ++i) {
      const auto word = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
      re[i] = static_cast<int16_t>(word);
    }
  } else {
    for (int i = 0; i < count; ++i) re[i] = bytes[i] - 128;
  }
  for (int i = count; i < n; ++i) re[i] = 0.0;
  for (int i = 0; i < n; ++i) im[i] = 0.0;
}

double removeOffset(double* re, int count, bool sixteenBit) {
  if (count <= 0) return 0.0;
  // Summed in order: the autocorrelation's lags are not integers, so the order of the additions
  // shows in the last bits of the mean.
  double sum = 0.0;
  for (int i = 0; i < count; ++i) sum += re[i];
  double mean = sum / count;
  if (!autocorrelationOn()) {
    const double limit = sixteenBit ? 256.0 : 1.0;
    mean = std::clamp(mean, -limit, limit);
  }
  for (int j = 0; j < count; ++j) re[j] -= mean;
  return mean;
}

FrameResult computeFrame(const SampleBlock& block) {
  FrameResult out;
  if (block.length == 0) return out;
  const int n = transformLength(settings.method, settings.blockOrder);
  const bool waveZoom = settings.display == kWaveZoom;
  // Depths: one per point of the spectrum (N/2 for the FFT, N for the DCT; levelMap writes N/2
  // of the full 2^blockOrder in both cases).
  const size_t depthCount = waveZoom ? 0 : size_t(1 << settings.blockOrder) / 2;
  WorkingArrays w;
  if (!allocateWorking(w, n, depthCount)) return out;
  if (waveZoom) {
    computeWaveZoom(block, out);
  } else {
    computeSpectrum(block, w, n, out);
  }
  return out;
}

void analyzeFrame(const SampleBlock& block, int column, int columnsPerBlock) {
  if (block.length == 0) return;
  const FrameResult result = computeFrame(block);
  if (!result.analysed) return;
  if (result.waveZoom) {
    const int x = 512 + 2 * layout.unitW;
    const int zeroY = layout.plotTop + 128;
    if (result.extremesShown) {
      if (settings.displayGain == 0 && appState.diagnosticText) {
        notifySink(analysisSink.overviewText,
                   formatText("%ld", static_cast<long>(result.autoScale)));
      }
      notifySink(analysisSink.windowText, x, zeroY, formatText("%+6d", result.maximum));
      notifySink(analysisSink.windowText, x, zeroY - 5 * layout.unitH / 2,
                 formatText("%+6d", result.minimum));
      notifySink(analysisSink.windowText, x, zeroY - 5 * layout.unitH, std::string("振幅"));
    }
    notifySink(analysisSink.drawWaveZoom, result.rows);
    notifySink(analysisSink.presentPlot);
    return;
  }
  peakReadout(result.peakFrequency, result.peakPower);
  switch (settings.display) {
    case kLevelMeter:
    case kSpectrumLinear:
    case kSpectrumLog:
    case kTimeFrequencyChart:
      notifySink(analysisSink.drawSpectrum, settings.display, result.frame, column,
                 columnsPerBlock);
      break;
    default:
      break;
  }
  notifySink(analysisSink.presentPlot);
  if (settings.method == kMem) {
    notifySink(analysisSink.overlay, settings.method, block, column, columnsPerBlock);
  } else if (settings.method == kDtft && settings.display == kSpectrumLog) {
    notifySink(analysisSink.overlay, settings.method, block, column, columnsPerBlock);
  }
}

}  // namespace korimu

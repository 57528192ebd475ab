#include "analysis/frame_analysis.h"

#include <algorithm>
#include <vector>

#include "analysis/autocorrelation.h"
#include "analysis/dct.h"
#include "analysis/fft.h"
#include "analysis/level_map.h"
#include "analysis/scratch_memory.h"
#include "analysis/wave_zoom.h"
#include "analysis/window_table.h"
#include "core/translatable.h"
#include "platform/message.h"

namespace korimu {

namespace {

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

bool allocateWorking(ScratchAllocator& scratch, WorkingArrays& w, int n, size_t depthCount) {
  return scratch.allocate(w.re, size_t(n)) && scratch.allocate(w.im, size_t(n)) &&
         scratch.allocate(w.depths, depthCount);
}

void computeWaveZoom(const SampleBlock& block, const AnalysisParams& params,
                     ScratchAllocator& scratch, Progress& progress, FrameResult& out) {
  out.waveZoom = true;
  if (params.autocorrelation) {
    out.rows = autocorrelationRows(block, scratch, progress, out, &out.values);
    out.analysed = !out.failed();
    return;
  }
  WaveZoomRows zoom = waveZoomRows(block, params.displayGain);
  out.rows = std::move(zoom.rows);
  out.values.resize(out.rows.size());
  for (size_t i = 0; i < out.values.size(); ++i)
    out.values[i] = block.sample(static_cast<int32_t>(i));
  out.extremesShown = true;
  out.maximum = zoom.maximum;
  out.minimum = zoom.minimum;
  out.autoScale = zoom.autoScale;
  if (params.displayGain == 0)
    out.diagnose(DiagnosticLine::kAutoScale, formatText("%ld", static_cast<long>(zoom.autoScale)));
  out.analysed = true;
}

// Signal, transform, peak search and level mapping.
void computeSpectrum(const SampleBlock& block, const AnalysisParams& params,
                     TransformTables& tables, Progress& progress, WorkingArrays& w, int n,
                     FrameResult& out) {
  const bool dctMethod = params.method == kDct;
  const int order = params.blockOrder;
  double* re = w.re.data();
  double* im = w.im.data();
  // MEM and DTFT show this FFT of the samples under their own spectrum.
  const bool lags = params.autocorrelation && (params.method == kFft || dctMethod);
  if (!prepareSignal(re, im, n, block, lags, params, tables, progress, out)) return;

  int points = 0;
  if (dctMethod) {
    if (!dct(tables.scratch, im, re, n, params.onMem)) out.notice("dct error");
    std::fill(w.re.begin(), w.re.end(), 0.0);
    points = n;
  } else {
    const bool transformed = realFft(tables, re, im, order, -1.0);
    out.tableShortfallBytes = takeTableFftShortfall(tables);
    if (!transformed) {
      out.fail("fft2");
      return;
    }
    points = n / 2;
  }

  const double fullSize = static_cast<double>(1 << order);
  double maxPower = 0.0;
  int peak = 0;
  out.frame.powers.resize(size_t(points));
  out.frame.frequencies.resize(size_t(points));
  for (int k = 0; k < points; ++k) {
    double p = re[k] * re[k] + im[k] * im[k];
    if (params.pinkNoiseFlat) p = k * p / fullSize * 2.0;
    out.frame.powers[size_t(k)] = p;
    out.frame.frequencies[size_t(k)] = spectrumBinFrequency(block.srKHz, order, k);
    if (p > maxPower) {  // strictly: the lowest of equal maxima wins
      maxPower = p;
      peak = k;
    }
  }
  out.peakBin = peak;
  out.peakPower = maxPower;
  out.peakFrequency = spectrumBinFrequency(block.srKHz, order, peak);

  out.frame.zeroDbPower = levelDivisor(dctMethod, block.sixteenBit());
  levelMap(w.depths.data(), re, im, 1 << order, out.frame.zeroDbPower, params);
  out.frame.depths.assign(w.depths.begin(), w.depths.begin() + points);
  out.analysed = true;
}

}  // namespace

double spectrumBinFrequency(int srKHz, int32_t blockOrder, int k) {
  return k * (static_cast<double>(SampleRate(srKHz).hz()) / static_cast<double>(1 << blockOrder));
}

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

double removeOffset(double* re, int count, bool sixteenBit, bool clampMean) {
  if (count <= 0) return 0.0;
  // Summed in order: the autocorrelation's lags are not integers, so the order of the additions
  // shows in the last bits of the mean.
  double sum = 0.0;
  for (int i = 0; i < count; ++i) sum += re[i];
  double mean = sum / count;
  if (clampMean) {
    const double limit = sixteenBit ? 256.0 : 1.0;
    mean = std::clamp(mean, -limit, limit);
  }
  for (int j = 0; j < count; ++j) re[j] -= mean;
  return mean;
}

bool prepareSignal(double* re, double* im, int n, const SampleBlock& input, bool lags,
                   const AnalysisParams& params, TransformTables& tables, Progress& progress,
                   AnalysisNotes& notes) {
  SampleBlock block = input;
  if (lags) {
    if (!compensatedAutocorr(re, block, n, tables.scratch, progress, notes)) return false;
    std::fill(im, im + n, 0.0);
    block.length /= 2;  // the lags stand in for the samples: half as many
  } else {
    fillSamples(re, im, n, block);
  }
  const int real = std::min(block.sampleCount(), n);
  removeOffset(re, real, block.sixteenBit(), !params.autocorrelation);
  applyWindow(tables, re, real / 2, params.window);
  return true;
}

FrameResult computeFrame(const SampleBlock& block, const AnalysisParams& params,
                         TransformTables& tables, Progress& progress) {
  FrameResult out;
  if (block.length == 0) return out;
  const int n = transformLength(params.method, params.blockOrder);
  const bool waveZoom = params.view == kWaveZoom;
  // Depths: one per point of the spectrum (N/2 for the FFT, N for the DCT; levelMap writes N/2
  // of the full 2^blockOrder in both cases).
  const size_t depthCount = waveZoom ? 0 : size_t(1 << params.blockOrder) / 2;
  WorkingArrays w;
  if (!allocateWorking(tables.scratch, w, n, depthCount)) {
    out.fail(QT_TRANSLATE_NOOP("Message", "解析用メモリの不足"));
    return out;
  }
  if (waveZoom) {
    computeWaveZoom(block, params, tables.scratch, progress, out);
  } else {
    computeSpectrum(block, params, tables, progress, w, n, out);
  }
  return out;
}

}  // namespace korimu

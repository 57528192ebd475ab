#include "analysis/wave_zoom.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "analysis/autocorrelation.h"

namespace korimu {

namespace {

// Row value arithmetic is byte arithmetic: it wraps modulo 256.
uint8_t wrap(int32_t v) {
  return static_cast<uint8_t>(v & 0xFF);
}

uint8_t row16(int32_t s, int gain, int32_t scale) {
  switch (gain) {
    case 0:
      return wrap((s + 32768) * 128 / scale - 4194304 / scale - 128);
    case 2:
      if (s <= -16384) return 0;
      if (s >= 16384) return 255;
      return wrap((s + 32768) / 128 - 128);
    case 3:
      if (s <= -8192) return 0;
      if (s >= 8192) return 255;
      return wrap((s + 32768) / 64 - 128);
    default:
      return wrap((s + 32768) / 256);
  }
}

uint8_t row8(int32_t b, int gain, int32_t scale) {
  switch (gain) {
    case 0:
      return wrap(127 + (b - 127) * 128 / scale);
    case 2:
      if (b <= 64) return 0;
      if (b >= 192) return 255;
      return wrap(2 * b - 127);
    case 3:
      if (b <= 96) return 0;
      if (b >= 160) return 255;
      return wrap(4 * b - 128);
    default:
      return wrap(b);
  }
}

}  // namespace

WaveZoomRows waveZoomRows(const SampleBlock& block, int displayGain) {
  WaveZoomRows out;
  const int32_t count = block.sampleCount();
  const bool wide = block.sixteenBit();
  int32_t largest = 0;  // |s| (16-bit) or |b - 127| (8-bit): the automatic scale
  for (int32_t i = 0; i < count; ++i) {
    const int32_t s = block.sample(i);
    const int32_t magnitude = wide ? std::abs(s) : std::abs(s + 128 - 127);
    largest = std::max(largest, magnitude);
    if (i == 0 || s > out.maximum) out.maximum = s;
    if (i == 0 || s < out.minimum) out.minimum = s;
  }
  const int32_t scale = largest == 0 ? 1 : 2 * largest;
  if (displayGain == 0) out.autoScale = scale;
  out.rows.resize(size_t(count));
  for (int32_t i = 0; i < count; ++i) {
    const int32_t s = block.sample(i);
    out.rows[size_t(i)] = wide ? row16(s, displayGain, scale) : row8(s + 128, displayGain, scale);
  }
  return out;
}

std::vector<uint8_t> autocorrelationRows(const SampleBlock& block, ScratchAllocator& scratch,
                                         Progress& progress, AnalysisNotes& notes,
                                         std::vector<double>* values) {
  const int32_t samples = block.sampleCount();
  const int32_t lags = samples / 2;
  progress.begin("self", lags);
  double r0 = 1.0;
  double g = 0.0;
  const int l = powerOfTwoAtLeast(static_cast<long>(samples) + lags);
  const std::vector<double> r =
      autocorrNormalized(r0, g, l, samples, lags, block, scratch, progress, notes);
  if (r.empty()) return {};
  std::vector<uint8_t> rows(static_cast<size_t>(lags));
  if (values != nullptr) values->assign(static_cast<size_t>(lags), 0.0);
  for (int32_t i = 0; i < lags; ++i) {
    const double gain = std::pow(static_cast<double>(i), 1.5) * g + 1.0;
    if (values != nullptr) (*values)[size_t(i)] = gain * r[size_t(i)] / r0;
    const double v = 127.0 - gain * (r[size_t(i)] / r0 * 60.0);
    rows[size_t(i)] = !(v >= 0.0) ? 0 : v > 255.0 ? 255 : static_cast<uint8_t>(v);
  }
  progress.end();
  return rows;
}

}  // namespace korimu

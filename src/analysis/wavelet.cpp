#include "analysis/wavelet.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <new>
#include <stdexcept>

#include "analysis/fft.h"
#include "analysis/scratch_memory.h"
#include "platform/message.h"

namespace korimu {

namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kTwoPi = 6.28318530717958;
constexpr int kVoices = 24;
constexpr double kExponentFloor = -350.0;

// The ratio of two neighbouring rows, 2^(1/24).
double rowRatio() {
  return std::pow(2.0, 1.0 / kVoices);
}

// The fourth root of pi divided by the square root of 1/r.
double amplitudeBase() {
  return std::pow(kPi, 0.25) / std::sqrt(1.0 / rowRatio());
}

double clampTo(double v, double low, double high) {
  if (!(v >= low)) return low;
  if (v > high) return high;
  return v;
}

int log2Of(int n) {
  return std::countr_zero(static_cast<unsigned>(n));
}

// The rows' complex values and the powers kept for the run's result, outside the scratch
// allocator.
template <typename T>
bool allocateRow(std::vector<T>& row, size_t count) {
  try {
    row.assign(count, T{});
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

// Moves the highest quarter of a spectrum of 2n points down to positions n/2 .. n-1, so that the
// first n points hold the band below half the new Nyquist frequency.
void foldSpectrum(double* x, double* y, int n) {
  for (int i = n / 2; i < n; ++i) {
    x[i] = x[i + n];
    y[i] = y[i + n];
  }
}

int directKernelLength(int length, int n) {
  return std::min({length, kWaveletLargestBlock, n});
}

// re[i] = sum over m < taps of x[(n + i - half + m) mod n] kr[m], likewise im with ki: the signal
// is periodic with period n. Each sum runs in order of m from 0.0, as a plain loop would.
void correlateDirect(const double* x, int n, const double* kr, const double* ki, int taps,
                     std::vector<double>& extended, float* rowRe, float* rowIm) {
  const int half = taps / 2;
  for (int q = 0; q < n + taps; ++q) extended[q] = x[((n - half + q) % n + n) % n];
  constexpr int kTile = 256;
  double accRe[kTile];
  double accIm[kTile];
  for (int start = 0; start < n; start += kTile) {
    const int len = std::min(kTile, n - start);
    std::fill(accRe, accRe + len, 0.0);
    std::fill(accIm, accIm + len, 0.0);
    for (int m = 0; m < taps; ++m) {
      const double* e = extended.data() + start + m;
      const double cr = kr[m];
      const double ci = ki[m];
      for (int i = 0; i < len; ++i) {
        accRe[i] += e[i] * cr;
        accIm[i] += e[i] * ci;
      }
    }
    for (int i = 0; i < len; ++i) {
      rowRe[start + i] = static_cast<float>(accRe[i]);
      rowIm[start + i] = static_cast<float>(accIm[i]);
    }
  }
}

void forwardTransform(TransformTables& tables, double* x, double* y, int n) {
  if (tableFft(tables, n, x, y) != 0) directFft(x, y, log2Of(n), -1.0);
}

void inverseTransform(TransformTables& tables, double* x, double* y, int n) {
  if (tableFft(tables, -n, x, y) != 0) directFft(x, y, log2Of(n), 1.0);
}

// Multiplies the kernel's spectrum by the block's, transforms back and turns the result by half a
// period, since the kernel's centre sits at tap n/2.
void correlateBySpectra(TransformTables& tables, const double* x, const double* y, double* kr,
                        double* ki, int n, float* rowRe, float* rowIm) {
  forwardTransform(tables, kr, ki, n);
  for (int i = 0; i < n; ++i) {
    const double r = kr[i];
    const double s = ki[i];
    kr[i] = x[i] * r - y[i] * s;
    ki[i] = x[i] * s + y[i] * r;
  }
  inverseTransform(tables, kr, ki, n);
  const int half = n / 2;
  for (int i = 0; i < n; ++i) {
    const int from = i < half ? i + half : i - half;
    rowRe[i] = static_cast<float>(kr[from]);
    rowIm[i] = static_cast<float>(ki[from]);
  }
}

}  // namespace

uint32_t waveletBlockBytes(uint32_t bytesPerSecond, int srKHz, int blockAlign) {
  // The rate formulas aim at 65536 frames but overshoot where the kHz divisor rounds down hard
  // (12 kHz divides by 1) or the byte rate is not the rate's own; a block never holds more than
  // the transform can take. Integer arithmetic throughout: no header value can overflow it.
  const uint64_t fullBlock = uint64_t{kWaveletLargestBlock} * uint64_t(std::max(blockAlign, 0));
  const uint64_t v = bytesPerSecond;
  uint64_t bytes = fullBlock;
  if (v % SampleRate::kCdBaseHz == 0) {
    const int divisor = srKHz / 11;
    if (divisor > 0) bytes = uint64_t(kWaveletLargestBlock / divisor) * (v / SampleRate::kCdBaseHz);
  } else if (v % SampleRate::kOtherBaseHz == 0) {
    const int divisor = srKHz / 8;
    if (divisor > 0)
      bytes = (v / SampleRate::kOtherBaseHz * kWaveletLargestBlock) / uint64_t(divisor);
  } else if (srKHz > 0) {
    // (v / 8000) * (65536 / (srKHz / 8)) without the floating point.
    bytes = v * kWaveletLargestBlock / (1000 * uint64_t(srKHz));
  }
  return static_cast<uint32_t>(std::min(bytes, fullBlock));
}

WaveletVariant waveletVariantFor(int blockFrames, int blockOrder) {
  const bool direct =
      (blockFrames == 16384 && blockOrder <= 10) || (blockFrames >= 32768 && blockOrder <= 13);
  return direct ? WaveletVariant::kDirect : WaveletVariant::kFft;
}

bool waveletDecimatesAt(int row, int blockOrder, int n) {
  const int phase = 32 - 2 * blockOrder;
  return row > phase && row % kVoices == phase && n > 32;
}

int waveletInitialKernelLength(int blockOrder) {
  return static_cast<int>(16.0 * std::sqrt(std::ldexp(1.0, blockOrder - 8)));
}

void waveletKernel(double* kr, double* ki, int taps, int j, int row, double topFraction,
                   int blockOrder) {
  const double w = std::ldexp(1.0, blockOrder - 8);
  const double r = rowRatio();
  const double scale = std::pow(r, j);
  const double amplitude = std::pow(r, -row / 2.0) * amplitudeBase();
  const double rInverse = 1.0 / r;
  const double f = topFraction;
  const double coefficient = (-1.0 / rInverse) / rInverse / 2.0 * f * f;
  // Taps further out than this have an exponent below the floor; skip them without evaluating.
  const double reach = std::sqrt(-kExponentFloor * scale * scale * w / -coefficient) + 2.0;
  const int half = taps / 2;
  for (int i = 0; i < taps; ++i) {
    const double t = i - half;
    kr[i] = 0.0;
    ki[i] = 0.0;
    if (std::fabs(t) > reach) continue;
    const double e = coefficient * (t * t) / scale / scale / w;
    if (!(e >= kExponentFloor)) continue;
    const double g = std::exp(e);
    const double phi = kTwoPi * f * t / scale;
    kr[i] = std::cos(phi) * amplitude * g;
    ki[i] = std::sin(-phi) * amplitude * g;
  }
}

double waveletDivisor(WaveletVariant variant, bool sixteenBit, int blockOrder, int n) {
  const double w = std::ldexp(1.0, blockOrder - 8);
  const double base = (sixteenBit ? 3e7 : 700.0) * w * kWaveletLargestBlock;
  if (variant == WaveletVariant::kDirect) return base;
  // n squared in floating point: 65536^2 does not fit 32 bits.
  const double length = n;
  return base * 8.5 / (length * length);
}

bool waveletRows(std::vector<double>& x, WaveletVariant variant, int blockOrder, double topFraction,
                 double fTop, float* rowRe, float* rowIm, const WaveletRowSink& onRow,
                 TransformTables& tables, Progress& progress, AnalysisNotes& notes) {
  int n = static_cast<int>(x.size());
  if (n > kWaveletLargestBlock) {
    notes.fail(formatText("GNSIZE=%d num=%d", kWaveletLargestBlock, n));
    return true;
  }
  const bool direct = variant == WaveletVariant::kDirect;
  std::vector<double> y, kr, ki, extended;
  if (!tables.scratch.allocate(y, n) || !tables.scratch.allocate(kr, n) ||
      !tables.scratch.allocate(ki, n) ||
      (direct && !tables.scratch.allocate(extended, 2 * size_t(n)))) {
    notes.fail("wt error");
    return true;
  }
  progress.begin("wavelet", kWaveletRows);

  const int initialTaps = waveletInitialKernelLength(blockOrder);
  double fRow = fTop;
  int decimations = 0;
  int taps;
  if (direct) {
    taps = directKernelLength(initialTaps, n);
  } else {
    taps = n;
    directFft(x.data(), y.data(), log2Of(n), -1.0);  // x and y now hold the block's spectrum
  }

  bool stopped = false;
  for (int row = 0; row < kWaveletRows; ++row) {
    if (waveletDecimatesAt(row, blockOrder, n)) {
      if (direct) {
        std::fill(y.begin(), y.begin() + n, 0.0);
        if (!realFft(tables, x.data(), y.data(), log2Of(n), -1.0)) {
          notes.fail("fft2");
          return true;
        }
        n /= 2;
        ++decimations;
        foldSpectrum(x.data(), y.data(), n);
        directFft(x.data(), y.data(), log2Of(n), 1.0);
        // The band-limited signal at half the rate, every sample doubled.
        for (int i = 0; i < n; ++i) x[i] = 2.0 * x[i];
        taps = directKernelLength(initialTaps, n);
      } else {
        n /= 2;
        ++decimations;
        foldSpectrum(x.data(), y.data(), n);
        taps = n;
      }
    }
    if (progress.cancelled()) {
      stopped = true;
      break;
    }
    const int j = row - kVoices * decimations;
    waveletKernel(kr.data(), ki.data(), taps, j, row, topFraction, blockOrder);
    progress.step(row + 1, kWaveletRows);
    if (direct) {
      correlateDirect(x.data(), n, kr.data(), ki.data(), taps, extended, rowRe, rowIm);
    } else {
      correlateBySpectra(tables, x.data(), y.data(), kr.data(), ki.data(), n, rowRe, rowIm);
    }
    if (onRow) onRow(row, rowRe, rowIm, n, fRow);
    fRow = fRow / rowRatio();
    if (direct) {
      // One tap a row up to 32 taps, then in proportion to the scale.
      taps = taps < 32 ? taps + 1 : static_cast<int>(std::floor(taps * rowRatio() + 0.5));
      taps = directKernelLength(taps, n);
    }
  }
  return stopped;
}

namespace {

void noteReadouts(const WaveletExtremes& extremes, double divisor, WaveletResult& out) {
  out.diagnose(DiagnosticLine::kBlockMinimum, formatText("min=%8.1e ", extremes.minimum));
  out.peakFrequency = extremes.maximumFrequency;
  out.peakPower = extremes.maximum;
  const std::string maxText = formatText("Max %8.1e", extremes.maximum);
  out.diagnose(DiagnosticLine::kBlockMaximum, maxText);
  if (extremes.maximum > divisor) out.powerWarning = maxText;
}

}  // namespace

void prepareWaveletSignal(double* x, int n, const SampleBlock& block) {
  const int count = std::clamp(block.sampleCount(), 0, n);
  for (int i = 0; i < count; ++i) x[i] = block.sample(i);
  for (int i = count; i < n; ++i) x[i] = 0.0;
  if (count == 0) return;
  double sum = 0.0;
  for (int i = 0; i < count; ++i) sum += x[i];
  const double limit = block.sixteenBit() ? 256.0 : 1.0;
  const double mean = clampTo(sum / count, -limit, limit);
  // The padding stays 0 and takes part in the correlation as silence.
  for (int i = 0; i < count; ++i) x[i] -= mean;
}

WaveletResult waveletBlock(const SampleBlock& block, int blockFrames, const AnalysisParams& params,
                           TransformTables& tables, Progress& progress,
                           const WaveletDepthSink& onRow) {
  WaveletResult out;
  if (block.srKHz == 0) return out;
  int64_t padded = 1;
  while (padded < blockFrames) padded *= 2;
  if (padded > kWaveletLargestBlock) {
    out.fail(
        formatText("GNSIZE=%d num=%lld", kWaveletLargestBlock, static_cast<long long>(padded)));
    return out;
  }
  const int n = static_cast<int>(padded);
  std::vector<double> x;
  if (!tables.scratch.allocate(x, size_t(n))) {
    out.fail("wavelet");
    return out;
  }
  prepareWaveletSignal(x.data(), n, block);
  std::vector<float> rowRe, rowIm;
  std::vector<uint8_t> depths;
  std::vector<double> powers;
  if (!allocateRow(rowRe, size_t(n)) || !allocateRow(rowIm, size_t(n)) ||
      !allocateRow(powers, size_t(n)) || !tables.scratch.allocate(depths, size_t(n))) {
    out.fail("wavelet");
    return out;
  }

  const WaveletVariant variant = waveletVariantFor(blockFrames, params.blockOrder);
  const double topFraction = block.rate().waveletTopFraction();
  const double fTop = topFraction * block.rate().hz();
  const double divisor = waveletDivisor(variant, block.sixteenBit(), params.blockOrder, n);
  WaveletExtremes extremes;
  extremes.maximumFrequency = fTop;
  const auto mapRow = [&](int row, const float* re, const float* im, int length, double fRow) {
    waveletDepths(depths.data(), re, im, length, row, fRow, fTop, divisor, extremes, params,
                  powers.data());
    if (onRow) onRow(row, depths.data(), powers.data(), length);
  };
  const bool ended = waveletRows(x, variant, params.blockOrder, topFraction, fTop, rowRe.data(),
                                 rowIm.data(), mapRow, tables, progress, out);
  out.tableShortfallBytes = takeTableFftShortfall(tables);
  if (out.failed()) return out;
  out.cancelled = ended;
  noteReadouts(extremes, divisor, out);
  out.analysed = true;
  return out;
}

}  // namespace korimu

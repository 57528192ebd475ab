// Wavelet analysis: 256 rows, 1/24 octave apart and falling from a top frequency near the Nyquist
// limit, each the magnitude of a Gaussian-windowed complex wavelet (Morlet type) correlated with
// the block at every sample position. Each row is turned into depths and painted at once into the
// block's columns of the time-frequency chart. A direct variant correlates with a short kernel
// that grows from row to row; an FFT variant multiplies spectra with a kernel as long as the block.
// Both halve the rate every 24 rows once the rows are low enough.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "analysis/analysis_notes.h"
#include "analysis/analysis_params.h"
#include "analysis/progress.h"
#include "analysis/sample_block.h"
#include "analysis/transform_tables.h"

namespace korimu {

inline constexpr int kWaveletRows = 256;
inline constexpr int kWaveletLargestBlock = 65536;

// Bytes of one wavelet block for the file's average bytes per second, srKHz and frame size:
// the rate formula where it gives at most 65536 frames, else 65536 frames (so too for rates whose
// kHz divisor would be 0).
uint32_t waveletBlockBytes(uint32_t bytesPerSecond, int srKHz, int blockAlign);

enum class WaveletVariant { kDirect, kFft };
// The direct variant for long blocks with short kernels, the FFT variant otherwise.
WaveletVariant waveletVariantFor(int blockFrames, int blockOrder);

// The first row that halves the rate: every 24 rows from D0 + 24, D0 = 32 - 2 blockOrder.
bool waveletDecimatesAt(int row, int blockOrder, int n);

// The initial kernel length floor(16 sqrt(2^(blockOrder - 8))).
int waveletInitialKernelLength(int blockOrder);

// The kernel of one row: L taps centred on tap L/2, for the row's scale P = r^j (j the row's
// index at the current rate) and absolute row (which sets the amplitude).
void waveletKernel(double* kr, double* ki, int taps, int j, int row, double topFraction,
                   int blockOrder);

// Level divisor S of a variant for a block of n samples (before any decimation).
double waveletDivisor(WaveletVariant variant, bool sixteenBit, int blockOrder, int n);

// What one block's rows reached: the largest power (with its row and that row's frequency) and
// the smallest one below row 3.
struct WaveletExtremes {
  double maximum = -1e36;
  double minimum = 1e36;
  int maximumRow = 0;
  double maximumFrequency = 0.0;
};

// Converts one row to depths under the params' scale, gain and tilt and updates the extremes;
// with `powers` also keeps each position's power (divided and tilted) that its depth came from.
void waveletDepths(uint8_t* depths, const float* re, const float* im, int n, int row, double fRow,
                   double fTop, double divisor, WaveletExtremes& extremes,
                   const AnalysisParams& params, double* powers = nullptr);

// Receives each finished row: its complex values (n of them) and the frequency it was computed at.
using WaveletRowSink =
    std::function<void(int row, const float* re, const float* im, int n, double fRow)>;

// Computes the rows of the signal x (n = x.size() a power of two, mean removed and padded),
// starting at fTop; x is used as working storage. Reported as the step "wavelet", with a stop
// check before every row. Returns true when a stop or a failure (in the notes) ended the loop.
bool waveletRows(std::vector<double>& x, WaveletVariant variant, int blockOrder, double topFraction,
                 double fTop, float* rowRe, float* rowIm, const WaveletRowSink& onRow,
                 TransformTables& tables, Progress& progress, AnalysisNotes& notes);

// The block's samples in x[0..n-1]: the first `count` samples with their mean removed (clamped to
// +-256 for 16-bit and +-1 for 8-bit samples), then zeros.
void prepareWaveletSignal(double* x, int n, const SampleBlock& block);

// Receives each row's depths as soon as the row is done (n of them, one per sample position at
// the row's rate) with the powers they came from, so the chart can show the rows as they come.
using WaveletDepthSink =
    std::function<void(int row, const uint8_t* depths, const double* powers, int n)>;

struct WaveletResult : AnalysisNotes {
  bool analysed = false;  // false when srKHz is 0 or the block failed
  double peakFrequency = 0.0;
  double peakPower = 0.0;
  std::string powerWarning;  // the "Max" text when the block is louder than its divisor
  // The rows' powers are divided by the block's divisor already: 1 is drawn as 0 dB.
  double zeroDbPower = 1.0;
};

// One block of the chart: `blockFrames` is N, the frames of a full block; a shorter block is
// padded. A stop ends the rows early; the readouts are still those of the rows done.
WaveletResult waveletBlock(const SampleBlock& block, int blockFrames, const AnalysisParams& params,
                           TransformTables& tables, Progress& progress,
                           const WaveletDepthSink& onRow);

}  // namespace korimu

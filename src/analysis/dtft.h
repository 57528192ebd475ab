// DTFT analysis: the transform of one windowed block evaluated sum by sum at up to 512 points
// spaced logarithmically from the FFT's first bin to the Nyquist frequency, so the low octaves get
// as many points as the high ones.
#pragma once

#include <cstdint>

#include "analysis/sample_block.h"

namespace korimu {

// The output points for a block of 2^order samples at srKHz: K points from f0 to fmax, each
// `ratio` times the one below.
struct DtftGrid {
  int points = 0;     // K = min(N/2, 512)
  double fmax = 0.0;  // the top point (the Nyquist frequency of the nominal rate)
  double f0 = 0.0;    // the lowest point, fmax / (N/2): the FFT's first bin
  double ratio = 1.0;
};

// 22050.0, 11025.0, 5512.5 or 44100.0 for srKHz 44, 22, 11 or 88, else srKHz * 500.
double dtftTopFrequency(int srKHz);
DtftGrid dtftGrid(int srKHz, int order);
// Point k's frequency, f0 * ratio^k.
double dtftPointFrequency(const DtftGrid& grid, int k);

// Replaces re[0..K-1] and im[0..K-1] by the transform of re[0..N-1] (N = 2^order) at the grid's
// points, divided by N. Handles one event and checks Stop before every point. Returns 1 when
// stopped or when its copy of the signal could not be allocated, else 0.
int dtftLog(double* re, double* im, int order, int srKHz);

// The strongest point (power re^2 + im^2, tilted by k / K with pinkNoiseFlat); the first strict
// maximum wins, starting from index 0 with power 0.0.
struct PointPeak {
  int index = 0;
  double power = 0.0;
};
PointPeak dtftPeak(const double* re, const double* im, int points);

// Analyses one block: the first N samples (zero-padded), offset removed and windowed as the frame
// analysis prepares them (or their compensated autocorrelation), evaluated at the grid's points,
// then the peak readout, levels and drawing (log-binned spectrum or the chart's log column).
// Draws nothing when the block is empty or Stop interrupted the evaluation.
void dtftAnalyze(const SampleBlock& block, int column, int columnsPerBlock);

}  // namespace korimu

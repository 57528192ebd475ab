// DTFT analysis: the transform of one windowed block evaluated sum by sum at up to 512 points
// spaced logarithmically from the FFT's first bin to the Nyquist frequency, so the low octaves get
// as many points as the high ones.
#pragma once

#include <cstdint>

#include "analysis/analysis_notes.h"
#include "analysis/analysis_params.h"
#include "analysis/progress.h"
#include "analysis/sample_block.h"
#include "analysis/spectrum_frame.h"
#include "analysis/transform_tables.h"

namespace korimu {

// The output points for a block of 2^order samples at srKHz: K points from f0 to fmax, each
// `ratio` times the one below.
struct DtftGrid {
  int points = 0;     // K = min(N/2, 512)
  double fmax = 0.0;  // the top point (the Nyquist frequency of the nominal rate)
  double f0 = 0.0;    // the lowest point, fmax / (N/2): the FFT's first bin
  double ratio = 1.0;
};

DtftGrid dtftGrid(int srKHz, int order);
// Point k's frequency, f0 * ratio^k.
double dtftPointFrequency(const DtftGrid& grid, int k);

// Replaces re[0..K-1] and im[0..K-1] by the transform of re[0..N-1] (N = 2^order) at the grid's
// points, divided by N, reported as the step "DTFT". Asks whether to stop before every point.
// Returns 1 when stopped or when its copy of the signal could not be allocated, else 0.
int dtftLog(double* re, double* im, int order, int srKHz, ScratchAllocator& scratch,
            Progress& progress);

// The strongest point (power re^2 + im^2, tilted by k / K with pinkNoiseFlat); the first strict
// maximum wins, starting from index 0 with power 0.0.
struct PointPeak {
  int index = 0;
  double power = 0.0;
};
PointPeak dtftPeak(const double* re, const double* im, int points, bool pinkNoiseFlat);

struct DtftResult : AnalysisNotes {
  bool analysed = false;  // false for an empty block, a stop or a failure
  SpectrumFrame frame;    // one depth per grid point
  double peakFrequency = 0.0;
  double peakPower = 0.0;
};

// Analyses one block: the first N samples (zero-padded), offset removed and windowed as the frame
// analysis prepares them (or their compensated autocorrelation), evaluated at the grid's points,
// then the peak and the levels.
DtftResult dtftAnalyze(const SampleBlock& block, const AnalysisParams& params,
                       TransformTables& tables, Progress& progress);

}  // namespace korimu

// Maximum entropy analysis: Burg's recursion fits autoregressive models of rising order to the
// whole block, Akaike's final prediction error picks the order, and the model's power spectrum is
// evaluated at ns points (logarithmically spaced, or linearly in the linear spectrum view).
#pragma once

#include <cstdint>
#include <string>

#include "analysis/analysis_notes.h"
#include "analysis/analysis_params.h"
#include "analysis/progress.h"
#include "analysis/sample_block.h"
#include "analysis/scratch_memory.h"
#include "analysis/spectrum_frame.h"
#include "core/sample_rate.h"

namespace korimu {

// Sample interval used in the spectrum formula (one over the rate less one), and the top output
// frequency, for a rate.
struct MemRate {
  double dt = 0.0;
  double fmax = 0.0;
};
MemRate memRate(SampleRate rate);

// Fits models of order 1..mmax to x[0..n-1] and keeps the order with the smallest final
// prediction error: m (0 when no order beats the mean alone), its error power pm and a[0..m-1].
// x is modified (mean removed, then overwritten by the forward errors). Reported as the step
// "burg"; asks whether to stop before every order. Returns 1 when stopped or failed, else 0. The
// caller sets m = 0.
int burgFit(double* x, int n, int mmax, double* a, int& m, double& pm, ScratchAllocator& scratch,
            Progress& progress, AnalysisNotes& notes);

// The model's spectrum dt * pm / |1 + sum a[j] e^(i (j+1) 2 pi dt f)|^2 at `count` frequencies
// starting from f0: mode 2 multiplies the frequency by `step` from point to point, any other mode
// adds it. fmax is not used. Reported as the step "estimate", with a stop check per point;
// returns 1 when stopped.
int memEstimate(double* spec, int count, int m, const double* a, double dt, double pm, double f0,
                double fmax, double step, int mode, Progress& progress);

// Where the points of one block lie for the current view.
struct MemPoints {
  int count = 0;        // ns = 2^blockOrder / 2
  bool linear = false;  // SpectrumLinear: f0 + i * step, else f0 * step^i
  double f0 = 0.0;
  double step = 0.0;
  double fmax = 0.0;
  double frequency(int i) const;
};
MemPoints memPoints(int srKHz, int order, bool linear);

// The block's maximum (with its point) over points 1..ns-1 and its minimum over points 4..ns-1,
// with the pink tilt when pinkNoiseFlat is on.
struct MemExtremes {
  int index = 0;
  double max = 0.0;
  double min = 1.0e36;
};
MemExtremes memExtremes(const double* spec, const MemPoints& points, bool pinkNoiseFlat);

// The power the log scale draws at its 0 dB line: the block's maximum with the automatic gain or
// the rectangle window, else a fixed reference for the sample width and gain.
double memZeroDbPower(bool sixteenBit, double max, const AnalysisParams& params);

// Maps the estimate to depths (one per point) under the params, the references of each scale and
// the block's extremes.
void memDepths(uint8_t* depths, const double* spec, const MemPoints& points,
               const MemExtremes& extremes, bool sixteenBit, const AnalysisParams& params);

// The running maximum's rule for one block's maximum: a block beyond every earlier one becomes
// the new running maximum and gets the "Max" text, which also goes on the main window when it is
// beyond what a sound of this sample width should reach (3.0e9 for 16-bit, 20000.0 for 8-bit).
// The running maximum belongs to the caller (a process keeps one and never resets it).
struct MaxNotice {
  bool newMaximum = false;
  bool warning = false;
  std::string text;  // "Max %8.1e" with the block's maximum
};
MaxNotice updateRunningMax(double& runningMax, double blockMax, bool sixteenBit);

struct MemResult : AnalysisNotes {
  bool analysed = false;  // false when stopped, failed or srKHz is 0
  SpectrumFrame frame;    // one depth per point (logarithmic, or linear in SpectrumLinear)
  double peakFrequency = 0.0;
  double peakPower = 0.0;
  std::string powerWarning;  // the "Max" text when the block is louder than a sound should be
};

// Analyses one block (the whole block, no window) for the params' view, and compares its maximum
// with the running maximum (noteRunningMax).
MemResult memAnalyze(const SampleBlock& block, const AnalysisParams& params,
                     ScratchAllocator& scratch, Progress& progress, double& runningMax);
// The block alone: what depends on no other block, so blocks can be analysed in any order.
MemResult memAnalyzeBlock(const SampleBlock& block, const AnalysisParams& params,
                          ScratchAllocator& scratch, Progress& progress);
// The running maximum's rule applied to an analysed block: its "Max" diagnostic and warning. The
// blocks of a run are compared in the run's order.
void noteRunningMax(MemResult& result, double& runningMax, bool sixteenBit);

}  // namespace korimu

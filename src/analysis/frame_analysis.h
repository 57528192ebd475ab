// Frame analysis: one block of samples turned into what the view shows. In the wave-zoom view
// that is the waveform rows (or the autocorrelation); in the meter, spectrum and chart views a
// spectrum by FFT (method FFT, and the first pass of MEM and DTFT) or DCT (method DCT), with its
// peak. Nothing is drawn here: the result says what to draw.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/analysis_notes.h"
#include "analysis/analysis_params.h"
#include "analysis/progress.h"
#include "analysis/sample_block.h"
#include "analysis/spectrum_frame.h"
#include "analysis/transform_tables.h"

namespace korimu {

struct FrameResult : AnalysisNotes {
  bool analysed = false;  // false for an empty block or when the analysis failed
  bool waveZoom = false;
  // Spectrum views.
  SpectrumFrame frame;  // one depth per point: N/2 for FFT, N for DCT
  int peakBin = 0;
  double peakFrequency = 0.0;
  double peakPower = 0.0;
  // Wave-zoom view.
  std::vector<uint8_t> rows;
  std::vector<double> values;  // per row: the sample, or the lag's compensated autocorrelation
  bool extremesShown = false;  // the extremes are written only for the plain waveform
  int32_t maximum = 0;
  int32_t minimum = 0;
  int32_t autoScale = 0;  // M of the automatic gain (0 when another gain is chosen)
};

// The transform length N: 2^blockOrder for the FFT, half that for the DCT.
int transformLength(int32_t method, int32_t blockOrder);
// The frequency of bin k of the FFT or DCT spectrum of a 2^blockOrder-point block.
double spectrumBinFrequency(int srKHz, int32_t blockOrder, int k);

// Step by step, for the spectrum path:
// re[i] = sample i (zero past the block), im[i] = 0, for i < n.
void fillSamples(double* re, double* im, int n, const SampleBlock& block);
// Subtracts the mean of re[0..count-1] from those values only. With `clampMean` the mean is
// first limited to [-256, 256] (16-bit) or [-1, 1] (8-bit). Returns what was subtracted.
double removeOffset(double* re, int count, bool sixteenBit, bool clampMean);

// The signal a spectrum method transforms, in re[0..n-1] (im all zero): the block's samples, or
// with `lags` its compensated autocorrelation (half as many values), zero padded; the mean of the
// real values removed (clamped unless the autocorrelation is on) and the params' window applied
// over them. False when the autocorrelation failed (the notes say why).
bool prepareSignal(double* re, double* im, int n, const SampleBlock& block, bool lags,
                   const AnalysisParams& params, TransformTables& tables, Progress& progress,
                   AnalysisNotes& notes);

// The view's result for the block.
FrameResult computeFrame(const SampleBlock& block, const AnalysisParams& params,
                         TransformTables& tables, Progress& progress);

}  // namespace korimu

// Frame analysis: one block of samples turned into what the current view shows. In the wave-zoom
// view that is the waveform rows (or the autocorrelation); in the meter, spectrum and chart views
// a spectrum by FFT (method FFT, and the first pass of MEM and DTFT) or DCT (method DCT), with the
// peak readout. Results go to the analysis sink; nothing is drawn here.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/sample_block.h"
#include "analysis/spectrum_frame.h"

namespace korimu {

struct FrameResult {
  bool analysed = false;  // false for an empty block or when memory ran out
  bool waveZoom = false;
  // Spectrum views.
  SpectrumFrame frame;  // one depth per point: N/2 for FFT, N for DCT
  int peakBin = 0;
  double peakFrequency = 0.0;
  double peakPower = 0.0;
  // Wave-zoom view.
  std::vector<uint8_t> rows;
  bool extremesShown = false;  // the extremes are written only for the plain waveform
  int32_t maximum = 0;
  int32_t minimum = 0;
  int32_t autoScale = 0;  // M of the automatic gain (0 when another gain is chosen)
};

// The transform length N: 2^blockOrder for the FFT, half that for the DCT.
int transformLength(int32_t method, int32_t blockOrder);

// Step by step, for the spectrum path (each reads the current settings):
// re[i] = sample i (zero past the block), im[i] = 0, for i < n.
void fillSamples(double* re, double* im, int n, const SampleBlock& block);
// Subtracts the mean of re[0..count-1] from those values only; the mean is clamped to
// [-256, 256] (16-bit) or [-1, 1] (8-bit) unless the autocorrelation is on. Returns what was
// subtracted.
double removeOffset(double* re, int count, bool sixteenBit);

// Computes the view's result from the block under the current settings, without the sink's
// drawing calls (progress texts of the autocorrelation still go to the sink).
FrameResult computeFrame(const SampleBlock& block);

// The whole frame analysis: computes, then hands the result to the sink (peak readout, the view's
// drawing, the plot copy) and finally names the MEM or DTFT overlay that follows, with the same
// arguments. `column` and `columnsPerBlock` matter only to the chart.
void analyzeFrame(const SampleBlock& block, int column, int columnsPerBlock);

}  // namespace korimu

// The extra outputs of the DTFT, MEM and wavelet analysers, beside the ones all analysers share
// (progress texts, peak readout, plot copy in analysis_sink.h). Every member defaults to empty;
// the front end or the run driver installs the painters, tests record what they need.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "analysis/spectrum_frame.h"

namespace korimu {

struct MethodSink {
  // Diagnostic text at (x, y) of the waveform overview window (shown only with /D).
  std::function<void(int x, int y, const std::string& text)> overviewTextAt;
  // A spectrum of points on a logarithmic axis (linear in SpectrumLinear), drawn for `view`: the
  // meter of equal point counts, the linear spectrum, the log-binned spectrum, or the chart's
  // logarithmic column at `column`, `columnsPerBlock` wide. Drawn into the back buffer.
  std::function<void(int32_t view, const SpectrumFrame& frame, int column, int columnsPerBlock)>
      drawPointSpectrum;
  // One chart pixel at (x, y) of the back buffer, in the chart's shade of `depth`.
  std::function<void(int x, int y, uint8_t depth)> chartPixel;
  // Copy one 512-pixel line of the plot area (plot row `row`) from the back buffer to the window.
  std::function<void(int row)> presentPlotRow;
};

// The process-wide sink of the DTFT, MEM and wavelet analysers.
extern MethodSink methodSink;

// Draws the five-digit counter inside the progress text (at x = 512 - 4 unitW) and reports it.
void showProgressCounter(long value, long total);

// Sends a diagnostic text to the overview window when diagnostic texts are on.
void showDiagnostic(int x, int y, const std::string& text);

}  // namespace korimu

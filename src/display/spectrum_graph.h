// Spectra in the plot area: a row of depths (0 full scale at the top row, 255 silence on the
// bottom row), one per frequency bin, lowest frequency first.
#pragma once

#include <cstdint>

#include "core/settings.h"
#include "display/display_state.h"
#include "platform/canvas.h"

namespace korimu {

// Linear bins over a linear frequency axis.
void drawLinearSpectrum(Canvas& canvas, const DisplayState& display, const AppSettings& settings,
                        const uint8_t* depths, int len);
// Linear bins over a logarithmic axis (bin 0 has no place on it).
void drawLogSpectrum(Canvas& canvas, const DisplayState& display, const AppSettings& settings,
                     const uint8_t* depths, int len);
// Where linear bin `bin` (fractions allowed) of `len` sits on the log axis: pixels right of the
// plot's left edge.
double logSpectrumOffset(double bin, int len);
// Bins that are already log-spaced, drawn evenly across `width` pixels from row `top`.
void drawLogBinnedSpectrum(Canvas& canvas, const DisplayState& display, const AppSettings& settings,
                           const uint8_t* depths, int len, int top, int width);

// Element i sits at x = unitW + (step * i) div divisor. The line uses the canvas's current pen
// and is doubled one pixel to the right for thick lines.
void drawLineGraph(Canvas& canvas, LineWidth lineWidth, const uint8_t* depths, int len, int step,
                   int divisor, int top);

// Bars coloured by the note of each linear bin.
void drawNoteBars(Canvas& canvas, const DisplayState& display, int len, int step, int divisor,
                  const uint8_t* depths, int top, int barWidth);

// Integer placement of len elements across width pixels.
struct BinPlacement {
  int step = 1;
  int divisor = 1;
  int x(int i) const;
};
BinPlacement placeBins(int len, int width);

}  // namespace korimu

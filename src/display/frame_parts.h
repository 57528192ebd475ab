// The pieces of the graph frame that other drawing routines reuse: grids inside the plot, the
// chart's side strips and labels, and the areas around the plot.
#pragma once

#include "core/sample_rate.h"
#include "display/display_state.h"
#include "platform/canvas.h"

namespace korimu {

// Vertical grid lines of the linear, logarithmic and waveform axes, in the grid colour.
void drawLinearGrid(Canvas& canvas, SampleRate rate);
void drawLogGrid(Canvas& canvas, SampleRate rate, int count, int width);
void drawWaveGrid(Canvas& canvas, SampleRate rate);
inline constexpr Rgb kGridColour{255, 255, 0};

// The chart's frequency rows (note colours) or grid lines for the strip x .. x + width - 1.
void drawChartStrip(Canvas& canvas, const DisplayState& display, int count, int x, int width);
// The chart's frequency labels right of the plot.
void drawChartLabels(Canvas& canvas, SampleRate rate);

void clearRangeBand(Canvas& canvas);
void clearLegendArea(Canvas& canvas);
void drawRangeMarker(Canvas& canvas, SampleRate rate, bool darkScheme);
// Width of the range bar: one analysis block in overview pixels, 1 .. 850.
int rangeBarWidth(SampleRate rate);

// Bins of the current block size (N / 2).
int currentBinCount();
// The block length the time axis of the waveform zoom shows (halved for the autocorrelation).
int waveSpanFrames();

}  // namespace korimu

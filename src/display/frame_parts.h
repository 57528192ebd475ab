// The pieces of the graph frame that other drawing routines reuse: grids inside the plot, the
// chart's side strips and labels, and the areas around the plot.
#pragma once

#include "platform/canvas.h"

namespace korimu {

// Vertical grid lines of the linear, logarithmic and waveform axes, in the grid colour.
void drawLinearGrid(Canvas& canvas);
void drawLogGrid(Canvas& canvas, int count, int width);
void drawWaveGrid(Canvas& canvas);
inline constexpr Rgb kGridColour{255, 255, 0};

// The chart's frequency rows (note colours) or grid lines for the strip x .. x + width - 1.
void drawChartStrip(Canvas& canvas, int count, int x, int width);
// The chart's frequency labels right of the plot.
void drawChartLabels(Canvas& canvas);

void clearRangeBand(Canvas& canvas);
void clearLegendArea(Canvas& canvas);
void drawRangeMarker(Canvas& canvas);
// Width of the range bar: one analysis block in overview pixels, 1 .. 850.
int rangeBarWidth();

// Bins of the current block size (N / 2).
int currentBinCount();
// The block length the time axis of the waveform zoom shows (halved for the autocorrelation).
int waveSpanFrames();

}  // namespace korimu

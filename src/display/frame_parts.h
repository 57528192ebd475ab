// The pieces of the graph frame that other drawing routines reuse: grids inside the plot, the
// chart's side strips and labels, and the areas around the plot.
#pragma once

#include "core/sample_rate.h"
#include "core/settings.h"
#include "display/display_state.h"
#include "platform/canvas.h"
#include "platform/text_catalogue.h"

namespace korimu {

// Vertical grid lines of the linear, logarithmic and waveform axes, in the grid colour.
void drawLinearGrid(Canvas& canvas, SampleRate rate);
void drawLogGrid(Canvas& canvas, SampleRate rate, int count, int width);
void drawWaveGrid(Canvas& canvas, SampleRate rate, int spanFrames);
inline constexpr Rgb kGridColour{255, 255, 0};

// The chart's frequency rows (note colours) or grid lines for the strip x .. x + width - 1.
void drawChartStrip(Canvas& canvas, const DisplayState& display, const AppSettings& settings,
                    int count, int x, int width);
// Chart columns from `column` to the right edge that hold no data (the span ran past the file's
// end): white with the grid rows, never the note colours that would read as analysed sound.
void clearChartColumnsWithoutData(Canvas& canvas, const DisplayState& display,
                                  const AppSettings& settings, int column);
// The chart's frequency labels right of the plot.
void drawChartLabels(Canvas& canvas, SampleRate rate, const AppSettings& settings);

void clearRangeBand(Canvas& canvas);
void clearLegendArea(Canvas& canvas);
void drawRangeMarker(Canvas& canvas, SampleRate rate, const AppSettings& settings, bool darkScheme,
                     const TextCatalogue& texts = {});
// Width of the range bar: one analysis block in overview pixels, 1 .. 850.
int rangeBarWidth(SampleRate rate, const AppSettings& settings);

// Bins of a transform of 2^blockOrder points (N / 2).
int currentBinCount(int blockOrder);
// The block length the time axis of the waveform zoom shows (halved for the autocorrelation).
int waveSpanFrames(const AppSettings& settings);

}  // namespace korimu

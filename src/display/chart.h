// The time-frequency chart: its resources, the shade of a depth, the column painters and the
// frequency scale of its rows.
#pragma once

#include <cstdint>
#include <vector>

#include "core/layout.h"
#include "core/settings.h"

#include "display/display_state.h"
#include "platform/canvas.h"

namespace korimu {

// Frequencies of the chart's rows for MEM, DTFT (count log-spaced bins) and WT (256 rows).
struct ChartRowScale {
  double fTop = 0;
  double fBottom = 0;
  double ratio = 1;
};
ChartRowScale chartRowScale(SampleRate rate, int count, int method);

// Frequency shown on chart row `row` (0 = bottom) for FFT and DCT with blocks of 2^blockOrder
// points: bins 0 .. 255 of the N-point spectrum, each repeated on 256 / (N/2) rows for short
// blocks. Returns 0 for the rows of bin 0.
double linearChartRowFrequency(SampleRate rate, int blockOrder, int row);

// The plot's place in the window canvas and the back buffer.
inline CanvasArea plotCanvasArea() {
  return {kLayout.unitW, kLayout.plotTop, kPlotWidth, kPlotHeight};
}

// Creates the back buffer and the 16-colour scale the first time and sets referenceLa from the
// key (0 C major .. 11 semitones up).
void prepareAnalysis(DisplayState& display, int musicalKey);
// The caption of the first gain button for the window function ("1/2" for the one whose gain is
// halved, else "Ａt"); the window sets it after prepareAnalysis.
const char* gainButtonCaption(WindowFunction windowFunction);
// Drops the back buffer (the main window is gone).
void releaseDisplaySurfaces(DisplayState& display);

// Colour of depth d (0 loudest .. 255 silence) on a display of the given depth; a 16-colour
// display shows the colours of its scale.
Rgb chartShade(int d, int depthBits, const std::array<Rgb, 16>& chartColours16);
// ... on the display the state's window is on.
Rgb chartShade(const DisplayState& display, int d);

// A run of cells in one chart row (0 the top) that show one element of a block: columns
// [from, to), which may reach past the chart's last column. The element is the loudest of the
// group [groupBegin, groupEnd) the cells stand for (the element alone when the group is empty).
struct ChartSpan {
  int row = 0;
  int from = 0;
  int to = 0;
  int element = 0;
  int groupBegin = 0;
  int groupEnd = 0;
};
// The cells one block's elements are drawn into at column .. column + width - 1: linear bins
// (the lowest 256 shown, each on 256 / len rows when there are fewer), log-spaced bins (each row
// the loudest of its group, the first of equals), and one wavelet row of n depths (each column
// the loudest of its group of samples, or a sample spread over several columns).
std::vector<ChartSpan> linearChartSpans(int len, int column, int width);
std::vector<ChartSpan> logChartSpans(const uint8_t* depths, int len, int column, int width);
std::vector<ChartSpan> waveletRowSpans(const uint8_t* depths, int n, int column, int width,
                                       int row);
// Paints the spans' cells inside the chart in the shades of `cellDepths`, the chart's depths row
// by row (kPlotWidth to a row, row 0 the top). Returns the rectangle painted (window coordinates).
Rect paintChartSpans(const DisplayState& display, Canvas& canvas,
                     const std::vector<ChartSpan>& spans, const uint8_t* cellDepths);

// Paints one block into chart columns column .. column + width - 1: linear bins (lowest 256
// shown) and log-spaced bins (each row the loudest of its group).
void drawChartColumn(const DisplayState& display, Canvas& canvas, const uint8_t* depths, int len,
                     int column, int width);
void drawChartColumnLog(const DisplayState& display, Canvas& canvas, const uint8_t* depths, int len,
                        int column, int width);

// Paints one wavelet row (row 0 at the top) of n depths into the block's chart columns
// column .. column + width - 1: each column shows the loudest (smallest) depth of its group of
// samples, or a sample spreads over several columns. Returns the rectangle painted.
Rect drawWaveletRow(const DisplayState& display, Canvas& canvas, const uint8_t* depths, int n,
                    int column, int width, int row);

// Clears the whole chart to its note rows or grid lines.
void clearChart(const DisplayState& display, const AppSettings& settings, Canvas& canvas);

}  // namespace korimu

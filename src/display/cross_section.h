// The spectrum cross-section: one column of the time-frequency chart read back from the chart's
// back buffer and drawn as a spectrum, with its labels, the column number, the column's place in
// the file and the frequency of its loudest row. Everything is drawn on a canvas of the
// cross-section window's client size; the window itself lives in the front end.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/chart_placement.h"
#include "core/document.h"
#include "core/layout.h"
#include "core/settings.h"
#include "display/display_state.h"
#include "platform/canvas.h"
#include "platform/text_catalogue.h"
#include "wave/wave_source.h"

namespace korimu {

// The rows of one chart column, bottom first.
inline constexpr int kCrossSectionRows = kPlotHeight;

// What the window knows of the chart it shows: how the run that drew it analysed and where it
// read. The axis, the texts, the arrows' step and the peak follow the chart, not the settings
// as they are now.
struct CrossSectionChart {
  SampleRate rate{0};
  int method = kFft;
  int blockOrder = 10;
  int timeResolution = 1024;
  int framesPerColumn = 512;
  // Where the run read each column's samples (position is column 0's byte offset).
  ChartPlacement placement;
  uint32_t bytesPerSecond = 0;
};
// The chart as the open file, the last run's method and the current settings describe it: what
// the window shows before a chart run has left its own description.
CrossSectionChart crossSectionChartFromSettings(SampleRate rate, const AppSettings& settings,
                                                const WaveSource& file, const Document& document);

// Allocates the column buffer of `bytes` bytes. On failure shows the fatal "mem s2" message
// through `messages` and returns false.
bool allocateCrossSectionBuffer(CrossSectionState& crossSection, const Messages& messages,
                                size_t bytes = kCrossSectionRows);
void releaseCrossSectionBuffer(CrossSectionState& crossSection);

// Whether the chart of `method` has linear rows (FFT, DCT) rather than log-spaced ones.
bool crossSectionLinear(int method);
// Bins of a transform of 2^blockOrder points (N / 2).
int crossSectionBins(int blockOrder);

// Depth of a colour read back from the chart: on a 16-colour display 255 - 16 k with k the
// colour's place in the display's chartColours16 (0 for a colour outside the table), else
// 255 - luminance.
int depthOfChartColour(const DisplayState& display, Rgb colour, int depthBits);

// Reads the 256 rows of chart column x (window coordinates) into depths[0..255], element 0 the
// bottom row. Returns the element of the loudest row (the smallest depth; the lowest row wins a
// tie).
int readChartColumn(const DisplayState& display, const Canvas& backBuffer, int x, uint8_t* depths);

// The graph (white area, grid, line or bars) of 256 depths at (unitW, top), `width` pixels wide.
void drawCrossSectionGraph(const DisplayState& display, const AppSettings& settings, Canvas& canvas,
                           const uint8_t* depths, int top, int width,
                           const CrossSectionChart& chart);

// The label row under the graph (cleared first; only cleared when no file is open).
void drawCrossSectionLabels(Canvas& canvas, const CrossSectionChart& chart,
                            const AppSettings& settings, int width);

// The frequency the cross-section gives element `element` (0 the bottom row) of the last chart,
// drawn by `method` with blocks of 2^blockOrder points from a file of `rate`.
double crossSectionRowFrequency(SampleRate rate, int method, int blockOrder, int element);
// "  440 Hz " style readout of the frequency of element `loudest`.
std::string crossSectionPeakText(SampleRate rate, int method, int blockOrder, int loudest);
// Column number and position texts; unitW is the width of the font they are drawn in (the
// position text is shorter for wider fonts). The position counts in the open file's frames, one
// column standing for framesPerColumn of them.
std::string crossSectionColumnText(const Document& document, int unitW = kLayout.unitW);
// Byte offset in the data chunk of a column of the chart.
uint64_t crossSectionBytePosition(const CrossSectionChart& chart, int column);
std::string crossSectionPositionText(const CrossSectionChart& chart, int column,
                                     int unitW = kLayout.unitW, const TextCatalogue& texts = {});

// The whole client area of the window (background, labels, graph, texts) for a chart described by
// its run, the column read from `backBuffer` into crossSection.column when the buffer is allocated
// (into a local one otherwise); `loudest` is the loudest element as the run computed it (-1: the
// loudest pixel read back). Returns the loudest element.
int paintCrossSection(DisplayState& display, const AppSettings& settings, Canvas& client,
                      const Canvas& backBuffer, const CrossSectionChart& chart,
                      const Document& document, int loudest);
// The same for the column's 256 graph depths (element 0 the bottom row) worked out from the
// chart's numbers; `loudest` is the element the peak readout names.
int paintCrossSection(DisplayState& display, const AppSettings& settings, Canvas& client,
                      const uint8_t* columnDepths, const CrossSectionChart& chart,
                      const Document& document, int loudest);

// Whether the window shows the 3D look (button face) or the flat one (window colour), for the
// user's choice of three-dimensional dialogs.
bool crossSectionThreeD(bool dialog3d);
Rgb crossSectionBackground(bool dialog3d);
TextStyle crossSectionTextStyle(bool dialog3d);

// The chart column the window shows (0 .. 511), from the document's crossSectionX.
int crossSectionColumn(const Document& document, int unitW);
// Columns one arrow press moves the shown column (at least 1; 1 for a wavelet chart).
int crossSectionStep(const CrossSectionChart& chart);
// Moves the document's crossSectionX one step left (direction < 0) or right, kept on the chart.
void stepCrossSection(Document& document, const CrossSectionChart& chart, int direction);

// The window's pixel layout for a graph width.
struct CrossSectionLayout {
  int clientWidth = 0;
  int clientHeight = 0;
  Rect close;
  Rect zoom;
  Rect left;
  Rect right;
};
CrossSectionLayout crossSectionLayout(const LayoutUnits& units, int sectionWidth);
// "拡大" while the graph is 256 wide, "縮小" while it is 512 wide.
const char* crossSectionZoomText(int sectionWidth);

}  // namespace korimu

// The cross-section's routines for a chart the settings describe rather than its run: the tests
// draw a column painted by hand, with no run behind it, through these.
#pragma once

#include <cstdint>
#include <string>

#include "core/document.h"
#include "core/layout.h"
#include "core/settings.h"
#include "display/cross_section.h"
#include "display/display_state.h"
#include "platform/canvas.h"
#include "wave/wave_source.h"

namespace korimu {

// The graph of 256 depths for a chart of `method` at the file's rate and the settings' block order.
void drawCrossSectionGraph(const DisplayState& display, const AppSettings& settings, Canvas& canvas,
                           const uint8_t* depths, int top, int width, int method);
// The label row for such a chart.
void drawCrossSectionLabels(Canvas& canvas, SampleRate rate, const AppSettings& settings, int width,
                            int method);
// The whole window for the chart crossSectionChartFromSettings describes, its column read back
// from `backBuffer`.
int paintCrossSection(DisplayState& display, const AppSettings& settings, Canvas& client,
                      const Canvas& backBuffer, const WaveSource& file, const Document& document);
// The arrows' step, and one step, for a chart of `method` under the settings.
int crossSectionStep(SampleRate rate, int method, const AppSettings& settings);
void stepCrossSection(Document& document, SampleRate rate, const AppSettings& settings,
                      int direction);
// The shown column's byte offset and position text when its columns are framesPerColumn frames
// apart from the document's position.
uint64_t crossSectionBytePosition(const WaveSource& file, const Document& document,
                                  int framesPerColumn, int unitW = kLayout.unitW);
std::string crossSectionPositionText(const WaveSource& file, const Document& document,
                                     int framesPerColumn, int unitW = kLayout.unitW);

}  // namespace korimu

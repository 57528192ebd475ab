// The main window's client canvas as one picture: the window paints it and --render saves it, so
// the saved PNG and the screen are drawn by the same code.
#pragma once

#include "core/document.h"
#include "core/settings.h"
#include "display/display_state.h"
#include "platform/canvas.h"
#include "wave/wave_source.h"

namespace korimu {

// Draws the whole client canvas from the display's state: the status texts around the overview
// (position, format, span and the data-count label), the graph frame of the current view with its
// labels, the peak box and the plot from the chart's back buffer. The overview strip, when given,
// goes to its place left of the format texts; the window passes none, because there the strip is
// a widget of its own above the canvas.
void composeClientArea(DisplayState& display, const AppSettings& settings, Canvas& client,
                       const WaveSource& file, Document& document,
                       const Canvas* overviewStrip = nullptr);

// The plot as the run drew it, from the chart's back buffer: over whatever the window wrote on it
// since (the stop notice), which belongs to the window and not to the run's picture.
void copyPlotFromBackBuffer(const DisplayState& display, Canvas& client);

// The graph frame of the current view with the peak box, whose lines the frame's legend clear
// runs through.
void drawGraphFrameWithPeakBox(DisplayState& display, const AppSettings& settings, Canvas& client);

}  // namespace korimu

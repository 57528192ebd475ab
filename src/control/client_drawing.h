// Drawing into the main window's client canvas that several of its paints share.
#pragma once

#include "platform/canvas.h"

namespace korimu {

// The graph frame of the current view with the peak box, whose lines the frame's legend clear
// runs through.
void drawGraphFrameWithPeakBox(Canvas& client);

// Copies the chart's back buffer into the graph area when the chart exists.
void copyChartTo(Canvas& client);

}  // namespace korimu

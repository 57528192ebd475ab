// The peak readout: a box right of the plot with the loudest frequency and its power. The chart's
// labels share its place, so the box keeps its last two lines to draw them again over the labels.
#pragma once

#include <string>

#include "display/display_state.h"
#include "platform/canvas.h"

namespace korimu {

// Fills the box in the colours of the window scheme and writes the two lines, which it keeps.
void drawPeakReadout(DisplayState& display, Canvas& canvas, const std::string& frequencyText,
                     const std::string& powerText);
// The kept lines again (nothing when there are none), after something was drawn over the box.
void redrawPeakReadout(DisplayState& display, Canvas& canvas);
// Blanks the box with the button face and forgets its lines (a view that shows no peak).
void clearPeakReadout(DisplayState& display, Canvas& canvas);
// Forgets the lines without drawing (a new window).
void forgetPeakReadout(DisplayState& display);

}  // namespace korimu

// The graph frame: everything around the 512 x 256 plot area for the current view.
#pragma once

#include "core/settings.h"
#include "display/display_state.h"

#include "display/frame_parts.h"
#include "platform/canvas.h"

namespace korimu {

// Repaints the label and title rows, the margins, the range marker and white plot (outside the
// chart), the labels of the view and the legend.
void drawGraphFrame(const DisplayState& display, const AppSettings& settings, Canvas& canvas);

}  // namespace korimu

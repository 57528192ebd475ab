// The texts an analysis run writes around the plot of the main window: the progress text of a
// long step above the plot, the loudness warning in the same row, the wave zoom's extremes right
// of the plot and the note that the FFT tables did not fit. Each returns the rectangle it wrote.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/layout.h"
#include "platform/canvas.h"
#include "platform/text_catalogue.h"

namespace korimu {

// "name     done/total ": the step's name padded to nine columns and its two counters, ending
// at the right edge of the plot.
Rect drawProgressText(Canvas& canvas, std::string_view name, long done, long total);
// The five-digit `done` counter inside the progress text.
Rect drawProgressCounter(Canvas& canvas, long done);
// Blanks the progress text.
Rect clearProgressText(Canvas& canvas);
// The "Max" text of a block louder than a sound should be, at the left of the progress row.
Rect drawPowerWarning(Canvas& canvas, const std::string& text);
// The block's largest and smallest sample and the caption right of the wave zoom.
Rect drawWaveZoomExtremes(Canvas& canvas, int32_t maximum, int32_t minimum,
                          const TextCatalogue& texts = {});
// "記憶領域不足 bytes" at the window's top left corner.
Rect drawTableShortfall(Canvas& canvas, int bytes, const TextCatalogue& texts = {});

}  // namespace korimu

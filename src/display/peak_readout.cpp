#include "display/peak_readout.h"

#include <algorithm>

#include "core/layout.h"
#include "platform/fixed_font.h"

namespace korimu {

namespace {

int boxX() {
  return kPlotWidth + 3 * kLayout.unitW;
}

}  // namespace

void drawPeakReadout(DisplayState& display, Canvas& canvas, const std::string& frequencyText,
                     const std::string& powerText) {
  display.peakReadout = ReadoutLines{frequencyText, powerText};
  TextStyle style;
  style.text = display.darkScheme ? kWhite : kBlack;
  style.background = display.darkScheme ? kBlack : kWhite;
  const int y = kLayout.plotTop;
  canvas.fillRect(boxX(), y, 12 * kLayout.unitW, 5 * kLayout.unitH, style.background);
  canvas.textOut(boxX(), y, frequencyText, style);
  canvas.textOut(boxX(), y + 3 * kLayout.unitH, powerText, style);
}

void redrawPeakReadout(DisplayState& display, Canvas& canvas) {
  if (!display.peakReadout) return;
  const ReadoutLines lines = *display.peakReadout;
  drawPeakReadout(display, canvas, lines.frequency, lines.power);
}

void clearPeakReadout(DisplayState& display, Canvas& canvas) {
  if (!display.peakReadout) return;
  display.peakReadout.reset();
  // The second line's cell may reach below the box, and a chart label under the box starts one
  // cell left of it: that first character alone must not stay behind.
  const int height = std::max(5 * kLayout.unitH, 3 * kLayout.unitH + FixedFont::kCellHeight);
  const int left = 2 * kLayout.unitW + kPlotWidth;
  canvas.fillRect(left, kLayout.plotTop, boxX() + 12 * kLayout.unitW - left, height, kButtonFace);
}

void forgetPeakReadout(DisplayState& display) {
  display.peakReadout.reset();
}

}  // namespace korimu

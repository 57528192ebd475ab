// Shared set-up for the display tests: default settings and layout, an open-file rate, a window
// canvas filled with a marker colour, and a check that a text was drawn at a place.
#pragma once

#include <gtest/gtest.h>

#include <string_view>

#include "core/layout.h"
#include "core/settings.h"
#include "display/display_state.h"
#include "platform/canvas.h"

namespace korimu::testing {

// A colour no drawing routine uses, to see which pixels were left alone.
inline constexpr Rgb kUntouched{1, 2, 3};

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setOpenRateKHz(0);
    canvas = Canvas(kLayout.layoutWidth, kLayout.clientHeight);
    canvas.clear(kUntouched);
  }
  void TearDown() override { setOpenRateKHz(0); }

  // Pretends a file of this rate (whole kHz; 0: no file) is open.
  void setOpenRateKHz(int kHz) { display.fileRate = SampleRate(kHz); }

  // Same size and depth as `canvas`, cleared to kUntouched.
  Canvas blankLike() const {
    Canvas c(canvas.width(), canvas.height(), canvas.depthBits());
    c.clear(kUntouched);
    return c;
  }

  int plotX(int column) const { return kLayout.unitW + column; }
  int plotY(int row) const { return kLayout.plotTop + row; }
  int labelRowY() const { return kLayout.plotTop + 260; }
  int titleRowY() const { return kLayout.plotTop - 2 * kLayout.unitH - 2; }

  Canvas canvas;
  // The settings and display state the drawing routines are given: the test's own.
  AppSettings settings;
  DisplayState display;
};

// True when the text's cells at (x, y) show exactly what drawing it there in `style` shows.
inline ::testing::AssertionResult textAt(const Canvas& canvas, int x, int y, std::string_view text,
                                         const TextStyle& style = {}) {
  Canvas reference(canvas.width(), canvas.height(), canvas.depthBits());
  reference.clear(kUntouched);
  const int width = reference.textOut(x, y, text, style);
  for (int yy = y; yy < y + 16; ++yy) {
    for (int xx = x; xx < x + width; ++xx) {
      if (xx < 0 || xx >= canvas.width() || yy < 0 || yy >= canvas.height()) continue;
      if (!(canvas.getPixel(xx, yy) == reference.getPixel(xx, yy))) {
        return ::testing::AssertionFailure()
               << "\"" << text << "\" not found at (" << x << ", " << y << "): pixel (" << xx
               << ", " << yy << ") differs";
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// Number of pixels of a colour inside a rectangle.
inline int countColour(const Canvas& canvas, int x, int y, int w, int h, Rgb colour) {
  int n = 0;
  for (int yy = y; yy < y + h; ++yy)
    for (int xx = x; xx < x + w; ++xx) n += canvas.getPixel(xx, yy) == colour ? 1 : 0;
  return n;
}

}  // namespace korimu::testing

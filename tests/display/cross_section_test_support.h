// The fixture of the cross-section tests: a white chart back buffer, a client canvas of the
// window's size, and a check for text drawn on a transparent background.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cross_section_from_settings.h"
#include "display/chart.h"
#include "display/cross_section.h"
#include "display_test_support.h"

namespace korimu::testing {

inline constexpr Rgb kPurple{255, 0, 255};

class CrossSection : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    document_.crossSectionX = kLayout.unitW;
    chart = Canvas(kLayout.layoutWidth, kLayout.clientHeight);
    chart.whiteness(kLayout.unitW, kLayout.plotTop, 512, 256);
    newClient(256);
  }
  void newClient(int width) {
    display.crossSection.sectionWidth = width;
    const CrossSectionLayout l = crossSectionLayout(kLayout, width);
    client = Canvas(l.clientWidth, l.clientHeight);
    client.clear(kUntouched);
  }

  // Writes one chart column from depths (element 0 the bottom row) the way a run paints it.
  // The open file whose facts the position text uses.
  WaveSource file_;
  Document document_;

  void paintColumn(int column, const std::vector<uint8_t>& depths) {
    drawChartColumn(display, chart, depths.data(), int(depths.size()), column, 1);
  }

  // Graph pixel of the client: column i from the left, row from the top of the graph.
  Rgb graphAt(int x, int row) const {
    return client.getPixel(kLayout.unitW + x, kLayout.unitH + row);
  }
  int labelY() const { return kLayout.unitH + 260; }

  Canvas chart;
  Canvas client;
};

// Every pixel a text sets when drawn transparently at (x, y) shows `colour` in `canvas`.
inline ::testing::AssertionResult transparentTextAt(const Canvas& canvas, int x, int y,
                                                    const std::string& text, Rgb colour) {
  Canvas reference(canvas.width(), canvas.height());
  reference.clear(kUntouched);
  const int width = reference.textOut(x, y, text, TextStyle{colour, kWhite, false});
  int inked = 0;
  for (int yy = y; yy < y + 16; ++yy) {
    for (int xx = x; xx < x + width; ++xx) {
      if (reference.getPixel(xx, yy) == kUntouched) continue;
      ++inked;
      if (!(canvas.getPixel(xx, yy) == colour)) {
        return ::testing::AssertionFailure()
               << "\"" << text << "\" missing at (" << xx << ", " << yy << ")";
      }
    }
  }
  if (inked == 0) return ::testing::AssertionFailure() << "\"" << text << "\" has no ink";
  return ::testing::AssertionSuccess();
}

}  // namespace korimu::testing

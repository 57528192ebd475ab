// The fixture of the cross-section window tests: a main window started on a generated sine
// recording, chart runs through the Analyze button, clicks on the chart and the window's buttons.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "app/cross_section_window.h"
#include "app/qt_window_view.h"
#include "app/shell_widgets.h"
#include "crafted_wav.h"
#include "display/cross_section.h"
#include "qt_app_fixture.h"
#include "run_watch.h"

namespace korimu::testing {

// The sine sits exactly on bin 40 of a 512-point block at 44.1 kHz: 3445.3 Hz.
inline constexpr int kSineBin = 40;

inline std::string sineFile(const std::string& name, double seconds, int bin = kSineBin) {
  CraftedWav w;
  w.sampleRate = 44100;
  w.bitsPerSample = 16;
  const int frames = int(44100 * seconds);
  for (int i = 0; i < frames; ++i) {
    const double v = 9000.0 * std::sin(2.0 * std::numbers::pi * bin * i / 512.0);
    appendPcm16(w.data, int(std::lround(v)));
  }
  return writeWav(processFolder("cross-section") / name, w);
}

class CrossSectionWindowTest : public ShellTest {
 protected:
  void TearDown() override {
    closeCrossSectionWindow(app());
    ShellTest::TearDown();
    ::unsetenv("KORIMU_DISPLAY_BITS");
  }

  void analyze(ViewMode view, AnalysisMethod method, int blockOrder) {
    controller().command(view);
    settings().method = method;
    settings().blockOrder = blockOrder;
    buttonById(kAnalyzeId)->click();
    waitWhileBusy();
    ASSERT_FALSE(controller().busy());
  }
  // The chart most tests read: FFT of 512-point blocks at time resolution 1024.
  void analyzeFftChart() {
    settings().timeResolution = 1024;
    analyze(kTimeFrequencyChart, kFft, 9);
  }
  void clickChart(int column, int row = 100) {
    controller().clickClientArea(kLayout.unitW + column, kLayout.plotTop + row);
  }
  CrossSectionWindow* window() { return crossSectionWindow(); }
  void press(int id) {
    ASSERT_NE(window(), nullptr);
    window()->button(id)->click();
  }
  int column() { return controller().session().document.crossSectionX - kLayout.unitW; }
  // The loudest element of the shown column, as the window's last paint read it.
  int loudest() {
    const std::vector<uint8_t>& c = windowDisplay().crossSection.column;
    int best = 0;
    for (int i = 1; i < int(c.size()); ++i)
      if (c[size_t(i)] < c[size_t(best)]) best = i;
    return best;
  }
  // Whether the window's picture shows `text` drawn in `style` at (x, y).
  bool shows(int x, int y, const std::string& text, const TextStyle& style) {
    const Canvas& shown = window()->canvas();
    Canvas reference(shown.width(), shown.height(), shown.depthBits());
    reference.clear(Rgb{1, 2, 3});
    const int width = reference.textOut(x, y, text, style);
    int inked = 0;
    for (int yy = y; yy < y + 16 && yy < shown.height(); ++yy)
      for (int xx = x; xx < x + width && xx < shown.width(); ++xx) {
        const Rgb want = reference.getPixel(xx, yy);
        if (want == Rgb{1, 2, 3}) continue;
        ++inked;
        if (!(shown.getPixel(xx, yy) == want)) return false;
      }
    return inked > 0;
  }
};

}  // namespace korimu::testing

// The spectrum cross-section window after real chart runs: when it opens, how its column moves
// (clicks, arrows, partial play, during a run), what it reads back from the chart and shows.
#include "app/cross_section_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <numbers>
#include <vector>

#include "analysis/run_driver.h"
#include "app/commands.h"
#include "app/shell_widgets.h"
#include "app/widgets.h"
#include "core/shell_hooks.h"
#include "crafted_wav.h"
#include "dialogs/dialog_look.h"
#include "display/cross_section.h"
#include "display/display_state.h"
#include "platform/fixed_font.h"
#include "qt_app_fixture.h"

namespace korimu {
namespace {

using testing::CraftedWav;

// The sine sits exactly on bin 40 of a 512-point block at 44.1 kHz: 3445.3 Hz.
constexpr int kSineBin = 40;

std::string sineFile(const std::string& name, double seconds, int bin = kSineBin) {
  CraftedWav w;
  w.sampleRate = 44100;
  w.bitsPerSample = 16;
  const int frames = int(44100 * seconds);
  for (int i = 0; i < frames; ++i) {
    const double v = 9000.0 * std::sin(2.0 * std::numbers::pi * bin * i / 512.0);
    const auto s = uint16_t(int16_t(std::lround(v)));
    w.data.push_back(uint8_t(s));
    w.data.push_back(uint8_t(s >> 8));
  }
  return testing::writeWav(testing::testFolder("cross-section") / name, w);
}

class CrossSectionWindowTest : public testing::ShellTest {
 protected:
  void SetUp() override {
    testing::ShellTest::SetUp();
    crossSection = CrossSectionState{};
  }
  void TearDown() override {
    closeCrossSectionWindow();
    runHooks.blockRead = nullptr;
    testing::ShellTest::TearDown();
    ::unsetenv("KORIMU_DISPLAY_BITS");
  }

  void analyze(int32_t view, int32_t method, int blockOrder) {
    dispatchCommand(view);
    settings.method = method;
    settings.blockOrder = blockOrder;
    buttonById(kAnalyzeId)->click();
    ASSERT_EQ(appState.busy, 0);
  }
  static void clickChart(int column, int row = 100) {
    clickClientArea(layout.unitW + column, layout.plotTop + row);
  }
  static CrossSectionWindow* window() { return crossSectionWindow(); }
  static void press(int id) {
    ASSERT_NE(window(), nullptr);
    window()->button(id)->click();
  }
  static int column() { return appState.crossSectionX - layout.unitW; }
  // The loudest element of the shown column, as the window's last paint read it.
  static int loudest() {
    const std::vector<uint8_t>& c = crossSection.column;
    int best = 0;
    for (int i = 1; i < int(c.size()); ++i)
      if (c[size_t(i)] < c[size_t(best)]) best = i;
    return best;
  }
  // Whether the window's picture shows `text` drawn in `style` at (x, y).
  static bool shows(int x, int y, const std::string& text, const TextStyle& style) {
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

TEST_F(CrossSectionWindowTest, OpensOnlyAfterAChartRun) {
  start(sineFile("open.wav", 0.5));
  EXPECT_FALSE(menuItemEnabled(1116));
  clickChart(100);
  dispatchCommand(1116);
  EXPECT_EQ(window(), nullptr) << "nothing was analysed yet";

  settings.timeResolution = 1024;
  analyze(kSpectrumLinear, kFft, 9);
  EXPECT_FALSE(menuItemEnabled(1116));
  clickChart(100);
  dispatchCommand(1116);
  EXPECT_EQ(window(), nullptr) << "a spectrum run opens nothing";

  analyze(kTimeFrequencyChart, kFft, 9);
  EXPECT_TRUE(menuItemEnabled(1116));
  clickChart(100);
  ASSERT_NE(window(), nullptr);
  EXPECT_EQ(column(), 100);
  EXPECT_EQ(window()->windowTitle(), QString::fromUtf8("スペクトル断面"));
  EXPECT_TRUE(window()->windowFlags().testFlag(Qt::Tool));
  EXPECT_EQ(window()->parentWidget(), static_cast<QWidget*>(shell().window));
  QApplication::processEvents();
  EXPECT_TRUE(window()->isVisible());

  // While open, clicks move the column (kept on the chart) and 1116 does nothing.
  clickChart(300);
  EXPECT_EQ(column(), 300);
  EXPECT_TRUE(
      shows(int(layout.unitW * 23.5), 5 * layout.unitH + 256, "300", crossSectionTextStyle()));
  clickChart(515, 10);
  EXPECT_EQ(column(), 511);
  clickChart(-4, 10);  // in the margin left of the chart
  EXPECT_EQ(column(), 0);
  clickChart(50, 300);  // below the graph area: ignored
  EXPECT_EQ(column(), 0);
  clickChart(50);
  dispatchCommand(1116);
  EXPECT_EQ(column(), 50);

  // It stays open across runs; closed, 1116 opens it again at the first column.
  analyze(kTimeFrequencyChart, kFft, 9);
  ASSERT_NE(window(), nullptr);
  press(kCrossSectionClose);
  EXPECT_EQ(window(), nullptr);
  EXPECT_TRUE(crossSection.column.empty()) << "the column buffer goes with the window";
  dispatchCommand(1116);
  ASSERT_NE(window(), nullptr);
  EXPECT_EQ(column(), 0);
  // Escape (the cancel command) closes it too.
  QTest::keyClick(window(), Qt::Key_Escape);
  EXPECT_EQ(window(), nullptr);
}

TEST_F(CrossSectionWindowTest, SineGivesItsRowAsTheLoudest) {
  start(sineFile("sine.wav", 0.5));
  settings.timeResolution = 1024;
  analyze(kTimeFrequencyChart, kFft, 9);
  clickChart(4);
  ASSERT_NE(window(), nullptr);
  window()->repaintGraphNow();
  ASSERT_EQ(crossSection.column.size(), 256u);
  EXPECT_EQ(loudest(), kSineBin);
  EXPECT_TRUE(shows(layout.unitW, layout.unitH, " 3445 Hz ", TextStyle{kBlack, kWhite, false}));
  // Its depth is below every other row's, and its bar is drawn down from that depth (under the
  // readout text, which covers the top 16 rows).
  const std::vector<uint8_t>& depths = crossSection.column;
  for (int i = 0; i < 256; ++i) {
    if (i == kSineBin) continue;
    EXPECT_GT(depths[size_t(i)], depths[kSineBin]) << i;
  }
  const Canvas& c = window()->canvas();
  const int x = layout.unitW + kSineBin;
  for (int row = std::max(16, int(depths[kSineBin])); row < 256; ++row) {
    EXPECT_EQ(c.getPixel(x, layout.unitH + row), kBlack) << row;
  }
  if (depths[kSineBin] > 16) {
    EXPECT_NE(c.getPixel(x, layout.unitH + depths[kSineBin] - 1), kBlack);
  }
}

TEST_F(CrossSectionWindowTest, ArrowsStepOneBlockAndStopAtTheEdges) {
  start(sineFile("arrows.wav", 0.5));
  settings.timeResolution = 1024;  // 4096 frames: 8 columns of 512 frames
  analyze(kTimeFrequencyChart, kFft, 9);
  dispatchCommand(1116);
  ASSERT_NE(window(), nullptr);
  EXPECT_EQ(column(), 0);
  press(kCrossSectionLeft);
  EXPECT_EQ(column(), 0);
  press(kCrossSectionRight);
  EXPECT_EQ(column(), 8);
  press(kCrossSectionRight);
  EXPECT_EQ(column(), 16);
  EXPECT_TRUE(
      shows(int(layout.unitW * 23.5), 5 * layout.unitH + 256, " 16", crossSectionTextStyle()));
  clickChart(505);
  press(kCrossSectionRight);
  EXPECT_EQ(column(), 511);
  press(kCrossSectionRight);
  EXPECT_EQ(column(), 511);
  press(kCrossSectionLeft);
  EXPECT_EQ(column(), 503);
}

TEST_F(CrossSectionWindowTest, WaveletChartStepsOneColumn) {
  start(sineFile("wt.wav", 1.0));
  analyze(kTimeFrequencyChart, kWt, 10);
  dispatchCommand(1116);
  ASSERT_NE(window(), nullptr);
  press(kCrossSectionRight);
  press(kCrossSectionRight);
  EXPECT_EQ(column(), 2);
  clickChart(511);
  press(kCrossSectionRight);
  EXPECT_EQ(column(), 511);
  press(kCrossSectionLeft);
  EXPECT_EQ(column(), 510);
}

TEST_F(CrossSectionWindowTest, ClearedChartColumnReadsWhiteAsFullScale) {
  start(sineFile("short.wav", 0.1));  // 4410 frames: the first few columns only
  settings.timeResolution = 1024;
  analyze(kTimeFrequencyChart, kFft, 9);
  clickChart(400);
  ASSERT_NE(window(), nullptr);
  window()->repaintGraphNow();
  const Canvas& back = displaySurfaces.backBuffer;
  int white = 0;
  for (int row = 0; row < 256; ++row) {
    const Rgb pixel = back.getPixel(layout.unitW + 400, layout.plotTop + row);
    if (pixel == kWhite) {
      ++white;
      EXPECT_EQ(crossSection.column[size_t(255 - row)], 0) << row;
    }
  }
  EXPECT_GT(white, 200) << "the cleared chart is white apart from its grid";
}

TEST_F(CrossSectionWindowTest, ZoomShowsTheWideLabelsOf44kHzFft) {
  start(sineFile("zoom.wav", 0.5));
  settings.timeResolution = 1024;
  analyze(kTimeFrequencyChart, kFft, 9);
  dispatchCommand(1116);
  ASSERT_NE(window(), nullptr);
  QAbstractButton* zoom = window()->button(kCrossSectionZoom);
  EXPECT_EQ(zoom->text(), QString::fromUtf8("拡大"));
  EXPECT_EQ(window()->width(), 256 + 2 * layout.unitW);
  press(kCrossSectionZoom);
  EXPECT_EQ(zoom->text(), QString::fromUtf8("縮小"));
  EXPECT_EQ(window()->width(), 512 + 2 * layout.unitW);
  window()->repaintGraphNow();
  const TextStyle style = crossSectionTextStyle();
  const int w = layout.unitW;
  const int y = layout.unitH + 260;
  EXPECT_TRUE(shows(464 - w, y, "20000", style));
  EXPECT_TRUE(shows(348 - w, y, "15000", style));
  EXPECT_TRUE(shows(232 - w, y, "10000", style));
  EXPECT_TRUE(shows(116 - w, y, "5000", style));
  // The buttons sit under the graph at the places of this font width.
  const CrossSectionLayout l = crossSectionLayout(layout, 512);
  EXPECT_EQ(window()->button(kCrossSectionRight)->geometry(),
            QRect(l.right.x, l.right.y, l.right.w, l.right.h));
  press(kCrossSectionZoom);
  EXPECT_EQ(zoom->text(), QString::fromUtf8("拡大"));
  EXPECT_EQ(window()->width(), 256 + 2 * layout.unitW);
  // The width is kept for the next opening.
  press(kCrossSectionZoom);
  press(kCrossSectionClose);
  dispatchCommand(1116);
  ASSERT_NE(window(), nullptr);
  EXPECT_EQ(window()->width(), 512 + 2 * layout.unitW);
}

TEST_F(CrossSectionWindowTest, SixteenColourDisplayReadsTableIndices) {
  ::setenv("KORIMU_DISPLAY_BITS", "4", 1);
  start(sineFile("vga.wav", 0.5));
  ASSERT_EQ(displaySurfaces.backBuffer.depthBits(), 4);
  settings.timeResolution = 1024;
  analyze(kTimeFrequencyChart, kFft, 9);
  clickChart(4);
  ASSERT_NE(window(), nullptr);
  window()->repaintGraphNow();
  ASSERT_EQ(crossSection.column.size(), 256u);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ((crossSection.column[size_t(i)] + 1) % 16, 0) << "255 - 16 k at " << i;
  }
  EXPECT_EQ(loudest(), kSineBin);
}

TEST_F(CrossSectionWindowTest, UsableWhileAChartRuns) {
  start(sineFile("during.wav", 2.0));
  settings.timeResolution = 1024;
  analyze(kTimeFrequencyChart, kFft, 9);
  dispatchCommand(1116);
  ASSERT_NE(window(), nullptr);
  int blocks = 0;
  int columnDuringRun = -1;
  runHooks.blockRead = [&](const SampleBlock&, int, int) {
    ++blocks;
    if (blocks == 2) {
      QMetaObject::invokeMethod(
          qApp, [] { crossSectionWindow()->button(kCrossSectionRight)->click(); },
          Qt::QueuedConnection);
    }
    if (blocks == 5) columnDuringRun = column();
  };
  buttonById(kAnalyzeId)->click();
  EXPECT_GT(blocks, 5);
  EXPECT_EQ(columnDuringRun, 8) << "the arrow worked in the middle of the run";
  EXPECT_NE(window(), nullptr);
}

TEST_F(CrossSectionWindowTest, WindowSwitchAndLookItems) {
  start(sineFile("look.wav", 0.5));
  settings.timeResolution = 1024;
  analyze(kTimeFrequencyChart, kFft, 9);
  dispatchCommand(1116);
  ASSERT_NE(window(), nullptr);
  window()->repaintGraphNow();
  const int below = 8 * layout.unitH + 256 + 1;  // under the buttons
  EXPECT_EQ(window()->canvas().getPixel(2, below), kButtonFace);

  // The window's menu: the window switch, a separator and the 3D-look item.
  emit window()->customContextMenuRequested(QPoint(4, 4));
  const QList<QMenu*> menus = window()->findChildren<QMenu*>();
  ASSERT_EQ(menus.size(), 1);
  const QList<QAction*> items = menus.front()->actions();
  ASSERT_EQ(items.size(), 3);
  EXPECT_EQ(items[0]->data().toInt(), kWindowSwitchItemId);
  EXPECT_EQ(items[0]->text(), QString::fromUtf8("ｳｲﾝﾄﾞｳ切換\tAlt+F6"));
  EXPECT_TRUE(items[1]->isSeparator());
  EXPECT_EQ(items[2]->data().toInt(), kDialog3dItemId);
  items[0]->trigger();
  QApplication::processEvents();
  EXPECT_NE(window(), nullptr) << "switching windows keeps this one open";

  items[2]->trigger();
  EXPECT_EQ(settings.dialog3d, 0);
  QApplication::processEvents();
  window()->repaintGraphNow();
  EXPECT_EQ(window()->canvas().getPixel(2, below), kWindowColour);
  EXPECT_TRUE(shows(int(layout.unitW * 23.5), 5 * layout.unitH + 256, "  0",
                    TextStyle{kWindowText, kWindowColour, true}));
  menus.front()->close();
}

TEST_F(CrossSectionWindowTest, ColumnFollowsPartialPlay) {
  // Streaming playback: every buffer the device hands back moves the column on.
  start(sineFile("partial.wav", 7.0), 1);
  std::function<void(int)> bufferDone;
  AudioBackend backend = audioBackend();
  backend.open = [&](const WaveFormat&, std::function<void(int)> done) {
    bufferDone = std::move(done);
    return true;
  };
  backend.write = [](int, const uint8_t*, size_t) { return true; };
  backend.reset = [] {};
  backend.close = [] {};
  setAudioBackend(backend);
  settings.timeResolution = 1024;
  analyze(kTimeFrequencyChart, kFft, 9);
  clickChart(200);
  ASSERT_NE(window(), nullptr);

  std::vector<int> columns;
  const auto update = shellHooks.updateCrossSection;
  shellHooks.updateCrossSection = [&] {
    columns.push_back(column());
    if (update) update();
  };
  buttonById(kPartialId)->click();
  ASSERT_TRUE(bufferDone) << "the device was opened";
  for (int k = 0; k < 4 && appState.playing; ++k) {
    bufferDone(k % 2);
    QApplication::processEvents();
  }
  buttonById(kStopId)->click();
  shellHooks.updateCrossSection = update;

  ASSERT_GE(columns.size(), 3u) << ::testing::PrintToString(columns);
  EXPECT_EQ(columns[0], 0) << "partial play starts the column at the left edge";
  for (size_t i = 1; i < columns.size(); ++i) EXPECT_GE(columns[i], columns[i - 1]) << i;
  EXPECT_GT(columns.back(), 0);
  EXPECT_EQ(window()->canvas().width(), 256 + 2 * layout.unitW);
}

TEST_F(CrossSectionWindowTest, RealRecordingShowsTheCanvasUnderItsButtons) {
  const std::string path = std::string(KORIMU_SHARED_WAV_DIR) + "/22050_16_mono_espeak-ja.wav";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "no shared recordings";
  start(path);
  settings.timeResolution = 1024;
  struct Look {
    const char* name;
    int32_t method;
    int blockOrder;
    int width;
    int32_t colorScale;
    int32_t graphStyle;
  };
  const Look looks[] = {
      {"fft", kFft, 10, 512, 0, kBarGraph},
      {"dct", kDct, 9, 256, 1, kBarGraph},
      {"fft-line", kFft, 11, 512, 0, kLineGraph},
  };
  for (const Look& look : looks) {
    SCOPED_TRACE(look.name);
    closeCrossSectionWindow();
    settings.colorScale = look.colorScale;
    settings.graphStyle = look.graphStyle;
    analyze(kTimeFrequencyChart, look.method, look.blockOrder);
    crossSection.sectionWidth = look.width;
    clickChart(120);
    ASSERT_NE(window(), nullptr);
    QApplication::processEvents();
    const QImage shown = window()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.width(), look.width + 2 * layout.unitW);
    // Every pixel above the buttons is the canvas's.
    const int buttonsTop = crossSectionLayout(layout, look.width).close.y;
    int differing = 0;
    for (int y = 0; y < buttonsTop; ++y)
      for (int x = 0; x < shown.width(); ++x)
        if ((shown.pixel(x, y) & 0xFFFFFFu) != packRgb(window()->canvas().getPixel(x, y)))
          ++differing;
    EXPECT_EQ(differing, 0);
    // Speech has its loudest row well above silence.
    EXPECT_LT(crossSection.column[size_t(loudest())], 128);
    if (const char* dir = std::getenv("KORIMU_SCREENSHOT_DIR")) {
      shown.save(QString::fromUtf8(dir) + "/cross_section_" + look.name + ".png");
    }
  }
}

}  // namespace
}  // namespace korimu

// A chart run on the worker hands its steps to the window's thread, whose painter draws them and
// repaints only what they drew: after a run the window canvas equals the one the same run paints
// at once (as a render paints it), and what the screen shows equals the canvas.
#include <QAbstractButton>
#include <QApplication>
#include <QScreen>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>

#include "app/qt_window_view.h"
#include "app/widgets.h"
#include "core/layout.h"
#include "crafted_wav.h"
#include "display/status_texts.h"
#include "qt_app_fixture.h"
#include "run/run_driver.h"

namespace korimu {
namespace {

// 1.5 s of a 16-bit 11025 Hz tone gliding up: 2 columns a block at the settings below.
std::string glideFile() {
  testing::CraftedWav w;
  w.bitsPerSample = 16;
  const int frames = 16538;
  double phase = 0.0;
  for (int i = 0; i < frames; ++i) {
    phase += 2.0 * std::numbers::pi * (200.0 + 3000.0 * i / frames) / 11025.0;
    testing::appendPcm16(w.data, int(std::lround(9000.0 * std::sin(phase))));
  }
  return testing::writeWav(testing::processFolder("run-window") / "copy-glide.wav", w);
}

class RunWindowCopyTest : public testing::ShellTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    ::setenv("KORIMU_DISPLAY_BITS", std::to_string(GetParam()).c_str(), 1);
    testing::ShellTest::SetUp();
  }
  void TearDown() override {
    testing::ShellTest::TearDown();
    ::unsetenv("KORIMU_DISPLAY_BITS");
  }

  std::vector<uint32_t> chartRun() {
    buttonById(kAnalyzeId)->click();
    waitWhileBusy();
    QApplication::processEvents();
    return clientCanvas().pixels();
  }

  // The same run as the window's next, painted at once into a copy of the window's display, as a
  // render paints its run.
  std::vector<uint32_t> chartRunAtOnce() {
    const Session& window = controller().session();
    Session run;
    run.settings = window.settings;
    run.document = window.document;
    run.display = window.display;
    run.memRunningMax = window.memRunningMax;
    RunListener quiet;
    runAnalysis(run, quiet);
    closeWave(run.wave, true);
    return run.display.surfaces.window.pixels();
  }

  // Pixels that the screen shows and the canvas does not, below the overview strip and left of
  // the power buttons (the part of the client area no control covers: plot, labels, readout).
  int shownDifferences() {
    QWidget* top = shell().window;
    const QImage shown =
        top->screen()->grabWindow(top->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint origin = shell().client->mapTo(top, QPoint(0, 0));
    const Canvas& canvas = clientCanvas();
    int differing = 0;
    const int right = kLayout.layoutWidth - 7 * kLayout.unitW - 2;
    for (int y = 3 * kLayout.unitH + kLayout.overviewHeight; y < canvas.height(); ++y)
      for (int x = 0; x < right; ++x)
        if ((shown.pixel(origin.x() + x, origin.y() + y) & 0xFFFFFFu) !=
            packRgb(canvas.getPixel(x, y)))
          ++differing;
    return differing;
  }
};

TEST_P(RunWindowCopyTest, EveryMethodLeavesTheCanvasTheRunPaintedAtOnceAndTheScreenShowsIt) {
  start(glideFile());
  ASSERT_EQ(clientCanvas().depthBits(), GetParam());
  shell().window->show();
  QApplication::processEvents();
  controller().command(kTimeFrequencyChart);
  settings().timeResolution = 1024;
  settings().blockOrder = 9;
  for (AnalysisMethod method : {kFft, kDct, kDtft, kMem, kWt}) {
    settings().method = method;
    chartRun();  // running maxima and texts as any later run finds them
    const std::vector<uint32_t> atOnce = chartRunAtOnce();
    const std::vector<uint32_t> handedOver = chartRun();
    EXPECT_EQ(shownDifferences(), 0) << "method " << method;
    EXPECT_TRUE(handedOver == atOnce) << "method " << method;
  }
}

INSTANTIATE_TEST_SUITE_P(DisplayDepths, RunWindowCopyTest, ::testing::Values(24, 16, 8, 4),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return "Bits" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace korimu

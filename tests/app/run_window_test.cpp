// Analyze in the window: the running state, Stop and Escape during long runs, a close or a
// minimise during a run, a quit request during a run, and the chart that a repaint brings back from
// the back buffer. The run is on a worker; the watcher sees each block and progress step as it
// comes (the run waits for it there), and what it queues runs while the run goes on.
#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMenuBar>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>
#include <thread>

#include "app/qt_window_view.h"
#include "app/widgets.h"
#include "crafted_wav.h"
#include "display/chart.h"
#include "display/display_state.h"
#include "display/status_texts.h"
#include "qt_app_fixture.h"
#include "run_watch.h"

namespace korimu {
namespace {

using testing::atNextEvent;
using testing::CraftedWav;
using testing::RunWatch;

// A 16-bit mono 44.1 kHz recording of a gliding tone, `seconds` long.
std::string glideFile(const std::string& name, double seconds) {
  CraftedWav w;
  w.sampleRate = 44100;
  w.bitsPerSample = 16;
  const int frames = static_cast<int>(44100 * seconds);
  double phase = 0.0;
  for (int i = 0; i < frames; ++i) {
    const double f = 300.0 + 4000.0 * i / frames;
    phase += 2.0 * std::numbers::pi * f / 44100.0;
    testing::appendPcm16(w.data, int(std::lround(12000.0 * std::sin(phase))));
  }
  return testing::writeWav(testing::processFolder("run-window") / name, w);
}

class RunWindowTest : public testing::ShellTest {
 protected:
  // The plot area of the window canvas, of the back buffer, or of a freshly cleared chart.
  Rgb windowPlot(int x, int y) {
    return clientCanvas().getPixel(kLayout.unitW + x, kLayout.plotTop + y);
  }
  Canvas clearedChart() {
    Canvas c(kLayout.layoutWidth, kLayout.clientHeight, clientCanvas().depthBits());
    clearChart(windowDisplay(), settings(), c);
    return c;
  }
  // Whether a plot column looks as the cleared chart does, apart from the notice that Stop writes
  // at (300, 150) of the window.
  bool columnIsCleared(int x, const Canvas& cleared) {
    for (int y = 0; y < 256; ++y) {
      const int wx = kLayout.unitW + x;
      const int wy = kLayout.plotTop + y;
      const bool notice = wx >= 300 && wx < 300 + 12 * 8 && wy >= 150 && wy < 150 + 16;
      if (!notice && windowPlot(x, y) != cleared.getPixel(wx, wy)) return false;
    }
    return true;
  }

  void chartWith(AnalysisMethod method, int blockOrder) {
    controller().command(kTimeFrequencyChart);
    settings().method = method;
    settings().blockOrder = blockOrder;
    settings().timeResolution = 1024;  // 4096 frames at 44.1 kHz: 8 columns a block
  }
};

TEST_F(RunWindowTest, StopDuringADtftChartRunEndsAtTheNextPointAndKeepsTheColumns) {
  start(glideFile("dtft.wav", 4.0));
  chartWith(kDtft, 11);
  std::vector<int> columns;
  QString stopTextDuringRun;
  bool stopEnabledDuringRun = false;
  bool busyDuringRun = false;
  RunWatch watch(app());
  watch.onBlock = [&](const SampleBlock&, int column, int) {
    columns.push_back(column);
    stopTextDuringRun = buttonById(kStopId)->text();
    stopEnabledDuringRun = buttonById(kStopId)->isEnabled();
    busyDuringRun = controller().busy();
    if (columns.size() == 3) atNextEvent([this] { buttonById(kStopId)->click(); });
  };
  buttonById(kAnalyzeId)->click();
  waitWhileBusy();

  EXPECT_EQ(columns, (std::vector<int>{0, 8, 16})) << "no block is read after Stop";
  EXPECT_EQ(stopTextDuringRun, QString::fromUtf8("中断"));
  EXPECT_TRUE(stopEnabledDuringRun);
  EXPECT_EQ(busyDuringRun, 1);
  EXPECT_FALSE(controller().busy());
  EXPECT_EQ(buttonById(kStopId)->text(), QString::fromUtf8("停止"));
  EXPECT_TRUE(buttonById(kAnalyzeId)->isEnabled());
  EXPECT_EQ(controller().session().document.lastRunMethod, kDtft);
  EXPECT_TRUE(menuItemEnabled(1116));
  // The two finished blocks stay drawn; the interrupted one drew nothing.
  const Canvas cleared = clearedChart();
  for (int x = 0; x < 16; ++x) EXPECT_FALSE(columnIsCleared(x, cleared)) << x;
  for (int x = 16; x < 512; ++x) EXPECT_TRUE(columnIsCleared(x, cleared)) << x;
}

TEST_F(RunWindowTest, StopDuringAWaveletRunEndsBeforeTheNextRow) {
  start(glideFile("wt.wav", 2.0));
  controller().command(kSpectrumLinear);
  settings().method = kWt;
  settings().blockOrder = 10;
  // Each row is counted as it starts; Stop is pressed once the fifth is under way.
  int rows = 0;
  RunWatch watch(app());
  watch.onStep = [&](long, long) {
    if (++rows == 5) atNextEvent([this] { buttonById(kStopId)->click(); });
  };
  int blocks = 0;
  watch.onBlock = [&](const SampleBlock&, int, int) { ++blocks; };
  buttonById(kAnalyzeId)->click();
  waitWhileBusy();

  EXPECT_EQ(settings().display, kTimeFrequencyChart);
  EXPECT_TRUE(menuItemChecked(kTimeFrequencyChart));
  EXPECT_FALSE(menuItemChecked(kSpectrumLinear));
  EXPECT_EQ(blocks, 1);
  EXPECT_EQ(rows, 5);
  EXPECT_FALSE(controller().busy());
}

TEST_F(RunWindowTest, EscapeStopsAChartRunAfterTheBlockInProgress) {
  start(glideFile("escape.wav", 3.0));
  chartWith(kFft, 10);
  int blocks = 0;
  RunWatch watch(app());
  watch.onBlock = [&](const SampleBlock&, int, int) {
    if (++blocks == 4) {
      atNextEvent([this] {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget()
                                                      : static_cast<QWidget*>(shell().window);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
      });
    }
  };
  buttonById(kAnalyzeId)->click();
  waitWhileBusy();
  // The Esc reaches the window while the fourth block is analysed, or once it is done and the
  // fifth has been read; the run stops there (3 s of 4096-frame blocks would be 32).
  EXPECT_GE(blocks, 4);
  EXPECT_LE(blocks, 5);
}

// Alt puts the menu bar in its keyboard mode (its menus are off during a run) and it then takes the
// next key; an Esc there still stops the run.
TEST_F(RunWindowTest, EscapeAfterAltStillStopsTheRun) {
  start(glideFile("alt-escape.wav", 3.0));
  chartWith(kFft, 10);
  int blocks = 0;
  QWidget* keyboardTarget = nullptr;
  RunWatch watch(app());
  watch.onBlock = [&](const SampleBlock&, int, int) {
    if (++blocks == 4) {
      atNextEvent([&] {
        QWidget* focused = QApplication::focusWidget() ? QApplication::focusWidget()
                                                       : static_cast<QWidget*>(shell().window);
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
          QKeyEvent alt(type, Qt::Key_Alt,
                        type == QEvent::KeyPress ? Qt::AltModifier : Qt::NoModifier);
          QApplication::sendEvent(focused, &alt);
        }
        keyboardTarget = QApplication::focusWidget();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(keyboardTarget, &press);
      });
    }
  };
  buttonById(kAnalyzeId)->click();
  waitWhileBusy();
  EXPECT_EQ(keyboardTarget, static_cast<QWidget*>(shell().window->menuBar()));
  EXPECT_GE(blocks, 4);
  EXPECT_LE(blocks, 5);
}

TEST_F(RunWindowTest, CloseDuringARunStopsItAndClosesTheWindowAfterwards) {
  start(glideFile("close.wav", 1.0));
  chartWith(kFft, 9);
  shell().window->show();
  int blocks = 0;
  bool closeAccepted = true;
  RunWatch watch(app());
  watch.onBlock = [&](const SampleBlock&, int, int) {
    if (++blocks == 2) atNextEvent([&] { closeAccepted = shell().window->close(); });
  };
  buttonById(kAnalyzeId)->click();
  waitWhileBusy();
  EXPECT_FALSE(closeAccepted) << "the run was still going";
  // 1 s of 4096-frame blocks would be 11: the close stopped the run as 中断 does.
  EXPECT_GE(blocks, 2);
  EXPECT_LE(blocks, 3);
  EXPECT_FALSE(controller().busy());
  QApplication::processEvents();
  EXPECT_FALSE(shell().window->isVisible()) << "closed once the run had returned";
}

TEST_F(RunWindowTest, MinimisingIsUndoneOnlyWhileARunIsBusy) {
  start(glideFile("minimise.wav", 1.0));
  chartWith(kFft, 9);
  shell().window->show();
  const Qt::WindowFlags flags = shell().window->windowFlags();
  bool minimisedInRun = false;
  int blocks = 0;
  RunWatch watch(app());
  watch.onBlock = [&](const SampleBlock&, int, int) {
    if (++blocks == 2) shell().window->setWindowState(Qt::WindowMinimized);
    if (blocks == 6) minimisedInRun = shell().window->isMinimized();
  };
  buttonById(kAnalyzeId)->click();
  waitWhileBusy();
  EXPECT_EQ(blocks, 11);
  EXPECT_FALSE(minimisedInRun);
  EXPECT_EQ(shell().window->windowFlags(), flags) << "the decorations stay as they are";
  shell().window->setWindowState(Qt::WindowMinimized);
  QApplication::processEvents();
  EXPECT_TRUE(shell().window->isMinimized()) << "idle, the window minimises";
}

TEST_F(RunWindowTest, TheChartLabelsLeaveThePeakBoxWholeAndTheWaveformViewClearsIt) {
  start(glideFile("peak.wav", 1.0));
  chartWith(kFft, 9);
  buttonById(kAnalyzeId)->click();
  waitWhileBusy();
  const int x = 512 + 3 * kLayout.unitW;
  const int y = kLayout.plotTop;
  // Both lines begin with their captions, which the labels' clear would have taken away.
  auto boxIsWhole = [&] {
    Canvas expected = clientCanvas();
    const TextStyle box{kBlack, kWhite, true};
    expected.textOut(x, y, "Peak ", box);
    expected.textOut(x, y + 3 * kLayout.unitH, "Pow", box);
    return expected.pixels() == clientCanvas().pixels();
  };
  EXPECT_TRUE(boxIsWhole());
  shell().client->invalidateAll();
  shell().client->repaint();
  EXPECT_TRUE(boxIsWhole()) << "after a full repaint";

  // Leaving the chart for the waveform blanks the box and the label column beside it.
  controller().command(kWaveZoom);
  int blank = 0;
  for (int row = 0; row < 5 * kLayout.unitH; ++row)
    for (int col = -kLayout.unitW; col < 12 * kLayout.unitW; ++col)
      blank += clientCanvas().getPixel(x + col, y + row) == kButtonFace ? 1 : 0;
  EXPECT_EQ(blank, 65 * kLayout.unitW * kLayout.unitH);
}

TEST_F(RunWindowTest, ARepaintBringsTheChartBackFromTheBackBuffer) {
  start(glideFile("repaint.wav", 1.0));
  chartWith(kFft, 10);
  buttonById(kAnalyzeId)->click();
  waitWhileBusy();
  const Canvas& back = windowDisplay().surfaces.backBuffer;
  // Whatever covered the window is gone from its canvas.
  clientCanvas().fillRect(kLayout.unitW, kLayout.plotTop, 512, 256, kBlack);
  shell().client->invalidateAll();
  const QImage shown = shell().client->grab().toImage().convertToFormat(QImage::Format_RGB32);
  int differing = 0;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 512; ++x) {
      const QRgb p = shown.pixel(kLayout.unitW + x, kLayout.plotTop + y) & 0xFFFFFF;
      if (p != packRgb(back.getPixel(kLayout.unitW + x, kLayout.plotTop + y))) ++differing;
    }
  EXPECT_EQ(differing, 0);
  EXPECT_FALSE(columnIsCleared(0, clearedChart())) << "the chart holds the run's columns";
}

TEST_F(RunWindowTest, ARepaintBringsTheLastSpectrumBack) {
  start(glideFile("spectrum.wav", 0.5));
  controller().command(kSpectrumLog);
  buttonById(kAnalyzeId)->click();
  waitWhileBusy();
  const QImage before = shell().client->grab().toImage().convertToFormat(QImage::Format_RGB32);
  clientCanvas().fillRect(kLayout.unitW, kLayout.plotTop, 512, 256, kBlack);
  shell().client->invalidateAll();
  const QImage after = shell().client->grab().toImage().convertToFormat(QImage::Format_RGB32);
  int differing = 0;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 512; ++x)
      if (before.pixel(kLayout.unitW + x, kLayout.plotTop + y) !=
          after.pixel(kLayout.unitW + x, kLayout.plotTop + y))
        ++differing;
  EXPECT_EQ(differing, 0);
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(watched, event);
  }
};

TEST_F(RunWindowTest, ARepaintAskedForDuringALongMemRunIsServedAtOnce) {
  // MEM at the longest transform over a 10 s recording: seconds of work even optimised.
  start(glideFile("mem.wav", 10.0));
  chartWith(kMem, 16);
  shell().window->show();
  // 50 ms in a plain build. A sanitized build paints many times slower (ThreadSanitizer about
  // 100 ms a whole repaint, more under load): there a repaint served within ten of its own
  // repaints, while the run of several seconds goes on, was not held by the run.
  const auto paintStart = std::chrono::steady_clock::now();
  shell().client->invalidateAll();
  shell().client->repaint();
  const double paintMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - paintStart)
          .count();
  const double boundMs = kSanitized ? std::max(50.0, 10 * paintMs) : 50.0;
  // Stop is enabled once the window hears that the run has entered its running state.
  auto startRun = [this] {
    buttonById(kAnalyzeId)->click();
    const auto entered = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!buttonById(kStopId)->isEnabled() && std::chrono::steady_clock::now() < entered)
      QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return buttonById(kStopId)->isEnabled();
  };
  PaintCounter counter;
  shell().client->installEventFilter(&counter);
  // Only a wait that began and ended with the run going counts; a run that ends first (a fast or
  // a loaded machine) is followed by another.
  std::vector<double> waits;
  bool entered = true;
  for (int asked = 0; waits.size() < 5 && asked < 20 && entered; ++asked) {
    if (!controller().busy()) entered = startRun();
    const int before = counter.paints;
    const auto askedAt = std::chrono::steady_clock::now();
    shell().client->update();
    while (counter.paints == before &&
           std::chrono::steady_clock::now() - askedAt < std::chrono::seconds(10))
      QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (counter.paints != before && controller().busy())
      waits.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - askedAt)
              .count());
  }
  shell().client->removeEventFilter(&counter);
  if (controller().busy()) buttonById(kStopId)->click();
  waitWhileBusy();
  ASSERT_TRUE(entered) << "the run never entered its running state";
  ASSERT_EQ(waits.size(), 5u) << "repaints served while a run went on";
  std::sort(waits.begin(), waits.end());
  EXPECT_LT(waits[2], boundMs) << "median wait for a repaint during the run, ms";
}

TEST_F(RunWindowTest, AQuitRequestDuringARunStopsItAndTheLoopEndsWithExitCodeZero) {
  start(glideFile("quit.wav", 2.0));
  chartWith(kFft, 10);
  int blocks = 0;
  RunWatch watch(app());
  watch.onBlock = [&](const SampleBlock&, int, int) {
    if (++blocks == 2) QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit));
  };
  buttonById(kAnalyzeId)->click();
  EXPECT_EQ(runMessageLoop(app()), 0);
  EXPECT_FALSE(controller().busy()) << "the run was stopped and waited for";
  EXPECT_GE(blocks, 2);
  EXPECT_LT(blocks, 21) << "2 s of 4096-frame blocks: the run did not go to its end";
}

}  // namespace
}  // namespace korimu

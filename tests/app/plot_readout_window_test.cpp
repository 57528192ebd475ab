// The readout in the window: the pointer over the plot shows the last run's numbers for the
// place under it and leaving the plot clears them; the keys move its cursor (Home and End only
// while it is shown, otherwise they go on to the window's own shortcuts); saved and copied
// pictures are the same bytes whether it is shown or not; a running chart answers for the columns
// it has computed.
#include <QAccessible>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QShortcut>
#include <QTest>
#include <cmath>
#include <fstream>
#include <iterator>

#include "app/plot_readout_widget.h"
#include "app/shell_widgets.h"
#include "app/startup.h"
#include "app/widgets.h"
#include "control/plot_readout.h"
#include "qt_app_fixture.h"
#include "wave/wav_builder.h"

namespace korimu::testing {
namespace {

std::vector<int> sweep(size_t frames, double rate) {
  std::vector<int> samples(frames);
  double phase = 0.0;
  for (size_t i = 0; i < frames; ++i) {
    phase += 2 * M_PI * (300.0 + 4000.0 * double(i) / double(frames)) / rate;
    samples[i] = int(std::lround(12000 * std::sin(phase)));
  }
  return samples;
}

std::string bytesOf(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

FormatFields monoAt44k() {
  FormatFields f;
  f.channels = 1;
  f.bits = 16;
  f.rate = 44100;
  return f;
}

class ReadoutWindowTest : public ShellTest {
 protected:
  void startWith(double seconds, int devices = 0) {
    const auto path = processFolder("readout") / "sweep.wav";
    const size_t frames = size_t(44100 * seconds);
    const std::vector<uint8_t> bytes = waveFile(monoAt44k(), pcm16(sweep(frames, 44100)));
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    start(path.string(), devices);
  }
  void chartRun(AnalysisMethod method = kFft) {
    controller().command(kTimeFrequencyChart);
    settings().method = method;
    settings().blockOrder = 9;
    settings().framesPerColumn = 16;
    controller().command(kAnalyzeId);
    waitWhileBusy();
  }
  PlotReadout& readout() { return *shell().readout; }
  QString shownText() { return readout().overlay()->text(); }
  // The pointer moves to plot pixel (x, y) (outside the plot for negative values).
  void pointTo(int x, int y) {
    const QPoint at(kLayout.unitW + x, kLayout.plotTop + y);
    QMouseEvent move(QEvent::MouseMove, at, shell().client->mapToGlobal(at), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(shell().client, &move);
  }
  QString expectedText(int x, int y) {
    const RunRecord& run = controller().lastRun();
    const NoteNaming notes{settings().colorScale, windowDisplay().referenceLa};
    return QString::fromStdString(
        readoutText(readoutValues(run, readoutPlaceAt(run, x, y), notes)));
  }
  void focusPlot() {
    shell().window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(shell().window));
    shell().client->setFocus();
    ASSERT_TRUE(shell().client->hasFocus());
  }
  // Saves the picture through the window's own dialog, answered with `path`.
  void savePictureTo(const std::filesystem::path& path) {
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
      if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
        answer.stop();
        // Typed into the name field, as a user would (the dialog proposes its own name).
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(path.string()));
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
      }
    });
    answer.start(10);
    controller().command(kSavePictureId);
    ASSERT_TRUE(std::filesystem::exists(path)) << ::testing::PrintToString(messages);
  }
  QImage copiedPicture() {
    controller().command(kCopyPictureId);
    return QGuiApplication::clipboard()->image();
  }
};

TEST_F(ReadoutWindowTest, PointerNamesTheRunsNumbersAndLeavingThePlotClearsThem) {
  startWith(1.0);
  pointTo(100, 50);
  EXPECT_TRUE(shownText().isEmpty()) << "nothing before a run";
  chartRun();
  const std::pair<int, int> points[] = {{0, 0}, {100, 50}, {511, 255}, {300, 128}};
  for (const auto& [x, y] : points) {
    SCOPED_TRACE(::testing::Message() << x << ", " << y);
    pointTo(x, y);
    ASSERT_FALSE(expectedText(x, y).isEmpty());
    EXPECT_EQ(shownText(), expectedText(x, y));
    EXPECT_EQ(shell().client->accessibleDescription(), expectedText(x, y));
    EXPECT_TRUE(readout().overlay()->label()->isVisible());
    EXPECT_EQ(readout().overlay()->crosshair(), QPoint(x, y));
  }
  pointTo(-3, 20);  // left of the plot
  EXPECT_TRUE(shownText().isEmpty());
  EXPECT_FALSE(readout().overlay()->label()->isVisible());
  EXPECT_FALSE(readout().overlay()->crosshair().has_value());
  EXPECT_TRUE(shell().client->accessibleDescription().isEmpty());
  pointTo(20, 20);
  EXPECT_FALSE(shownText().isEmpty());
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(shell().client, &leave);
  EXPECT_TRUE(shownText().isEmpty());
  EXPECT_FALSE(readout().overlay()->label()->isVisible());
}

TEST_F(ReadoutWindowTest, SavedAndCopiedPicturesAreTheSameWithTheReadoutShown) {
  startWith(1.0);
  chartRun();
  const auto folder = processFolder("readout-pictures");
  QApplication::processEvents();
  const QImage onScreenBefore = shell().client->grab().toImage();
  savePictureTo(folder / "plain.png");
  const QImage copiedPlain = copiedPicture();
  pointTo(200, 100);
  ASSERT_FALSE(shownText().isEmpty());
  QApplication::processEvents();
  // The crosshair is on the screen...
  EXPECT_NE(shell().client->grab().toImage(), onScreenBefore);
  // ... and in nothing saved or copied.
  savePictureTo(folder / "with-readout.png");
  const QImage copiedWithReadout = copiedPicture();
  EXPECT_EQ(bytesOf(folder / "plain.png"), bytesOf(folder / "with-readout.png"));
  ASSERT_FALSE(copiedPlain.isNull());
  EXPECT_EQ(copiedPlain, copiedWithReadout);
}

// --screenshot --readout: the picture is the window as the screen shows it. Over the label it is
// the label; on the crosshair's lines the dotted line; everywhere else the window without the
// readout, pixel for pixel. The label names the record's numbers for that plot pixel.
TEST_F(ReadoutWindowTest, ScreenshotWithAReadoutIsTheWindowAsShown) {
  startWith(1.0);
  controller().command(kTimeFrequencyChart);
  settings().blockOrder = 9;
  settings().framesPerColumn = 16;
  const PlotPoint at{200, 100};
  ASSERT_TRUE(analyseAndPointAt(app(), at));
  EXPECT_EQ(shownText(), expectedText(at.x, at.y));
  const auto path = processFolder("readout-shot") / "shot.png";
  ASSERT_TRUE(saveClientScreenshot(app(), path.string()));
  const QImage shot =
      QImage(QString::fromStdString(path.string())).convertToFormat(QImage::Format_RGB32);
  QLabel* label = readout().overlay()->label();
  ASSERT_TRUE(label->isVisible());
  const QRect labelRect(label->pos() - shell().client->mapToGlobal(QPoint(0, 0)), label->size());
  ASSERT_TRUE(shell().client->rect().contains(labelRect)) << "the label stands over the window";
  const QImage labelShown = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QPoint cross(kLayout.unitW + at.x, kLayout.plotTop + at.y);
  const QRect plot(kLayout.unitW, kLayout.plotTop, kPlotWidth, kPlotHeight);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(shell().client, &leave);
  QApplication::processEvents();
  const QImage without = shell().client->grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shot.size(), without.size());
  int crosshairPixels = 0, differing = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      const QRgb pixel = shot.pixel(x, y);
      if (labelRect.contains(x, y)) {
        differing += pixel != labelShown.pixel(x - labelRect.x(), y - labelRect.y());
      } else if (plot.contains(x, y) && (x == cross.x() || y == cross.y())) {
        ++crosshairPixels;
        differing += pixel != qRgb(255, 255, 255) && pixel != qRgb(0, 0, 0);
      } else {
        differing += pixel != without.pixel(x, y);
      }
    }
  }
  EXPECT_EQ(differing, 0);
  EXPECT_GT(crosshairPixels, kPlotWidth);
}

// Once the plot shows a picture it is a stop of the Tab round, between 部分 and <<<; before
// that the round is the control bar's alone.
TEST_F(ReadoutWindowTest, TabReachesThePlotOnceItShowsAPicture) {
  startWith(1.0, 1);  // a device: 部分 is on
  EXPECT_NE(tabTarget(kPartialId, false), shell().client);
  EXPECT_NE(tabTarget(kFastBackId, true), shell().client);
  chartRun();
  EXPECT_EQ(tabTarget(kPartialId, false), shell().client);
  EXPECT_EQ(tabTarget(kFastBackId, true), shell().client);
  focusPlot();
  QTest::keyClick(shell().client, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), controlById(kFastBackId));
  QTest::keyClick(controlById(kFastBackId), Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), shell().client);
  // From the plot the keys move the readout, and Shift+Tab leaves it for the control bar.
  QTest::keyClick(shell().client, Qt::Key_Right);
  EXPECT_TRUE(readout().cursorShown());
  QTest::keyClick(shell().client, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), controlById(kPartialId));
  QTest::keyClick(controlById(kPartialId), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), shell().client);
}

TEST_F(ReadoutWindowTest, KeysMoveTheCursorAndHomeEndAreItsOnlyWhileItIsShown) {
  startWith(1.0);
  chartRun();
  focusPlot();
  // The window's own Home (as the position's start would be bound) and a count of its uses.
  int windowHomes = 0;
  QShortcut home(QKeySequence(Qt::Key_Home), shell().window);
  QObject::connect(&home, &QShortcut::activated, [&] { ++windowHomes; });

  QTest::keyClick(shell().client, Qt::Key_Home);
  EXPECT_EQ(windowHomes, 1);
  EXPECT_FALSE(readout().cursorShown());

  struct KeyCase {
    Qt::Key key;
    ReadoutPlace place;
  };
  const KeyCase keys[] = {
      {Qt::Key_Right, {0, 128}},  // the first key shows the cursor at the left edge
      {Qt::Key_Right, {1, 128}},  {Qt::Key_Left, {0, 128}},  {Qt::Key_Left, {0, 128}},
      {Qt::Key_Up, {0, 127}},     {Qt::Key_End, {511, 127}}, {Qt::Key_Right, {511, 127}},
      {Qt::Key_Down, {511, 128}}, {Qt::Key_Home, {0, 128}},
  };
  for (const KeyCase& k : keys) {
    QTest::keyClick(shell().client, k.key);
    ASSERT_TRUE(readout().cursorShown());
    EXPECT_EQ(readout().place(), k.place) << k.key;
    EXPECT_EQ(shownText(), expectedText(k.place.item, k.place.row));
    EXPECT_EQ(shell().client->accessibleDescription(), shownText());
  }
  EXPECT_EQ(windowHomes, 1);
  QTest::keyClick(shell().client, Qt::Key_Escape);
  EXPECT_FALSE(readout().cursorShown());
  EXPECT_TRUE(shownText().isEmpty());
  QTest::keyClick(shell().client, Qt::Key_Home);
  EXPECT_EQ(windowHomes, 2);
}

TEST_F(ReadoutWindowTest, ARunningChartAnswersForTheColumnsItHasComputed) {
  startWith(6.0);
  controller().command(kTimeFrequencyChart);
  settings().method = kDtft;
  settings().blockOrder = 13;
  settings().framesPerColumn = 512;
  controller().command(kAnalyzeId);
  ASSERT_TRUE(controller().busy());
  // The first column answers once the run has handed it over.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  QTimer tick;
  tick.start(5);
  while (controller().busy() && !readoutValues(controller().shownRecord(), {0, 128}, {}).shown() &&
         std::chrono::steady_clock::now() < deadline)
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  ASSERT_TRUE(controller().busy()) << "the run ended before the window saw a column of it";
  pointTo(0, 128);
  const QString during = shownText();
  EXPECT_FALSE(during.isEmpty());
  EXPECT_TRUE(controller().busy());
  EXPECT_FALSE(controller().stopRequested());
  controller().requestStop();  // what follows is not needed
  waitWhileBusy();
  // The column read during the run says what the run says once it has ended.
  EXPECT_EQ(during, expectedText(0, 128));
}

}  // namespace
}  // namespace korimu::testing

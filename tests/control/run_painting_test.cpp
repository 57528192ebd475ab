// The window's painter draws a run on the window's thread from the steps the worker hands over:
// it gives the pixels and the numbers the run's own painter gives when it paints at once (as a
// render does), and during the run the window shows and reads the columns handed over so far.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/controller.h"
#include "control/plot_readout.h"
#include "export/csv_export.h"
#include "run/run_driver.h"
#include "threaded_view.h"
#include "wave/wav_builder.h"

namespace korimu {
namespace {

using testing::ThreadedView;

class RunPaintingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::FormatFields format;
    format.rate = 22050;
    file_ = dir_.write("tone.wav", testing::simpleWave(format, 2 * 22050 * 3));
  }

  // A controller of `view` with the file open on a display of `depthBits`. The span is wider than
  // the file: a chart shows its empty columns too.
  // The window's charts run on three threads, however many cores the machine has.
  void prepare(Controller& controller, ViewMode view, AnalysisMethod method, int depthBits) {
    controller.setColumnThreads(3);
    controller.session().settings.framesPerColumn = 256;
    controller.session().wave.messages.sink = [this](std::string_view text, MessageKind) {
      messages_.emplace_back(text);
    };
    controller.session().display.surfaces.window = Canvas(640, 383, depthBits, kButtonFace);
    controller.session().document.fileName = file_;
    controller.openFile();
    AppSettings& settings = controller.session().settings;
    settings.display = view;
    settings.method = method;
    settings.blockOrder = 10;
  }

  testing::TempDir dir_;
  std::string file_;
  std::vector<std::string> messages_;
};

// The window's next run, painted at once by the run's own painter into a copy of the window's
// display.
struct AtOnce : RunListener {
  explicit AtOnce(const Session& window) {
    session.settings = window.settings;
    session.document = window.document;
    session.display = window.display;
    session.memRunningMax = window.memRunningMax;
    runAnalysis(session, *this);
    closeWave(session.wave, true);
  }
  RunRecord* record() override { return &numbers; }
  Session session;
  RunRecord numbers;
};

TEST_F(RunPaintingTest, TheWindowsPainterGivesWhatTheRunPaintsAtOnce) {
  struct Case {
    ViewMode view;
    AnalysisMethod method;
  };
  const Case cases[] = {{kTimeFrequencyChart, kFft},
                        {kTimeFrequencyChart, kDct},
                        {kTimeFrequencyChart, kDtft},
                        {kTimeFrequencyChart, kMem},
                        {kTimeFrequencyChart, kWt},
                        {kSpectrumLog, kFft},
                        {kSpectrumLog, kDtft},
                        {kSpectrumLog, kMem},
                        {kSpectrumLinear, kDct},
                        {kSpectrumLinear, kMem},
                        {kLevelMeter, kFft},
                        {kLevelMeter, kMem},
                        {kWaveZoom, kFft}};
  for (const int depthBits : {24, 16, 8, 4})
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message()
                   << "view " << c.view << " method " << c.method << " depth " << depthBits);
      ThreadedView view;
      Controller window(view);
      prepare(window, c.view, c.method, depthBits);
      const AtOnce atOnce(window.session());
      window.command(kAnalyzeId);
      ASSERT_TRUE(view.runUntil([&] { return !window.busy(); }));

      const DisplaySurfaces& shown = window.session().display.surfaces;
      EXPECT_TRUE(shown.window.pixels() == atOnce.session.display.surfaces.window.pixels());
      EXPECT_TRUE(shown.backBuffer.pixels() == atOnce.session.display.surfaces.backBuffer.pixels());
      const RunRecord& record = window.lastRun();
      EXPECT_EQ(runCsv(record), runCsv(atOnce.numbers));
      EXPECT_EQ(record.complete, atOnce.numbers.complete);
      EXPECT_EQ(record.chartColumns, atOnce.numbers.chartColumns);
      EXPECT_EQ(record.chartEmptyFrom, atOnce.numbers.chartEmptyFrom);
      EXPECT_TRUE(record.chartClearColours == atOnce.numbers.chartClearColours);
      EXPECT_TRUE(record.chartEmptyColours == atOnce.numbers.chartEmptyColours);
    }
  EXPECT_TRUE(messages_.empty());
}

// Stopped once a few blocks have been handed over: the window showed and read the columns of
// every whole block handed over as the finished run has them, and the rest as the cleared chart
// and nothing to read.
TEST_F(RunPaintingTest, DuringARunTheWindowShowsAndReadsTheColumnsHandedOver) {
  ThreadedView view;
  Controller window(view);
  prepare(window, kTimeFrequencyChart, kMem, 24);
  window.session().settings.blockOrder = 12;
  window.command(kAnalyzeId);
  RunRecord seen;
  Canvas seenCanvas;
  ASSERT_TRUE(view.runUntil([&] {
    if (!window.busy()) return true;
    if (window.shownRecord().chartBlocks.size() < 3) return false;
    seen = window.shownRecord();
    seenCanvas = window.session().display.surfaces.window;
    window.command(kStopId);
    return true;
  }));
  ASSERT_FALSE(seen.chartBlocks.empty()) << "the run was handed over before it ended";
  ASSERT_TRUE(view.runUntil([&] { return !window.busy(); }));
  const RunRecord& last = window.lastRun();
  const Canvas& lastCanvas = window.session().display.surfaces.window;

  // The last block handed over may still wait for its cells.
  const ChartBlock& open = seen.chartBlocks.back();
  for (int x = 0; x < kChartColumns; ++x)
    for (int y = 0; y < kChartRows; y += 5) {
      SCOPED_TRACE(::testing::Message() << x << ", " << y);
      const int px = kLayout.unitW + x, py = kLayout.plotTop + y;
      const ReadoutValues mine = readoutValues(seen, {x, y}, {});
      if (x < open.column) {
        const ReadoutValues theirs = readoutValues(last, {x, y}, {});
        ASSERT_EQ(readoutText(mine), readoutText(theirs));
        ASSERT_EQ(mine.power, theirs.power);
        ASSERT_EQ(seenCanvas.getPixel(px, py), lastCanvas.getPixel(px, py));
      } else if (x >= open.column + open.width) {
        ASSERT_FALSE(mine.shown());
        ASSERT_EQ(seenCanvas.getPixel(px, py), seen.chartClearColours[size_t(y)]);
      }
    }
}

// A Stop while the chart's blocks are on the pool: once the window is idle again no task is left
// on the pool, and the next Analyze paints the whole chart as the run painted at once does.
TEST_F(RunPaintingTest, AStopOnThePoolLeavesItIdleAndTheNextRunWhole) {
  ThreadedView view;
  Controller window(view);
  prepare(window, kTimeFrequencyChart, kMem, 24);
  window.session().settings.blockOrder = 12;
  window.command(kAnalyzeId);
  ASSERT_TRUE(view.runUntil([&] {
    if (window.busy() && window.shownRecord().chartBlocks.size() < 2) return false;
    window.command(kStopId);
    return true;
  }));
  ASSERT_TRUE(view.runUntil([&] { return !window.busy(); }));
  ASSERT_NE(window.columnPool(), nullptr);
  EXPECT_EQ(window.columnPool()->placesTaken(), 0);

  const AtOnce whole(window.session());
  window.command(kAnalyzeId);
  ASSERT_TRUE(view.runUntil([&] { return !window.busy(); }));
  EXPECT_TRUE(runCsv(window.lastRun()) == runCsv(whole.numbers)) << "the numbers differ";
  EXPECT_TRUE(window.session().display.surfaces.window.pixels() ==
              whole.session.display.surfaces.window.pixels());
  EXPECT_EQ(window.columnPool()->placesTaken(), 0);
}

}  // namespace
}  // namespace korimu

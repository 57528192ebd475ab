// What the cross-section window reads back from real chart runs: the loudest row of a sine, the
// cleared chart, a 16-colour display, a recording; and its column during a run and partial play.
#include <QImage>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "control/controller.h"
#include "cross_section_window_support.h"
#include "display/display_state.h"
#include "platform/audio_device.h"
#include "wave/wave_session.h"

namespace korimu {
namespace {

using testing::CrossSectionWindowTest;
using testing::kSineBin;
using testing::processFolder;
using testing::sineFile;

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(CrossSectionWindowTest, SineGivesItsRowAsTheLoudest) {
  start(sineFile("sine.wav", 0.5));
  analyzeFftChart();
  clickChart(4);
  ASSERT_NE(window(), nullptr);
  window()->repaintGraphNow();
  ASSERT_EQ(windowDisplay().crossSection.column.size(), 256u);
  EXPECT_EQ(loudest(), kSineBin);
  EXPECT_TRUE(shows(kLayout.unitW, kLayout.unitH, " 3445 Hz ", TextStyle{kBlack, kWhite, false}));
  // Its depth is below every other row's, and its bar is drawn down from that depth (under the
  // readout text, which covers the top 16 rows).
  const std::vector<uint8_t>& depths = windowDisplay().crossSection.column;
  for (int i = 0; i < 256; ++i) {
    if (i == kSineBin) continue;
    EXPECT_GT(depths[size_t(i)], depths[kSineBin]) << i;
  }
  const Canvas& c = window()->canvas();
  const int x = kLayout.unitW + kSineBin;
  for (int row = std::max(16, int(depths[kSineBin])); row < 256; ++row) {
    EXPECT_EQ(c.getPixel(x, kLayout.unitH + row), kBlack) << row;
  }
  if (depths[kSineBin] > 16) {
    EXPECT_NE(c.getPixel(x, kLayout.unitH + depths[kSineBin] - 1), kBlack);
  }
}

TEST_F(CrossSectionWindowTest, ClearedChartColumnReadsWhiteAsFullScale) {
  start(sineFile("short.wav", 0.1));  // 4410 frames: the first few columns only
  analyzeFftChart();
  clickChart(400);
  ASSERT_NE(window(), nullptr);
  window()->repaintGraphNow();
  const Canvas& back = windowDisplay().surfaces.backBuffer;
  int white = 0;
  for (int row = 0; row < 256; ++row) {
    const Rgb pixel = back.getPixel(kLayout.unitW + 400, kLayout.plotTop + row);
    if (pixel == kWhite) {
      ++white;
      EXPECT_EQ(windowDisplay().crossSection.column[size_t(255 - row)], 0) << row;
    }
  }
  EXPECT_GT(white, 200) << "the cleared chart is white apart from its grid";
}

TEST_F(CrossSectionWindowTest, SixteenColourDisplayReadsTableIndices) {
  ::setenv("KORIMU_DISPLAY_BITS", "4", 1);
  start(sineFile("vga.wav", 0.5));
  ASSERT_EQ(windowDisplay().surfaces.backBuffer.depthBits(), 4);
  analyzeFftChart();
  clickChart(4);
  ASSERT_NE(window(), nullptr);
  window()->repaintGraphNow();
  ASSERT_EQ(windowDisplay().crossSection.column.size(), 256u);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ((windowDisplay().crossSection.column[size_t(i)] + 1) % 16, 0)
        << "255 - 16 k at " << i;
  }
  EXPECT_EQ(loudest(), kSineBin);
}

TEST_F(CrossSectionWindowTest, UsableWhileAChartRuns) {
  start(sineFile("during.wav", 2.0));
  analyzeFftChart();
  controller().command(1116);
  ASSERT_NE(window(), nullptr);
  int blocks = 0;
  int columnDuringRun = -1;
  testing::RunWatch watch(app());
  watch.onBlock = [&](const SampleBlock&, int, int) {
    ++blocks;
    if (blocks == 2) {
      testing::atNextEvent([this] { crossSectionWindow()->button(kCrossSectionRight)->click(); });
    }
    if (blocks == 5) columnDuringRun = column();
  };
  buttonById(kAnalyzeId)->click();
  waitWhileBusy();
  EXPECT_GT(blocks, 5);
  EXPECT_EQ(columnDuringRun, 8) << "the arrow worked in the middle of the run";
  EXPECT_NE(window(), nullptr);
}

// The graph, the texts and the saved numbers are the shown chart's while another run (of the same
// chart, then of another method) has the chart's picture to itself.
TEST_F(CrossSectionWindowTest, ShowsItsChartWhileAnotherRunHasThePicture) {
  start(sineFile("steady.wav", 2.0));
  analyzeFftChart();
  clickChart(20);
  ASSERT_NE(window(), nullptr);
  window()->repaintGraphNow();
  const std::vector<uint32_t> before = window()->canvas().pixels();
  std::string reason;
  const std::string numbers = (processFolder("cross-section") / "steady-before.csv").string();
  ASSERT_TRUE(window()->saveNumbersTo(numbers, reason)) << reason;
  for (const AnalysisMethod method : {kFft, kMem}) {
    SCOPED_TRACE(::testing::Message() << "method " << method);
    bool seenRunning = false;
    std::vector<uint32_t> during;
    int blocks = 0;
    testing::RunWatch watch(app());
    watch.onBlock = [&](const SampleBlock&, int, int) {
      if (++blocks != 3) return;
      testing::atNextEvent([&] {
        seenRunning = controller().busy();
        // A repaint, and a step there and back, while the run has the picture.
        crossSectionWindow()->button(kCrossSectionRight)->click();
        crossSectionWindow()->button(kCrossSectionLeft)->click();
        crossSectionWindow()->repaintGraphNow();
        during = crossSectionWindow()->canvas().pixels();
        const std::string again = (processFolder("cross-section") / "steady-during.csv").string();
        std::string why;
        EXPECT_TRUE(crossSectionWindow()->saveNumbersTo(again, why)) << why;
        EXPECT_EQ(fileText(again), fileText(numbers));
        std::filesystem::remove(again);
      });
    };
    settings().method = method;
    buttonById(kAnalyzeId)->click();
    waitWhileBusy();
    EXPECT_TRUE(seenRunning) << "the repaint came after the run";
    EXPECT_EQ(during, before) << "the graph changed while another run drew";
    // Back to the first chart for the next round.
    settings().method = kFft;
    buttonById(kAnalyzeId)->click();
    waitWhileBusy();
  }
  std::filesystem::remove(numbers);
}

TEST_F(CrossSectionWindowTest, ColumnFollowsPartialPlay) {
  // Streaming playback: every buffer the device hands back moves the column on.
  start(sineFile("partial.wav", 7.0), 1);
  std::function<void(int)> bufferDone;
  AudioBackend& backend = controller().session().wave.audio;
  backend.open = [&](const WaveFormat&, std::function<void(int)> done) {
    bufferDone = std::move(done);
    return true;
  };
  backend.write = [](int, const uint8_t*, size_t) { return true; };
  backend.reset = [] {};
  backend.close = [] {};
  analyzeFftChart();
  clickChart(200);
  ASSERT_NE(window(), nullptr);

  // The window's column after every marker step that moves it.
  struct ColumnWatch : PlaybackObserver {
    PlaybackObserver* window = nullptr;
    std::function<void()> moved;
    void stateChanged(PlaybackPhase phase) override { window->stateChanged(phase); }
    void playedTo(uint32_t position) override { window->playedTo(position); }
    void fileOpened(const WaveOpenResult& result) override { window->fileOpened(result); }
    void readingWhole(bool on) override { window->readingWhole(on); }
    void markerMoved(const MarkerMove& move) override {
      window->markerMoved(move);
      if (move.crossSectionX >= 0) moved();
    }
    void markerTimer(uint32_t periodMs) override { window->markerTimer(periodMs); }
    void redrawDue(PlaybackRedraw part) override { window->redrawDue(part); }
  } watch;
  std::vector<int> columns;
  PlaybackState& playback = controller().session().wave.playback;
  watch.window = playback.observer;
  watch.moved = [&] { columns.push_back(column()); };
  playback.observer = &watch;
  buttonById(kPartialId)->click();
  ASSERT_TRUE(bufferDone) << "the device was opened";
  for (int k = 0; k < 4 && playback.playing; ++k) {
    bufferDone(k % 2);
    QApplication::processEvents();
  }
  buttonById(kStopId)->click();
  playback.observer = watch.window;

  ASSERT_GE(columns.size(), 3u) << ::testing::PrintToString(columns);
  EXPECT_EQ(columns[0], 0) << "partial play starts the column at the left edge";
  for (size_t i = 1; i < columns.size(); ++i) EXPECT_GE(columns[i], columns[i - 1]) << i;
  EXPECT_GT(columns.back(), 0);
  EXPECT_EQ(window()->canvas().width(), 256 + 2 * kLayout.unitW);
}

TEST_F(CrossSectionWindowTest, RealRecordingShowsTheCanvasUnderItsButtons) {
  const std::string path = std::string(KORIMU_SHARED_WAV_DIR) + "/22050_16_mono_espeak-ja.wav";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "no shared recordings";
  start(path);
  settings().timeResolution = 1024;
  struct Look {
    const char* name;
    AnalysisMethod method;
    int blockOrder;
    int width;
    int32_t colorScale;
    GraphStyle graphStyle;
  };
  const Look looks[] = {
      {"fft", kFft, 10, 512, 0, kBarGraph},
      {"dct", kDct, 9, 256, 1, kBarGraph},
      {"fft-line", kFft, 11, 512, 0, kLineGraph},
  };
  for (const Look& look : looks) {
    SCOPED_TRACE(look.name);
    closeCrossSectionWindow(app());
    settings().colorScale = look.colorScale;
    settings().graphStyle = look.graphStyle;
    analyze(kTimeFrequencyChart, look.method, look.blockOrder);
    windowDisplay().crossSection.sectionWidth = look.width;
    clickChart(120);
    ASSERT_NE(window(), nullptr);
    QApplication::processEvents();
    const QImage shown = window()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.width(), look.width + 2 * kLayout.unitW);
    // Every pixel above the buttons is the canvas's.
    const int buttonsTop = crossSectionLayout(kLayout, look.width).close.y;
    int differing = 0;
    for (int y = 0; y < buttonsTop; ++y)
      for (int x = 0; x < shown.width(); ++x)
        if ((shown.pixel(x, y) & 0xFFFFFFu) != packRgb(window()->canvas().getPixel(x, y)))
          ++differing;
    EXPECT_EQ(differing, 0);
    // Speech has its loudest row well above silence.
    EXPECT_LT(windowDisplay().crossSection.column[size_t(loudest())], 128);
    if (const char* dir = std::getenv("KORIMU_SCREENSHOT_DIR")) {
      shown.save(QString::fromUtf8(dir) + "/cross_section_" + look.name + ".png");
    }
  }
}

}  // namespace
}  // namespace korimu

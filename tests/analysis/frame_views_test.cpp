// What the frame analysis hands to the display in each view, and in which order.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "analysis/frame_analysis.h"
#include "analysis/scratch_memory.h"
#include "analysis_test_support.h"
#include "core/layout.h"

namespace korimu {
namespace {

using testing::AnalysisSetup;
using testing::block16;
using testing::block8;
using testing::bytes16;

TEST(FrameViews, WaveZoomRowsForEachGain16Bit) {
  AnalysisSetup scope;
  scope.settings.display = kWaveZoom;
  scope.settings.autocorrelation = false;
  const auto bytes = bytes16({0, 1000, -1000, 500, 32767, -32768, 20000, -9000});
  struct Case {
    int gain;
    std::vector<uint8_t> rows;
  };
  // Gain 0: M = 2 * 32768; the rows are (floor((s + 32768) * 128 / M) - 64 - 128) mod 256.
  const Case cases[] = {
      {0, {128, 129, 126, 128, 191, 64, 167, 110}},
      {1, {128, 131, 124, 129, 255, 0, 206, 92}},
      {2, {128, 135, 120, 131, 255, 0, 255, 57}},
      {3, {128, 143, 112, 135, 255, 0, 255, 0}},
  };
  for (const Case& c : cases) {
    scope.settings.displayGain = c.gain;
    const FrameResult r =
        computeFrame(block16(bytes), scope.params(), scope.tables, scope.progress);
    EXPECT_TRUE(r.waveZoom);
    EXPECT_EQ(r.rows, c.rows) << c.gain;
    EXPECT_EQ(r.maximum, 32767);
    EXPECT_EQ(r.minimum, -32768);
  }
}

TEST(FrameViews, AutomaticGainPutsThePeak64RowsFromTheZeroLine) {
  AnalysisSetup scope;
  scope.settings.display = kWaveZoom;
  scope.settings.autocorrelation = false;
  scope.settings.displayGain = 0;
  const auto bytes = bytes16({0, 1000, -1000, 250});
  const FrameResult r = computeFrame(block16(bytes), scope.params(), scope.tables, scope.progress);
  EXPECT_EQ(r.rows, (std::vector<uint8_t>{128, 192, 64, 144}));
  EXPECT_EQ(testing::diagnosticOf(r, DiagnosticLine::kAutoScale), "2000");
  EXPECT_TRUE(r.extremesShown);
  EXPECT_EQ(r.maximum, 1000);
  EXPECT_EQ(r.minimum, -1000);
  // Another gain has no automatic scale to tell.
  scope.settings.displayGain = 1;
  EXPECT_TRUE(computeFrame(block16(bytes), scope.params(), scope.tables, scope.progress)
                  .diagnostics.empty());
}

TEST(FrameViews, WaveZoomRowsForEachGain8Bit) {
  AnalysisSetup scope;
  scope.settings.display = kWaveZoom;
  scope.settings.autocorrelation = false;
  const std::vector<uint8_t> bytes{128, 127, 191, 63, 255, 0, 100, 150};
  struct Case {
    int gain;
    std::vector<uint8_t> rows;
  };
  // Gain 0: M = 2 * |255 - 127| = 256; rows 127 + trunc((b - 127) * 128 / 256).
  const Case cases[] = {
      {0, {127, 127, 159, 95, 191, 64, 114, 138}},
      {1, {128, 127, 191, 63, 255, 0, 100, 150}},
      {2, {129, 127, 255, 0, 255, 0, 73, 173}},
      {3, {128, 124, 255, 0, 255, 0, 16, 216}},
  };
  for (const Case& c : cases) {
    scope.settings.displayGain = c.gain;
    const FrameResult r = computeFrame(block8(bytes), scope.params(), scope.tables, scope.progress);
    EXPECT_EQ(r.rows, c.rows) << c.gain;
    EXPECT_EQ(r.maximum, 127);
    EXPECT_EQ(r.minimum, -128);
  }
}

TEST(FrameViews, WaveZoomOfTheAutocorrelation) {
  AnalysisSetup scope;
  scope.settings.display = kWaveZoom;
  scope.settings.autocorrelation = true;
  scope.settings.method = kMem;  // whatever the method: no spectrum, readout or overlay
  std::vector<int> sine(512);
  for (int j = 0; j < 512; ++j) sine[size_t(j)] = int(std::lround(8000 * std::sin(j * 0.25)));
  const auto bytes = bytes16(sine);
  const FrameResult r = computeFrame(block16(bytes), scope.params(), scope.tables, scope.progress);
  ASSERT_TRUE(r.waveZoom);
  const auto& rows = r.rows;
  ASSERT_EQ(rows.size(), 256u);
  EXPECT_EQ(rows[0], 67);  // 127 - 60 at lag 0
  // Half a period (4 pi samples) later the autocorrelation is at its trough.
  EXPECT_GT(rows[13], 180);
  EXPECT_LT(rows[25], 75);
  EXPECT_FALSE(r.extremesShown);
  EXPECT_TRUE(r.frame.depths.empty());
  // The step is reported by name and ended.
  EXPECT_EQ(scope.progress.begun, std::vector<std::string>{"self"});
  EXPECT_EQ(scope.progress.ends, 1);
}

TEST(FrameViews, AutocorrelationSubstitutesTheBlockForFftAndDct) {
  AnalysisSetup scope;
  scope.settings.display = kSpectrumLinear;
  scope.settings.autocorrelation = true;
  scope.settings.blockOrder = 10;
  scope.settings.windowFunction = WindowFunction::kHanning;  // Hanning
  std::vector<int> tone(2048);
  for (int j = 0; j < 2048; ++j) {
    tone[size_t(j)] = int(std::lround(6000 * std::cos(2 * std::numbers::pi * 64 * j / 1024.0)));
  }
  const auto bytes = bytes16(tone);
  scope.settings.method = kFft;
  FrameResult r = computeFrame(block16(bytes), scope.params(), scope.tables, scope.progress);
  EXPECT_EQ(r.peakBin, 64);
  EXPECT_EQ(scope.progress.begun, std::vector<std::string>{"self"});
  scope.settings.method = kDct;
  r = computeFrame(block16(bytes), scope.params(), scope.tables, scope.progress);
  EXPECT_EQ(r.frame.bins(), 512);
  EXPECT_NEAR(r.peakFrequency, 64 * 44100.0 / 1024.0, 44100.0 / 1024.0);
}

TEST(FrameViews, EmptyBlockDoesNothingAndFailuresComeBackAsFatalMessages) {
  AnalysisSetup scope;
  scope.settings.display = kSpectrumLog;
  scope.settings.method = kFft;
  scope.settings.blockOrder = 8;
  scope.settings.windowFunction =
      WindowFunction::kRectangle;  // the rectangle: no window table to allocate
  const std::vector<uint8_t> bytes(512, 0);
  FrameResult r = computeFrame(SampleBlock{bytes.data(), 0, 16, 44}, scope.params(), scope.tables,
                               scope.progress);
  EXPECT_FALSE(r.analysed);
  EXPECT_TRUE(r.messages.empty());
  // The working arrays (the second of them), then the FFT's own scratch (after three arrays).
  struct Case {
    int failingAllocation;
    const char* message;
  };
  for (const Case& c : {Case{2, "解析用メモリの不足"}, Case{4, "fft2"}}) {
    scope.tables.scratch.failAfter(c.failingAllocation);
    r = computeFrame(block16(bytes), scope.params(), scope.tables, scope.progress);
    EXPECT_FALSE(r.analysed) << c.message;
    EXPECT_TRUE(r.failed()) << c.message;
    EXPECT_EQ(testing::messageTexts(r), std::vector<std::string>{c.message});
  }
  // The DCT in memory tells that it could not run, and the analysis goes on.
  scope.settings.method = kDct;
  scope.settings.onMem = true;
  scope.tables.scratch.failAfter(4);
  r = computeFrame(block16(bytes), scope.params(), scope.tables, scope.progress);
  EXPECT_TRUE(r.analysed);
  EXPECT_FALSE(r.failed());
  EXPECT_EQ(testing::messageTexts(r), std::vector<std::string>{"dct error"});
}

}  // namespace
}  // namespace korimu

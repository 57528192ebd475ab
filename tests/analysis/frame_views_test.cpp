// What the frame analysis hands to the display in each view, and in which order.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "analysis/frame_analysis.h"
#include "analysis/scratch_memory.h"
#include "analysis_test_support.h"
#include "core/app_state.h"
#include "core/layout.h"

namespace korimu {
namespace {

using testing::block16;
using testing::block8;
using testing::bytes16;
using testing::RecordingScope;

TEST(FrameViews, WaveZoomRowsForEachGain16Bit) {
  RecordingScope scope;
  settings.display = kWaveZoom;
  settings.autocorrelation = 0;
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
    settings.displayGain = c.gain;
    const FrameResult r = computeFrame(block16(bytes));
    EXPECT_TRUE(r.waveZoom);
    EXPECT_EQ(r.rows, c.rows) << c.gain;
    EXPECT_EQ(r.maximum, 32767);
    EXPECT_EQ(r.minimum, -32768);
  }
}

TEST(FrameViews, AutomaticGainPutsThePeak64RowsFromTheZeroLine) {
  RecordingScope scope;
  settings.display = kWaveZoom;
  settings.autocorrelation = 0;
  settings.displayGain = 0;
  appState.diagnosticText = 1;
  const auto bytes = bytes16({0, 1000, -1000, 250});
  analyzeFrame(block16(bytes), 0, 1);
  appState.diagnosticText = 0;
  ASSERT_EQ(scope.rec.waveRows.size(), 1u);
  EXPECT_EQ(scope.rec.waveRows[0], (std::vector<uint8_t>{128, 192, 64, 144}));
  ASSERT_EQ(scope.rec.overviewTexts.size(), 1u);
  EXPECT_EQ(scope.rec.overviewTexts[0], "2000");
  // Extremes and caption beside the plot, then the rows, then the plot copy.
  const int x = 512 + 2 * layout.unitW;
  ASSERT_EQ(scope.rec.windowTexts.size(), 3u);
  EXPECT_EQ(scope.rec.windowTexts[0].text, " +1000");
  EXPECT_EQ(scope.rec.windowTexts[0].x, x);
  EXPECT_EQ(scope.rec.windowTexts[0].y, layout.plotTop + 128);
  EXPECT_EQ(scope.rec.windowTexts[1].text, " -1000");
  EXPECT_EQ(scope.rec.windowTexts[1].y, layout.plotTop + 128 - 5 * layout.unitH / 2);
  EXPECT_EQ(scope.rec.windowTexts[2].text, "振幅");
  EXPECT_EQ(scope.rec.windowTexts[2].y, layout.plotTop + 128 - 5 * layout.unitH);
  EXPECT_EQ(scope.rec.events.back(), "presentPlot");
  EXPECT_EQ(scope.rec.events[scope.rec.events.size() - 2], "drawWaveZoom");
  EXPECT_TRUE(scope.rec.peaks.empty());
}

TEST(FrameViews, WaveZoomRowsForEachGain8Bit) {
  RecordingScope scope;
  settings.display = kWaveZoom;
  settings.autocorrelation = 0;
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
    settings.displayGain = c.gain;
    const FrameResult r = computeFrame(block8(bytes));
    EXPECT_EQ(r.rows, c.rows) << c.gain;
    EXPECT_EQ(r.maximum, 127);
    EXPECT_EQ(r.minimum, -128);
  }
}

TEST(FrameViews, WaveZoomOfTheAutocorrelation) {
  RecordingScope scope;
  settings.display = kWaveZoom;
  settings.autocorrelation = 2;
  settings.method = kMem;  // whatever the method: no spectrum, readout or overlay
  std::vector<int> sine(512);
  for (int j = 0; j < 512; ++j) sine[size_t(j)] = int(std::lround(8000 * std::sin(j * 0.25)));
  const auto bytes = bytes16(sine);
  analyzeFrame(block16(bytes), 0, 1);
  ASSERT_EQ(scope.rec.waveRows.size(), 1u);
  const auto& rows = scope.rec.waveRows[0];
  ASSERT_EQ(rows.size(), 256u);
  EXPECT_EQ(rows[0], 67);  // 127 - 60 at lag 0
  // Half a period (4 pi samples) later the autocorrelation is at its trough.
  EXPECT_GT(rows[13], 180);
  EXPECT_LT(rows[25], 75);
  EXPECT_TRUE(scope.rec.peaks.empty());
  EXPECT_TRUE(scope.rec.frames.empty());
  EXPECT_TRUE(scope.rec.overlays.empty());
  // The progress text, then its blanking, at the progress position.
  ASSERT_EQ(scope.rec.windowTexts.size(), 2u);
  EXPECT_EQ(scope.rec.windowTexts[0].text, "self         0/  256 ");
  EXPECT_EQ(scope.rec.windowTexts[0].x, 512 - 13 * layout.unitW);
  EXPECT_EQ(scope.rec.windowTexts[0].y, layout.plotTop - 2 * layout.unitH - 2);
  EXPECT_EQ(scope.rec.windowTexts[1].text, std::string(21, ' '));
}

TEST(FrameViews, SpectrumViewsDrawThenCopyThenNameTheOverlay) {
  RecordingScope scope;
  settings.blockOrder = 8;
  settings.autocorrelation = 0;
  const auto bytes = bytes16(std::vector<int>(256, 5));
  struct Case {
    int method;
    int view;
    std::vector<int32_t> overlays;
  };
  const Case cases[] = {
      {kFft, kSpectrumLog, {}},
      {kMem, kSpectrumLinear, {kMem}},
      {kMem, kTimeFrequencyChart, {kMem}},
      {kDtft, kSpectrumLinear, {}},
      {kDtft, kSpectrumLog, {kDtft}},
      {kDct, kLevelMeter, {}},
  };
  for (const Case& c : cases) {
    scope.rec = {};
    settings.method = c.method;
    settings.display = c.view;
    analyzeFrame(block16(bytes), 17, 3);
    EXPECT_EQ(scope.rec.overlays, c.overlays) << c.method << ' ' << c.view;
    ASSERT_EQ(scope.rec.frameViews.size(), 1u);
    EXPECT_EQ(scope.rec.frameViews[0], c.view);
    EXPECT_EQ(scope.rec.frameColumns[0], std::make_pair(17, 3));
    std::vector<std::string> expected{"peakReadout", "drawSpectrum", "presentPlot"};
    if (!c.overlays.empty()) expected.push_back("overlay");
    EXPECT_EQ(scope.rec.events, expected);
  }
}

TEST(FrameViews, AutocorrelationSubstitutesTheBlockForFftAndDct) {
  RecordingScope scope;
  settings.display = kSpectrumLinear;
  settings.autocorrelation = 2;
  settings.blockOrder = 10;
  settings.mado = 0;  // Hanning
  std::vector<int> tone(2048);
  for (int j = 0; j < 2048; ++j) {
    tone[size_t(j)] = int(std::lround(6000 * std::cos(2 * std::numbers::pi * 64 * j / 1024.0)));
  }
  const auto bytes = bytes16(tone);
  settings.method = kFft;
  FrameResult r = computeFrame(block16(bytes));
  EXPECT_EQ(r.peakBin, 64);
  ASSERT_GE(scope.rec.windowTexts.size(), 2u);
  EXPECT_EQ(scope.rec.windowTexts[0].text, "self         0/ 1024 ");
  settings.method = kDct;
  r = computeFrame(block16(bytes));
  EXPECT_EQ(r.frame.bins(), 512);
  EXPECT_NEAR(r.peakFrequency, 64 * 44100.0 / 1024.0, 44100.0 / 1024.0);
}

TEST(FrameViews, EmptyBlockDoesNothingAndOutOfMemoryIsFatal) {
  RecordingScope scope;
  settings.display = kSpectrumLog;
  settings.method = kFft;
  const std::vector<uint8_t> bytes(512, 0);
  analyzeFrame(SampleBlock{bytes.data(), 0, 16, 44}, 0, 1);
  EXPECT_TRUE(scope.rec.events.empty());
  failScratchAllocationAfter(2);
  analyzeFrame(block16(bytes), 0, 1);
  failScratchAllocationAfter(0);
  ASSERT_EQ(scope.rec.messages.size(), 1u);
  EXPECT_EQ(scope.rec.messages[0].first, "解析用メモリの不足");
  EXPECT_EQ(scope.rec.messages[0].second, MessageKind::kFatal);
  EXPECT_EQ(scope.rec.fatalExits, 1);
  EXPECT_TRUE(scope.rec.events.empty());
}

}  // namespace
}  // namespace korimu

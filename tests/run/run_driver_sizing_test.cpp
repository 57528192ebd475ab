// Block sizing and the mono mix of the analysis run.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/settings.h"
#include "run/run_driver.h"
#include "wave/wav_builder.h"

namespace korimu {
namespace {

uint32_t spectrumBlock(uint32_t bytesPerSecond, int srKHz, uint32_t align, int resolution,
                       int32_t view = kSpectrumLinear, int framesPerColumn = 512) {
  return computeBlockBytes(kFft, view, bytesPerSecond, srKHz, align, resolution, framesPerColumn);
}

TEST(BlockBytes, ResolutionCountsFramesAt11025OrAt8000Hz) {
  // 44.1 kHz 16-bit stereo: 16 bytes per 11025th of a second.
  EXPECT_EQ(spectrumBlock(176400, 44, 4, 1024), 16u * 1024u);
  // 22.05 kHz 8-bit mono.
  EXPECT_EQ(spectrumBlock(22050, 22, 1, 256), 2u * 256u);
  // 48 kHz 16-bit stereo: 24 bytes per 8000th of a second.
  EXPECT_EQ(spectrumBlock(192000, 48, 4, 1024), 24u * 1024u);
  // 8 kHz 8-bit mono.
  EXPECT_EQ(spectrumBlock(8000, 8, 1, 32), 32u);
}

TEST(BlockBytes, OtherRatesTruncateThenRiseToWholeFrames) {
  // 12345 Hz 16-bit mono: 24690 / 8000 x 1024 = 3160.32.
  EXPECT_EQ(spectrumBlock(24690, 12, 2, 1024), 3160u);
  // 11111 / 8000 x 1024 = 1422.2 -> 1422, raised to a multiple of 4.
  EXPECT_EQ(spectrumBlock(11111, 11, 4, 1024), 1424u);
}

TEST(BlockBytes, ChartBlockNeverSpansMoreThanTheChart) {
  // 32768 frames per block but only 512 x 64 frames in the chart of span 32768.
  EXPECT_EQ(spectrumBlock(176400, 44, 4, 32768, kTimeFrequencyChart, 64), 32768u * 4u);
  // Outside the chart the block keeps its length.
  EXPECT_EQ(spectrumBlock(176400, 44, 4, 32768, kSpectrumLog, 64), 16u * 32768u);
}

TEST(BlockBytes, WaveletBlockHoldsAbout65536Frames) {
  EXPECT_EQ(computeBlockBytes(kWt, kTimeFrequencyChart, 176400, 44, 4, 1024, 512), 65536u * 4u);
  EXPECT_EQ(computeBlockBytes(kWt, kTimeFrequencyChart, 16000, 8, 2, 1024, 512), 65536u * 2u);
  EXPECT_EQ(computeBlockBytes(kWt, kTimeFrequencyChart, 88200, 22, 4, 1024, 512), 65536u * 4u);
}

TEST(BlockBytes, WaveletBelow8kHzDoesNotDivideByZero) {
  // 4 kHz 16-bit mono: the kHz divisor would be 0; the block still holds 65536 frames.
  EXPECT_EQ(computeBlockBytes(kWt, kTimeFrequencyChart, 8000, 4, 2, 1024, 512), 65536u * 2u);
  // 5 kHz 8-bit mono falls to the floating-point formula (which may round one byte down).
  EXPECT_NEAR(computeBlockBytes(kWt, kTimeFrequencyChart, 5000, 5, 1, 1024, 512), 65536.0, 1.0);
  // 3 kHz 8-bit mono, a multiple of neither family.
  EXPECT_NEAR(computeBlockBytes(kWt, kTimeFrequencyChart, 3000, 3, 1, 1024, 512), 65536.0, 1.0);
}

TEST(ChartColumns, LongBlocksCoverSeveralColumns) {
  // A 4096-frame block with 512 frames per column covers 8 columns and skips nothing.
  EXPECT_EQ(columnsPerBlock(4096 * 4, 4, 512), 8);
  EXPECT_EQ(blocksPerColumn(4096 * 4, 4, 512), 1);
}

TEST(ChartColumns, ShortBlocksStandForAFourthOfAColumn) {
  // Span "524288": 1024 frames per column, 256-frame blocks.
  EXPECT_EQ(blocksPerColumn(256 * 2, 2, 1024), 4);
  EXPECT_EQ(columnsPerBlock(256 * 2, 2, 1024), 1);
}

TEST(MonoMix, SixteenBitMeanTruncatesTowardZero) {
  const std::vector<uint8_t> bytes =
      testing::pcm16({-3, 2, -3, -2, 32767, 32767, -32768, -32768, 5, 0});
  std::vector<uint8_t> mono(10, 0xAA);
  mixStereoToMono(bytes.data(), mono.data(), 10, true);
  const auto at = [&](int i) { return int16_t(uint16_t(mono[2 * i] | (mono[2 * i + 1] << 8))); };
  EXPECT_EQ(at(0), 0);
  EXPECT_EQ(at(1), -2);
  EXPECT_EQ(at(2), 32767);
  EXPECT_EQ(at(3), -32768);
  EXPECT_EQ(at(4), 2);
}

TEST(MonoMix, EightBitMeanRoundsDown) {
  const std::vector<uint8_t> stereo = {255, 0, 1, 2, 128, 128, 255, 255};
  std::vector<uint8_t> mono(4, 0);
  mixStereoToMono(stereo.data(), mono.data(), 4, false);
  EXPECT_EQ(mono, (std::vector<uint8_t>{127, 1, 128, 255}));
}

TEST(MonoMix, WritesOnlyTheBytesAskedFor) {
  const std::vector<uint8_t> stereo = {10, 20, 30, 40, 50, 60};
  std::vector<uint8_t> mono(3, 7);
  mixStereoToMono(stereo.data(), mono.data(), 2, false);
  EXPECT_EQ(mono, (std::vector<uint8_t>{15, 35, 7}));
}

TEST(BlockDispatch, MemOverlaysEverySpectrumAndDtftOnlyTheLogSpectrum) {
  struct Case {
    int32_t method;
    int32_t view;
    int32_t overlay;
  };
  const Case cases[] = {
      {kFft, kSpectrumLog, kFft},        {kMem, kSpectrumLinear, kMem},
      {kMem, kTimeFrequencyChart, kMem}, {kMem, kLevelMeter, kMem},
      {kMem, kWaveZoom, kFft},           {kDtft, kSpectrumLinear, kFft},
      {kDtft, kSpectrumLog, kDtft},      {kDtft, kWaveZoom, kFft},
      {kDct, kLevelMeter, kFft},
  };
  for (const Case& c : cases)
    EXPECT_EQ(overlayMethod(c.method, c.view), c.overlay) << c.method << ' ' << c.view;
}

}  // namespace
}  // namespace korimu

// Whole analysis runs over crafted files: which blocks reach the analysers, where they are drawn,
// and the state a run leaves behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "display/graph_frame.h"
#include "run/run_driver_test_support.h"

namespace korimu {
namespace {

using testing::FormatFields;
using testing::pcm16;
using testing::RunScope;
using testing::waveFile;

FormatFields mono16(uint32_t rate) {
  FormatFields f;
  f.channels = 1;
  f.bits = 16;
  f.rate = rate;
  return f;
}

// `blocks` blocks of `frames` 16-bit mono samples, every sample of block k equal to k.
std::vector<uint8_t> numberedBlocks(int blocks, int frames) {
  std::vector<int> values;
  for (int k = 0; k < blocks; ++k) values.insert(values.end(), size_t(frames), k);
  return pcm16(values);
}

int16_t firstSample(const testing::SeenBlock& block) {
  return int16_t(uint16_t(block.bytes[0] | (block.bytes[1] << 8)));
}

TEST(ChartRun, FourThousandFrameBlocksFillTheChartInSixtyFourSteps) {
  RunScope scope;
  scope.session.settings.display = kTimeFrequencyChart;
  scope.session.settings.timeResolution = 4096;  // 4096 frames at 11025 Hz
  scope.session.settings.blockOrder = 8;
  scope.useFile(waveFile(mono16(11025), numberedBlocks(70, 4096)));
  runAnalysis(scope.session, scope);
  ASSERT_EQ(scope.blocks.size(), 64u);
  for (int k = 0; k < 64; ++k) {
    EXPECT_EQ(scope.blocks[size_t(k)].column, 8 * k);
    EXPECT_EQ(scope.blocks[size_t(k)].width, 8);
    EXPECT_EQ(firstSample(scope.blocks[size_t(k)]), k) << "no block is skipped";
    EXPECT_TRUE(scope.blocks[size_t(k)].busy);
  }
  EXPECT_EQ(scope.events, 64);
  EXPECT_TRUE(scope.progressBlanked());
  EXPECT_FALSE(scope.session.busy);
  EXPECT_EQ(scope.runningStates, (std::vector<bool>{true, false}));
}

TEST(ChartRun, ShortBlocksSkipThreeOfEveryFour) {
  RunScope scope;
  scope.session.settings.display = kTimeFrequencyChart;
  scope.session.settings.timeResolution = 256;
  scope.session.settings.framesPerColumn = 1024;  // span "524288"
  scope.session.settings.blockOrder = 8;
  scope.useFile(waveFile(mono16(11025), numberedBlocks(10, 256)));
  runAnalysis(scope.session, scope);
  ASSERT_EQ(scope.blocks.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(firstSample(scope.blocks[size_t(k)]), 4 * k);
    EXPECT_EQ(scope.blocks[size_t(k)].column, k);
    EXPECT_EQ(scope.blocks[size_t(k)].width, 1);
  }
}

TEST(ChartRun, LastShortBlockIsAnalysedWithItsOwnLength) {
  RunScope scope;
  scope.session.settings.display = kTimeFrequencyChart;
  scope.session.settings.timeResolution = 1024;
  scope.session.settings.blockOrder = 8;
  std::vector<uint8_t> data = numberedBlocks(3, 1024);
  data.resize(2 * (2 * 1024 + 300));
  scope.useFile(waveFile(mono16(11025), data));
  runAnalysis(scope.session, scope);
  ASSERT_EQ(scope.blocks.size(), 3u);
  EXPECT_EQ(scope.blocks[0].bytes.size(), 2048u);
  EXPECT_EQ(scope.blocks[1].bytes.size(), 2048u);
  EXPECT_EQ(scope.blocks[2].bytes.size(), 600u);
  EXPECT_EQ(scope.blocks[2].column, 4);
}

TEST(ChartRun, ReadsStopAtTheEndOfTheDataChunk) {
  RunScope scope;
  scope.session.settings.display = kTimeFrequencyChart;
  scope.session.settings.timeResolution = 1024;
  scope.session.settings.blockOrder = 8;
  // A LIST chunk after the data must never be analysed as samples.
  const std::vector<uint8_t> info(4000, 0x7F);
  scope.useFile(waveFile(mono16(11025), numberedBlocks(2, 700), info));
  runAnalysis(scope.session, scope);
  size_t total = 0;
  for (const auto& block : scope.blocks) {
    total += block.bytes.size();
    for (size_t i = 0; i + 1 < block.bytes.size(); i += 2)
      EXPECT_NE(block.bytes[i], 0x7F) << "a byte of the LIST chunk was read as a sample";
  }
  EXPECT_EQ(total, 2u * 2u * 700u);
}

TEST(ChartRun, PositionAtTheEndLeavesAnEmptyChartAndBlanksTheProgress) {
  RunScope scope;
  scope.session.settings.display = kTimeFrequencyChart;
  const std::vector<uint8_t> data = numberedBlocks(2, 1000);
  scope.useFile(waveFile(mono16(22050), data), uint32_t(data.size()));
  runAnalysis(scope.session, scope);
  EXPECT_TRUE(scope.blocks.empty());
  EXPECT_TRUE(scope.progressBlanked());
  EXPECT_TRUE(scope.messages.empty());
  EXPECT_EQ(scope.session.document.lastRunView, kTimeFrequencyChart);
  EXPECT_EQ(scope.session.document.position, data.size());
  EXPECT_FALSE(scope.session.busy);
}

TEST(ChartRun, StopEndsTheRunAfterTheBlockInProgress) {
  RunScope scope;
  scope.session.settings.display = kTimeFrequencyChart;
  scope.session.settings.timeResolution = 1024;
  scope.session.settings.blockOrder = 8;
  scope.stopAfterEvents = 3;
  scope.useFile(waveFile(mono16(11025), numberedBlocks(40, 1024)));
  runAnalysis(scope.session, scope);
  EXPECT_EQ(scope.blocks.size(), 3u);
  EXPECT_FALSE(scope.session.busy);
  EXPECT_TRUE(scope.progressBlanked());
}

TEST(ChartRun, StereoBlocksReachTheAnalyserAsTheirMonoMix) {
  RunScope scope;
  scope.session.settings.display = kSpectrumLinear;
  FormatFields f;
  f.channels = 2;
  f.rate = 44100;
  scope.useFile(waveFile(f, pcm16({-3, 2, -3, -2, 100, 300, -7, 0})));
  runAnalysis(scope.session, scope);
  ASSERT_EQ(scope.blocks.size(), 1u);
  EXPECT_EQ(scope.blocks[0].bytes, pcm16({0, -2, 200, -3}));
  EXPECT_EQ(scope.blocks[0].column, 0);
  EXPECT_EQ(scope.blocks[0].width, 0);
}

TEST(SingleBlockRun, AnalysesTheOneBlockAtThePositionAndLeavesThePositionAlone) {
  RunScope scope;
  scope.session.settings.display = kSpectrumLog;
  scope.session.settings.timeResolution = 256;
  scope.useFile(waveFile(mono16(11025), numberedBlocks(5, 256)), 2 * 512);
  runAnalysis(scope.session, scope);
  ASSERT_EQ(scope.blocks.size(), 1u);
  EXPECT_EQ(firstSample(scope.blocks[0]), 2);
  EXPECT_EQ(scope.blocks[0].bytes.size(), 512u);
  EXPECT_EQ(scope.session.document.position, 1024u);
  // The file is back at the position.
  std::vector<uint8_t> next(2);
  ASSERT_EQ(readData(scope.session.wave.source, next.data(), 2), 2u);
  EXPECT_EQ(next, pcm16({2}));
  EXPECT_EQ(scope.session.document.lastRunView, kSpectrumLog);
  EXPECT_EQ(scope.session.document.lastRunMethod, kFft);
  EXPECT_EQ(scope.enables, (std::vector<std::pair<int, bool>>{{1116, false}}));
}

TEST(SingleBlockRun, PositionAtTheEndDrawsOnlyTheFrame) {
  RunScope scope;
  scope.session.settings.display = kSpectrumLinear;
  const std::vector<uint8_t> data = numberedBlocks(1, 500);
  scope.useFile(waveFile(mono16(8000), data), uint32_t(data.size()));
  runAnalysis(scope.session, scope);
  ASSERT_EQ(scope.blocks.size(), 1u);
  EXPECT_TRUE(scope.blocks[0].bytes.empty());
  // The window shows the graph frame and nothing of a spectrum or a readout.
  Canvas frameOnly(scope.session.display.surfaces.window.width(),
                   scope.session.display.surfaces.window.height());
  frameOnly.clear(kButtonFace);
  drawGraphFrame(scope.session.display, scope.session.settings, frameOnly);
  EXPECT_EQ(frameOnly.pixels(), scope.session.display.surfaces.window.pixels());
  EXPECT_FALSE(scope.session.busy);
}

TEST(WaveletRun, SwitchesALinearSpectrumViewToTheChart) {
  RunScope scope;
  scope.session.settings.method = kWt;
  scope.session.settings.display = kSpectrumLinear;
  scope.stopAfterEvents = 1;  // the first row check ends the block
  std::vector<uint8_t> data = numberedBlocks(1, 3000);
  scope.useFile(waveFile(mono16(44100), data));
  runAnalysis(scope.session, scope);
  EXPECT_EQ(scope.session.settings.display, kTimeFrequencyChart);
  EXPECT_EQ(scope.checks, (std::vector<std::pair<int, bool>>{{1108, false}, {1110, true}}));
  EXPECT_EQ(scope.session.document.lastRunView, kTimeFrequencyChart);
  EXPECT_EQ(scope.session.document.lastRunMethod, kWt);
  EXPECT_EQ(scope.enables, (std::vector<std::pair<int, bool>>{{1116, true}}));
  ASSERT_EQ(scope.blocks.size(), 1u);
  EXPECT_EQ(scope.blocks[0].width, 128) << "a 65536-frame block covers 128 columns of 512 frames";
}

TEST(WaveletRun, RatesOutsideTheElevenFamilyUseHalfTheRate) {
  RunScope scope;
  scope.session.settings.method = kWt;
  scope.stopAfterEvents = 1;
  scope.useFile(waveFile(mono16(4000), numberedBlocks(1, 100)));
  runAnalysis(scope.session, scope);
  EXPECT_EQ(scope.blocks.size(), 1u);
  EXPECT_EQ(scope.fatalExits, 0);
}

// Valid rates whose formula overshoots 65536 frames (12 kHz divides by 12 div 8 = 1) and a byte
// rate one above the true one must draw the chart, not end the program.
TEST(WaveletRun, EveryValidFormatDrawsItsRowsWithBlocksOfAtMost65536Frames) {
  struct Case {
    uint32_t rate;
    uint16_t channels, bits;
    uint32_t bytesPerSecond;  // 0: the true one
  };
  const Case cases[] = {{12000, 1, 8, 0},  {12000, 1, 16, 0}, {12000, 2, 8, 0},
                        {12000, 2, 16, 0}, {37800, 2, 16, 0}, {44056, 2, 16, 0},
                        {47250, 1, 16, 0}, {50000, 1, 8, 0},  {48000, 1, 16, 96001}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.rate << " Hz " << c.channels << " ch " << c.bits
                                      << " bit, " << c.bytesPerSecond << " B/s");
    RunScope scope;
    scope.session.settings.method = kWt;
    scope.stopAfterEvents = 4;  // a few rows show the block is taken; all 256 would be slow
    FormatFields f;
    f.rate = c.rate;
    f.channels = c.channels;
    f.bits = c.bits;
    f.bytesPerSecond = c.bytesPerSecond;
    const uint32_t frameBytes = c.channels * c.bits / 8u;
    scope.useFile(waveFile(f, std::vector<uint8_t>(70000 * frameBytes, 0x40)));
    runAnalysis(scope.session, scope);
    EXPECT_EQ(scope.fatalExits, 0);
    EXPECT_TRUE(scope.messages.empty());
    EXPECT_GE(scope.events, 4) << "the transform reached its rows and was stopped there";
    ASSERT_FALSE(scope.blocks.empty());
    EXPECT_LE(scope.blocks[0].bytes.size(), 65536u * frameBytes);
    EXPECT_EQ(scope.blocks[0].bytes.size() % frameBytes, 0u);
  }
}

TEST(RunFailures, OutOfMemoryForTheBlockEndsTheRunBeforeDrawing) {
  RunScope scope;
  scope.session.settings.display = kTimeFrequencyChart;
  scope.session.wave.sampleMemoryLimit = 100;
  scope.useFile(waveFile(mono16(11025), numberedBlocks(4, 1024)));
  runAnalysis(scope.session, scope);
  EXPECT_EQ(scope.messages, (std::vector<std::string>{"メモリ不足です。"}));
  EXPECT_TRUE(scope.blocks.empty());
  EXPECT_TRUE(scope.runningStates.empty());
  EXPECT_EQ(scope.session.document.lastRunView, 0);
}

TEST(RunFailures, AnOverstatedByteRateDoesNotTakeGigabytes) {
  RunScope scope;
  scope.session.settings.display = kSpectrumLinear;
  scope.session.settings.timeResolution = 32768;
  FormatFields f = mono16(44100);
  f.bytesPerSecond = 0x7FFFFFF0;  // about 2 GB per second claimed
  scope.session.wave.sampleMemoryLimit = 1 << 20;
  scope.useFile(waveFile(f, numberedBlocks(3, 1000)));
  runAnalysis(scope.session, scope);
  EXPECT_TRUE(scope.messages.empty());
  ASSERT_EQ(scope.blocks.size(), 1u);
  EXPECT_EQ(scope.blocks[0].bytes.size(), 6000u) << "the whole data is the block";
}

TEST(RunFailures, AFileThatNoLongerOpensDoesNothingElse) {
  RunScope scope;
  scope.useFile(waveFile(mono16(11025), numberedBlocks(4, 1024)));
  scope.session.document.fileName = (scope.dir.path() / "gone.wav").string();
  runAnalysis(scope.session, scope);
  EXPECT_EQ(scope.messages.size(), 1u);
  EXPECT_TRUE(scope.blocks.empty());
  EXPECT_FALSE(scope.session.busy);
}

}  // namespace
}  // namespace korimu

namespace korimu {
namespace {

using testing::RecordingScope;

RunRecord chartAt(const std::vector<uint8_t>& file, uint32_t position, int framesPerColumn) {
  RecordingScope scope;
  scope.session.settings.display = kTimeFrequencyChart;
  scope.session.settings.method = kFft;
  scope.session.settings.timeResolution = 256;
  scope.session.settings.blockOrder = 8;
  scope.session.settings.framesPerColumn = framesPerColumn;
  scope.useFile(file, position);
  runAnalysis(scope.session, scope);
  return std::move(scope.numbers);
}

TEST(ChartRun, EveryColumnOfAWideChartIsTheBlockAtItsPositionAnalysedAlone) {
  // Noise, so that no two blocks agree by chance; 2048 frames a column pass over seven of every
  // eight 256-frame blocks.
  std::vector<int> samples(512 * 2048 + 1000);
  uint32_t state = 12345;
  for (int& v : samples) v = int((state = state * 1664525u + 1013904223u) >> 16) - 32768;
  const std::vector<uint8_t> file = waveFile(mono16(11025), pcm16(samples));
  const RunRecord wide = chartAt(file, 0, 2048);
  ASSERT_EQ(wide.chartBlocks.size(), 512u);
  for (size_t k : {size_t{0}, size_t{1}, size_t{137}, size_t{511}}) {
    const ChartBlock& block = wide.chartBlocks[k];
    EXPECT_EQ(block.bytePosition, k * 2048 * 2);
    const RunRecord alone = chartAt(file, uint32_t(block.bytePosition), 1);
    ASSERT_FALSE(alone.chartBlocks.empty());
    for (int row = 0; row < kChartRows; ++row) {
      const size_t there = ChartCells::at(row, block.column), here = ChartCells::at(row, 0);
      ASSERT_EQ(wide.chartCells.powers[there], alone.chartCells.powers[here]) << k << " " << row;
      ASSERT_EQ(wide.chartCells.depths[there], alone.chartCells.depths[here]) << k << " " << row;
    }
  }
}

}  // namespace
}  // namespace korimu

// A chart whose blocks are analysed on a column pool is the chart analysed one block after another:
// the same record, the same pixels, the same numbers, the same messages and diagnostic texts in
// the same order, whatever the method, the span, the file's format and the pool's size.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "export/csv_export.h"
#include "run/chart_blocks.h"
#include "run/chart_column.h"
#include "run/column_pool.h"
#include "run_driver_test_support.h"

namespace korimu {
namespace {

using testing::RecordingScope;

// A scope that also keeps the diagnostic texts, in the order the run wrote them.
struct DiagnosedScope : RecordingScope {
  std::vector<std::string> texts;
  void overviewText(int x, int y, const std::string& text) override {
    texts.push_back(std::to_string(x) + "," + std::to_string(y) + " " + text);
  }
};

// A glide that grows louder, with noise: every MEM block is a new running maximum for a while,
// and the blocks differ.
std::vector<uint8_t> glideFile(int channels, int bits, uint32_t rate, double seconds) {
  testing::FormatFields format;
  format.channels = uint16_t(channels);
  format.bits = uint16_t(bits);
  format.rate = rate;
  const auto frames = uint32_t(seconds * rate);
  std::vector<uint8_t> data;
  uint32_t noise = 12345;
  double phase = 0.0;
  for (uint32_t i = 0; i < frames; ++i) {
    const double t = double(i) / frames;
    phase += 2.0 * M_PI * (200.0 + 3000.0 * t) / rate;
    for (int c = 0; c < channels; ++c) {
      noise = noise * 1664525u + 1013904223u;
      const double v =
          (0.1 + 0.8 * t) * std::sin(phase + c) + 0.05 * ((noise >> 16) / 32768.0 - 1.0);
      if (bits == 16) {
        testing::appendPcm16(data, int(std::lround(v * 30000)));
      } else {
        data.push_back(uint8_t(std::lround(128 + v * 120)));
      }
    }
  }
  return testing::waveFile(format, data);
}

struct Case {
  const char* name;
  AnalysisMethod method;
  int channels;
  int bits;
  int framesPerColumn;   // 0: the whole recording
  double positionShare;  // where the run starts, as a share of the data
};

// Runs the scope's session twice (the second sees what the first left: the running maximum, the
// tables) and returns what a user could see or save of the last run.
struct Seen {
  std::vector<uint32_t> window;
  std::vector<uint32_t> backBuffer;
  std::string csv;
  std::vector<std::string> messages;
  std::vector<std::string> texts;
  double memRunningMax = 0.0;
  int chartEmptyFrom = 0;
  size_t blocks = 0;
};

// The file both runs read: the numbers and the window name it.
struct SharedFile {
  explicit SharedFile(const std::vector<uint8_t>& bytes)
      : path(dir.write("glide.wav", bytes)), dataBytes(bytes.size() - 44) {}
  testing::TempDir dir;
  std::string path;
  size_t dataBytes;
};

Seen runTwice(const Case& c, const SharedFile& file, ColumnPool* pool) {
  DiagnosedScope scope;
  const uint32_t align = uint32_t(c.channels * c.bits / 8);
  scope.session.document.fileName = file.path;
  scope.session.document.fileSelected = true;
  scope.session.document.position = uint32_t(file.dataBytes * c.positionShare) / align * align;
  AppSettings& settings = scope.session.settings;
  settings.display = kTimeFrequencyChart;
  settings.method = c.method;
  settings.blockOrder = c.method == kMem ? 9 : 10;
  settings.wholeSpan = c.framesPerColumn == 0;
  if (c.framesPerColumn != 0) settings.framesPerColumn = c.framesPerColumn;
  scope.session.columnPool = pool;
  for (int run = 0; run < 2; ++run) runAnalysis(scope.session, scope);
  Seen seen;
  seen.window = scope.session.display.surfaces.window.pixels();
  seen.backBuffer = scope.session.display.surfaces.backBuffer.pixels();
  seen.csv = runCsv(scope.numbers, CsvValues::kPower);
  seen.messages = scope.messages;
  seen.texts = scope.texts;
  seen.memRunningMax = scope.session.memRunningMax;
  seen.chartEmptyFrom = scope.numbers.chartEmptyFrom;
  seen.blocks = scope.numbers.chartBlocks.size();
  return seen;
}

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class ParallelChart : public ::testing::TestWithParam<Case> {};

TEST_P(ParallelChart, IsTheChartAnalysedOneBlockAfterAnother) {
  const Case& c = GetParam();
  const SharedFile file(glideFile(c.channels, c.bits, 11025, 6.0));
  const Seen sequential = runTwice(c, file, nullptr);
  ASSERT_GT(sequential.blocks, 0u);
  ColumnPool pool(3);
  const Seen parallel = runTwice(c, file, &pool);
  EXPECT_EQ(pool.placesTaken(), 0) << "a task outlived its run";
  EXPECT_EQ(parallel.blocks, sequential.blocks);
  EXPECT_EQ(parallel.chartEmptyFrom, sequential.chartEmptyFrom);
  EXPECT_TRUE(parallel.window == sequential.window) << "the window's pixels differ";
  EXPECT_TRUE(parallel.backBuffer == sequential.backBuffer) << "the chart's pixels differ";
  EXPECT_TRUE(parallel.csv == sequential.csv) << "the numbers differ";
  EXPECT_EQ(parallel.messages, sequential.messages);
  EXPECT_EQ(parallel.texts, sequential.texts);
  EXPECT_EQ(parallel.memRunningMax, sequential.memRunningMax);
}

INSTANTIATE_TEST_SUITE_P(MethodsSpansAndFormats, ParallelChart,
                         ::testing::Values(Case{"FftMono16", kFft, 1, 16, 64, 0.0},
                                           Case{"FftStereo8WideSpan", kFft, 2, 8, 1024, 0.1},
                                           Case{"DctWhole", kDct, 1, 16, 0, 0.0},
                                           Case{"DtftStereo16", kDtft, 2, 16, 64, 0.0},
                                           Case{"DtftPastTheEnd", kDtft, 1, 8, 128, 0.7},
                                           Case{"MemMono16", kMem, 1, 16, 64, 0.0},
                                           Case{"MemStereo16Whole", kMem, 2, 16, 0, 0.2},
                                           Case{"MemPastTheEnd", kMem, 1, 16, 256, 0.8},
                                           Case{"WaveletMono16", kWt, 1, 16, 512, 0.0},
                                           Case{"WaveletStereo8Whole", kWt, 2, 8, 0, 0.0}),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

// More threads than blocks: the wavelet's long blocks cover many columns each; the threads
// without a block stay idle and the chart is the same.
TEST(ParallelChartPool, MoreThreadsThanBlocksGiveTheSameChart) {
  const Case c{"", kWt, 1, 16, 1024, 0.0};
  const SharedFile file(glideFile(1, 16, 8000, 3.0));
  const Seen sequential = runTwice(c, file, nullptr);
  ColumnPool pool(32);
  ASSERT_GT(size_t(pool.threads()), sequential.blocks);
  const Seen parallel = runTwice(c, file, &pool);
  EXPECT_TRUE(parallel.backBuffer == sequential.backBuffer);
  EXPECT_TRUE(parallel.csv == sequential.csv) << "the numbers differ";
  EXPECT_EQ(pool.placesTaken(), 0);
}

// Stopped while its blocks are on the pool, a run keeps the blocks recorded before the stop as
// the whole run has them, records nothing after the first block the stop cut short, leaves no
// task on the pool, and the next run on the same pool is the whole chart again.
TEST(ParallelChartPool, AStopKeepsTheBlocksBeforeItAndLeavesThePoolIdle) {
  const SharedFile file(glideFile(1, 16, 11025, 6.0));
  ColumnPool pool(2);
  RecordingScope whole;
  whole.session.document.fileName = file.path;
  whole.session.document.fileSelected = true;
  whole.session.settings.display = kTimeFrequencyChart;
  whole.session.settings.method = kMem;
  whole.session.settings.framesPerColumn = 64;
  whole.session.settings.timeResolution = 256;  // 128 blocks
  runAnalysis(whole.session, whole);

  RecordingScope scope;
  scope.session.document = whole.session.document;
  scope.session.settings = whole.session.settings;
  scope.session.columnPool = &pool;
  // The run asks between its blocks and every few milliseconds: stop once a sixth of the chart
  // has been recorded.
  scope.onEvent = [&] {
    if (scope.numbers.chartBlocks.size() >= 20) scope.stopPressed = true;
  };
  runAnalysis(scope.session, scope);
  EXPECT_EQ(pool.placesTaken(), 0) << "a task outlived the stopped run";
  const RunRecord& stopped = scope.numbers;
  ASSERT_GE(stopped.chartBlocks.size(), 20u);
  ASSERT_LT(stopped.chartBlocks.size(), whole.numbers.chartBlocks.size())
      << "the run never stopped";
  const ChartBlock& last = stopped.chartBlocks.back();
  for (int column = 0; column < kChartColumns; ++column) {
    SCOPED_TRACE(column);
    const ChartColumn mine = chartColumnOf(stopped, column);
    if (column < last.column) {
      const ChartColumn theirs = chartColumnOf(whole.numbers, column);
      ASSERT_EQ(mine.depths, theirs.depths);
      ASSERT_EQ(mine.powers, theirs.powers);
    } else if (column >= last.column + last.width) {
      ASSERT_FALSE(mine.drawn);
    }
  }

  scope.onEvent = nullptr;
  scope.stopPressed = false;
  runAnalysis(scope.session, scope);
  EXPECT_TRUE(runCsv(scope.numbers) == runCsv(whole.numbers)) << "the numbers differ";
  EXPECT_EQ(pool.placesTaken(), 0);
}

// Short FFT and DCT blocks go to a thread in groups, every other method's one at a time; each
// thread still gets several tasks.
TEST(ParallelChartPool, OnlyShortTransformBlocksAreGrouped) {
  EXPECT_EQ(chartBlocksPerTask(kMem, 256, 512, 2), 1);
  EXPECT_EQ(chartBlocksPerTask(kWt, 256, 512, 2), 1);
  EXPECT_EQ(chartBlocksPerTask(kDtft, 256, 512, 2), 1);
  for (const AnalysisMethod method : {kFft, kDct}) {
    EXPECT_EQ(chartBlocksPerTask(method, 1024, 512, 2), 16);
    EXPECT_EQ(chartBlocksPerTask(method, 256, 512, 16), 8);  // 16 threads want 64 tasks
    EXPECT_EQ(chartBlocksPerTask(method, 65536, 512, 2), 1);
    EXPECT_EQ(chartBlocksPerTask(method, 256, 4, 2), 1);
  }
}

TEST(ColumnThreads, AWholeNumberFromOneTo256IsTakenAndAnythingElseIsToldWhy) {
  struct Row {
    const char* text;
    std::optional<int> threads;
  };
  for (const Row& row : {Row{"1", 1}, Row{"8", 8}, Row{"256", 256}, Row{"0", {}}, Row{"-2", {}},
                         Row{"257", {}}, Row{"", {}}, Row{"two", {}}, Row{"4x", {}}, Row{" 4", {}},
                         Row{"99999999999999999999", {}}}) {
    SCOPED_TRACE(row.text);
    std::string error;
    EXPECT_EQ(parseColumnThreads(row.text, "KORIMU_THREADS", error), row.threads);
    if (!row.threads) {
      EXPECT_NE(error.find("KORIMU_THREADS"), std::string::npos) << error;
      EXPECT_NE(error.find(std::string("'") + row.text + "'"), std::string::npos) << error;
    }
  }
}

}  // namespace
}  // namespace korimu

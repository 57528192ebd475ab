// Which moment each chart column names: the time the CSV and the cross-section give a column is
// where the samples the run analysed for it lie in the file, for the control bar's spans (blocks
// one after another, some passed over), the wider ones and the whole recording (columns spread
// evenly, the last within the last 1/512 of the span), at any position.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "core/span.h"
#include "export/csv_export.h"
#include "run/chart_description.h"
#include "run/run_driver_test_support.h"

namespace korimu {
namespace {

using testing::pcm16;
using testing::waveFile;

using testing::mono16Format;
using testing::RecordingScope;

std::vector<int> noise(size_t frames, uint32_t seed) {
  std::vector<int> samples(frames);
  for (int& v : samples) v = int((seed = seed * 1664525u + 1013904223u) >> 16) - 32768;
  return samples;
}

struct PlacementCase {
  const char* name;
  uint32_t rate;
  int64_t span;  // 0: the whole recording
  int timeResolution;
  size_t fileFrames;
  uint32_t positionFrames;
};

std::ostream& operator<<(std::ostream& out, const PlacementCase& c) {
  return out << c.name;
}

// The times of the chart CSV's first row, one per drawn column.
std::vector<double> csvColumnTimes(const std::string& csv) {
  std::istringstream lines(csv);
  std::string line;
  while (std::getline(lines, line) && line.rfind("frequency_hz\\time_s", 0) != 0) {
  }
  std::vector<double> times;
  std::istringstream fields(line);
  std::string field;
  std::getline(fields, field, ',');
  while (std::getline(fields, field, ',')) times.push_back(std::stod(field));
  return times;
}

// The value of the CSV's header line `key` (empty when it has none).
std::string headerValue(const std::string& csv, const std::string& key) {
  for (const auto& [name, value] : csvHeaderFields(csv))
    if (name == key) return value;
  return {};
}

// An FFT chart over `span` frames (0: the whole recording, `framesLeft` frames from the position).
void chooseChart(AppSettings& settings, int blockOrder, int timeResolution, int64_t span,
                 size_t framesLeft) {
  settings.display = kTimeFrequencyChart;
  settings.method = kFft;
  settings.blockOrder = blockOrder;
  settings.timeResolution = timeResolution;
  settings.wholeSpan = span == 0;
  settings.framesPerColumn =
      span == 0 ? wholeSpanFramesPerColumn(framesLeft) : int32_t(span / kChartColumns);
}

class ChartPlacementRun : public ::testing::TestWithParam<PlacementCase> {
 protected:
  void SetUp() override {
    const PlacementCase& c = GetParam();
    samples_ = noise(c.fileFrames, c.rate);
    chooseChart(scope_.session.settings, 8, c.timeResolution, c.span,
                c.fileFrames - c.positionFrames);
    scope_.useFile(waveFile(mono16Format(c.rate), pcm16(samples_)), 2 * c.positionFrames);
    runAnalysis(scope_.session, scope_);
  }

  // The frame a CSV time names (the times are shortest round-trip decimals of exact ratios).
  int64_t frameAt(double seconds) const { return std::llround(seconds * GetParam().rate); }

  std::vector<int> samples_;
  RecordingScope scope_;
};

TEST_P(ChartPlacementRun, EachColumnsTimeIsWhereTheSamplesItShowsLie) {
  const PlacementCase& c = GetParam();
  const RunRecord& record = scope_.numbers;
  const std::vector<double> times = csvColumnTimes(runCsv(record));
  ASSERT_EQ(int(times.size()), record.chartColumns);
  ASSERT_FALSE(scope_.blocks.empty());
  ASSERT_EQ(scope_.blocks.size(), record.chartBlocks.size());
  const CrossSectionChart described = crossSectionChartOf(record);
  for (size_t b = 0; b < scope_.blocks.size(); ++b) {
    const testing::SeenBlock& seen = scope_.blocks[b];
    ASSERT_LT(seen.column, int(times.size()));
    // The samples analysed for the block are the file's at the time its first column names.
    const int64_t frame = frameAt(times[size_t(seen.column)]);
    ASSERT_GE(frame, 0);
    ASSERT_LE(size_t(frame) + seen.bytes.size() / 2, samples_.size()) << "block " << b;
    const std::vector<uint8_t> there = pcm16(std::vector<int>(
        samples_.begin() + frame, samples_.begin() + frame + int64_t(seen.bytes.size() / 2)));
    ASSERT_EQ(seen.bytes, there) << "block " << b << " at column " << seen.column;
    EXPECT_EQ(record.chartBlocks[b].bytePosition, uint64_t(frame) * 2) << "block " << b;
    // The cross-section names the same place, in its text and its saved numbers.
    EXPECT_EQ(crossSectionBytePosition(described, seen.column), uint64_t(frame) * 2);
    EXPECT_EQ(std::stod(headerValue(crossSectionCsv(record, seen.column), "column-seconds")),
              times[size_t(seen.column)]);
  }
  // Inside a block that covers several columns, the columns follow one another a column apart.
  const double span = double(record.run.spanFrames);
  for (size_t column = 1; column < times.size(); ++column) {
    const double step = double(frameAt(times[column]) - frameAt(times[column - 1]));
    EXPECT_GE(step, 0.0) << column;
    if (c.span == 0 || c.span > kWidestFixedSpanFrames) {
      EXPECT_NEAR(step, span / kChartColumns, 2.0) << column;
    }
  }
}

TEST_P(ChartPlacementRun, WideSpansCoverTheSpanAndNoColumnLiesPastTheEnd) {
  const PlacementCase& c = GetParam();
  const RunRecord& record = scope_.numbers;
  const int64_t left = int64_t(c.fileFrames) - c.positionFrames;
  if (c.span == 0) {
    EXPECT_EQ(record.run.spanFrames, left);
    EXPECT_EQ(headerValue(runCsv(record), "span"), std::to_string(left));
  }
  const std::vector<double> times = csvColumnTimes(runCsv(record));
  for (double t : times) EXPECT_LT(frameAt(t), int64_t(c.fileFrames));
  if (c.span != 0 && c.span <= kWidestFixedSpanFrames) return;
  // Spread evenly: every column is drawn, the last within the last 1/512 of the span.
  ASSERT_EQ(record.chartColumns, kChartColumns);
  const int64_t last = frameAt(times.back()) - c.positionFrames;
  const int64_t span = c.span == 0 ? left : c.span;
  EXPECT_GE(last * kChartColumns, (kChartColumns - 1) * span - 2 * kChartColumns);
  EXPECT_LT(last, span);
}

INSTANTIATE_TEST_SUITE_P(
    Spans, ChartPlacementRun,
    ::testing::Values(
        // 768-frame blocks in 512-frame columns: one block a column, the columns 768 frames apart.
        PlacementCase{"Listed48kBlocksLongerThanAColumn", 48000, 262144, 128, 512 * 768 + 99, 0},
        // A column stands for exactly two blocks: every other block is passed over.
        PlacementCase{"Listed44kTwoBlocksAColumn", 44100, 262144, 64, 262144 + 500, 3000},
        // Eight 128-frame blocks a 1024-frame column, from a position inside the file.
        PlacementCase{"Listed44kEightBlocksAColumn", 44100, 524288, 32, 524288 + 7000, 4410},
        // One block over several columns.
        PlacementCase{"Listed44kABlockOverFourColumns", 44100, 262144, 1024, 262144, 0},
        PlacementCase{"Wide48kFromAPosition", 48000, 1048576, 512, 1048576 + 48000, 48000},
        PlacementCase{"Whole44k", 44100, 0, 256, 1234567, 0},
        PlacementCase{"Whole48kFromAPosition", 48000, 0, 128, 1000003, 12345},
        // A whole recording shorter than one block: the block is drawn over every column.
        PlacementCase{"WholeTinyFile", 44100, 0, 256, 100, 0}),
    [](const ::testing::TestParamInfo<PlacementCase>& info) { return info.param.name; });

// A tone that starts at a known moment first shows in the column whose time is at or before it,
// less than one block before it.
TEST(ChartPlacement, AToneFirstShowsInTheColumnThatReachesItsStart) {
  struct Case {
    uint32_t rate;
    int64_t span;
    int timeResolution;
    size_t frames;
    size_t toneFrame;
  };
  for (const Case& c :
       {Case{48000, 262144, 128, 512 * 768, 150000}, Case{44100, 0, 256, 1500000, 900001},
        Case{48000, 0, 64, 700000, 333333}, Case{48000, 2097152, 1024, 2100000, 1000000}}) {
    SCOPED_TRACE(::testing::Message() << c.rate << " Hz, span " << c.span);
    std::vector<int> samples(c.frames, 0);
    for (size_t i = c.toneFrame; i < c.frames; ++i)
      samples[i] = int(std::lround(20000.0 * std::sin(2 * M_PI * 1000.0 * double(i) / c.rate)));
    RecordingScope scope;
    chooseChart(scope.session.settings, 9, c.timeResolution, c.span, c.frames);
    scope.useFile(waveFile(mono16Format(c.rate), pcm16(samples)));
    runAnalysis(scope.session, scope);
    const RunRecord& record = scope.numbers;
    const std::vector<double> times = csvColumnTimes(runCsv(record));
    int first = -1;
    for (int column = 0; column < record.chartColumns && first < 0; ++column)
      for (int row = 0; row < kChartRows; ++row)
        if (record.chartCells.depths[ChartCells::at(row, column)] < 128) {
          first = column;
          break;
        }
    ASSERT_GE(first, 0);
    // The column's block reaches the start, or the start lies in the gap before the block.
    const double start = double(c.toneFrame) / c.rate;
    const double blockSeconds = double(record.run.blockBytes / 2) / c.rate;
    const double columnSeconds = double(record.run.spanFrames) / kChartColumns / c.rate;
    EXPECT_GT(times[size_t(first)] + blockSeconds, start);
    EXPECT_LE(times[size_t(first)], start + std::max(columnSeconds, blockSeconds));
  }
}

}  // namespace
}  // namespace korimu

// The numbers a chart keeps are those of what it drew: a cell that groups several points says the
// loudest power among them (not the power of the first point that shares its clipped depth), and
// each row names the frequency at which the method computed the point it shows. Both are checked
// against the analysers run again on the very blocks the chart analysed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "analysis/dtft.h"
#include "analysis/frame_analysis.h"
#include "analysis/mem.h"
#include "analysis/wavelet.h"
#include "export/csv_export.h"
#include "run/chart_column.h"
#include "run/run_driver_test_support.h"

namespace korimu {
namespace {

using testing::pcm16;
using testing::waveFile;

using testing::mono16Format;
using testing::RecordingScope;

// Loud tones over noise: at the largest gain many points clip to the top depth and tie.
std::vector<int> loudTones(size_t frames, double rate) {
  std::vector<int> samples(frames);
  uint32_t seed = 99;
  for (size_t i = 0; i < frames; ++i) {
    const double t = double(i) / rate;
    const double tones = 9000 * std::sin(2 * M_PI * 440 * t) +
                         7000 * std::sin(2 * M_PI * 3150 * t) +
                         5000 * std::sin(2 * M_PI * 7777 * t);
    seed = seed * 1664525u + 1013904223u;
    samples[i] = int(std::lround(tones)) + int(seed >> 20) - 2048;
  }
  return samples;
}

struct NumbersCase {
  const char* name;
  AnalysisMethod method;
  uint32_t rate;
  int blockOrder;
  int timeResolution;
  int gain;
};

// Each point (or, for the wavelet, each row's samples) a block of the chart produced.
struct BlockPoints {
  std::vector<double> powers;
  std::vector<uint8_t> depths;
  std::vector<double> frequencies;
  std::vector<std::vector<double>> rowPowers;  // wavelet: row 0 the top
  std::vector<std::vector<uint8_t>> rowDepths;
};

BlockPoints analyseAgain(const testing::SeenBlock& seen, const AnalysisParams& params, int srKHz,
                         int blockFrames, double& memMax) {
  SampleBlock block;
  block.bytes = seen.bytes.data();
  block.length = uint32_t(seen.bytes.size());
  block.srKHz = srKHz;
  TransformTables tables;
  Progress progress;
  BlockPoints out;
  auto keep = [&out](const SpectrumFrame& f) {
    out.powers = f.powers;
    out.depths = f.depths;
    out.frequencies = f.frequencies;
  };
  switch (params.method) {
    case kMem:
      keep(memAnalyze(block, params, tables.scratch, progress, memMax).frame);
      break;
    case kDtft:
      keep(dtftAnalyze(block, params, tables, progress).frame);
      break;
    case kWt:
      out.rowPowers.resize(kChartRows);
      out.rowDepths.resize(kChartRows);
      waveletBlock(block, blockFrames, params, tables, progress,
                   [&out](int row, const uint8_t* d, const double* p, int n) {
                     out.rowPowers[size_t(row)].assign(p, p + n);
                     out.rowDepths[size_t(row)].assign(d, d + n);
                   });
      break;
    default:
      keep(computeFrame(block, params, tables, progress).frame);
      break;
  }
  return out;
}

// The points [begin, end) a cell of element `element` (0 the bottom row) groups, by the chart's
// drawing rules: linear bins are the lowest 256 (a short spectrum's bins on 256 / len rows each),
// log-spaced points are grouped len / 256 to a row.
std::pair<int, int> groupOfRow(int element, int len, bool linear) {
  if (len <= kChartRows) {
    const int bin = element / (kChartRows / len);
    return {bin, bin + 1};
  }
  if (linear) return {element, element + 1};
  const int stride = len / kChartRows;
  return {element * stride, element * stride + stride};
}

std::ostream& operator<<(std::ostream& out, const NumbersCase& c) {
  return out << c.name;
}

class ChartNumbers : public ::testing::TestWithParam<NumbersCase> {};

TEST_P(ChartNumbers, EachCellSaysTheLoudestPowerOfItsPointsAndEachRowItsPointsFrequency) {
  const NumbersCase& c = GetParam();
  RecordingScope scope;
  AppSettings& settings = scope.session.settings;
  settings.display = kTimeFrequencyChart;
  settings.method = c.method;
  settings.blockOrder = c.blockOrder;
  settings.timeResolution = c.timeResolution;
  settings.displayGain = c.gain;
  settings.framesPerColumn = 512;
  const int blockFrames = c.method == kWt ? 65536 : 0;
  const size_t frames = c.method == kWt ? 65536 + 30000 : 3 * 4096 + 1000;
  scope.useFile(waveFile(mono16Format(c.rate), pcm16(loudTones(frames, double(c.rate)))));
  runAnalysis(scope.session, scope);
  const RunRecord& record = scope.numbers;
  ASSERT_FALSE(scope.blocks.empty());
  ASSERT_EQ(record.run.analysis.blockOrder, c.blockOrder);

  double memMax = 0.0;
  int ties = 0;
  int tiedPeaks = 0;  // rows above a column's peak drawn at the peak's depth
  // The run's transforms and these may take different table paths: powers agree to rounding.
  const auto same = [](double a, double b, double scale) {
    return std::abs(a - b) <= 1e-9 * scale;
  };  // cells whose group holds points of the cell's depth with other powers
  for (const testing::SeenBlock& seen : scope.blocks) {
    const BlockPoints points =
        analyseAgain(seen, analysisParamsFrom(settings), int(c.rate / 1000), blockFrames, memMax);
    double scale = 0.0;
    for (double p : points.powers) scale = std::max(scale, p);
    for (const std::vector<double>& row : points.rowPowers)
      for (double p : row) scale = std::max(scale, p);
    for (int element = 0; element < kChartRows; ++element) {
      const int row = kChartRows - 1 - element;
      const size_t cell = ChartCells::at(row, seen.column);
      double loudest = 0.0;
      int depth = 255;
      if (c.method == kWt) {
        // A wavelet row's samples are grouped per column.
        const std::vector<double>& p = points.rowPowers[size_t(row)];
        const std::vector<uint8_t>& d = points.rowDepths[size_t(row)];
        const size_t group = p.size() / size_t(seen.width);
        loudest = *std::max_element(p.begin(), p.begin() + int64_t(group));
        depth = *std::min_element(d.begin(), d.begin() + int64_t(group));
        ties += std::count(d.begin(), d.begin() + int64_t(group), depth) > 1;
      } else {
        const auto [begin, end] =
            groupOfRow(element, int(points.powers.size()), c.method == kFft || c.method == kDct);
        for (int k = begin; k < end; ++k) {
          loudest = std::max(loudest, points.powers[size_t(k)]);
          depth = std::min(depth, int(points.depths[size_t(k)]));
        }
        ties += std::count(points.depths.begin() + begin, points.depths.begin() + end,
                           uint8_t(depth)) > 1;
        // The row names the frequency of the first point it shows.
        ASSERT_EQ(record.chartRowFrequencies[size_t(row)], points.frequencies[size_t(begin)])
            << "row " << row;
      }
      ASSERT_PRED3(same, record.chartCells.powers[cell], loudest, scale)
          << "column " << seen.column << " row " << row;
      ASSERT_EQ(int(record.chartCells.depths[cell]), depth)
          << "column " << seen.column << " row " << row;
    }
    // The peak of a column is the lowest of the rows drawn at its smallest depth.
    const ChartColumn shown = chartColumnOf(record, seen.column);
    int lowestLoudest = 0;  // 0 the bottom row
    for (int element = 0; element < kChartRows; ++element) {
      const int depth =
          record.chartCells.depths[ChartCells::at(kChartRows - 1 - element, seen.column)];
      if (depth < shown.depths[size_t(lowestLoudest)]) lowestLoudest = element;
      tiedPeaks += element != lowestLoudest && depth == shown.depths[size_t(lowestLoudest)];
    }
    ASSERT_EQ(shown.loudest, lowestLoudest) << "column " << seen.column;
    for (const auto& [key, value] : csvHeaderFields(crossSectionCsv(record, seen.column)))
      if (key == "peak-frequency-hz") {
        EXPECT_EQ(std::stod(value),
                  record.chartRowFrequencies[size_t(kChartRows - 1 - lowestLoudest)]);
      }
  }
  // The rows are the same whether a run drew them or not.
  EXPECT_EQ(record.chartRowFrequencies,
            chartRowFrequencies(SampleRate(int(c.rate / 1000)), c.method, c.blockOrder));
  if (c.method != kFft && c.method != kDct) {
    EXPECT_GT(ties, 0) << "the case has no ties to tell";
    EXPECT_GT(tiedPeaks, 0) << "no column has two rows at its smallest depth";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Methods, ChartNumbers,
    ::testing::Values(NumbersCase{"Mem44kOrder12", kMem, 44100, 12, 4096, 3},
                      NumbersCase{"Mem88kOrder10", kMem, 88200, 10, 2048, 3},
                      NumbersCase{"Dtft44kOrder12", kDtft, 44100, 12, 4096, 3},
                      NumbersCase{"Dtft48kOrder11", kDtft, 48000, 11, 2048, 2},
                      NumbersCase{"Wavelet44k", kWt, 44100, 10, 1024, 3},
                      // Fewer bins than rows: each bin named on the two rows it fills.
                      NumbersCase{"Fft44kOrder8", kFft, 44100, 8, 256, 1},
                      NumbersCase{"Fft8kOrder16", kFft, 8000, 16, 4096, 1},
                      NumbersCase{"Dct48kOrder8", kDct, 48000, 8, 256, 1}),
    [](const ::testing::TestParamInfo<NumbersCase>& info) { return info.param.name; });

// The MEM linear spectrum names each point by the frequency it was estimated at: evenly spaced up
// to the Nyquist frequency.
TEST(MemLinearSpectrum, ItsPointsAreNamedByTheFrequenciesTheyWereEstimatedAt) {
  for (const uint32_t rate : {44100u, 48000u, 88200u}) {
    RecordingScope scope;
    AppSettings& settings = scope.session.settings;
    settings.display = kSpectrumLinear;
    settings.method = kMem;
    settings.blockOrder = 10;
    scope.useFile(waveFile(mono16Format(rate), pcm16(loudTones(8192, double(rate)))));
    runAnalysis(scope.session, scope);
    const std::vector<double>& f = scope.numbers.spectrum.frequencies;
    ASSERT_EQ(f.size(), 512u) << rate;
    EXPECT_EQ(f.front(), 0.0);
    // The estimate's top point (half a hertz above the Nyquist frequency at 88.2 kHz).
    EXPECT_EQ(f.back(), memRate(SampleRate(int(rate / 1000))).fmax) << rate;
    for (size_t i = 1; i < f.size(); ++i)
      EXPECT_NEAR(f[i] - f[i - 1], f.back() / double(f.size() - 1), 1e-9) << rate << " " << i;
  }
}

}  // namespace
}  // namespace korimu

#include "analysis/dtft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "analysis/fft.h"
#include "analysis/level_map.h"
#include "analysis/scratch_memory.h"
#include "analysis/trig_sums.h"
#include "analysis_test_support.h"

namespace korimu {
namespace {

using testing::AnalysisSetup;
using testing::randomValues;

TEST(DtftGrid, EightBitOrderGivesHalfAsManyPointsAsSamples) {
  const DtftGrid grid = dtftGrid(44, 8);
  EXPECT_EQ(grid.points, 128);
  EXPECT_DOUBLE_EQ(grid.f0, 44100.0 / 256);
  EXPECT_DOUBLE_EQ(grid.fmax, 22050.0);
  EXPECT_NEAR(dtftPointFrequency(grid, 127), 22050.0, 1e-8);
}

TEST(DtftGrid, HighOrdersKeep512PointsAndReachLower) {
  for (int order = 12; order <= 16; ++order) {
    const DtftGrid grid = dtftGrid(44, order);
    EXPECT_EQ(grid.points, 512) << order;
    EXPECT_DOUBLE_EQ(grid.f0, 44100.0 / (1 << order)) << order;
    EXPECT_NEAR(dtftPointFrequency(grid, 511), 22050.0, 1e-7) << order;
  }
  EXPECT_LT(dtftGrid(44, 16).f0, dtftGrid(44, 12).f0);
}

TEST(DtftGrid, TopFrequencyFollowsTheRate) {
  EXPECT_DOUBLE_EQ(dtftGrid(88, 10).fmax, 44100.0);
  EXPECT_DOUBLE_EQ(dtftGrid(22, 10).fmax, 11025.0);
  EXPECT_DOUBLE_EQ(dtftGrid(11, 10).fmax, 5512.5);
  EXPECT_DOUBLE_EQ(dtftGrid(48, 10).fmax, 24000.0);
  EXPECT_DOUBLE_EQ(dtftGrid(8, 10).fmax, 4000.0);
  EXPECT_NEAR(dtftPointFrequency(dtftGrid(88, 10), 511), 44100.0, 1e-7);
}

TEST(TrigSums, FastEvaluationMatchesPerTermSums) {
  const std::vector<double> x = randomValues(65536, 7, 30000.0);
  for (double w : {1e-5, 0.001, 0.3, 1.0, 2.9, 3.14159}) {
    for (int count : {1, 63, 64, 65, 1000, 65536}) {
      const TrigSums fast = trigSums(x.data(), count, w, 0);
      const TrigSums slow = trigSumsPerTerm(x.data(), count, w, 0);
      double local = 0.0;
      for (int j = 0; j < count; ++j) local += std::fabs(x[j]);
      EXPECT_NEAR(fast.cosSum, slow.cosSum, 1e-9 * local) << w << " " << count;
      EXPECT_NEAR(fast.sinSum, slow.sinSum, 1e-9 * local) << w << " " << count;
    }
  }
  // A first index of 1 shifts every angle by one step.
  const TrigSums shifted = trigSums(x.data(), 100, 0.25, 1);
  const TrigSums reference = trigSumsPerTerm(x.data(), 100, 0.25, 1);
  EXPECT_NEAR(shifted.cosSum, reference.cosSum, 1e-9 * 100 * 30000.0);
  EXPECT_NEAR(shifted.sinSum, reference.sinSum, 1e-9 * 100 * 30000.0);
}

// The per-point sums at an FFT bin's angle equal that bin of realFft.
TEST(Dtft, SumsAtBinFrequenciesAgreeWithRealFft) {
  const int order = 10;
  const int n = 1 << order;
  std::vector<double> x = randomValues(n, 11, 1000.0);
  std::vector<double> re = x, im(n, 0.0);
  TransformTables tables;
  ASSERT_TRUE(realFft(tables, re.data(), im.data(), order, -1.0));
  for (int bin = 1; bin < n / 2; ++bin) {
    const double w = std::numbers::pi * bin / (n / 2);
    const TrigSums s = trigSums(x.data(), n, w, 0);
    EXPECT_NEAR(s.cosSum / n, re[bin], 1e-10) << bin;
    EXPECT_NEAR(-s.sinSum / n, im[bin], 1e-10) << bin;
  }
}

// dtftLog's first point lies on the FFT's first bin; with pi taken as 3.141592 the value differs
// from the bin only by that rounding.
TEST(Dtft, FirstPointIsTheFirstFftBin) {
  AnalysisSetup scope;
  for (int order : {8, 12}) {
    const int n = 1 << order;
    std::vector<double> x = randomValues(n, 3 + order, 1000.0);
    std::vector<double> re = x, im(n, 0.0);
    std::vector<double> fre = x, fim(n, 0.0);
    ASSERT_EQ(dtftLog(re.data(), im.data(), order, 44, scope.tables.scratch, scope.progress), 0);
    ASSERT_TRUE(realFft(scope.tables, fre.data(), fim.data(), order, -1.0));
    EXPECT_NEAR(re[0], fre[1], 1e-4) << order;
    EXPECT_NEAR(im[0], fim[1], 1e-4) << order;
  }
}

TEST(Dtft, SineIsStrongestAtItsPoint) {
  AnalysisSetup scope;
  const int order = 12;
  const int n = 1 << order;
  const DtftGrid grid = dtftGrid(44, order);
  const int target = 300;
  const double f = dtftPointFrequency(grid, target);
  std::vector<double> re(n), im(n, 0.0);
  for (int j = 0; j < n; ++j) {
    const double hann = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * j / n);
    re[j] = 10000.0 * hann * std::cos(2.0 * std::numbers::pi * f * j / 44100.0);
  }
  ASSERT_EQ(dtftLog(re.data(), im.data(), order, 44, scope.tables.scratch, scope.progress), 0);
  const PointPeak peak = dtftPeak(re.data(), im.data(), grid.points, false);
  EXPECT_EQ(peak.index, target);
  // A Hann-windowed cosine of amplitude a has |X| = a/4 at its own frequency.
  EXPECT_NEAR(std::sqrt(peak.power), 2500.0, 2.0);
}

TEST(Dtft, SilenceGivesZeroEverywhereAndPeakAtPointZero) {
  AnalysisSetup scope;
  const int order = 9;
  std::vector<double> re(512, 0.0), im(512, 0.0);
  ASSERT_EQ(dtftLog(re.data(), im.data(), order, 22, scope.tables.scratch, scope.progress), 0);
  for (int k = 0; k < 256; ++k) {
    EXPECT_EQ(re[k], 0.0);
    EXPECT_EQ(im[k], 0.0);
  }
  const PointPeak peak = dtftPeak(re.data(), im.data(), 256, false);
  EXPECT_EQ(peak.index, 0);
  EXPECT_EQ(peak.power, 0.0);
}

TEST(Dtft, PinkTiltKeepsPointZeroOutOfThePeak) {
  AnalysisSetup scope;
  std::vector<double> re = {5.0, 1.0, 1.0, 0.5}, im = {0.0, 0.0, 1.0, 0.0};
  const PointPeak peak = dtftPeak(re.data(), im.data(), 4, true);
  // Powers 25, 1, 2, 0.25 tilted by k / 4: 0, 0.25, 1.0, 0.1875.
  EXPECT_EQ(peak.index, 2);
  EXPECT_DOUBLE_EQ(peak.power, 1.0);
}

TEST(Dtft, ProgressCountsEveryPointAndEndsTheStep) {
  AnalysisSetup scope;
  std::vector<double> re(256, 1.0), im(256, 0.0);
  ASSERT_EQ(dtftLog(re.data(), im.data(), 8, 44, scope.tables.scratch, scope.progress), 0);
  EXPECT_EQ(scope.progress.begun, std::vector<std::string>{"DTFT"});
  ASSERT_EQ(scope.progress.steps.size(), 128u);
  EXPECT_EQ(scope.progress.steps.front(), 1);
  EXPECT_EQ(scope.progress.steps.back(), 128);
  EXPECT_EQ(scope.progress.ends, 1);
  EXPECT_EQ(scope.progress.events, 128);
}

TEST(Dtft, StopEndsAtTheNextPointAndBlanksTheProgress) {
  AnalysisSetup scope;
  scope.progress.stopAtEvent = 5;
  std::vector<double> re(256, 1.0), im(256, 0.0);
  EXPECT_EQ(dtftLog(re.data(), im.data(), 8, 44, scope.tables.scratch, scope.progress), 1);
  EXPECT_EQ(scope.progress.events, 5);
  // Four points were computed; the fifth and later keep the signal.
  EXPECT_EQ(re[4], 1.0);
  EXPECT_EQ(scope.progress.steps.size(), 4u);
  EXPECT_EQ(scope.progress.ends, 1);
}

TEST(Dtft, FailedCopyEndsQuietly) {
  AnalysisSetup scope;
  scope.tables.scratch.failAfter(1);
  std::vector<double> re(256, 1.0), im(256, 0.0);
  EXPECT_EQ(dtftLog(re.data(), im.data(), 8, 44, scope.tables.scratch, scope.progress), 1);
  EXPECT_EQ(re[0], 1.0);
}

TEST(DtftAnalyze, SilenceDrawsTheBottomRowWithPeakAtTheFirstPoint) {
  AnalysisSetup scope;
  scope.settings.blockOrder = 8;
  scope.settings.display = kSpectrumLog;
  scope.settings.spectrumType = SpectrumScale::kLog;
  scope.settings.displayGain = 1;
  const std::vector<uint8_t> bytes(1024, 0);
  const SampleBlock block{bytes.data(), 1024, 16, 44};
  const DtftResult r = dtftAnalyze(block, scope.params(), scope.tables, scope.progress);
  ASSERT_TRUE(r.analysed);
  ASSERT_EQ(r.frame.bins(), 128);
  for (uint8_t d : r.frame.depths) ASSERT_EQ(d, 255);
  EXPECT_EQ(peakFrequencyText(r.peakFrequency), "Peak 172.3Hz");  // R / 256
  EXPECT_EQ(r.peakPower, 0.0);
}

TEST(DtftAnalyze, ToneInTheChartColumnAtItsPoint) {
  AnalysisSetup scope;
  scope.settings.blockOrder = 12;
  scope.settings.display = kTimeFrequencyChart;
  scope.settings.windowFunction = WindowFunction::kHanning;
  const DtftGrid grid = dtftGrid(44, 12);
  const double f = dtftPointFrequency(grid, 400);
  std::vector<int> samples(4096);
  for (int i = 0; i < 4096; ++i) {
    samples[i] =
        static_cast<int>(std::lround(20000.0 * std::sin(2.0 * std::numbers::pi * f * i / 44100.0)));
  }
  const std::vector<uint8_t> bytes = testing::bytes16(samples);
  const SampleBlock block{bytes.data(), static_cast<uint32_t>(bytes.size()), 16, 44};
  const DtftResult r = dtftAnalyze(block, scope.params(), scope.tables, scope.progress);
  const auto& depths = r.frame.depths;
  ASSERT_EQ(depths.size(), 512u);
  EXPECT_EQ(std::min_element(depths.begin(), depths.end()) - depths.begin(), 400);
  EXPECT_EQ(r.peakFrequency, f);
}

TEST(DtftAnalyze, StopDrawsNothing) {
  AnalysisSetup scope;
  scope.settings.blockOrder = 8;
  scope.progress.stopAtEvent = 3;
  const std::vector<uint8_t> bytes(512, 7);
  const SampleBlock block{bytes.data(), 512, 16, 44};
  const DtftResult r = dtftAnalyze(block, scope.params(), scope.tables, scope.progress);
  EXPECT_TRUE(r.cancelled);
  EXPECT_FALSE(r.analysed);
  EXPECT_TRUE(r.frame.depths.empty());
}

TEST(DtftAnalyze, EmptyBlockDoesNothing) {
  AnalysisSetup scope;
  const SampleBlock block{nullptr, 0, 16, 44};
  const DtftResult r = dtftAnalyze(block, scope.params(), scope.tables, scope.progress);
  EXPECT_FALSE(r.analysed);
  EXPECT_EQ(scope.progress.events, 0);
  EXPECT_TRUE(scope.progress.begun.empty());
}

TEST(DtftAnalyze, OutOfMemoryEndsWithTheAnalysisMessage) {
  for (int which = 1; which <= 3; ++which) {
    AnalysisSetup scope;
    scope.settings.blockOrder = 8;
    const std::vector<uint8_t> bytes(512, 7);
    const SampleBlock block{bytes.data(), 512, 16, 44};
    scope.tables.scratch.failAfter(which);
    const DtftResult r = dtftAnalyze(block, scope.params(), scope.tables, scope.progress);
    EXPECT_TRUE(r.failed());
    EXPECT_EQ(testing::messageTexts(r), std::vector<std::string>{"解析用メモリの不足"});
    EXPECT_FALSE(r.analysed);
  }
}

}  // namespace
}  // namespace korimu

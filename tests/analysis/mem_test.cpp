#include "analysis/mem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "analysis/level_map.h"
#include "analysis/scratch_memory.h"
#include "analysis_test_support.h"

namespace korimu {
namespace {

using testing::AnalysisSetup;

TEST(MemRate, TableOfIntervalsAndTopFrequencies) {
  EXPECT_DOUBLE_EQ(memRate(SampleRate(44)).dt, 2.2676251162157872e-05);
  EXPECT_DOUBLE_EQ(memRate(SampleRate(44)).fmax, 22050.0);
  EXPECT_DOUBLE_EQ(memRate(SampleRate(22)).dt, 4.5353530772370626e-05);
  EXPECT_DOUBLE_EQ(memRate(SampleRate(11)).fmax, 5512.5);
  EXPECT_DOUBLE_EQ(memRate(SampleRate(88)).fmax, 44100.5);
  EXPECT_DOUBLE_EQ(memRate(SampleRate(48)).dt, 1.0 / 47999);
  EXPECT_DOUBLE_EQ(memRate(SampleRate(48)).fmax, 24000.0);
}

TEST(MemPoints, LogarithmicAndLinearSpacing) {
  const MemPoints logPoints = memPoints(44, 10, false);
  EXPECT_EQ(logPoints.count, 512);
  EXPECT_DOUBLE_EQ(logPoints.frequency(0), 22050.0 / 512);
  EXPECT_NEAR(logPoints.frequency(511), 22050.0, 1e-7);
  const MemPoints linearPoints = memPoints(44, 10, true);
  EXPECT_DOUBLE_EQ(linearPoints.frequency(0), 0.0);
  EXPECT_NEAR(linearPoints.frequency(511), 22050.0, 1e-9);
}

TEST(Burg, SilenceStopsAtOrderOneWithZeroPower) {
  AnalysisSetup scope;
  AnalysisNotes notes;
  std::vector<double> x(1000, 0.0), a(500, 0.0);
  int m = 0;
  double pm = -1.0;
  EXPECT_EQ(
      burgFit(x.data(), 1000, 500, a.data(), m, pm, scope.tables.scratch, scope.progress, notes),
      0);
  EXPECT_EQ(m, 1);
  EXPECT_EQ(pm, 0.0);
  EXPECT_EQ(a[0], 0.0);
  EXPECT_EQ(scope.progress.events, 1);
}

// A first-order autoregressive process: the fit recovers its coefficient and error power.
TEST(Burg, RecoversAFirstOrderProcess) {
  AnalysisSetup scope;
  AnalysisNotes notes;
  const int n = 8192;
  std::mt19937 engine(5);
  std::normal_distribution<double> noise(0.0, 100.0);
  std::vector<double> x(n);
  double prev = 0.0;
  for (int i = 0; i < n; ++i) x[i] = prev = 0.9 * prev + noise(engine);
  std::vector<double> a(n / 2, 0.0);
  int m = 0;
  double pm = 0.0;
  ASSERT_EQ(
      burgFit(x.data(), n, n / 2, a.data(), m, pm, scope.tables.scratch, scope.progress, notes), 0);
  ASSERT_GE(m, 1);
  EXPECT_LT(m, 20);
  // x[i] - 0.9 x[i-1] = e[i]: the model's first coefficient is about -0.9.
  EXPECT_NEAR(a[0], -0.9, 0.03);
  EXPECT_NEAR(pm, 10000.0, 600.0);
}

// Autoregressive processes of a known order, long enough for the final prediction error to
// pick that order; the error noted for the choice is the rule's for the chosen order.
TEST(Burg, TheFinalPredictionErrorPicksTheOrderOfTheProcess) {
  struct Process {
    std::vector<double> coefficients;  // x[i] = sum c[j] x[i-1-j] + e[i]
    unsigned seed;
  };
  const Process processes[] = {
      {{0.9}, 5}, {{1.6, -0.9}, 7}, {{0.5, 0.0, 0.0, -0.6}, 11}, {{1.2, -0.8, 0.3}, 3}};
  for (const Process& p : processes) {
    const int order = int(p.coefficients.size());
    SCOPED_TRACE(order);
    AnalysisSetup scope;
    AnalysisNotes notes;
    const int n = 4096;
    std::mt19937 engine(p.seed);
    std::normal_distribution<double> noise(0.0, 100.0);
    std::vector<double> x(n, 0.0);
    for (int i = 0; i < n; ++i) {
      x[i] = noise(engine);
      for (int j = 0; j < order && j < i; ++j) x[i] += p.coefficients[j] * x[i - 1 - j];
    }
    std::vector<double> a(n / 2, 0.0);
    int m = 0;
    double pm = 0.0;
    ASSERT_EQ(
        burgFit(x.data(), n, n / 2, a.data(), m, pm, scope.tables.scratch, scope.progress, notes),
        0);
    EXPECT_EQ(m, order);
    const double fpe = pm * (n + m + 1) / (n - m - 1);
    char expected[64];
    std::snprintf(expected, sizeof expected, "m=%5u fpe[m]=%e  ", unsigned(m), fpe);
    EXPECT_EQ(testing::diagnosticOf(notes, DiagnosticLine::kModelChoice), expected);
  }
}

TEST(Burg, WhiteNoiseWhereNoOrderBeatsTheMeanKeepsOrderZero) {
  AnalysisSetup scope;
  AnalysisNotes notes;
  // Short noise sequences: for many of them no order's FPE reaches the mean's, and then the
  // model is order 0 with the block's variance and a flat spectrum dt * E / n.
  const int n = 64;
  int orderZeroSeen = 0;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    std::vector<double> x(n);
    std::mt19937 engine(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    for (double& v : x) v = noise(engine);
    long double mean = 0.0L;
    for (double v : x) mean += v;
    mean /= n;
    long double energy = 0.0L;
    for (double v : x) energy += (v - mean) * (v - mean);
    std::vector<double> a(n / 2, 0.0);
    int m = 0;
    double pm = 0.0;
    ASSERT_EQ(
        burgFit(x.data(), n, n / 2, a.data(), m, pm, scope.tables.scratch, scope.progress, notes),
        0);
    if (m != 0) continue;
    ++orderZeroSeen;
    EXPECT_NEAR(pm, static_cast<double>(energy / n), 1e-12) << seed;
    std::vector<double> spec(16);
    ASSERT_EQ(memEstimate(spec.data(), 16, m, a.data(), 0.5, pm, 10.0, 0.0, 1.1, 2, scope.progress),
              0);
    for (double s : spec) EXPECT_DOUBLE_EQ(s, 0.5 * pm) << seed;
  }
  EXPECT_GT(orderZeroSeen, 0);
}

TEST(MemEstimate, FirstOrderModelSpectrumInBothSteppings) {
  AnalysisSetup scope;
  AnalysisNotes notes;
  const double a[] = {-0.5};
  const double dt = 1e-3;
  const double pm = 2.0;
  const auto expected = [&](double f) {
    const double theta = 2.0 * std::numbers::pi * dt * f;
    const double re = 1.0 - 0.5 * std::cos(theta);
    const double im = -0.5 * std::sin(theta);
    return dt * pm / (re * re + im * im);
  };
  std::vector<double> spec(8);
  ASSERT_EQ(memEstimate(spec.data(), 8, 1, a, dt, pm, 10.0, 0.0, 1.5, 2, scope.progress), 0);
  for (int i = 0; i < 8; ++i) EXPECT_NEAR(spec[i], expected(10.0 * std::pow(1.5, i)), 1e-15);
  ASSERT_EQ(memEstimate(spec.data(), 8, 1, a, dt, pm, 0.0, 0.0, 60.0, 1, scope.progress), 0);
  for (int i = 0; i < 8; ++i) EXPECT_NEAR(spec[i], expected(60.0 * i), 1e-15);
  // At 0 Hz the model's gain is 1 / (1 - 0.5)^2.
  EXPECT_NEAR(spec[0], dt * pm * 4.0, 1e-15);
  EXPECT_EQ(scope.progress.begun, (std::vector<std::string>{"estimate", "estimate"}));
  EXPECT_EQ(scope.progress.totals, (std::vector<long>{8, 8}));
  EXPECT_EQ(scope.progress.ends, 2);
}

TEST(MemDepths, SilenceSitsAtTheBottomOfEveryScale) {
  AnalysisSetup scope;
  AnalysisNotes notes;
  const MemPoints points = memPoints(44, 8, false);
  std::vector<double> spec(points.count, 0.0);
  const MemExtremes extremes = memExtremes(spec.data(), points, scope.settings.pinkNoiseFlat != 0);
  EXPECT_EQ(extremes.max, 0.0);
  EXPECT_EQ(extremes.min, 0.0);
  std::vector<uint8_t> depths(points.count);
  struct Case {
    SpectrumScale scale;
    WindowFunction window;
    int gain;
    uint8_t depth;
  };
  constexpr auto kLog = SpectrumScale::kLog;
  constexpr auto kHanning = WindowFunction::kHanning, kRectangle = WindowFunction::kRectangle;
  const Case cases[] = {{kLog, kHanning, 1, 255},
                        {kLog, kHanning, 0, 255},
                        {kLog, kRectangle, 0, 254},
                        {kLog, kRectangle, 1, 255},
                        {kLog, kRectangle, 3, 255},
                        {SpectrumScale::kAmplitude, kHanning, 1, 255},
                        {SpectrumScale::kPower, kRectangle, 2, 255}};
  for (const Case& c : cases) {
    scope.settings.spectrumType = c.scale;
    scope.settings.windowFunction = c.window;
    scope.settings.displayGain = c.gain;
    memDepths(depths.data(), spec.data(), points, extremes, true, scope.params());
    for (uint8_t d : depths) ASSERT_EQ(d, c.depth) << int(c.scale) << int(c.window) << c.gain;
  }
}

TEST(MemDepths, ReferenceAtTheTopAndMinimumAtTheBottom) {
  AnalysisSetup scope;
  AnalysisNotes notes;
  scope.settings.spectrumType = SpectrumScale::kLog;
  scope.settings.windowFunction = WindowFunction::kHanning;
  scope.settings.displayGain = 0;                    // the block's maximum is the reference
  const MemPoints points = memPoints(44, 3, false);  // four points
  std::vector<double> spec = {50.0, 100.0, 1.0, 1e-4};
  MemExtremes extremes;
  extremes.max = 100.0;
  extremes.min = 1e-4;
  std::vector<uint8_t> depths(4);
  memDepths(depths.data(), spec.data(), points, extremes, true, scope.params());
  EXPECT_EQ(depths[1], 0);
  EXPECT_EQ(depths[3], 255);
  // ln(0.01) / ln(1e-6) of the way down: one third.
  EXPECT_EQ(depths[2], 85);
  // Amplitude scale with the rectangle window: sqrt(v / max), gain 1.
  scope.settings.spectrumType = SpectrumScale::kAmplitude;
  scope.settings.windowFunction = WindowFunction::kRectangle;
  scope.settings.displayGain = 1;
  memDepths(depths.data(), spec.data(), points, extremes, true, scope.params());
  EXPECT_EQ(depths[1], 0);
  EXPECT_EQ(depths[0], 74);  // 255 - 255 * sqrt(0.5)
}

// The pink tilt on the logarithmic axis is v * fi / fmax, multiplied first: near a row boundary
// the other grouping, v * (fi / fmax), can round to the next row.
TEST(MemDepths, PinkTiltMultipliesByTheFrequencyBeforeDividing) {
  AnalysisSetup scope;
  AnalysisNotes notes;
  scope.settings.spectrumType = SpectrumScale::kPower;  // power
  scope.settings.windowFunction =
      WindowFunction::kRectangle;  // the reference is the block's maximum
  scope.settings.displayGain = 1;  // depth = trunc(255 - v * 255)
  scope.settings.pinkNoiseFlat = true;
  const MemPoints points = memPoints(44, 8, false);
  MemExtremes extremes;
  extremes.max = 1.0;
  std::vector<double> spec(points.count);
  std::vector<uint8_t> depths(points.count);
  int groupingMatters = 0;
  // Values a few steps of the last bit either side of the point where v lands on a row boundary.
  for (int nudge = -4; nudge <= 4; ++nudge) {
    for (int i = 0; i < points.count; ++i) {
      const double tilt = points.frequency(i) / points.fmax;
      const int row = 1 + i % 254;
      double value = (255.0 - row) / 255.0 / tilt;
      for (int u = 0; u < std::abs(nudge); ++u) value = std::nextafter(value, nudge * 1e9);
      spec[i] = value;
    }
    memDepths(depths.data(), spec.data(), points, extremes, true, scope.params());
    for (int i = 0; i < points.count; ++i) {
      const double fi = points.frequency(i);
      const double v = spec[i] / extremes.max * fi / points.fmax;
      const auto expected = static_cast<uint8_t>(255.0 - std::clamp(v, 0.0, 1.0) * 255.0);
      ASSERT_EQ(depths[i], expected) << "point " << i << " nudge " << nudge;
      const double other = spec[i] / extremes.max * (fi / points.fmax);
      if (static_cast<int>(255.0 - other * 255.0) != expected) ++groupingMatters;
    }
  }
  // The sweep includes values where the grouping changes the row.
  EXPECT_GT(groupingMatters, 0);
  // One of them: point 1 at 122.23571181808518 lies on row 2, not row 1.
  spec.assign(points.count, 0.0);
  spec[1] = 122.23571181808518;
  memDepths(depths.data(), spec.data(), points, extremes, true, scope.params());
  EXPECT_EQ(depths[1], 2);
}

// A sine with a little noise, as a recording has (an exactly periodic block of rounded samples
// would let a long enough model predict it perfectly).
std::vector<uint8_t> sineBytes(int count, double frequency, double rate, double amplitude,
                               double phase = 0.0) {
  std::mt19937 engine(17);
  std::uniform_real_distribution<double> noise(-3.0, 3.0);
  std::vector<int> samples(count);
  for (int i = 0; i < count; ++i) {
    samples[i] = static_cast<int>(
        std::lround(amplitude * std::sin(2.0 * std::numbers::pi * frequency * i / rate + phase) +
                    noise(engine)));
  }
  return testing::bytes16(samples);
}

TEST(MemAnalyze, SilenceFitsOrderOneAndGivesTheBottomRow) {
  AnalysisSetup scope;
  scope.settings.blockOrder = 10;
  scope.settings.display = kSpectrumLog;
  scope.settings.spectrumType = SpectrumScale::kLog;
  scope.settings.windowFunction = WindowFunction::kHanning;
  scope.settings.displayGain = 1;
  const std::vector<uint8_t> bytes(8192, 0);
  const SampleBlock block{bytes.data(), 8192, 16, 44};
  double runningMax = 0.0;
  const MemResult r =
      memAnalyze(block, scope.params(), scope.tables.scratch, scope.progress, runningMax);
  ASSERT_TRUE(r.analysed);
  ASSERT_EQ(r.frame.bins(), 512);
  for (uint8_t d : r.frame.depths) ASSERT_EQ(d, 255);
  EXPECT_EQ(peakFrequencyText(r.peakFrequency), "Peak 43.07Hz");
  EXPECT_EQ(peakPowerText(r.peakPower), "Pow 0.0e+00");
  // Diagnostics: mmax, the order tried, the choice, the minimum.
  using testing::diagnosticOf;
  EXPECT_EQ(diagnosticOf(r, DiagnosticLine::kModelOrders), "mmax= 2048 ");
  EXPECT_EQ(diagnosticOf(r, DiagnosticLine::kModelStep), "m=    1 fpe[m]=0.000000e+00  ");
  EXPECT_EQ(diagnosticOf(r, DiagnosticLine::kModelChoice), "m=    1 fpe[m]=0.000000e+00  ");
  EXPECT_EQ(diagnosticOf(r, DiagnosticLine::kBlockMinimum), "min= 0.0e+00 ");
  EXPECT_TRUE(r.powerWarning.empty());
}

TEST(MemAnalyze, SineIsStrongestAtTheNearestPoint) {
  AnalysisSetup scope;
  scope.settings.blockOrder = 10;
  scope.settings.display = kSpectrumLog;
  const MemPoints points = memPoints(44, 10, false);
  double runningMax = 0.0;
  for (double f : {440.0, 1000.0, 5000.0}) {
    for (double phase : {0.0, 1.0}) {
      const std::vector<uint8_t> bytes = sineBytes(4096, f, 44100.0, 20000.0, phase);
      const SampleBlock block{bytes.data(), static_cast<uint32_t>(bytes.size()), 16, 44};
      const MemResult r =
          memAnalyze(block, scope.params(), scope.tables.scratch, scope.progress, runningMax);
      ASSERT_TRUE(r.analysed);
      const int nearest =
          static_cast<int>(std::lround(std::log(f / points.f0) / std::log(points.step)));
      // The readout names a point's frequency: find which.
      int reported = -1;
      for (int i = 0; i < points.count; ++i)
        if (r.peakFrequency == points.frequency(i)) reported = i;
      EXPECT_NEAR(reported, nearest, 1) << f << " " << phase;
      // The loudest point is drawn highest.
      EXPECT_EQ(r.frame.depths[size_t(reported)],
                *std::min_element(r.frame.depths.begin(), r.frame.depths.end()));
    }
  }
}

TEST(MemAnalyze, LinearViewStepsLinearlyAndReportsTheBinFrequency) {
  AnalysisSetup scope;
  scope.settings.blockOrder = 8;
  scope.settings.display = kSpectrumLinear;
  const std::vector<uint8_t> bytes = sineBytes(2048, 2756.25, 44100.0, 20000.0);
  const SampleBlock block{bytes.data(), static_cast<uint32_t>(bytes.size()), 16, 44};
  double runningMax = 0.0;
  const MemResult r =
      memAnalyze(block, scope.params(), scope.tables.scratch, scope.progress, runningMax);
  ASSERT_TRUE(r.analysed);
  // Points are 22050/127 Hz apart; the readout uses index * 44100 / 128 / 2.
  const int index = static_cast<int>(std::lround(2756.25 / (22050.0 / 127)));
  const double step = 44100.0 / 128 / 2.0;
  EXPECT_NEAR(r.peakFrequency, index * step, step * 1.001);
  EXPECT_EQ(std::fmod(r.peakFrequency, step), 0.0);
}

TEST(MemRunningMax, WarningOnlyBeyondEveryEarlierBlockAndTheSoundLevel) {
  double runningMax = 0.0;
  MaxNotice n = updateRunningMax(runningMax, 4.0e9, true);
  EXPECT_TRUE(n.newMaximum);
  EXPECT_TRUE(n.warning);
  EXPECT_EQ(n.text, "Max  4.0e+09");
  n = updateRunningMax(runningMax, 3.5e9, true);  // loud, but not beyond the first block
  EXPECT_FALSE(n.newMaximum);
  EXPECT_FALSE(n.warning);
  n = updateRunningMax(runningMax, 4.0e9, true);  // equal is not beyond
  EXPECT_FALSE(n.newMaximum);
  n = updateRunningMax(runningMax, 5.0e9, true);
  EXPECT_TRUE(n.warning);
  EXPECT_EQ(runningMax, 5.0e9);
  runningMax = 10000.0;
  n = updateRunningMax(runningMax, 30000.0, false);  // 8-bit data warn above 20000
  EXPECT_TRUE(n.warning);
  runningMax = 0.0;
  n = updateRunningMax(runningMax, 2.0e9, true);  // a new maximum below the 16-bit level
  EXPECT_TRUE(n.newMaximum);
  EXPECT_FALSE(n.warning);
}

TEST(MemAnalyze, RunningMaxLastsAcrossBlocks) {
  AnalysisSetup scope;
  scope.settings.blockOrder = 9;
  scope.settings.display = kSpectrumLog;
  const std::vector<uint8_t> loud = sineBytes(4096, 1000.0, 44100.0, 30000.0);
  const std::vector<uint8_t> quiet = sineBytes(4096, 1000.0, 44100.0, 3000.0);
  const SampleBlock loudBlock{loud.data(), static_cast<uint32_t>(loud.size()), 16, 44};
  const SampleBlock quietBlock{quiet.data(), static_cast<uint32_t>(quiet.size()), 16, 44};
  const auto hasMax = [](const MemResult& r) {
    return !testing::diagnosticOf(r, DiagnosticLine::kBlockMaximum).empty();
  };
  double runningMax = 0.0;
  EXPECT_TRUE(hasMax(
      memAnalyze(loudBlock, scope.params(), scope.tables.scratch, scope.progress, runningMax)));
  const double first = runningMax;
  EXPECT_GT(first, 0.0);
  EXPECT_FALSE(hasMax(
      memAnalyze(quietBlock, scope.params(), scope.tables.scratch, scope.progress, runningMax)));
  // The same block is not beyond itself.
  EXPECT_FALSE(hasMax(
      memAnalyze(loudBlock, scope.params(), scope.tables.scratch, scope.progress, runningMax)));
  EXPECT_EQ(runningMax, first);
}

TEST(MemAnalyze, StopInTheRecursionGivesNothing) {
  AnalysisSetup scope;
  scope.settings.blockOrder = 9;
  const std::vector<uint8_t> bytes = sineBytes(4096, 300.0, 44100.0, 10000.0);
  const SampleBlock block{bytes.data(), static_cast<uint32_t>(bytes.size()), 16, 44};
  scope.progress.stopAtEvent = 2;
  double runningMax = 0.0;
  const MemResult r =
      memAnalyze(block, scope.params(), scope.tables.scratch, scope.progress, runningMax);
  EXPECT_TRUE(r.cancelled);
  EXPECT_FALSE(r.analysed);
  EXPECT_EQ(scope.progress.events, 2);
  EXPECT_TRUE(r.frame.depths.empty());
}

TEST(MemAnalyze, StopInTheEstimateGivesNothingAndEndsTheStep) {
  AnalysisSetup scope;
  scope.settings.blockOrder = 9;
  const std::vector<uint8_t> bytes(4096, 0);  // silence: the recursion takes one event
  const SampleBlock block{bytes.data(), 4096, 16, 44};
  scope.progress.stopAtEvent = 5;
  double runningMax = 0.0;
  const MemResult r =
      memAnalyze(block, scope.params(), scope.tables.scratch, scope.progress, runningMax);
  EXPECT_TRUE(r.cancelled);
  EXPECT_TRUE(r.frame.depths.empty());
  EXPECT_EQ(scope.progress.begun, (std::vector<std::string>{"burg", "estimate"}));
  EXPECT_EQ(scope.progress.totals, (std::vector<long>{1024, 256}));
  EXPECT_EQ(scope.progress.ends, 1);
}

TEST(MemAnalyze, AutocorrelationFitsHalfTheLagsUpToOrderNdHalfMinusOne) {
  AnalysisSetup scope;
  scope.settings.blockOrder = 8;
  scope.settings.autocorrelation = true;
  // Three tones in a short block keep the FPE falling for many orders.
  std::vector<int> samples(128);
  for (int i = 0; i < 128; ++i) {
    samples[i] = static_cast<int>(8000.0 * std::sin(0.31 * i) + 6000.0 * std::sin(1.7 * i) +
                                  4000.0 * std::sin(2.9 * i));
  }
  const std::vector<uint8_t> bytes = testing::bytes16(samples);
  const SampleBlock block{bytes.data(), static_cast<uint32_t>(bytes.size()), 16, 44};
  double runningMax = 0.0;
  ASSERT_TRUE(
      memAnalyze(block, scope.params(), scope.tables.scratch, scope.progress, runningMax).analysed);
  // The steps: the lags, the orders tried, the estimate.
  ASSERT_EQ(scope.progress.begun, (std::vector<std::string>{"self", "burg", "estimate"}));
  EXPECT_EQ(scope.progress.totals[1], 64);
  // The orders tried are the counters before the estimate's 128 points.
  const std::vector<long>& steps = scope.progress.steps;
  ASSERT_GT(steps.size(), 128u);
  const long highestOrder = *std::max_element(steps.begin(), steps.end() - 128);
  EXPECT_GE(highestOrder, 2);
  // mmax = 64 over 64 lags: order 63 is the last the sentinel allows.
  EXPECT_LE(highestOrder, 63);
}

TEST(MemAnalyze, OutOfMemoryMessagesNameTheArray) {
  const char* expected[] = {"mem nd 512", "mem ns", "mem mx", "mem s2", "burg"};
  for (int which = 1; which <= 5; ++which) {
    AnalysisSetup scope;
    scope.settings.blockOrder = 8;
    const std::vector<uint8_t> bytes(1024, 3);
    const SampleBlock block{bytes.data(), 1024, 16, 44};
    double runningMax = 0.0;
    scope.tables.scratch.failAfter(which);
    const MemResult r =
        memAnalyze(block, scope.params(), scope.tables.scratch, scope.progress, runningMax);
    EXPECT_TRUE(r.failed()) << which;
    EXPECT_FALSE(r.cancelled) << which;
    EXPECT_EQ(testing::messageTexts(r), std::vector<std::string>{expected[which - 1]});
    EXPECT_TRUE(r.frame.depths.empty());
  }
}

TEST(MemAnalyze, ZeroKilohertzAnalysesNothing) {
  AnalysisSetup scope;
  const std::vector<uint8_t> bytes(256, 0);
  const SampleBlock block{bytes.data(), 256, 16, 0};
  double runningMax = 0.0;
  const MemResult r =
      memAnalyze(block, scope.params(), scope.tables.scratch, scope.progress, runningMax);
  EXPECT_FALSE(r.analysed);
  EXPECT_EQ(scope.progress.events, 0);
}

}  // namespace
}  // namespace korimu

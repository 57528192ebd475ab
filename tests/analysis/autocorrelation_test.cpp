#include "analysis/autocorrelation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "analysis/scratch_memory.h"
#include "analysis_test_support.h"
#include "core/layout.h"

namespace korimu {
namespace {

using testing::AnalysisSetup;
using testing::block16;
using testing::bytes16;

std::vector<int> sineSamples(int count, double amplitude, double period) {
  std::vector<int> s(static_cast<size_t>(count));
  for (int j = 0; j < count; ++j) {
    s[size_t(j)] = int(std::lround(amplitude * std::sin(2.0 * std::numbers::pi * j / period)));
  }
  return s;
}

TEST(Autocorrelation, RawValuesAreTheCircularSumOfTheZeroPaddedBlock) {
  const std::vector<int> samples{300, -120, 45, 999, -2000, 7, 0, 1500, -800, 64};
  const auto bytes = bytes16(samples);
  const int n = 8, l = 16;  // the first eight samples, zero padded to 16
  std::vector<double> a(static_cast<size_t>(l)), b(static_cast<size_t>(l), 5.0);
  testing::CountingProgress progress;
  autocorrRaw(a.data(), b.data(), n, l, block16(bytes), progress);
  for (int k = 0; k < l; ++k) {
    double sum = 0.0;
    for (int j = 0; j < l; ++j) {
      const double xj = j < n ? samples[size_t(j)] : 0.0;
      const int jk = (j + k) % l;
      const double xjk = jk < n ? samples[size_t(jk)] : 0.0;
      sum += xj * xjk;
    }
    EXPECT_NEAR(a[size_t(k)], sum / l, 1e-6) << k;
    EXPECT_NEAR(b[size_t(k)], 0.0, 1e-12 * a[0]);  // zero up to rounding
  }
}

TEST(Autocorrelation, NormalisedReturnsLagZeroAndTheLagGain) {
  AnalysisSetup scope;
  AnalysisNotes notes;
  const auto bytes = bytes16(sineSamples(64, 1000.0, 8.0));
  double r0 = 0.0, g = -1.0;
  auto a = autocorrNormalized(r0, g, 128, 64, 32, block16(bytes), scope.tables.scratch,
                              scope.progress, notes);
  ASSERT_EQ(a.size(), 128u);
  EXPECT_EQ(r0, a[0]);
  EXPECT_NEAR(g, 1.0 / std::pow(32.0, 1.5), 1e-15);
  a = autocorrNormalized(r0, g, 64, 64, 32, block16(bytes), scope.tables.scratch, scope.progress,
                         notes);  // l < n + m: no gain
  EXPECT_EQ(g, 0.0);
  const std::vector<uint8_t> silence(256, 0);
  a = autocorrNormalized(r0, g, 256, 128, 64, block16(silence), scope.tables.scratch,
                         scope.progress, notes);
  EXPECT_EQ(r0, 1.0);
  EXPECT_TRUE(notes.messages.empty());
}

TEST(Autocorrelation, CompensatedSineKeepsItsEnvelopeNearFullScale) {
  AnalysisSetup scope;
  AnalysisNotes notes;
  const int count = 1024;
  const double period = 32.0;
  const auto bytes = bytes16(sineSamples(2 * count, 20000.0, period));
  std::vector<double> values(static_cast<size_t>(count), -1.0);
  compensatedAutocorr(values.data(), block16(bytes), count, scope.tables.scratch, scope.progress,
                      notes);
  EXPECT_NEAR(values[0], 31000.0, 1e-6);
  // The plain estimate falls as (1 - k/(2n)); the gain (1 + (k/n)^1.5) lifts it back, so the
  // envelope stays within about 0.98 and 1.03 of full scale (0.979 near k = n/6, 1.031 near
  // k = 0.7 n).
  for (int k = 0; k + 16 < count; k += 32) {
    const double u = double(k) / count;
    const double envelope = (1.0 - u / 2.0) * (1.0 + std::pow(u, 1.5));
    EXPECT_NEAR(values[size_t(k)] / 31000.0, envelope, 0.003) << k;
    EXPECT_GE(values[size_t(k)], 0.975 * 31000.0) << k;
    EXPECT_LE(values[size_t(k)], 1.035 * 31000.0) << k;
    // A cosine of the same period: the trough half a period on, the zero a quarter on.
    EXPECT_LE(values[size_t(k + 16)], -0.975 * 31000.0) << k;
    EXPECT_GE(values[size_t(k + 16)], -1.035 * 31000.0) << k;
    EXPECT_NEAR(values[size_t(k + 8)], 0.0, 0.01 * 31000.0) << k;
  }
  // The step "self" of 1024 lags, begun and ended.
  EXPECT_EQ(scope.progress.begun, std::vector<std::string>{"self"});
  EXPECT_EQ(scope.progress.ends, 1);
}

TEST(Autocorrelation, EightBitScaleAndSilence) {
  AnalysisSetup scope;
  AnalysisNotes notes;
  std::vector<uint8_t> bytes(512);
  for (int j = 0; j < 512; ++j)
    bytes[size_t(j)] = uint8_t(128 + std::lround(90 * std::sin(j * 0.3)));
  std::vector<double> values(256, -1.0);
  compensatedAutocorr(values.data(), SampleBlock{bytes.data(), 512, 8, 44}, 256,
                      scope.tables.scratch, scope.progress, notes);
  EXPECT_NEAR(values[0], 120.0, 1e-9);

  const std::vector<uint8_t> silence(1024, 0);
  std::vector<double> quiet(256, -1.0);
  compensatedAutocorr(quiet.data(), block16(silence), 256, scope.tables.scratch, scope.progress,
                      notes);
  for (double v : quiet) ASSERT_EQ(v, 0.0);
}

TEST(Autocorrelation, ShortBlocksZeroTheMissingLagsAndLongBlocksUseTwiceCount) {
  AnalysisSetup scope;
  AnalysisNotes notes;
  // 300 samples for 256 lags: h = 150 lags, the rest zero.
  const auto shortBytes = bytes16(sineSamples(300, 5000.0, 20.0));
  std::vector<double> values(256, 99.0);
  compensatedAutocorr(values.data(), block16(shortBytes), 256, scope.tables.scratch, scope.progress,
                      notes);
  EXPECT_NEAR(values[0], 31000.0, 1e-6);
  EXPECT_NE(values[149], 0.0);
  for (int k = 150; k < 256; ++k) ASSERT_EQ(values[size_t(k)], 0.0) << k;

  // Only the first 2 * count samples of a longer block count.
  auto longSamples = sineSamples(1000, 5000.0, 20.0);
  const auto longBytes = bytes16(longSamples);
  std::vector<int> cut(longSamples.begin(), longSamples.begin() + 512);
  const auto cutBytes = bytes16(cut);
  std::vector<double> fromLong(256), fromCut(256);
  compensatedAutocorr(fromLong.data(), block16(longBytes), 256, scope.tables.scratch,
                      scope.progress, notes);
  compensatedAutocorr(fromCut.data(), block16(cutBytes), 256, scope.tables.scratch, scope.progress,
                      notes);
  EXPECT_EQ(fromLong, fromCut);
}

TEST(Autocorrelation, OutOfMemoryFailsTheAnalysis) {
  AnalysisSetup scope;
  AnalysisNotes notes;
  const auto bytes = bytes16(sineSamples(64, 1000.0, 8.0));
  double r0 = 0.0, g = 0.0;
  scope.tables.scratch.failAfter(2);
  const auto a = autocorrNormalized(r0, g, 128, 64, 32, block16(bytes), scope.tables.scratch,
                                    scope.progress, notes);
  EXPECT_TRUE(a.empty());
  EXPECT_TRUE(notes.failed());
  EXPECT_EQ(testing::messageTexts(notes), std::vector<std::string>{"self mem error"});
}

}  // namespace
}  // namespace korimu

#include "analysis/mem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "method_test_support.h"

namespace korimu {
namespace {

using testing::MethodScope;

TEST(MemRate, TableOfIntervalsAndTopFrequencies) {
  EXPECT_DOUBLE_EQ(memRate(44).dt, 2.2676251162157872e-05);
  EXPECT_DOUBLE_EQ(memRate(44).fmax, 22050.0);
  EXPECT_DOUBLE_EQ(memRate(22).dt, 4.5353530772370626e-05);
  EXPECT_DOUBLE_EQ(memRate(11).fmax, 5512.5);
  EXPECT_DOUBLE_EQ(memRate(88).fmax, 44100.5);
  EXPECT_DOUBLE_EQ(memRate(48).dt, 1.0 / 47999);
  EXPECT_DOUBLE_EQ(memRate(48).fmax, 24000.0);
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
  MethodScope scope;
  std::vector<double> x(1000, 0.0), a(500, 0.0);
  int m = 0;
  double pm = -1.0;
  EXPECT_EQ(burgFit(x.data(), 1000, 500, a.data(), m, pm), 0);
  EXPECT_EQ(m, 1);
  EXPECT_EQ(pm, 0.0);
  EXPECT_EQ(a[0], 0.0);
  EXPECT_EQ(scope.events, 1);
}

// A first-order autoregressive process: the fit recovers its coefficient and error power.
TEST(Burg, RecoversAFirstOrderProcess) {
  MethodScope scope;
  const int n = 8192;
  std::mt19937 engine(5);
  std::normal_distribution<double> noise(0.0, 100.0);
  std::vector<double> x(n);
  double prev = 0.0;
  for (int i = 0; i < n; ++i) x[i] = prev = 0.9 * prev + noise(engine);
  std::vector<double> a(n / 2, 0.0);
  int m = 0;
  double pm = 0.0;
  ASSERT_EQ(burgFit(x.data(), n, n / 2, a.data(), m, pm), 0);
  ASSERT_GE(m, 1);
  EXPECT_LT(m, 20);
  // x[i] - 0.9 x[i-1] = e[i]: the model's first coefficient is about -0.9.
  EXPECT_NEAR(a[0], -0.9, 0.03);
  EXPECT_NEAR(pm, 10000.0, 600.0);
}

TEST(Burg, WhiteNoiseWhereNoOrderBeatsTheMeanKeepsOrderZero) {
  MethodScope scope;
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
    ASSERT_EQ(burgFit(x.data(), n, n / 2, a.data(), m, pm), 0);
    if (m != 0) continue;
    ++orderZeroSeen;
    EXPECT_NEAR(pm, static_cast<double>(energy / n), 1e-12) << seed;
    std::vector<double> spec(16);
    ASSERT_EQ(memEstimate(spec.data(), 16, m, a.data(), 0.5, pm, 10.0, 0.0, 1.1, 2), 0);
    for (double s : spec) EXPECT_DOUBLE_EQ(s, 0.5 * pm) << seed;
  }
  EXPECT_GT(orderZeroSeen, 0);
}

}  // namespace
}  // namespace korimu

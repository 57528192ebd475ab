#include "analysis/dct.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "analysis/scratch_memory.h"
#include "analysis_test_support.h"

namespace korimu {
namespace {

using testing::randomValues;

std::vector<double> referenceDct2(const std::vector<double>& x) {
  const size_t n = x.size();
  std::vector<double> c(n);
  for (size_t k = 0; k < n; ++k) {
    double sum = 0.0;
    for (size_t m = 0; m < n; ++m) {
      sum += x[m] * std::cos(std::numbers::pi * double(k) * double(2 * m + 1) / double(2 * n));
    }
    c[k] = sum * (k == 0 ? std::sqrt(1.0 / double(n)) : std::sqrt(2.0 / double(n)));
  }
  return c;
}

std::vector<double> referenceDct4(const std::vector<double>& x) {
  const size_t n = x.size();
  std::vector<double> c(n);
  for (size_t k = 0; k < n; ++k) {
    double sum = 0.0;
    for (size_t m = 0; m < n; ++m) {
      sum +=
          x[m] * std::cos(std::numbers::pi * double(2 * k + 1) * double(2 * m + 1) / double(4 * n));
    }
    c[k] = sum * std::sqrt(2.0 / double(n));
  }
  return c;
}

// Each test allocates its scratch arrays from its own allocator.
class Dct : public ::testing::Test {
 protected:
  ScratchAllocator scratch;
};

double largest(const std::vector<double>& v) {
  double m = 0.0;
  for (double x : v) m = std::max(m, std::abs(x));
  return m;
}

TEST_F(Dct, ConstantInputHasOnlyTheFirstCoefficient) {
  for (int n : {2, 8, 256}) {
    const std::vector<double> x(size_t(n), 3.5);
    std::vector<double> viaFft(static_cast<size_t>(n)), recursive(static_cast<size_t>(n));
    fftDct(scratch, viaFft.data(), x.data(), n);
    fastDct2(scratch, recursive.data(), x.data(), n);
    EXPECT_NEAR(viaFft[0], 3.5 * std::sqrt(double(n)), 1e-12 * n);
    EXPECT_NEAR(recursive[0], 3.5 * std::sqrt(double(n)), 1e-7 * n);
    for (int k = 1; k < n; ++k) {
      ASSERT_NEAR(viaFft[size_t(k)], 0.0, 1e-11) << n << ' ' << k;
      ASSERT_NEAR(recursive[size_t(k)], 0.0, 1e-11) << n << ' ' << k;
    }
  }
}

TEST_F(Dct, BasisCosineLandsOnItsCoefficient) {
  const int n = 128;
  for (int k0 : {1, 5, 64, 127}) {
    std::vector<double> x(static_cast<size_t>(n));
    for (int m = 0; m < n; ++m)
      x[size_t(m)] = std::cos(std::numbers::pi * k0 * (2 * m + 1) / (2.0 * n));
    std::vector<double> viaFft(static_cast<size_t>(n)), recursive(static_cast<size_t>(n));
    fftDct(scratch, viaFft.data(), x.data(), n);
    fastDct2(scratch, recursive.data(), x.data(), n);
    for (int k = 0; k < n; ++k) {
      const double expected = k == k0 ? std::sqrt(n / 2.0) : 0.0;
      ASSERT_NEAR(viaFft[size_t(k)], expected, 1e-11) << k0 << ' ' << k;
      ASSERT_NEAR(recursive[size_t(k)], expected, 1e-7) << k0 << ' ' << k;
    }
  }
}

TEST_F(Dct, BothVariantsMatchTheDirectSumAndEachOther) {
  for (int n : {4, 16, 64, 512, 2048}) {
    const auto x = randomValues(size_t(n), 77u + unsigned(n), 20000.0);
    const auto ref = referenceDct2(x);
    const double scale = largest(ref);
    std::vector<double> viaFft(static_cast<size_t>(n)), recursive(static_cast<size_t>(n));
    fftDct(scratch, viaFft.data(), x.data(), n);
    fastDct2(scratch, recursive.data(), x.data(), n);
    for (int k = 0; k < n; ++k) {
      ASSERT_NEAR(viaFft[size_t(k)], ref[size_t(k)], 1e-12 * scale) << n << ' ' << k;
      // The recursion divides by 1.41421356 instead of the square root of two at every level.
      ASSERT_NEAR(recursive[size_t(k)], viaFft[size_t(k)], 1e-8 * scale) << n << ' ' << k;
    }
  }
}

TEST_F(Dct, TwoPointsAreSumAndDifferenceOverRootTwo) {
  const double x[2] = {3.0, -1.25};
  double a[2] = {0, 0}, b[2] = {0, 0};
  fftDct(scratch, a, x, 2);
  fastDct2(scratch, b, x, 2);
  for (const double* out : {a, b}) {
    EXPECT_NEAR(out[0], (3.0 - 1.25) / std::sqrt(2.0), 1e-15);
    EXPECT_NEAR(out[1], (3.0 + 1.25) / std::sqrt(2.0), 1e-15);
  }
}

TEST_F(Dct, TypeFourAndTypeThreeAreTheOrthonormalTransforms) {
  for (int n : {2, 8, 64}) {
    const auto x = randomValues(size_t(n), 5u, 1.0);
    std::vector<double> four(static_cast<size_t>(n)), two(static_cast<size_t>(n)),
        back(static_cast<size_t>(n));
    fastDct4(scratch, four.data(), x.data(), n);
    const auto ref4 = referenceDct4(x);
    for (int k = 0; k < n; ++k)
      ASSERT_NEAR(four[size_t(k)], ref4[size_t(k)], 1e-8) << n << ' ' << k;
    fastDct2(scratch, two.data(), x.data(), n);
    fastDct3(scratch, back.data(), two.data(), n);
    for (int k = 0; k < n; ++k) ASSERT_NEAR(back[size_t(k)], x[size_t(k)], 1e-7) << n << ' ' << k;
  }
}

TEST_F(Dct, OnMemChoosesTheVariant) {
  const int n = 64;
  const auto x = randomValues(size_t(n), 9u, 100.0);
  std::vector<double> viaSetting(static_cast<size_t>(n)), viaFft(static_cast<size_t>(n)),
      recursive(static_cast<size_t>(n));
  fftDct(scratch, viaFft.data(), x.data(), n);
  fastDct2(scratch, recursive.data(), x.data(), n);
  dct(scratch, viaSetting.data(), x.data(), n, true);
  EXPECT_EQ(viaSetting, viaFft);
  dct(scratch, viaSetting.data(), x.data(), n, false);
  EXPECT_EQ(viaSetting, recursive);
}

TEST_F(Dct, OutOfMemoryLeavesTheOutputAsItWas) {
  const int n = 16;
  const auto x = randomValues(size_t(n), 1u, 1.0);
  std::vector<double> out(size_t(n), 42.0);
  scratch.failAfter(2);
  EXPECT_FALSE(fftDct(scratch, out.data(), x.data(), n));
  EXPECT_EQ(out, std::vector<double>(size_t(n), 42.0));

  // The recursion fails silently at the level that could not allocate.
  scratch.failAfter(1);
  fastDct2(scratch, out.data(), x.data(), n);
  EXPECT_EQ(out, std::vector<double>(size_t(n), 42.0));
}

}  // namespace
}  // namespace korimu

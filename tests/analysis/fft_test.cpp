#include "analysis/fft.h"
#include "analysis/transform_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <utility>
#include <vector>

#include "analysis/scratch_memory.h"
#include "analysis_test_support.h"

namespace korimu {
namespace {

using testing::AnalysisSetup;
using testing::randomValues;
using testing::referenceDft;

class FftTest : public ::testing::Test {
 protected:
  TransformTables tables;
};

double maxAbs(const std::vector<std::complex<double>>& v) {
  double m = 0.0;
  for (auto c : v) m = std::max(m, std::abs(c));
  return m;
}

// The transforms written out plainly, stage by stage, with twiddles from std::sin and std::cos:
// the optimised passes must give the same numbers to rounding.
void plainComplexFft(std::vector<double>& x, std::vector<double>& y, bool inverse) {
  const size_t n = x.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) {
      std::swap(x[i], x[j]);
      std::swap(y[i], y[j]);
    }
  }
  for (size_t k = 1; k < n; k *= 2) {
    for (size_t j = 0; j < k; ++j) {
      const double angle = std::numbers::pi * double(j) / double(k);
      const double c = std::cos(angle);
      const double s = inverse ? -std::sin(angle) : std::sin(angle);
      for (size_t i = j; i < n; i += 2 * k) {
        const size_t ik = i + k;
        const double dx = s * y[ik] + c * x[ik];
        const double dy = c * y[ik] - s * x[ik];
        x[ik] = x[i] - dx;
        x[i] += dx;
        y[ik] = y[i] - dy;
        y[i] += dy;
      }
    }
  }
  if (!inverse) {
    for (size_t i = 0; i < n; ++i) {
      x[i] /= double(n);
      y[i] /= double(n);
    }
  }
}

void plainRealFft(std::vector<double>& re, std::vector<double>& im) {
  const size_t n = re.size(), half = n / 2;
  std::vector<double> zr(half + 1), zi(half + 1);
  for (size_t j = 0; j < half; ++j) zr[j] = re[2 * j], zi[j] = re[2 * j + 1];
  zr.resize(half);
  zi.resize(half);
  plainComplexFft(zr, zi, false);
  zr.push_back(zr[0]);
  zi.push_back(zi[0]);
  for (size_t j = 0; j < half; ++j) {
    const double theta = 2.0 * std::numbers::pi * double(j) / double(n);
    const double c = std::cos(theta), s = std::sin(theta);
    const double a = zr[j] + zr[half - j], b = zi[j] + zi[half - j];
    const double cc = zr[j] - zr[half - j], d = zi[j] - zi[half - j];
    re[j] = (a + b * c - cc * s) / 4.0;
    im[j] = (d - b * s - cc * c) / 4.0;
  }
  re[half] = im[half] = 0.0;
  for (size_t j = 1; j < half; ++j) re[n - j] = re[j], im[n - j] = -im[j];
}

TEST_F(FftTest, OptimisedPassesEqualThePlainStageByStageTransform) {
  for (int order = 3; order <= 16; ++order) {
    const int n = 1 << order;
    const auto x = randomValues(size_t(n), 500u + unsigned(order), 32768.0);
    std::vector<double> plainRe = x, plainIm(x.size());
    plainRealFft(plainRe, plainIm);
    std::vector<double> re = x, im(x.size());
    ASSERT_TRUE(realFft(tables, re.data(), im.data(), order, -1.0));
    double largest = 0.0;
    for (int k = 0; k < n; ++k) largest = std::max(largest, std::hypot(plainRe[k], plainIm[k]));
    for (int k = 0; k < n; ++k) {
      ASSERT_NEAR(re[k], plainRe[k], 1e-12 * largest) << n << ' ' << k;
      ASSERT_NEAR(im[k], plainIm[k], 1e-12 * largest) << n << ' ' << k;
    }
    // The complex transform both ways.
    const auto y = randomValues(size_t(n), 900u + unsigned(order), 32768.0);
    for (bool inverse : {false, true}) {
      std::vector<double> px = x, py = y, tx = x, ty = y;
      plainComplexFft(px, py, inverse);
      ASSERT_EQ(tableFft(tables, inverse ? -n : n, tx.data(), ty.data()), 0);
      double big = 0.0;
      for (int k = 0; k < n; ++k) big = std::max(big, std::hypot(px[k], py[k]));
      for (int k = 0; k < n; ++k) {
        ASSERT_NEAR(tx[k], px[k], 1e-12 * big) << n << ' ' << k << ' ' << inverse;
        ASSERT_NEAR(ty[k], py[k], 1e-12 * big) << n << ' ' << k << ' ' << inverse;
      }
    }
  }
}

TEST_F(FftTest, TablesAreBuiltOnlyWhenTheSizeChangesAndFreedBySizeZero) {
  std::vector<double> x(16, 1.0), y(16, 0.0);
  const long before = tables.fft.builds;
  EXPECT_EQ(tableFft(tables, 8, x.data(), y.data()), 0);
  EXPECT_EQ(tables.fft.builds, before + 1);
  EXPECT_EQ(tableFft(tables, 8, x.data(), y.data()), 0);
  EXPECT_EQ(tables.fft.builds, before + 1);
  EXPECT_EQ(tableFft(tables, 16, x.data(), y.data()), 0);
  EXPECT_EQ(tables.fft.builds, before + 2);
  EXPECT_EQ(tables.fft.size, 16);

  EXPECT_EQ(tableFft(tables, 0, x.data(), y.data()), 0);
  EXPECT_EQ(tables.fft.size, 0);
  EXPECT_TRUE(tables.fft.sine.empty());
  EXPECT_EQ(tables.fft.builds, before + 2);

  EXPECT_EQ(tableFft(tables, 8, x.data(), y.data()), 0);
  EXPECT_EQ(tables.fft.builds, before + 3);
  // An inverse call of the same size reuses the tables.
  EXPECT_EQ(tableFft(tables, -8, x.data(), y.data()), 0);
  EXPECT_EQ(tables.fft.builds, before + 3);
}

TEST_F(FftTest, FourPointTableAndTransformAreExact) {
  std::vector<double> x{1.0, 2.0, -3.0, 0.5}, y{0.25, -1.0, 2.0, 4.0};
  std::vector<std::complex<double>> input;
  for (int i = 0; i < 4; ++i) input.emplace_back(x[i], y[i]);
  ASSERT_EQ(tableFft(tables, 4, x.data(), y.data()), 0);
  const double* table = tables.fft.sine.data();
  ASSERT_NE(table, nullptr);
  const double expected[5] = {0.0, 1.0, 0.0, -1.0, 0.0};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(table[i], expected[i]) << i;
  // With twiddles of exactly 0 and +-1 the four-point DFT is exact (divided by 4).
  const auto ref = referenceDft(input);
  for (int k = 0; k < 4; ++k) {
    EXPECT_NEAR(x[k], ref[k].real(), 1e-15) << k;
    EXPECT_NEAR(y[k], ref[k].imag(), 1e-15) << k;
  }
  EXPECT_EQ(x[0], (1.0 + 2.0 - 3.0 + 0.5) / 4.0);
  EXPECT_EQ(y[0], (0.25 - 1.0 + 2.0 + 4.0) / 4.0);
}

TEST_F(FftTest, SineTableFollowsTheSineForEverySize) {
  std::vector<double> x(4096), y(4096);
  for (int n = 8; n <= 4096; n *= 2) {
    ASSERT_EQ(tableFft(tables, n, x.data(), y.data()), 0);
    const double* table = tables.fft.sine.data();
    for (int h = 0; h < n + n / 4; ++h) {
      ASSERT_NEAR(table[h], std::sin(2.0 * std::numbers::pi * h / n), 1e-13) << n << ' ' << h;
    }
  }
}

TEST_F(FftTest, ComplexTransformsMatchTheDirectSumForRandomInput) {
  for (int order = 1; order <= 10; ++order) {
    const int n = 1 << order;
    const auto re = randomValues(size_t(n), 11u + unsigned(order), 1000.0);
    const auto im = randomValues(size_t(n), 97u + unsigned(order), 1000.0);
    std::vector<std::complex<double>> input;
    for (int i = 0; i < n; ++i) input.emplace_back(re[size_t(i)], im[size_t(i)]);
    const auto ref = referenceDft(input);
    const double tol = 1e-12 * maxAbs(ref) + 1e-12;

    std::vector<double> x = re, y = im;
    ASSERT_EQ(tableFft(tables, n, x.data(), y.data()), 0);
    std::vector<double> dx = re, dy = im;
    directFft(dx.data(), dy.data(), order, -1.0);
    for (int k = 0; k < n; ++k) {
      ASSERT_NEAR(x[k], ref[k].real(), tol) << n << ' ' << k;
      ASSERT_NEAR(y[k], ref[k].imag(), tol) << n << ' ' << k;
      ASSERT_NEAR(dx[k], ref[k].real(), tol) << n << ' ' << k;
      ASSERT_NEAR(dy[k], ref[k].imag(), tol) << n << ' ' << k;
    }
  }
}

TEST_F(FftTest, ForwardThenInverseRestoresTheInput) {
  for (int order : {2, 5, 9, 12}) {
    const int n = 1 << order;
    const auto re = randomValues(size_t(n), 5u, 30000.0);
    const auto im = randomValues(size_t(n), 6u, 30000.0);
    std::vector<double> x = re, y = im;
    ASSERT_EQ(tableFft(tables, n, x.data(), y.data()), 0);
    ASSERT_EQ(tableFft(tables, -n, x.data(), y.data()), 0);
    std::vector<double> dx = re, dy = im;
    directFft(dx.data(), dy.data(), order, -1.0);
    directFft(dx.data(), dy.data(), order, 1.0);
    for (int i = 0; i < n; ++i) {
      ASSERT_NEAR(x[i], re[size_t(i)], 3e-8) << n;
      ASSERT_NEAR(y[i], im[size_t(i)], 3e-8) << n;
      ASSERT_NEAR(dx[i], re[size_t(i)], 3e-8) << n;
      ASSERT_NEAR(dy[i], im[size_t(i)], 3e-8) << n;
    }
  }
}

TEST_F(FftTest, RealTransformOfAConstantHasOnlyTheMean) {
  const int order = 10, n = 1 << order;
  std::vector<double> re(n, 123.5), im(n, 7.0);  // im is ignored on input
  ASSERT_TRUE(realFft(tables, re.data(), im.data(), order, -1.0));
  EXPECT_NEAR(re[0], 123.5, 1e-12);
  EXPECT_NEAR(im[0], 0.0, 1e-12);
  for (int k = 1; k < n; ++k) {
    ASSERT_NEAR(re[k], 0.0, 1e-11) << k;
    ASSERT_NEAR(im[k], 0.0, 1e-11) << k;
  }
  EXPECT_EQ(re[n / 2], 0.0);
  EXPECT_EQ(im[n / 2], 0.0);
}

TEST_F(FftTest, RealTransformOfACosineHasHalfItsAmplitudeAtItsBin) {
  const int order = 9, n = 1 << order;
  for (int k0 : {1, 17, 100, 255}) {
    std::vector<double> re(n), im(n);
    for (int j = 0; j < n; ++j)
      re[j] = 2000.0 * std::cos(2.0 * std::numbers::pi * k0 * j / n + 0.3);
    ASSERT_TRUE(realFft(tables, re.data(), im.data(), order, -1.0));
    EXPECT_NEAR(std::hypot(re[k0], im[k0]), 1000.0, 1e-9) << k0;
    EXPECT_NEAR(std::atan2(im[k0], re[k0]), 0.3, 1e-12) << k0;
    for (int k = 0; k < n / 2; ++k) {
      if (k == k0) continue;
      ASSERT_NEAR(std::hypot(re[k], im[k]), 0.0, 1e-9) << k0 << ' ' << k;
    }
  }
}

TEST_F(FftTest, RealTransformMatchesTheDirectSumAndMirrorsTheUpperHalf) {
  for (int order : {2, 3, 7, 8, 10, 11}) {
    const int n = 1 << order;
    const auto x = randomValues(size_t(n), 40u + unsigned(order), 32768.0);
    std::vector<std::complex<double>> input(x.begin(), x.end());
    const auto ref = referenceDft(input);
    const double tol = 1e-12 * maxAbs(ref);
    std::vector<double> re = x, im(size_t(n), -5.0);
    ASSERT_TRUE(realFft(tables, re.data(), im.data(), order, -1.0));
    for (int k = 0; k < n / 2; ++k) {
      ASSERT_NEAR(re[k], ref[k].real(), tol) << n << ' ' << k;
      ASSERT_NEAR(im[k], ref[k].imag(), tol) << n << ' ' << k;
    }
    EXPECT_EQ(re[n / 2], 0.0);
    EXPECT_EQ(im[n / 2], 0.0);
    for (int k = 1; k < n / 2; ++k) {
      ASSERT_EQ(re[n - k], re[k]);
      ASSERT_EQ(im[n - k], -im[k]);
    }
  }
}

TEST_F(FftTest, TableAllocationFailureIsReportedAndRetried) {
  AnalysisSetup scope;
  std::vector<double> x{1, 2, 3, 4, 5, 6, 7, 8}, y(8, 0.0);
  const auto savedX = x;
  tables.scratch.failAfter(2);  // the bit-reversal table
  EXPECT_EQ(tableFft(tables, 8, x.data(), y.data()), 1);
  EXPECT_EQ(x, savedX);
  EXPECT_EQ(y, std::vector<double>(8, 0.0));
  EXPECT_EQ(tables.fft.size, 0);
  EXPECT_EQ(takeTableFftShortfall(tables), 80) << "(8 + 2) doubles of sine table";
  EXPECT_EQ(takeTableFftShortfall(tables), 0) << "told once";
  // The next call of the same size retries and succeeds.
  EXPECT_EQ(tableFft(tables, 8, x.data(), y.data()), 0);
  EXPECT_EQ(x[0], 36.0 / 8.0);
}

TEST_F(FftTest, RealTransformFallsBackToTheDirectFftWhenTablesFail) {
  AnalysisSetup scope;
  const int order = 8, n = 1 << order;
  const auto x = randomValues(size_t(n), 3u, 100.0);
  std::vector<double> expectedRe = x, expectedIm(static_cast<size_t>(n));
  ASSERT_TRUE(realFft(tables, expectedRe.data(), expectedIm.data(), order, -1.0));
  tableFft(tables, 0, nullptr, nullptr);

  std::vector<double> re = x, im(static_cast<size_t>(n));
  tables.scratch.failAfter(3);  // two scratch arrays succeed, then the sine table fails
  ASSERT_TRUE(realFft(tables, re.data(), im.data(), order, -1.0));
  EXPECT_NE(takeTableFftShortfall(tables), 0);
  for (int k = 0; k < n; ++k) {
    ASSERT_NEAR(re[k], expectedRe[k], 1e-12) << k;
    ASSERT_NEAR(im[k], expectedIm[k], 1e-12) << k;
  }
}

TEST_F(FftTest, RealTransformScratchFailureIsReported) {
  std::vector<double> re(256, 1.0), im(256);
  tables.scratch.failAfter(1);
  EXPECT_FALSE(realFft(tables, re.data(), im.data(), 8, -1.0));
}

TEST_F(FftTest, TwoPointAndOddSizesAreHandledSafely) {
  std::vector<double> x{3.0, 1.0}, y{0.0, 2.0};
  EXPECT_EQ(tableFft(tables, 2, x.data(), y.data()), 0);
  EXPECT_DOUBLE_EQ(x[0], 2.0);
  EXPECT_DOUBLE_EQ(x[1], 1.0);
  EXPECT_DOUBLE_EQ(y[0], 1.0);
  EXPECT_DOUBLE_EQ(y[1], -1.0);
  std::vector<double> odd{1, 2, 3}, oddY(3);
  EXPECT_EQ(tableFft(tables, 3, odd.data(), oddY.data()), 1);
  EXPECT_EQ(odd, (std::vector<double>{1, 2, 3}));
}

}  // namespace
}  // namespace korimu

// Burg's recursion against the plain one: the fused, vectorised error update and its sums, and
// the whole fit with its coefficients built once at the end, checked against a straightforward
// fit that sums in extended precision and updates the coefficients at every order.
#include "analysis/burg_lattice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "analysis/mem.h"
#include "analysis_test_support.h"

namespace korimu {
namespace {

struct PlainFit {
  int m = 0;
  double pm = 0.0;
  std::vector<double> a;
};

// The recursion written out directly, one loop per formula.
PlainFit plainBurg(std::vector<double> x, int mmax) {
  const int n = int(x.size());
  PlainFit out;
  long double sum = 0.0L, energy = 0.0L;
  for (double v : x) sum += v;
  for (double& v : x) {
    v = static_cast<double>(v - sum / n);
    energy += static_cast<long double>(v) * v;
  }
  std::vector<double> eb(x.begin() + 1, x.end());
  std::vector<double> a(static_cast<size_t>(mmax)), previous(static_cast<size_t>(mmax));
  double p = static_cast<double>(energy / n);
  double fmin = n > 1 ? p * (n + 1) / (n - 1) : p;
  out.pm = p;
  for (int k = 1; k <= std::min(mmax, n - 1); ++k) {
    long double num = 0.0L, den = 0.0L;
    for (int j = 0; j < n - k; ++j) {
      num += static_cast<long double>(x[j]) * eb[j];
      den += static_cast<long double>(x[j]) * x[j] + static_cast<long double>(eb[j]) * eb[j];
    }
    const double r = den != 0.0L ? static_cast<double>(-2.0L * num / den)
                                 : (num == 0.0L ? 0.0 : (num > 0.0L ? -1.0e36 : 1.0e36));
    p = std::abs(p * (1.0 - r * r));
    for (int j = 0; j <= k - 2; ++j) a[j] = previous[j] + r * previous[k - 2 - j];
    a[k - 1] = r;
    const double fpe = n == k + 1 ? 1.0e36 : p * (n + k + 1) / (n - k - 1);
    if (fpe <= fmin) {
      fmin = fpe;
      out.m = k;
      out.pm = p;
      out.a.assign(a.begin(), a.begin() + k);
      if (fmin == 0.0) break;
    } else if (fpe > 2.0 * fmin || fmin < 1e-22) {
      break;
    }
    previous = a;
    for (int j = 0; j <= n - k - 2; ++j) {
      x[j] += r * eb[j];
      eb[j] = eb[j + 1] + r * x[j + 1];
    }
  }
  return out;
}

// Every length up to a few vectors (so every tail is met), in both lane widths: the errors and
// the sums match the plain loop's, and nothing past len + 1 values is touched.
TEST(BurgLattice, UpdateAndSumsMatchThePlainLoop) {
  std::mt19937 engine(17);
  std::uniform_real_distribution<double> value(-3000.0, 3000.0), reflection(-1.0, 1.0);
  for (LatticeLanes lanes : {LatticeLanes::kWidest, LatticeLanes::kTwo}) {
    for (int len = 0; len <= 41; ++len) {
      SCOPED_TRACE(::testing::Message()
                   << "len " << len << " two lanes " << (lanes == LatticeLanes::kTwo));
      std::vector<double> f(size_t(len) + 2), b(size_t(len) + 2);
      for (size_t i = 0; i < f.size(); ++i) f[i] = value(engine), b[i] = value(engine);
      const double r = reflection(engine);
      std::vector<double> plainF = f, plainB = b;
      long double num = 0.0L, den = 0.0L, num0 = 0.0L, den0 = 0.0L;
      for (int j = 0; j < len; ++j) {
        num0 += static_cast<long double>(f[j]) * b[j];
        den0 += static_cast<long double>(f[j]) * f[j] + static_cast<long double>(b[j]) * b[j];
        plainF[j] = f[j] + r * b[j];
        plainB[j] = b[j + 1] + r * f[j + 1];
        num += static_cast<long double>(plainF[j]) * plainB[j];
        den += static_cast<long double>(plainF[j]) * plainF[j] +
               static_cast<long double>(plainB[j]) * plainB[j];
      }
      const double tolerance = 1e-13 * 2 * 3000.0 * 3000.0 * (len + 1);
      const BurgSums before = burgSums(f.data(), b.data(), len, lanes);
      EXPECT_NEAR(before.num, static_cast<double>(num0), tolerance);
      EXPECT_NEAR(before.den, static_cast<double>(den0), tolerance);
      const BurgSums after = burgUpdate(f.data(), b.data(), len, r, lanes);
      EXPECT_NEAR(after.num, static_cast<double>(num), tolerance);
      EXPECT_NEAR(after.den, static_cast<double>(den), tolerance);
      for (size_t j = 0; j < f.size(); ++j) {
        EXPECT_NEAR(f[j], plainF[j], 1e-12 * 3000.0) << j;
        EXPECT_NEAR(b[j], plainB[j], 1e-12 * 3000.0) << j;
      }
    }
  }
}

// Autoregressive blocks of random orders and lengths, short ones included, and one that runs
// every order up to mmax: the same order, error power and coefficients as the plain fit.
TEST(BurgLattice, FitMatchesThePlainRecursion) {
  std::mt19937 engine(29);
  std::normal_distribution<double> noise(0.0, 300.0);
  std::uniform_real_distribution<double> pole(-0.95, 0.95);
  const int lengths[] = {1, 2, 3, 5, 8, 17, 64, 333, 1000, 2048, 4099};
  for (int trial = 0; trial < 44; ++trial) {
    const int n = lengths[trial % std::size(lengths)];
    const int order = trial % 9;
    std::vector<double> c(static_cast<size_t>(order));
    for (double& v : c) v = pole(engine) / order;
    std::vector<double> x(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      x[i] = std::round(noise(engine));
      for (int j = 0; j < order && j < i; ++j) x[i] += c[j] * x[i - 1 - j];
    }
    if (trial % 11 == 10) x.assign(x.size(), 7.0);  // constant: the mean alone is exact
    SCOPED_TRACE(::testing::Message() << "trial " << trial << " n " << n << " order " << order);
    const PlainFit plain = plainBurg(x, n / 2);
    testing::AnalysisSetup scope;
    AnalysisNotes notes;
    std::vector<double> a(size_t(n / 2) + 1, 0.0);
    int m = 0;
    double pm = 0.0;
    ASSERT_EQ(
        burgFit(x.data(), n, n / 2, a.data(), m, pm, scope.tables.scratch, scope.progress, notes),
        0);
    ASSERT_EQ(m, plain.m);
    EXPECT_NEAR(pm, plain.pm, 1e-9 * plain.pm + 1e-300);
    for (int j = 0; j < m; ++j) EXPECT_NEAR(a[j], plain.a[j], 1e-9) << j;
  }
}

}  // namespace
}  // namespace korimu

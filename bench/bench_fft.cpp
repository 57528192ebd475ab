// realFft against FFTW's real-to-complex transform of the same size. Before timing, each size
// checks that both give the same spectrum (to 1e-12 of its largest value, after FFTW's result is
// scaled by 1/N), so the comparison is between equal results.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "analysis/fft.h"
#include "analysis/transform_tables.h"

namespace {

std::vector<double> noise(int n) {
  std::mt19937 engine(1234);
  std::uniform_real_distribution<double> dist(-32768.0, 32767.0);
  std::vector<double> v(static_cast<size_t>(n));
  for (double& x : v) x = dist(engine);
  return v;
}

int orderOf(int n) {
  int order = 0;
  while ((1 << order) < n) ++order;
  return order;
}

// Aborts the benchmark run when the two transforms disagree.
void checkAgreement(int n, const std::vector<double>& input, fftw_plan plan, double* fftwIn,
                    fftw_complex* fftwOut) {
  std::vector<double> re = input;
  std::vector<double> im(static_cast<size_t>(n));
  korimu::TransformTables tables;
  if (!korimu::realFft(tables, re.data(), im.data(), orderOf(n), -1.0)) std::exit(1);
  std::copy(input.begin(), input.end(), fftwIn);
  fftw_execute(plan);
  double largest = 0.0;
  for (int k = 0; k <= n / 2; ++k)
    largest = std::max(largest, std::hypot(fftwOut[k][0], fftwOut[k][1]) / n);
  double worst = 0.0;
  for (int k = 0; k < n / 2; ++k) {
    worst = std::max(worst, std::abs(re[size_t(k)] - fftwOut[k][0] / n));
    worst = std::max(worst, std::abs(im[size_t(k)] - fftwOut[k][1] / n));
  }
  if (worst > 1e-12 * largest) {
    std::fprintf(stderr, "realFft differs from FFTW at N = %d: %g of %g\n", n, worst, largest);
    std::abort();
  }
}

void BM_RealFft(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto input = noise(n);
  std::vector<double> re(static_cast<size_t>(n));
  std::vector<double> im(static_cast<size_t>(n));
  korimu::TransformTables tables;
  for (auto _ : state) {
    std::copy(input.begin(), input.end(), re.begin());
    if (!korimu::realFft(tables, re.data(), im.data(), orderOf(n), -1.0)) std::exit(1);
    benchmark::DoNotOptimize(re.data());
    benchmark::DoNotOptimize(im.data());
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void BM_FftwR2c(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto input = noise(n);
  double* in = fftw_alloc_real(static_cast<size_t>(n));
  fftw_complex* out = fftw_alloc_complex(static_cast<size_t>(n / 2 + 1));
  const fftw_plan plan = fftw_plan_dft_r2c_1d(n, in, out, FFTW_MEASURE);
  checkAgreement(n, input, plan, in, out);
  for (auto _ : state) {
    std::copy(input.begin(), input.end(), in);
    fftw_execute(plan);
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations() * n);
  fftw_destroy_plan(plan);
  fftw_free(in);
  fftw_free(out);
}

BENCHMARK(BM_RealFft)->RangeMultiplier(2)->Range(256, 65536);
BENCHMARK(BM_FftwR2c)->RangeMultiplier(2)->Range(256, 65536);

}  // namespace

// MEM per block: Burg's recursion with the FPE order choice plus the estimate at 512 log-spaced
// points, on music-like blocks of 4096 and 32768 samples (and the largest, 131072, for the
// longest stretch between two event pumps). The chart's blocks at 44.1 kHz with 2^16 points (time
// resolution 1024 and 32768: 4096 and 131072 samples), and the recursion of the largest against
// the plain one it replaced (sums in extended precision, every order's coefficients built as it
// is fitted), in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "analysis/mem.h"
#include "bench_method_support.h"
#include "core/settings.h"

namespace korimu {
namespace {

void BM_MemBlock(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::vector<uint8_t> bytes = bench::littleEndian(bench::musicLike(count, 44100.0));
  const SampleBlock block{bytes.data(), static_cast<uint32_t>(bytes.size()), 16, 44};
  AppSettings settings;
  settings.blockOrder = 10;
  settings.display = kSpectrumLog;
  bench::PumpGapMeter meter;
  ScratchAllocator scratch;
  double runningMax = 0.0;
  for (auto _ : state) {
    meter.start();
    benchmark::DoNotOptimize(
        memAnalyze(block, analysisParamsFrom(settings), scratch, meter, runningMax));
    meter.stop();
  }
  // The order the FPE chose, from a separate fit of the same block.
  std::vector<double> x(count), a(count / 2);
  for (int i = 0; i < count; ++i) x[i] = block.sample(i);
  int m = 0;
  double pm = 0.0;
  Progress quiet;
  AnalysisNotes notes;
  burgFit(x.data(), count, count / 2, a.data(), m, pm, scratch, quiet, notes);
  state.counters["order"] = m;
  state.counters["worst_gap_ms"] = meter.worstMs();
  state.counters["worst_gap_cpu_ms"] = meter.worstCpuMs();
}
BENCHMARK(BM_MemBlock)->Arg(4096)->Arg(32768)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemBlock)->Arg(131072)->Unit(benchmark::kMillisecond)->Iterations(1);

// With the autocorrelation on, the fit runs on half as many lags; the longest stretch before the
// first order is the autocorrelation's transforms.
void BM_MemBlockAutocorrelation(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::vector<uint8_t> bytes = bench::littleEndian(bench::musicLike(count, 44100.0));
  const SampleBlock block{bytes.data(), static_cast<uint32_t>(bytes.size()), 16, 44};
  AppSettings settings;
  settings.blockOrder = 10;
  settings.display = kSpectrumLog;
  settings.autocorrelation = true;
  bench::PumpGapMeter meter;
  ScratchAllocator scratch;
  double runningMax = 0.0;
  for (auto _ : state) {
    meter.start();
    benchmark::DoNotOptimize(
        memAnalyze(block, analysisParamsFrom(settings), scratch, meter, runningMax));
    meter.stop();
  }
  state.counters["pumps"] = static_cast<double>(meter.pumps());
  state.counters["worst_gap_ms"] = meter.worstMs();
  state.counters["worst_gap_cpu_ms"] = meter.worstCpuMs();
}
BENCHMARK(BM_MemBlockAutocorrelation)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemBlockAutocorrelation)->Arg(131072)->Unit(benchmark::kMillisecond)->Iterations(1);

// A Progress that remembers the last order the recursion reached.
struct LastStep : Progress {
  long last = 0;
  void step(long done, long /*total*/) override { last = done; }
};

void BM_MemChartBlock(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::vector<uint8_t> bytes = bench::littleEndian(bench::musicLike(count, 44100.0));
  const SampleBlock block{bytes.data(), static_cast<uint32_t>(bytes.size()), 16, 44};
  AppSettings settings;
  settings.blockOrder = 16;
  settings.display = kTimeFrequencyChart;
  ScratchAllocator scratch;
  double runningMax = 0.0;
  LastStep progress;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        memAnalyze(block, analysisParamsFrom(settings), scratch, progress, runningMax));
  }
}
BENCHMARK(BM_MemChartBlock)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemChartBlock)->Arg(131072)->Unit(benchmark::kMillisecond)->Iterations(2);

// The recursion before its passes were fused: one pass of sums in extended precision, one of
// updates, and the coefficients of every order built from the previous order's.
int plainBurgLastOrder(std::vector<double> x, int mmax) {
  const int n = static_cast<int>(x.size());
  long double sum = 0.0L;
  for (double v : x) sum += v;
  for (double& v : x) v = static_cast<double>(v - sum / n);
  std::vector<double> eb(x.begin() + 1, x.end());
  std::vector<double> a(static_cast<size_t>(mmax)), previous(static_cast<size_t>(mmax));
  int k = 1;
  for (; k <= std::min(mmax, n - 1); ++k) {
    long double num = 0.0L, den = 0.0L;
    for (int j = 0; j < n - k; ++j) {
      const long double f = x[j], b = eb[j];
      num += f * b;
      den += f * f + b * b;
    }
    const double r = den != 0.0L ? static_cast<double>(-2.0L * num / den) : 0.0;
    for (int j = 0; j <= k - 2; ++j) a[j] = previous[j] + r * previous[k - 2 - j];
    a[k - 1] = r;
    std::copy(a.begin(), a.begin() + k, previous.begin());
    for (int j = 0; j <= n - k - 2; ++j) {
      x[j] += r * eb[j];
      eb[j] = eb[j + 1] + r * x[j + 1];
    }
  }
  benchmark::DoNotOptimize(a.data());
  return k - 1;
}

// Both recursions up to the order the fit reaches on the chart's largest block.
void BM_BurgChartBlock(benchmark::State& state) {
  const int count = 131072;
  const bool plain = state.range(0) == 1;
  const std::vector<int16_t> samples = bench::musicLike(count, 44100.0);
  std::vector<double> x(samples.begin(), samples.end()), a(count / 2);
  ScratchAllocator scratch;
  LastStep reached;
  AnalysisNotes notes;
  int m = 0;
  double pm = 0.0;
  std::vector<double> work = x;
  burgFit(work.data(), count, count / 2, a.data(), m, pm, scratch, reached, notes);
  for (auto _ : state) {
    if (plain) {
      benchmark::DoNotOptimize(plainBurgLastOrder(x, static_cast<int>(reached.last)));
    } else {
      work = x;
      LastStep quiet;
      benchmark::DoNotOptimize(
          burgFit(work.data(), count, count / 2, a.data(), m, pm, scratch, quiet, notes));
    }
  }
  state.counters["orders"] = static_cast<double>(reached.last);
  state.SetLabel(plain ? "plain, before" : "fused passes");
}
BENCHMARK(BM_BurgChartBlock)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace korimu

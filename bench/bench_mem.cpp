// MEM per block: Burg's recursion with the FPE order choice plus the estimate at 512 log-spaced
// points, on music-like blocks of 4096 and 32768 samples (and the largest, 131072, for the
// longest stretch between two event pumps).
#include <benchmark/benchmark.h>

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

}  // namespace
}  // namespace korimu

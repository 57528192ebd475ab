// DTFT block evaluation: the anchored-table sums against a library sine and cosine per term, on
// the largest block (blockOrder 16: 512 points of 65536 samples).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "analysis/dtft.h"
#include "analysis/trig_sums.h"
#include "bench_method_support.h"
#include "core/settings.h"

namespace korimu {
namespace {

constexpr int kOrder = 16;
constexpr int kSrKHz = 44;

std::vector<double> blockSignal() {
  const std::vector<int16_t> samples = bench::musicLike(1 << kOrder, 44100.0);
  return std::vector<double>(samples.begin(), samples.end());
}

void BM_DtftBlockAnchoredSums(benchmark::State& state) {
  const std::vector<double> signal = blockSignal();
  std::vector<double> re(signal.size()), im(signal.size());
  bench::PumpGapMeter meter;
  ScratchAllocator scratch;
  for (auto _ : state) {
    std::copy(signal.begin(), signal.end(), re.begin());
    meter.start();
    benchmark::DoNotOptimize(dtftLog(re.data(), im.data(), kOrder, kSrKHz, scratch, meter));
    meter.stop();
    benchmark::DoNotOptimize(re.data());
  }
  state.counters["worst_gap_ms"] = meter.worstMs();
  state.counters["worst_gap_cpu_ms"] = meter.worstCpuMs();
}
BENCHMARK(BM_DtftBlockAnchoredSums)->Unit(benchmark::kMillisecond);

// The same points with cos and sin evaluated for every term.
void BM_DtftBlockPerTermSinCos(benchmark::State& state) {
  const std::vector<double> x = blockSignal();
  const int n = static_cast<int>(x.size());
  const DtftGrid grid = dtftGrid(kSrKHz, kOrder);
  std::vector<double> re(grid.points), im(grid.points);
  for (auto _ : state) {
    double f = grid.f0;
    for (int k = 0; k < grid.points; ++k) {
      const TrigSums sums = trigSumsPerTerm(x.data(), n, 3.141592 / grid.fmax * f, 0);
      re[k] = sums.cosSum / n;
      im[k] = -sums.sinSum / n;
      f *= grid.ratio;
    }
    benchmark::DoNotOptimize(re.data());
    benchmark::DoNotOptimize(im.data());
  }
}
BENCHMARK(BM_DtftBlockPerTermSinCos)->Unit(benchmark::kMillisecond)->Iterations(2);

// The whole block analysis with the autocorrelation on (its transforms come before the first
// point), for the longest stretch between two event pumps.
void BM_DtftAnalyzeAutocorrelation(benchmark::State& state) {
  const int count = 131072;
  const std::vector<uint8_t> bytes = bench::littleEndian(bench::musicLike(count, 44100.0));
  const SampleBlock block{bytes.data(), static_cast<uint32_t>(bytes.size()), 16, 44};
  AppSettings settings;
  settings.blockOrder = kOrder;
  settings.display = kSpectrumLog;
  settings.autocorrelation = true;
  bench::PumpGapMeter meter;
  TransformTables tables;
  for (auto _ : state) {
    meter.start();
    benchmark::DoNotOptimize(dtftAnalyze(block, analysisParamsFrom(settings), tables, meter));
    meter.stop();
  }
  state.counters["worst_gap_ms"] = meter.worstMs();
  state.counters["worst_gap_cpu_ms"] = meter.worstCpuMs();
}
BENCHMARK(BM_DtftAnalyzeAutocorrelation)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace korimu

// Wavelet transform per block of 65536 frames: blockOrder 10 and 13 use the direct variant (13
// has its longest kernels), 16 the FFT variant with tableFft's kept tables.
#include <benchmark/benchmark.h>

#include <vector>

#include "analysis/wavelet.h"
#include "bench_method_support.h"
#include "core/settings.h"

namespace korimu {
namespace {

void BM_WaveletBlock(benchmark::State& state) {
  const int order = static_cast<int>(state.range(0));
  const int frames = 65536;
  const std::vector<uint8_t> bytes = bench::littleEndian(bench::musicLike(frames, 44100.0));
  const SampleBlock block{bytes.data(), static_cast<uint32_t>(bytes.size()), 16, 44};
  AppSettings settings;
  settings.blockOrder = order;
  bench::PumpGapMeter meter;
  TransformTables tables;
  for (auto _ : state) {
    meter.start();
    benchmark::DoNotOptimize(
        waveletBlock(block, frames, analysisParamsFrom(settings), tables, meter, nullptr));
    meter.stop();
  }
  state.counters["direct"] = waveletVariantFor(frames, order) == WaveletVariant::kDirect;
  state.counters["worst_gap_ms"] = meter.worstMs();
  state.counters["worst_gap_cpu_ms"] = meter.worstCpuMs();
}
BENCHMARK(BM_WaveletBlock)->Arg(10)->Arg(13)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korimu

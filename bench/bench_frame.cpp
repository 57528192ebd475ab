// One frame analysis per block as a chart run does it: N = 4096, Hanning, logarithmic scale,
// 16-bit samples. Reported per sample of the block.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "analysis/frame_analysis.h"
#include "core/settings.h"

namespace {

std::vector<uint8_t> noisyTone(int samples) {
  std::mt19937 engine(99);
  std::normal_distribution<double> dist(0.0, 2000.0);
  std::vector<uint8_t> bytes;
  bytes.reserve(static_cast<size_t>(samples) * 2);
  for (int j = 0; j < samples; ++j) {
    const double v = 12000.0 * std::sin(j * 0.137) + dist(engine);
    const auto s = static_cast<uint16_t>(static_cast<int16_t>(std::lround(v)));
    bytes.push_back(static_cast<uint8_t>(s & 0xFF));
    bytes.push_back(static_cast<uint8_t>(s >> 8));
  }
  return bytes;
}

void BM_FrameAnalysisChartColumn(benchmark::State& state) {
  using namespace korimu;
  AppSettings settings;
  settings.method = kFft;
  settings.display = kTimeFrequencyChart;
  settings.blockOrder = 12;
  settings.windowFunction = WindowFunction::kHanning;
  settings.spectrumType = SpectrumScale::kLog;
  settings.displayGain = 1;
  settings.autocorrelation = false;
  settings.pinkNoiseFlat = false;
  long checksum = 0;
  const AnalysisParams params = analysisParamsFrom(settings);
  Progress progress;
  TransformTables tables;
  const int samples = 4096;
  const auto bytes = noisyTone(samples);
  const SampleBlock block{bytes.data(), static_cast<uint32_t>(bytes.size()), 16, 44};
  for (auto _ : state) {
    checksum += computeFrame(block, params, tables, progress).frame.depths[100];
    benchmark::DoNotOptimize(checksum);
  }
  state.SetItemsProcessed(state.iterations() * samples);
  state.counters["ns_per_sample"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * samples,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_FrameAnalysisChartColumn)->Unit(benchmark::kMicrosecond);

}  // namespace

// Drawing speed of the display routines an analysis run calls once per block.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/layout.h"
#include "core/settings.h"
#include "display/chart.h"
#include "display/display_state.h"
#include "display/graph_frame.h"
#include "display/spectrum_graph.h"
#include "wave/wave_source.h"

namespace {

using namespace korimu;

std::vector<uint8_t> rampFrame(int len) {
  std::vector<uint8_t> depths(static_cast<size_t>(len));
  for (int i = 0; i < len; ++i) depths[size_t(i)] = uint8_t((i * 7) % 256);
  return depths;
}

// A whole chart of 512 one-column blocks, by display depth.
void BM_ChartOf512Columns(benchmark::State& state) {
  const int bits = int(state.range(0));
  Canvas canvas(kLayout.layoutWidth, kLayout.clientHeight, bits);
  const DisplayState display;
  const std::vector<uint8_t> depths = rampFrame(256);
  for (auto _ : state) {
    for (int column = 0; column < 512; ++column) {
      drawChartColumn(display, canvas, depths.data(), 256, column, 1);
    }
    benchmark::DoNotOptimize(canvas.pixels().data());
  }
  state.SetItemsProcessed(state.iterations() * 512 * 256);
}
BENCHMARK(BM_ChartOf512Columns)->Arg(24)->Arg(16)->Arg(8)->Arg(4);

void BM_LogChartColumnOf2048Bins(benchmark::State& state) {
  Canvas canvas(kLayout.layoutWidth, kLayout.clientHeight);
  const DisplayState display;
  const std::vector<uint8_t> depths = rampFrame(2048);
  for (auto _ : state) {
    drawChartColumnLog(display, canvas, depths.data(), 2048, 100, 1);
    benchmark::DoNotOptimize(canvas.pixels().data());
  }
}
BENCHMARK(BM_LogChartColumnOf2048Bins);

void BM_LinearSpectrumBars(benchmark::State& state) {
  DisplayState display;
  display.fileRate = SampleRate(44);
  AppSettings settings;
  settings.colorScale = bool(state.range(0));
  Canvas canvas(kLayout.layoutWidth, kLayout.clientHeight);
  const std::vector<uint8_t> depths = rampFrame(512);
  for (auto _ : state) {
    drawLinearSpectrum(canvas, display, settings, depths.data(), 512);
    benchmark::DoNotOptimize(canvas.pixels().data());
  }
}
BENCHMARK(BM_LinearSpectrumBars)->Arg(0)->Arg(1);

void BM_GraphFrameOfTheChart(benchmark::State& state) {
  DisplayState display;
  display.fileRate = SampleRate(44);
  AppSettings settings;
  settings.display = kTimeFrequencyChart;
  settings.colorScale = true;
  Canvas canvas(kLayout.layoutWidth, kLayout.clientHeight);
  for (auto _ : state) {
    drawGraphFrame(display, settings, canvas);
    benchmark::DoNotOptimize(canvas.pixels().data());
  }
}
BENCHMARK(BM_GraphFrameOfTheChart);

}  // namespace

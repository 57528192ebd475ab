// The readout's latency on the window's thread: from a pointer event over a 512 x 256 chart to the
// new text in the label (the event handled, the text set, the label moved), in the real main
// window on the offscreen platform. The frame budget is 16 ms. The record's part alone (place,
// values, text) is measured beside it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/app_shell.h"
#include "app/plot_readout_widget.h"
#include "app/startup.h"
#include "app/widgets.h"
#include "control/plot_readout.h"
#include "wave/wav_builder.h"

namespace {

using namespace korimu;

QApplication& application() {
  static int argc = 1;
  static char name[] = "bench_readout";
  static char* argv[] = {name, nullptr};
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static auto* app = new QApplication(argc, argv);
  return *app;
}

// A six-second sweep, written once into the process's own folder.
std::string sweepFile() {
  const auto path = korimu::testing::processFolder("bench-readout") / "sweep.wav";
  if (std::filesystem::exists(path)) return path.string();
  std::vector<int> samples(44100 * 6);
  double phase = 0.0;
  for (size_t i = 0; i < samples.size(); ++i) {
    phase += 2 * M_PI * (200.0 + 8000.0 * double(i) / double(samples.size())) / 44100.0;
    samples[i] = int(std::lround(12000 * std::sin(phase)));
  }
  korimu::testing::FormatFields format;
  format.channels = 1;
  const std::vector<uint8_t> bytes =
      korimu::testing::waveFile(format, korimu::testing::pcm16(samples));
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path.string();
}

// The main window after a full chart run (512 x 256 cells).
AppShell& chartWindow() {
  static AppShell* shell = [] {
    application();
    auto* app = new AppShell();
    CommandLine commandLine;
    commandLine.fileName = sweepFile();
    if (!initInstance(*app, commandLine, false)) std::exit(1);
    QApplication::processEvents();
    app->controller().command(kTimeFrequencyChart);
    app->controller().command(kAnalyzeId);
    while (app->controller().busy()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::processEvents();
    return app;
  }();
  return *shell;
}

// A pointer event to the label's new text, over cells spread across the chart.
void BM_PointerToText(benchmark::State& state) {
  AppShell& app = chartWindow();
  QWidget* client = app.widgets.client;
  const ReadoutOverlay& overlay = *app.widgets.readout->overlay();
  double longestMs = 0.0;
  int step = 0;
  for (auto _ : state) {
    step = (step + 1) % 4093;
    const QPoint at(kLayout.unitW + (step * 37) % kPlotWidth,
                    kLayout.plotTop + (step * 11) % kPlotHeight);
    const auto start = std::chrono::steady_clock::now();
    QMouseEvent move(QEvent::MouseMove, at, client->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(client, &move);
    benchmark::DoNotOptimize(overlay.text());
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    longestMs = std::max(longestMs, ms);
    if (overlay.text().isEmpty()) state.SkipWithError("no readout over a drawn chart");
    // Let the crosshair's repaint happen between events, as it would between two pointer moves.
    state.PauseTiming();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["longest_ms"] = longestMs;
  state.counters["budget_ms"] = 16.0;
}
BENCHMARK(BM_PointerToText)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The record's part alone: the place under a pixel, its numbers and their text.
void BM_RecordToText(benchmark::State& state) {
  const RunRecord& record = chartWindow().controller().lastRun();
  int step = 0;
  for (auto _ : state) {
    step = (step + 1) % 4093;
    const ReadoutPlace place =
        readoutPlaceAt(record, (step * 37) % kPlotWidth, (step * 11) % kPlotHeight);
    benchmark::DoNotOptimize(readoutText(readoutValues(record, place, {true, 1760.0})));
  }
}
BENCHMARK(BM_RecordToText)->Unit(benchmark::kMicrosecond);

}  // namespace

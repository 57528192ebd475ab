// The overview strip of a 10-minute 44.1 kHz 16-bit stereo file: building its min/max summary,
// and one repaint of the whole file (and of the widest fixed span) from the summary against the
// same repaint from every sample.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "display/overview.h"
#include "wave/overview_summary.h"
#include "wave/wave_session.h"

namespace {

using namespace korimu;

constexpr uint32_t kRate = 44100;
constexpr uint32_t kFrames = 10 * 60 * kRate;
constexpr uint32_t kFrameBytes = 4;

void put32(std::ofstream& out, uint32_t v) {
  const char bytes[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  out.write(bytes, 4);
}
void put16(std::ofstream& out, uint16_t v) {
  const char bytes[2] = {char(v), char(v >> 8)};
  out.write(bytes, 2);
}

// The header of a 44.1 kHz 16-bit stereo WAV of `dataBytes` bytes of samples.
void writeHeader(std::ofstream& out, uint32_t dataBytes) {
  out.write("RIFF", 4);
  put32(out, 36 + dataBytes);
  out.write("WAVEfmt ", 8);
  put32(out, 16);
  put16(out, 1);
  put16(out, 2);
  put32(out, kRate);
  put32(out, kRate * kFrameBytes);
  put16(out, uint16_t(kFrameBytes));
  put16(out, 16);
  out.write("data", 4);
  put32(out, dataBytes);
}

// The 106 MB file, written once for the program and removed at its end.
struct TenMinuteFile {
  std::filesystem::path path;
  TenMinuteFile() {
    path = std::filesystem::temp_directory_path() /
           ("korimu-bench-overview-" + std::to_string(::getpid()) + ".wav");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const uint32_t dataBytes = kFrames * kFrameBytes;
    writeHeader(out, dataBytes);
    // Noise of a wandering loudness, a second at a time.
    std::vector<int16_t> second(size_t(kRate) * 2);
    uint32_t state = 12345;
    for (uint32_t s = 0; s < kFrames / kRate; ++s) {
      const int loudness = 1000 + int(s % 30) * 1000;
      for (auto& sample : second) {
        state = state * 1664525u + 1013904223u;
        sample = int16_t(int(state >> 16) % loudness - loudness / 2);
      }
      out.write(reinterpret_cast<const char*>(second.data()), std::streamsize(second.size() * 2));
    }
  }
  ~TenMinuteFile() {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
};

const TenMinuteFile& tenMinuteFile() {
  static const TenMinuteFile file;
  return file;
}

struct OpenTenMinuteFile {
  WaveSession wave;
  std::unique_ptr<OverviewSummary> summary;
  OpenTenMinuteFile() {
    WaveOpenRequest request;
    request.fileName = tenMinuteFile().path.string();
    openWave(wave, request, AppSettings{});
    const std::atomic<bool> keepGoing{false};
    summary = buildOverviewSummary(summaryRequestOf(wave.source, request.fileName), keepGoing);
  }
};

void BM_SummaryBuildOfTenMinutes(benchmark::State& state) {
  OpenTenMinuteFile file;
  OverviewSummaryRequest request = summaryRequestOf(file.wave.source, tenMinuteFile().path);
  request.bucketFrames = uint32_t(state.range(0));
  const std::atomic<bool> keepGoing{false};
  for (auto _ : state) {
    auto summary = buildOverviewSummary(request, keepGoing);
    benchmark::DoNotOptimize(summary.get());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kFrames * kFrameBytes);
}
BENCHMARK(BM_SummaryBuildOfTenMinutes)->Arg(64)->Arg(128)->Unit(benchmark::kMillisecond);

// Arg 0: the whole file's span; else framesPerColumn. Arg 1: 1 from the summary, 0 raw.
void BM_OverviewRepaint(benchmark::State& state) {
  OpenTenMinuteFile file;
  const int framesPerColumn =
      state.range(0) == 0 ? int((kFrames + 511) / 512) : int(state.range(0));
  const OverviewSummary* summary = state.range(1) != 0 ? file.summary.get() : nullptr;
  Canvas strip(kOverviewColumns, 64);
  for (auto _ : state) {
    drawOverviewOfOpenFile(strip, file.wave.source, summary, 0, framesPerColumn, 1, Messages{});
    benchmark::DoNotOptimize(strip.pixels().data());
  }
}
BENCHMARK(BM_OverviewRepaint)
    ->Args({0, 1})
    ->Args({0, 0})
    ->Args({1024, 1})
    ->Args({1024, 0})
    ->Args({256, 1})
    ->Args({256, 0})
    ->Args({4096, 1})
    ->Args({4096, 0})
    ->Unit(benchmark::kMillisecond);

// A 60-minute 44.1 kHz stereo file (635 MB, sparse: nothing is written but its header): the
// window's first paint of the whole span just after the open, while the summary is being built.
// The window's thread reads no samples for it.
struct SixtyMinuteFile {
  static constexpr uint32_t kSixtyMinuteFrames = 60 * 60 * kRate;
  std::filesystem::path path;
  SixtyMinuteFile() {
    path = std::filesystem::temp_directory_path() /
           ("korimu-bench-overview-60-" + std::to_string(::getpid()) + ".wav");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const uint32_t dataBytes = kSixtyMinuteFrames * kFrameBytes;
    writeHeader(out, dataBytes);
    out.close();
    std::filesystem::resize_file(path, 44 + uint64_t(dataBytes));
  }
  ~SixtyMinuteFile() {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
};

void BM_FirstPaintOfSixtyMinutesWhole(benchmark::State& state) {
  static const SixtyMinuteFile file;
  const int framesPerColumn = int((SixtyMinuteFile::kSixtyMinuteFrames + 511) / 512);
  Canvas strip(kOverviewColumns, 64);
  uint64_t samplesRead = 0;
  for (auto _ : state) {
    WaveSession wave;
    WaveOpenRequest request;
    request.fileName = file.path.string();
    openWave(wave, request, AppSettings{});
    OverviewSummaryBuild build;
    build.start(summaryRequestOf(wave.source, request.fileName));
    const uint64_t before = wave.source.mmio.bytesRead();
    drawOverviewWithoutWideReads(strip, wave.source, build.ready().get(), build.pending(), 0,
                                 framesPerColumn, 1, Messages{});
    samplesRead += wave.source.mmio.bytesRead() - before;
    benchmark::DoNotOptimize(strip.pixels().data());
    state.PauseTiming();
    build.stop();
    state.ResumeTiming();
  }
  state.counters["bytes_read_per_paint"] =
      benchmark::Counter(double(samplesRead) / double(state.iterations()));
}
BENCHMARK(BM_FirstPaintOfSixtyMinutesWhole)->Unit(benchmark::kMillisecond);

}  // namespace

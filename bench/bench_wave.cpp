// Speed of the WAV reader: validating a file, and reading its whole data chunk in playback-sized
// pieces. Runs on the demo recording written into a temporary folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/message.h"
#include "wave/wave_session.h"

namespace {

// Ten seconds of 44.1 kHz 16-bit stereo: a sine left, silence right.
// Removes the recording when the program ends.
struct TemporaryFile {
  std::string path;
  ~TemporaryFile() {
    std::error_code ec;
    if (!path.empty()) std::filesystem::remove(path, ec);
  }
};

std::string writeRecording() {
  static TemporaryFile file;
  std::string& path = file.path;
  if (!path.empty()) return path;
  const uint32_t frames = 441000;
  std::vector<uint8_t> b;
  const auto u16 = [&](uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
  };
  const auto u32 = [&](uint32_t v) {
    u16(uint16_t(v));
    u16(uint16_t(v >> 16));
  };
  const auto id = [&](const char* s) { b.insert(b.end(), s, s + 4); };
  id("RIFF");
  u32(36 + frames * 4);
  id("WAVE");
  id("fmt ");
  u32(16);
  u16(1);
  u16(2);
  u32(44100);
  u32(176400);
  u16(4);
  u16(16);
  id("data");
  u32(frames * 4);
  for (uint32_t i = 0; i < frames; ++i) {
    u16(uint16_t(int16_t(10000 * std::sin(i * 0.0627))));
    u16(0);
  }
  path = (std::filesystem::temp_directory_path() /
          ("korimu-bench-" + std::to_string(getpid()) + ".wav"))
             .string();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
  return path;
}

void BM_OpenWave(benchmark::State& state) {
  korimu::WaveSession wave;
  const korimu::WaveOpenRequest request{writeRecording(), 0, false};
  for (auto _ : state)
    benchmark::DoNotOptimize(korimu::openWave(wave, request, korimu::AppSettings{}).opened);
  korimu::closeWave(wave, true);
}
BENCHMARK(BM_OpenWave);

void BM_ReadWholeData(benchmark::State& state) {
  korimu::WaveSession wave;
  korimu::openWave(wave, {writeRecording(), 0, false}, korimu::AppSettings{});
  std::vector<uint8_t> buffer(size_t(state.range(0)));
  uint64_t bytes = 0;
  for (auto _ : state) {
    korimu::seekData(wave.source, 0);
    while (const uint32_t n = korimu::readData(wave.source, buffer.data(), uint32_t(buffer.size())))
      bytes += n;
  }
  state.SetBytesProcessed(int64_t(bytes));
  korimu::closeWave(wave, true);
}
BENCHMARK(BM_ReadWholeData)->Arg(4096)->Arg(32768)->Arg(1 << 20);

}  // namespace

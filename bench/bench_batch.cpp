// Batch rendering of 8 files with 1 job against 2 jobs: wall time of the whole batch, the two
// run alternately, the median of each and their ratio. Target on a 2-core machine: 2 jobs at
// least 1.7 x faster. The files are 12 s of 44.1 kHz 16-bit stereo noise-and-tones, each
// rendered as the whole chart (span 524288 frames).
// Usage: bench_batch [repeats] [method]
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "bench_method_support.h"
#include "cli/batch_render.h"

namespace {

using korimu::bench::median;
using korimu::bench::wallSeconds;

namespace fs = std::filesystem;

void put16(std::ofstream& out, uint16_t v) {
  out.put(char(v & 0xFF)).put(char(v >> 8));
}
void put32(std::ofstream& out, uint32_t v) {
  put16(out, uint16_t(v & 0xFFFF));
  put16(out, uint16_t(v >> 16));
}

// A 44.1 kHz 16-bit stereo file: two gliding tones over quiet noise, different per seed.
void writeRecording(const fs::path& path, unsigned seed) {
  const uint32_t rate = 44100, frames = rate * 12;
  std::ofstream out(path, std::ios::binary);
  out.write("RIFF", 4);
  put32(out, 36 + frames * 4);
  out.write("WAVEfmt ", 8);
  put32(out, 16);
  put16(out, 1);
  put16(out, 2);
  put32(out, rate);
  put32(out, rate * 4);
  put16(out, 4);
  put16(out, 16);
  out.write("data", 4);
  put32(out, frames * 4);
  std::mt19937 noise(seed);
  std::uniform_real_distribution<double> spread(-0.02, 0.02);
  for (uint32_t i = 0; i < frames; ++i) {
    const double t = double(i) / rate;
    const double f = 300.0 + 100.0 * seed + 200.0 * t;
    const double v = 0.4 * std::sin(2 * std::numbers::pi * f * t) +
                     0.2 * std::sin(2 * std::numbers::pi * 3 * f * t);
    for (int c = 0; c < 2; ++c)
      put16(out, uint16_t(int16_t(std::lround((v + spread(noise)) * 30000))));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  const std::string method = argc > 2 ? argv[2] : "fft";
  char pattern[] = "/tmp/korimu-bench-batch-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const fs::path dir = pattern;
  setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
  std::vector<std::string> files;
  for (unsigned i = 0; i < 8; ++i) {
    files.push_back((dir / ("rec" + std::to_string(i) + ".wav")).string());
    writeRecording(files.back(), i);
  }
  std::vector<double> times[2];
  for (int r = 0; r < repeats; ++r) {
    for (int jobs = 1; jobs <= 2; ++jobs) {
      const std::string out = (dir / ("out" + std::to_string(jobs))).string() + "/";
      const double start = wallSeconds();
      const int code = korimu::runBatchRender(out,
                                              {{"view", "chart"},
                                               {"method", method},
                                               {"span", "524288"},
                                               {"jobs", std::to_string(jobs)}},
                                              files);
      times[jobs - 1].push_back(wallSeconds() - start);
      if (code != 0) {
        std::fprintf(stderr, "batch failed with %d\n", code);
        return 1;
      }
    }
  }
  const double one = median(times[0]), two = median(times[1]);
  std::printf("machine: %ld cores; 8 files, chart %s, %d repeats alternating\n",
              sysconf(_SC_NPROCESSORS_ONLN), method.c_str(), repeats);
  std::printf("1 job : %8.1f ms (median)\n2 jobs: %8.1f ms (median)\nspeed-up: %.2f x\n", one * 1e3,
              two * 1e3, one / two);
  fs::remove_all(dir);
  return 0;
}

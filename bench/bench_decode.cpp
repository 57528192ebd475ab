// Decoding a 10-minute 44.1 kHz 16-bit stereo FLAC into the cache of decoded copies against
// `sox in.flac -b 16 out.wav` on the same file: wall time, the two run alternately, the median of
// each and their ratio (target: at most 1.5). Then the second open of the same file, which finds
// its copy in the cache and decodes nothing.
// Usage: bench_decode [repeats] [minutes]
#include <sndfile.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "bench_method_support.h"
#include "wave/decoded_copy.h"

namespace {

using korimu::bench::median;
using korimu::bench::wallSeconds;

namespace fs = std::filesystem;

// Two gliding tones over quiet noise, written in blocks so the whole file never sits in memory.
bool writeFlac(const fs::path& path, int minutes) {
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 2;
  info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  const long frames = 44100L * 60 * minutes;
  std::mt19937 noise(7);
  std::uniform_real_distribution<double> spread(-0.02, 0.02);
  std::vector<short> block(2 * 44100);
  for (long done = 0; done < frames;) {
    const long n = std::min<long>(44100, frames - done);
    for (long i = 0; i < n; ++i) {
      const double t = double(done + i) / 44100.0;
      const double f = 300.0 + 20.0 * std::fmod(t, 60.0);
      const double v = 0.4 * std::sin(2 * std::numbers::pi * f * t) +
                       0.2 * std::sin(2 * std::numbers::pi * 3.1 * f * t);
      block[size_t(2 * i)] = short(std::lround((v + spread(noise)) * 30000));
      block[size_t(2 * i + 1)] = short(std::lround((0.8 * v + spread(noise)) * 30000));
    }
    if (sf_writef_short(file, block.data(), n) != n) break;
    done += n;
  }
  return sf_close(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const int minutes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
  char pattern[] = "/tmp/korimu-bench-decode-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const fs::path dir = pattern;
  const fs::path flac = dir / "in.flac";
  if (!writeFlac(flac, minutes)) {
    std::fprintf(stderr, "cannot write %s\n", flac.c_str());
    return 1;
  }
  const korimu::DecodeCache cache{dir / "cache", uint64_t(2) << 30};
  const std::string sox = "sox " + flac.string() + " -b 16 " + (dir / "out.wav").string();

  std::vector<double> ours, theirs;
  korimu::DecodeProgress quiet;
  bool failed = false;
  for (int r = 0; r < repeats && !failed; ++r) {
    fs::remove_all(cache.folder);
    double start = wallSeconds();
    failed =
        korimu::decodedCopy(flac.string(), cache, quiet).status != korimu::DecodeStatus::kDecoded;
    ours.push_back(wallSeconds() - start);

    fs::remove(dir / "out.wav");
    start = wallSeconds();
    failed = failed || std::system(sox.c_str()) != 0;
    theirs.push_back(wallSeconds() - start);
  }
  double start = wallSeconds();
  const bool cached =
      korimu::decodedCopy(flac.string(), cache, quiet).status == korimu::DecodeStatus::kCached;
  const double secondOpen = wallSeconds() - start;
  fs::remove_all(dir);
  if (failed || !cached) {
    std::fprintf(stderr, "a decode failed\n");
    return 1;
  }
  const double a = median(ours), b = median(theirs);
  std::printf("%d-minute 44.1 kHz stereo FLAC to 16-bit WAV, median of %d, alternating\n", minutes,
              repeats);
  std::printf("  korimu decoded copy  %8.3f s\n", a);
  std::printf("  sox -b 16            %8.3f s\n", b);
  std::printf("  ratio korimu / sox   %8.2f (target <= 1.5)\n", a / b);
  std::printf("  second open (cached) %8.4f s\n", secondOpen);
  return 0;
}

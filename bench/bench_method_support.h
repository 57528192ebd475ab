// Shared pieces of the benchmarks: music-like test signals, a meter of the longest stretch of work
// between two event pumps, and the wall clock and median of the side-by-side comparisons.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <numbers>
#include <random>
#include <vector>

#include "analysis/progress.h"

namespace korimu::bench {

// Seconds on a steady clock, for timing a whole run against its peer.
inline double wallSeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// The middle of the repeats (the mean of the two middle ones for an even count).
inline double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 != 0 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// A few notes with decaying harmonics, a slow vibrato and a little noise, in 16-bit range.
inline std::vector<int16_t> musicLike(int count, double rate) {
  std::mt19937 engine(42);
  std::normal_distribution<double> noise(0.0, 30.0);
  const double notes[] = {220.0, 277.18, 329.63, 659.25};
  std::vector<int16_t> out(count);
  for (int i = 0; i < count; ++i) {
    const double t = i / rate;
    double v = 0.0;
    for (int n = 0; n < 4; ++n) {
      const double vibrato = 1.0 + 0.003 * std::sin(2.0 * std::numbers::pi * 5.0 * t + n);
      const double envelope = std::exp(-t * (0.5 + n));
      for (int h = 1; h <= 6; ++h) {
        v += envelope * 3000.0 / h *
             std::sin(2.0 * std::numbers::pi * notes[n] * h * vibrato * t + 0.7 * h);
      }
    }
    v += noise(engine);
    out[i] = static_cast<int16_t>(std::clamp(v, -32767.0, 32767.0));
  }
  return out;
}

inline std::vector<uint8_t> littleEndian(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes(samples.size() * 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    const auto u = static_cast<uint16_t>(samples[i]);
    bytes[2 * i] = static_cast<uint8_t>(u & 0xFF);
    bytes[2 * i + 1] = static_cast<uint8_t>(u >> 8);
  }
  return bytes;
}

// Measures the longest time between two consecutive questions whether to stop (where the window
// handles its events), and from start() to the first one and from the last one to stop(), as the
// progress of the analysers it is handed to.
class PumpGapMeter : public Progress {
 public:
  PumpGapMeter() = default;
  PumpGapMeter(const PumpGapMeter&) = delete;
  PumpGapMeter& operator=(const PumpGapMeter&) = delete;

  bool cancelled() override {
    tick();
    return false;
  }

  void start() {
    last_ = Clock::now();
    lastCpu_ = threadCpuMs();
  }
  void stop() { tick(); }
  // Wall time includes whatever else the machine ran meanwhile; CPU time is this thread's work.
  double worstMs() const { return worstMs_; }
  double worstCpuMs() const { return worstCpuMs_; }
  long pumps() const { return pumps_; }

 private:
  using Clock = std::chrono::steady_clock;
  static double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
  }
  void tick() {
    const auto now = Clock::now();
    const double cpu = threadCpuMs();
    worstMs_ = std::max(worstMs_, std::chrono::duration<double, std::milli>(now - last_).count());
    worstCpuMs_ = std::max(worstCpuMs_, cpu - lastCpu_);
    last_ = now;
    lastCpu_ = cpu;
    ++pumps_;
  }
  Clock::time_point last_ = Clock::now();
  double lastCpu_ = 0.0;
  double worstMs_ = 0.0;
  double worstCpuMs_ = 0.0;
  long pumps_ = 0;
};

}  // namespace korimu::bench

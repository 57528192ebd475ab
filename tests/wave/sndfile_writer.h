// Test inputs in the formats libsndfile writes: the same samples as a native 16-bit WAV would hold,
// in a wider container, a float one, a compressed or a lossy one.
#pragma once

#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

namespace korimu::testing {

// Three loud tones and a quiet fourth at `fullScale`, interleaved; channel c is weighted by
// 1 - channelStep * c.
inline std::vector<int> multiToneValues(uint32_t rate, int channels, double seconds,
                                        double fullScale, double channelStep) {
  const int frames = int(rate * seconds);
  std::vector<int> values;
  values.reserve(size_t(frames) * size_t(channels));
  for (int i = 0; i < frames; ++i) {
    const double t = i / double(rate);
    const double v = 0.3 * std::sin(2 * std::numbers::pi * 440 * t) +
                     0.25 * std::sin(2 * std::numbers::pi * 1750 * t) +
                     0.2 * std::sin(2 * std::numbers::pi * 5200 * t) +
                     0.05 * std::sin(2 * std::numbers::pi * 9000 * t);
    for (int c = 0; c < channels; ++c)
      values.push_back(int(std::lround(v * fullScale * (1.0 - channelStep * c))));
  }
  return values;
}

// The same as 16-bit values, each channel a little quieter than the one before.
inline std::vector<int16_t> multiTone16(uint32_t rate, int channels, double seconds) {
  const std::vector<int> values = multiToneValues(rate, channels, seconds, 32767.0, 0.1);
  return std::vector<int16_t>(values.begin(), values.end());
}

// Writes interleaved samples as `format` (SF_FORMAT_... major | minor); false when libsndfile
// refuses. 16-bit values go into integer containers as they are (shifted left) and into float
// ones as v/32768; doubles are written as they are.
template <typename Sample>
bool writeSndfile(const std::string& path, int format, uint32_t rate, int channels,
                  const std::vector<Sample>& samples) {
  const int encoding = format & SF_FORMAT_SUBMASK;
  if constexpr (sizeof(Sample) == 2) {
    if (encoding == SF_FORMAT_FLOAT || encoding == SF_FORMAT_DOUBLE) {
      std::vector<double> scaled(samples.begin(), samples.end());
      for (double& v : scaled) v /= 32768.0;
      return writeSndfile(path, format, rate, channels, scaled);
    }
  }
  SF_INFO info{};
  info.samplerate = int(rate);
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  const sf_count_t frames = sf_count_t(samples.size()) / channels;
  sf_count_t written = 0;
  if constexpr (sizeof(Sample) == 2) {
    written = sf_writef_short(file, samples.data(), frames);
  } else {
    written = sf_writef_double(file, samples.data(), frames);
  }
  return sf_close(file) == 0 && written == frames;
}

// Writes 16-bit samples as `format` through a pipe into `path`, as an encoder writing to standard
// output does: the writer cannot go back to its header, so a FLAC says no total length. False
// when libsndfile refuses or the pipe fails.
inline bool writeSndfileThroughPipe(const std::string& path, int format, uint32_t rate,
                                    int channels, const std::vector<int16_t>& samples) {
  int ends[2];
  if (::pipe(ends) != 0) return false;
  std::FILE* out = std::fopen(path.c_str(), "wb");
  bool copied = out != nullptr;
  // The pipe holds only so much: a reader drains it while the encoder writes.
  std::thread reader([&] {
    char buffer[4096];
    for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;)
      if (copied && std::fwrite(buffer, 1, size_t(got), out) != size_t(got)) copied = false;
  });
  SF_INFO info{};
  info.samplerate = int(rate);
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open_fd(ends[1], SFM_WRITE, &info, SF_FALSE);
  const sf_count_t frames = sf_count_t(samples.size()) / channels;
  const bool written = file != nullptr && sf_writef_short(file, samples.data(), frames) == frames &&
                       sf_close(file) == 0;
  ::close(ends[1]);
  reader.join();
  ::close(ends[0]);
  const bool closed = out != nullptr && std::fclose(out) == 0;
  return written && copied && closed;
}

}  // namespace korimu::testing

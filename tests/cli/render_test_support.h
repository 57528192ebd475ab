// Generated recordings and PNG reading for the batch-renderer tests; every test keeps its
// settings file in a temporary folder.

#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QImage>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include "core/settings.h"
#include "run/run_driver.h"
#include "wave/wav_builder.h"

namespace korimu::testing {

struct ToneFile {
  uint32_t rate = 22050;
  int channels = 1;
  int bits = 8;
  double seconds = 0.3;
  double frequency = 1000.0;
  double amplitude = 0.7;  // of full scale; 0 for digital silence
};

inline std::vector<uint8_t> toneWave(const ToneFile& t) {
  const int frames = static_cast<int>(t.rate * t.seconds);
  std::vector<uint8_t> data;
  for (int i = 0; i < frames; ++i) {
    const double v =
        t.amplitude * std::sin(2.0 * std::numbers::pi * t.frequency * i / double(t.rate));
    for (int c = 0; c < t.channels; ++c) {
      if (t.bits == 16) {
        appendPcm16(data, int(std::lround(v * 32767.0)));
      } else {
        data.push_back(static_cast<uint8_t>(128 + std::lround(v * 127.0)));
      }
    }
  }
  FormatFields f;
  f.channels = uint16_t(t.channels);
  f.bits = uint16_t(t.bits);
  f.rate = t.rate;
  return waveFile(f, data);
}

class RenderScope {
 public:
  // The settings file and the decoded copies are the scope's own.
  RenderScope() {
    for (Variable& v : saved_) {
      const char* old = getenv(v.name);
      v.had = old != nullptr;
      if (old) v.value = old;
      setenv(v.name, dir.path().c_str(), 1);
    }
  }
  ~RenderScope() {
    for (const Variable& v : saved_) {
      if (v.had) {
        setenv(v.name, v.value.c_str(), 1);
      } else {
        unsetenv(v.name);
      }
    }
  }
  RenderScope(const RenderScope&) = delete;
  RenderScope& operator=(const RenderScope&) = delete;

  std::string file(const std::string& name, const ToneFile& tone) const {
    return dir.write(name, toneWave(tone));
  }
  std::string out(const std::string& name) const { return (dir.path() / name).string(); }

  TempDir dir;

 private:
  struct Variable {
    const char* name;
    std::string value;
    bool had = false;
  };
  Variable saved_[2] = {{"XDG_CONFIG_HOME", "", false}, {"XDG_CACHE_HOME", "", false}};
};

inline QImage loadPng(const std::string& path) {
  QImage image;
  image.load(QString::fromStdString(path), "PNG");
  return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace korimu::testing

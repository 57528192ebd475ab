// Helpers shared by the analysis tests: a reference DFT, crafted sample blocks, and a sink and
// message recorder that restore the previous state when they go out of scope.
#pragma once

#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "analysis/analysis_sink.h"
#include "analysis/sample_block.h"
#include "core/settings.h"
#include "platform/message.h"
#include "wave/wav_builder.h"

namespace korimu::testing {

// X[k] = (1/n) sum x[j] e^(-2 pi i jk/n), summed directly in O(n^2).
inline std::vector<std::complex<double>> referenceDft(const std::vector<std::complex<double>>& x) {
  const size_t n = x.size();
  std::vector<std::complex<double>> out(n);
  for (size_t k = 0; k < n; ++k) {
    std::complex<double> sum = 0.0;
    for (size_t j = 0; j < n; ++j) {
      const double angle = -2.0 * std::numbers::pi * double((j * k) % n) / double(n);
      sum += x[j] * std::polar(1.0, angle);
    }
    out[k] = sum / double(n);
  }
  return out;
}

inline std::vector<double> randomValues(size_t n, unsigned seed, double scale = 1.0) {
  std::mt19937 engine(seed);
  std::uniform_real_distribution<double> dist(-scale, scale);
  std::vector<double> v(n);
  for (double& x : v) x = dist(engine);
  return v;
}

// Little-endian 16-bit block bytes from sample values.
inline std::vector<uint8_t> bytes16(const std::vector<int>& samples) {
  return pcm16(samples);
}

// Blocks over `bytes` (which must outlive them) at `srKHz` kHz.
inline SampleBlock block16(const std::vector<uint8_t>& bytes, int srKHz = 44) {
  return SampleBlock{bytes.data(), static_cast<uint32_t>(bytes.size()), 16, srKHz};
}
inline SampleBlock block8(const std::vector<uint8_t>& bytes, int srKHz = 44) {
  return SampleBlock{bytes.data(), static_cast<uint32_t>(bytes.size()), 8, srKHz};
}

// What the analysers told the display and the user during one test.
struct Recorded {
  struct Text {
    int x, y;
    std::string text;
  };
  std::vector<Text> windowTexts;
  std::vector<std::string> overviewTexts;
  std::vector<std::pair<std::string, std::string>> peaks;
  std::vector<SpectrumFrame> frames;
  std::vector<int32_t> frameViews;
  std::vector<std::pair<int, int>> frameColumns;
  std::vector<std::vector<uint8_t>> waveRows;
  int presents = 0;
  std::vector<int32_t> overlays;
  std::vector<std::pair<std::string, MessageKind>> messages;
  int fatalExits = 0;
  std::vector<std::string> events;  // the order of the sink calls, by member name
};

// Installs a recording sink, message sink and fatal-exit hook; restores everything (including
// the settings record) on destruction.
class RecordingScope {
 public:
  RecordingScope() : savedSink_(analysisSink), savedSettings_(settings) {
    analysisSink = AnalysisSink{};
    analysisSink.windowText = [this](int x, int y, const std::string& t) {
      rec.windowTexts.push_back({x, y, t});
      rec.events.push_back("windowText");
    };
    analysisSink.overviewText = [this](const std::string& t) {
      rec.overviewTexts.push_back(t);
      rec.events.push_back("overviewText");
    };
    analysisSink.peakReadout = [this](const std::string& f, const std::string& p) {
      rec.peaks.emplace_back(f, p);
      rec.events.push_back("peakReadout");
    };
    analysisSink.drawSpectrum = [this](int32_t view, const SpectrumFrame& frame, int column,
                                       int width) {
      rec.frameViews.push_back(view);
      rec.frames.push_back(frame);
      rec.frameColumns.emplace_back(column, width);
      rec.events.push_back("drawSpectrum");
    };
    analysisSink.drawWaveZoom = [this](const std::vector<uint8_t>& rows) {
      rec.waveRows.push_back(rows);
      rec.events.push_back("drawWaveZoom");
    };
    analysisSink.presentPlot = [this] {
      ++rec.presents;
      rec.events.push_back("presentPlot");
    };
    analysisSink.overlay = [this](int32_t method, const SampleBlock&, int, int) {
      rec.overlays.push_back(method);
      rec.events.push_back("overlay");
    };
    savedMessages_ = setMessageSink(
        [this](std::string_view text, MessageKind kind) { rec.messages.emplace_back(text, kind); });
    savedExit_ = setFatalExit([this](int) { ++rec.fatalExits; });
  }
  ~RecordingScope() {
    analysisSink = savedSink_;
    settings = savedSettings_;
    setMessageSink(savedMessages_);
    setFatalExit(savedExit_);
  }
  RecordingScope(const RecordingScope&) = delete;
  RecordingScope& operator=(const RecordingScope&) = delete;

  Recorded rec;

 private:
  AnalysisSink savedSink_;
  AppSettings savedSettings_;
  MessageSink savedMessages_;
  FatalExit savedExit_;
};

}  // namespace korimu::testing

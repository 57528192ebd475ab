// Helpers shared by the analysis tests: a reference DFT, crafted sample blocks, a progress that
// counts and can stop, and the settings an analyser's params are made from.
#pragma once

#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/analysis_notes.h"
#include "analysis/analysis_params.h"
#include "analysis/level_map.h"
#include "analysis/progress.h"
#include "analysis/sample_block.h"
#include "analysis/transform_tables.h"
#include "core/settings.h"
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

// A progress that counts the questions whether to stop (the events) and the steps, and answers
// yes from event stopAtEvent on (0: never).
struct CountingProgress : Progress {
  long events = 0;
  long stopAtEvent = 0;
  std::vector<std::string> begun;
  std::vector<long> steps;
  std::vector<long> totals;  // the total of each step begun
  int ends = 0;

  void begin(std::string_view name, long total) override {
    begun.emplace_back(name);
    totals.push_back(total);
  }
  void step(long done, long) override { steps.push_back(done); }
  void end() override { ++ends; }
  bool cancelled() override {
    ++events;
    return stopAtEvent > 0 && events >= stopAtEvent;
  }
};

// What an analyser is called with: settings a test changes and makes the params from, a progress
// that counts, and the transform tables.
struct AnalysisSetup {
  // The params an analysis run would make from the settings now.
  AnalysisParams params() const { return analysisParamsFrom(settings); }

  AppSettings settings;
  CountingProgress progress;
  TransformTables tables;
};

// The depth of q under the scale and gain the settings hold.
inline uint8_t depthNow(const AppSettings& settings, double q) {
  const AnalysisParams p = analysisParamsFrom(settings);

  return depthOfLevel(q, p.scale, p.displayGain);
}

// The messages of a result, in order.
inline std::vector<std::string> messageTexts(const AnalysisNotes& notes) {
  std::vector<std::string> out;
  for (const AnalysisMessage& m : notes.messages) out.push_back(m.text);
  return out;
}

// The diagnostic text of one line (empty when the result has none).
inline std::string diagnosticOf(const AnalysisNotes& notes, DiagnosticLine line) {
  for (const Diagnostic& d : notes.diagnostics)
    if (d.line == line) return d.text;
  return {};
}

}  // namespace korimu::testing

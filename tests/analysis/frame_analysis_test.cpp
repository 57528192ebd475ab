#include "analysis/frame_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

#include "analysis/level_map.h"
#include "analysis/window_table.h"
#include "analysis_test_support.h"
#include "core/layout.h"

namespace korimu {
namespace {

using testing::AnalysisSetup;
using testing::block16;
using testing::block8;
using testing::bytes16;
using testing::depthNow;
using testing::referenceDft;

constexpr SpectrumScale kAmplitude = SpectrumScale::kAmplitude, kPower = SpectrumScale::kPower,
                        kLog = SpectrumScale::kLog;
using enum WindowFunction;

std::vector<int> cosineSamples(int count, double amplitude, double cyclesPerSample) {
  std::vector<int> s(size_t(count), 0);
  for (int j = 0; j < count; ++j) {
    s[size_t(j)] = static_cast<int>(
        std::lround(amplitude * std::cos(2.0 * std::numbers::pi * cyclesPerSample * j)));
  }
  return s;
}

void useSpectrum(AppSettings& settings, ViewMode view, AnalysisMethod method, int order,
                 WindowFunction window) {
  settings.display = view;
  settings.method = method;
  settings.blockOrder = order;
  settings.windowFunction = window;
  settings.autocorrelation = false;
  settings.pinkNoiseFlat = false;
}

// The spectrum path written out from its definition: clamped mean over the real samples, the
// symmetric window over them, zero padding, the direct DFT.
std::vector<double> referencePowers(const std::vector<int>& samples, int n, WindowFunction window) {
  const int real = std::min(static_cast<int>(samples.size()), n);
  double mean = 0.0;
  for (int i = 0; i < real; ++i) mean += samples[size_t(i)];
  mean = std::clamp(mean / real, -256.0, 256.0);
  std::vector<std::complex<double>> x(size_t(n), 0.0);
  for (int i = 0; i < real; ++i) x[size_t(i)] = samples[size_t(i)] - mean;
  const int m = real / 2;
  for (int i = 0; i < m && window != kRectangle; ++i) {
    x[size_t(i)] *= windowValue(window, i, m);
    x[size_t(2 * m - 1 - i)] *= windowValue(window, i, m);
  }
  const auto spectrum = referenceDft(x);
  std::vector<double> p(size_t(n / 2));
  for (int k = 0; k < n / 2; ++k) p[size_t(k)] = std::norm(spectrum[size_t(k)]);
  return p;
}

// The data chunk of a real mono 16-bit recording, found by walking the RIFF chunks.
std::vector<int> recordingSamples(const std::string& name, int& rateHz) {
  const char* folder = std::getenv("KORIMU_SHARED_WAV");
  if (folder == nullptr) folder = KORIMU_SHARED_WAV_DIR;
  const std::vector<uint8_t> file = testing::readFile(std::string(folder) + "/" + name);
  std::vector<int> samples;
  for (size_t at = 12; at + 8 <= file.size();) {
    const std::string id(file.begin() + long(at), file.begin() + long(at) + 4);
    const uint32_t size = testing::le32(file, at + 4);
    if (id == "fmt ") rateHz = int(testing::le32(file, at + 12));
    if (id == "data") {
      for (size_t i = at + 8; i + 1 < at + 8 + size && i + 1 < file.size(); i += 2) {
        samples.push_back(int16_t(uint16_t(file[i] | file[i + 1] << 8)));
      }
    }
    at += 8 + size + (size & 1);
  }
  return samples;
}

TEST(FrameAnalysis, RealRecordingsAgreeWithTheDirectComputation) {
  AnalysisSetup scope;
  scope.settings.spectrumType = kLog;
  scope.settings.displayGain = 0;
  for (const char* name : {"22050_16_mono_espeak-ja.wav", "48000_16_mono_alsa-Front_Center.wav"}) {
    if (!std::filesystem::exists(std::string(KORIMU_SHARED_WAV_DIR) + "/" + name) &&
        std::getenv("KORIMU_SHARED_WAV") == nullptr) {
      GTEST_SKIP() << "recording not found: " << name;
    }
    int rate = 0;
    const std::vector<int> samples = recordingSamples(name, rate);
    ASSERT_GT(samples.size(), 20000u) << name;
    useSpectrum(scope.settings, kTimeFrequencyChart, kFft, 10, kBlackman);
    for (size_t start : {samples.size() / 2, samples.size() - 1500}) {
      const std::vector<int> block(samples.begin() + long(start),
                                   samples.begin() + long(std::min(start + 1024, samples.size())));
      const auto bytes = bytes16(block);
      const FrameResult r =
          computeFrame(block16(bytes, rate / 1000), scope.params(), scope.tables, scope.progress);
      const auto ref = referencePowers(block, 1024, kBlackman);
      int peakRef = 0;
      for (int k = 1; k < 512; ++k) {
        if (ref[size_t(k)] > ref[size_t(peakRef)]) peakRef = k;
      }
      EXPECT_EQ(r.peakBin, peakRef) << name << ' ' << start;
      EXPECT_NEAR(r.peakPower, ref[size_t(peakRef)], 1e-9 * ref[size_t(peakRef)]);
      EXPECT_DOUBLE_EQ(r.peakFrequency, peakRef * double(rate) / 1024.0);
      // The loudest bin is drawn highest.
      EXPECT_EQ(r.frame.depths[size_t(r.peakBin)],
                *std::min_element(r.frame.depths.begin(), r.frame.depths.end()));
    }
  }
}

TEST(FrameAnalysis, FullScaleCosineOnBin64WithHanning) {
  AnalysisSetup scope;
  useSpectrum(scope.settings, kSpectrumLinear, kFft, 10, kHanning);
  const auto bytes = bytes16(cosineSamples(1024, 32767.0, 64.0 / 1024.0));
  scope.settings.spectrumType = kAmplitude;
  scope.settings.displayGain = 0;
  FrameResult r = computeFrame(block16(bytes), scope.params(), scope.tables, scope.progress);
  ASSERT_TRUE(r.analysed);
  EXPECT_EQ(r.peakBin, 64);
  EXPECT_DOUBLE_EQ(r.peakFrequency, 2756.25);
  EXPECT_NEAR(r.peakPower, 6.68e7, 0.01e7);
  EXPECT_NEAR(r.peakPower / 7.0e7, 0.955, 0.002);
  ASSERT_EQ(r.frame.bins(), 512);
  EXPECT_EQ(r.frame.depths[64], 5);

  scope.settings.spectrumType = kLog;
  scope.settings.displayGain = 1;
  r = computeFrame(block16(bytes), scope.params(), scope.tables, scope.progress);
  EXPECT_EQ(r.frame.depths[64], 0);

  EXPECT_EQ(peakFrequencyText(r.peakFrequency), "Peak  2756Hz");
  EXPECT_EQ(peakPowerText(r.peakPower), "Pow 6.7e+07");
}

TEST(FrameAnalysis, SpectrumMatchesTheDirectComputationForShortAndLongBlocks) {
  AnalysisSetup scope;
  scope.settings.spectrumType = kPower;
  scope.settings.displayGain = 3;
  for (WindowFunction window : {kHanning, kBlackman, kGauss424, kTriangle, kRectangle}) {
    useSpectrum(scope.settings, kSpectrumLog, kFft, 8, window);
    // Shorter than N: zero padded, window and offset over the 100 real samples only.
    std::vector<int> shortBlock = cosineSamples(100, 3000.0, 0.11);
    for (int& s : shortBlock) s += 700;  // mean above the 16-bit clamp
    // Longer than N: the samples past N must not matter.
    std::vector<int> longBlock = cosineSamples(400, 5000.0, 0.2);
    for (size_t i = 256; i < longBlock.size(); ++i) longBlock[i] = 30000;
    for (const auto& samples : {shortBlock, longBlock}) {
      const auto bytes = bytes16(samples);
      const FrameResult r =
          computeFrame(block16(bytes), scope.params(), scope.tables, scope.progress);
      const auto ref = referencePowers(samples, 256, window);
      ASSERT_EQ(r.frame.bins(), 128);
      double maxRef = 0.0;
      int peakRef = 0;
      for (int k = 0; k < 128; ++k) {
        if (ref[size_t(k)] > maxRef * (1 + 1e-9)) maxRef = ref[size_t(k)], peakRef = k;
      }
      EXPECT_EQ(r.peakBin, peakRef) << int(window);
      EXPECT_NEAR(r.peakPower, maxRef, 1e-9 * maxRef) << int(window);
      int mismatches = 0;  // truncation may flip a depth that sits exactly on a boundary
      for (int k = 0; k < 128; ++k) {
        mismatches += r.frame.depths[size_t(k)] != depthNow(scope.settings, ref[size_t(k)] / 7.0e7);
      }
      EXPECT_LE(mismatches, 1) << int(window);
    }
  }
}

TEST(FrameAnalysis, DigitalSilenceShowsNoPeakAndTheBottomRow) {
  AnalysisSetup scope;
  useSpectrum(scope.settings, kSpectrumLog, kFft, 9, kHanning);
  const std::vector<uint8_t> silence16(1024, 0), silence8(512, 128);
  for (SpectrumScale type : {kAmplitude, kPower, kLog}) {
    for (int gain = 0; gain <= 3; ++gain) {
      scope.settings.spectrumType = type;
      scope.settings.displayGain = gain;
      for (const SampleBlock& b : {block16(silence16), block8(silence8)}) {
        const FrameResult r = computeFrame(b, scope.params(), scope.tables, scope.progress);
        EXPECT_EQ(r.peakBin, 0);
        EXPECT_EQ(r.peakPower, 0.0);
        for (uint8_t d : r.frame.depths) ASSERT_EQ(d, 255) << int(type) << ' ' << gain;
      }
    }
  }
  const FrameResult r =
      computeFrame(block16(silence16), scope.params(), scope.tables, scope.progress);
  EXPECT_EQ(peakFrequencyText(r.peakFrequency), "Peak 0.000Hz");
  EXPECT_EQ(peakPowerText(r.peakPower), "Pow 0.0e+00");
}

TEST(FrameAnalysis, OffsetIsClampedUnlessTheAutocorrelationIsOn) {
  AnalysisSetup scope;
  useSpectrum(scope.settings, kSpectrumLinear, kFft, 8, kRectangle);
  scope.settings.autocorrelation = false;
  std::vector<double> re8(300, 5.0);  // an 8-bit block whose mean is 5
  EXPECT_EQ(removeOffset(re8.data(), 256, false, !scope.settings.autocorrelation), 1.0);
  EXPECT_EQ(re8[0], 4.0);
  EXPECT_EQ(re8[299], 5.0);  // past the counted samples: untouched
  std::vector<double> re16(256, 1000.0);
  EXPECT_EQ(removeOffset(re16.data(), 256, true, !scope.settings.autocorrelation), 256.0);
  EXPECT_EQ(re16[10], 744.0);
  std::vector<double> negative(256, -1000.0);
  EXPECT_EQ(removeOffset(negative.data(), 256, true, !scope.settings.autocorrelation), -256.0);

  // End to end: the constant that is left is the whole spectrum.
  const std::vector<uint8_t> bytes = bytes16(std::vector<int>(256, 1000));
  FrameResult r = computeFrame(block16(bytes), scope.params(), scope.tables, scope.progress);
  EXPECT_EQ(r.peakBin, 0);
  EXPECT_NEAR(r.peakPower, 744.0 * 744.0, 1e-6);
  const std::vector<uint8_t> bytes8(256, 133);
  r = computeFrame(block8(bytes8), scope.params(), scope.tables, scope.progress);
  EXPECT_NEAR(r.peakPower, 16.0, 1e-12);

  // With the autocorrelation on the full mean goes, also in the FFT pass before MEM.
  scope.settings.autocorrelation = true;
  std::vector<double> full(256, 1000.0);
  EXPECT_EQ(removeOffset(full.data(), 256, true, !scope.settings.autocorrelation), 1000.0);
  scope.settings.method = kMem;
  r = computeFrame(block16(bytes), scope.params(), scope.tables, scope.progress);
  EXPECT_EQ(r.peakBin, 0);
  EXPECT_NEAR(r.peakPower, 0.0, 1e-12);
}

TEST(FrameAnalysis, EqualMaximaReportTheLowerBinAndPinkWeightingSkipsBinZero) {
  AnalysisSetup scope;
  useSpectrum(scope.settings, kSpectrumLinear, kFft, 8, kRectangle);
  // +a and -a half a block apart: every odd bin has exactly the same power.
  std::vector<int> pair(256, 0);
  pair[0] = 12000;
  pair[128] = -12000;
  const auto bytes = bytes16(pair);
  FrameResult r = computeFrame(block16(bytes), scope.params(), scope.tables, scope.progress);
  EXPECT_EQ(r.peakBin, 1);
  EXPECT_NEAR(r.peakPower, std::pow(24000.0 / 256, 2), 1e-9);

  // A large offset left after the clamp and a small tone at bin 5.
  std::vector<int> tone = cosineSamples(256, 100.0, 5.0 / 256.0);
  for (int& s : tone) s += 2000;
  const auto toneBytes = bytes16(tone);
  r = computeFrame(block16(toneBytes), scope.params(), scope.tables, scope.progress);
  EXPECT_EQ(r.peakBin, 0);
  scope.settings.pinkNoiseFlat = true;
  r = computeFrame(block16(toneBytes), scope.params(), scope.tables, scope.progress);
  EXPECT_EQ(r.peakBin, 5);
  EXPECT_NEAR(r.peakPower, 5.0 * 2500.0 / 256.0 * 2.0, 0.2);  // the tone is rounded to integers

  // Only an offset: with the tilt every bin is 0, so the peak stays at 0 Hz with power 0.
  const auto flat = bytes16(std::vector<int>(256, 1000));
  r = computeFrame(block16(flat), scope.params(), scope.tables, scope.progress);
  EXPECT_EQ(r.peakBin, 0);
  EXPECT_EQ(r.peakPower, 0.0);
}

TEST(FrameAnalysis, RateFamiliesGiveTheNominalFrequency) {
  AnalysisSetup scope;
  useSpectrum(scope.settings, kSpectrumLinear, kFft, 10, kHanning);
  const auto bytes = bytes16(cosineSamples(1024, 10000.0, 100.0 / 1024.0));
  EXPECT_DOUBLE_EQ(
      computeFrame(block16(bytes, 22), scope.params(), scope.tables, scope.progress).peakFrequency,
      100.0 * 22050.0 / 1024.0);
  EXPECT_DOUBLE_EQ(
      computeFrame(block16(bytes, 88), scope.params(), scope.tables, scope.progress).peakFrequency,
      100.0 * 88200.0 / 1024.0);
  EXPECT_DOUBLE_EQ(
      computeFrame(block16(bytes, 48), scope.params(), scope.tables, scope.progress).peakFrequency,
      100.0 * 48000.0 / 1024.0);
}

TEST(FrameAnalysis, DctPathHasNPointsAndItsOwnDivisor) {
  AnalysisSetup scope;
  useSpectrum(scope.settings, kSpectrumLinear, kDct, 10, kRectangle);
  scope.settings.spectrumType = kPower;
  scope.settings.displayGain = 0;
  const int n = 512;
  // A DCT basis function k0 = 40 (mean zero), amplitude 10000.
  std::vector<int> samples(static_cast<size_t>(n));
  for (int j = 0; j < n; ++j) {
    samples[size_t(j)] = static_cast<int>(
        std::lround(10000.0 * std::cos(std::numbers::pi * 40 * (2 * j + 1) / (2.0 * n))));
  }
  const auto bytes = bytes16(samples);
  for (int onMem : {0, 1}) {
    scope.settings.onMem = onMem;
    const FrameResult r =
        computeFrame(block16(bytes), scope.params(), scope.tables, scope.progress);
    ASSERT_EQ(r.frame.bins(), n);
    EXPECT_EQ(r.peakBin, 40);
    EXPECT_DOUBLE_EQ(r.peakFrequency, 40 * 44100.0 / 1024.0);
    EXPECT_NEAR(r.peakPower, 1e8 * n / 2.0, 1e8 * n / 2.0 * 1e-3);
    EXPECT_EQ(r.frame.depths[40], depthNow(scope.settings, r.peakPower / 7.0e10));
  }
}

TEST(FrameAnalysis, WindowTableIsKeptAndTheRectangleLeavesItAlone) {
  TransformTables tables;
  std::vector<double> re(1024, 1.0);
  applyWindow(tables, re.data(), 512, kHanning);
  const long builds = tables.window.builds;
  const std::vector<double> table = tables.window.table;
  ASSERT_EQ(table.size(), 512u);
  EXPECT_EQ(table[0], 0.0);
  EXPECT_NEAR(table[256], 0.5, 1e-15);
  EXPECT_EQ(re[0], 0.0);
  EXPECT_EQ(re[1023], 0.0);
  EXPECT_NEAR(re[1022], table[1], 1e-15);
  applyWindow(tables, re.data(), 512, kHanning);
  EXPECT_EQ(tables.window.builds, builds);
  std::vector<double> untouched(1024, 3.0);
  applyWindow(tables, untouched.data(), 512, kRectangle);
  EXPECT_EQ(untouched, std::vector<double>(1024, 3.0));
  EXPECT_EQ(tables.window.builds, builds);
  EXPECT_EQ(tables.window.table, table);
  applyWindow(tables, re.data(), 256, kHanning);
  EXPECT_EQ(tables.window.builds, builds + 1);
  applyWindow(tables, re.data(), 256, kHamming);
  EXPECT_EQ(tables.window.builds, builds + 2);
  EXPECT_NEAR(tables.window.table[0], 0.08, 1e-15);
}

TEST(FrameAnalysis, WindowShapes) {
  EXPECT_NEAR(windowValue(kGauss424, 0, 512), 0.0112, 0.00005);
  EXPECT_NEAR(windowValue(kGauss650, 0, 512), 0.0000259, 0.0000001);
  EXPECT_NEAR(windowValue(kGauss424, 511, 512), 1.0, 1e-3);
  EXPECT_NEAR(windowValue(kBlackman, 0, 512), 0.0, 1e-15);
  EXPECT_NEAR(windowValue(kBlackman, 256, 512), 0.42 + 0.5 * 0.0 - 0.08, 1e-15);
  EXPECT_EQ(windowValue(kTriangle, 128, 512), 0.25);
}

// The lags of the autocorrelation are not integers, so the order of the additions matters: the
// mean is their sum in order, which here is exact (four ones, then 2^53) although a sum that met
// 2^53 before the ones would lose them.
TEST(FrameAnalysis, OffsetIsTheSumInOrderOverTheCount) {
  AnalysisSetup scope;
  scope.settings.autocorrelation = true;  // the full mean is removed
  const double big = std::ldexp(1.0, 53);
  std::vector<double> re = {1.0, 1.0, 1.0, 1.0, big, 7.0};
  const double mean = removeOffset(re.data(), 5, true, !scope.settings.autocorrelation);
  EXPECT_EQ(mean, (big + 4.0) / 5.0);
  EXPECT_EQ(re[0], 1.0 - mean);
  EXPECT_EQ(re[5], 7.0);  // past the counted values: untouched
}

}  // namespace
}  // namespace korimu

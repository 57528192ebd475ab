#include "analysis/wavelet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "analysis/scratch_memory.h"
#include "analysis_test_support.h"

namespace korimu {
namespace {

using testing::AnalysisSetup;
using testing::bytes16;

TEST(WaveletBlockSize, EveryRateGets65536Frames) {
  EXPECT_EQ(waveletBlockBytes(176400, 44, 4), 65536u * 4);  // 44.1 kHz 16-bit stereo
  EXPECT_EQ(waveletBlockBytes(192000, 48, 4), 65536u * 4);  // 48 kHz 16-bit stereo
  EXPECT_EQ(waveletBlockBytes(16000, 8, 2), 65536u * 2);    // 8 kHz 16-bit mono
  EXPECT_EQ(waveletBlockBytes(22050, 22, 1), 65536u);       // 22.05 kHz 8-bit mono
  EXPECT_EQ(waveletBlockBytes(6000, 6, 1), 65536u);         // 6 kHz: the fractional rule
}

TEST(WaveletBlockSize, RatesBelowTheDivisorsStillGet65536Frames) {
  EXPECT_EQ(waveletBlockBytes(8000, 4, 2), 65536u * 2);   // 4 kHz 16-bit: 4 div 8 is 0
  EXPECT_EQ(waveletBlockBytes(11025, 5, 2), 65536u * 2);  // a header whose kHz div 11 is 0
  EXPECT_EQ(waveletBlockBytes(900, 0, 1), 65536u);        // below 1 kHz
}

TEST(WaveletBlockSize, FormulasThatOvershootAreHeldAt65536Frames) {
  EXPECT_EQ(waveletBlockBytes(24000, 12, 2), 65536u * 2);       // 12 kHz: 12 div 8 is 1
  EXPECT_EQ(waveletBlockBytes(48000, 12, 4), 65536u * 4);       // 12 kHz stereo
  EXPECT_EQ(waveletBlockBytes(88112, 44, 2), 65536u * 2);       // 44056 Hz, fractional rule
  EXPECT_EQ(waveletBlockBytes(96001, 48, 2), 65536u * 2);       // byte rate off by one
  EXPECT_EQ(waveletBlockBytes(0xFFFFFFFF, 48, 4), 65536u * 4);  // no float out of range
  // Where the formula gives fewer frames it stands.
  EXPECT_EQ(waveletBlockBytes(11025, 22, 1), 32768u);
  EXPECT_EQ(waveletBlockBytes(4000, 8, 1), 32768u);
}

TEST(WaveletTop, MultiplesOf11kHzTopAt20000For44100) {
  EXPECT_DOUBLE_EQ(SampleRate(44).waveletTopFraction() * SampleRate(44).hz(), 20000.0);
  EXPECT_DOUBLE_EQ(SampleRate(22).waveletTopFraction() * SampleRate(22).hz(), 10000.0);
  EXPECT_DOUBLE_EQ(SampleRate(8).waveletTopFraction() * SampleRate(8).hz(), 4000.0);
  EXPECT_DOUBLE_EQ(SampleRate(48).waveletTopFraction() * SampleRate(48).hz(), 24000.0);
}

TEST(WaveletVariant, DirectOnlyForLongBlocksWithShortKernels) {
  EXPECT_EQ(waveletVariantFor(16384, 10), WaveletVariant::kDirect);
  EXPECT_EQ(waveletVariantFor(16384, 11), WaveletVariant::kFft);
  EXPECT_EQ(waveletVariantFor(32768, 13), WaveletVariant::kDirect);
  EXPECT_EQ(waveletVariantFor(65536, 13), WaveletVariant::kDirect);
  EXPECT_EQ(waveletVariantFor(65536, 14), WaveletVariant::kFft);
  EXPECT_EQ(waveletVariantFor(8192, 8), WaveletVariant::kFft);
}

TEST(WaveletKernel, InitialLengthsAndDivisors) {
  const int expected[] = {16, 22, 32, 45, 64, 90, 128, 181, 256};
  for (int order = 8; order <= 16; ++order) {
    EXPECT_EQ(waveletInitialKernelLength(order), expected[order - 8]) << order;
  }
  EXPECT_DOUBLE_EQ(waveletDivisor(WaveletVariant::kDirect, true, 8, 65536), 3e7 * 65536);
  EXPECT_DOUBLE_EQ(waveletDivisor(WaveletVariant::kDirect, false, 10, 65536), 700.0 * 4 * 65536);
  // 65536^2 overflows 32 bits; the divisor must still be 8.5 / 65536 times the direct one.
  EXPECT_DOUBLE_EQ(waveletDivisor(WaveletVariant::kFft, true, 16, 65536),
                   3e7 * 256 * 65536 * 8.5 / (65536.0 * 65536.0));
}

TEST(WaveletKernel, GaussianEnvelopeAndRowFrequency) {
  const int taps = 256;
  std::vector<double> kr(taps), ki(taps);
  const double f = 0.5;
  waveletKernel(kr.data(), ki.data(), taps, 10, 10, f, 12);
  // Centre tap: cos 0 times the amplitude A0 * 2^(-10/48).
  const double a0 = std::pow(3.14159265358979, 0.25) * std::pow(2.0, 1.0 / 48);
  EXPECT_NEAR(kr[128], a0 * std::pow(2.0, -10.0 / 48), 1e-12);
  EXPECT_NEAR(ki[128], 0.0, 1e-15);
  // The envelope's standard deviation is P sqrt(w) / (F r) taps.
  const double r = std::pow(2.0, 1.0 / 24);
  const double p = std::pow(r, 10);
  const double sigma = p * 4.0 / (f * r);
  const int t = 7;
  const double envelope = std::hypot(kr[128 + t], ki[128 + t]) / kr[128];
  EXPECT_NEAR(envelope, std::exp(-t * t / (2.0 * sigma * sigma)), 1e-12);
  // Its phase turns by 2 pi F / P per tap.
  EXPECT_NEAR(std::atan2(-ki[129], kr[129]), 2.0 * std::numbers::pi * f / p, 1e-9);
  // Far taps, with an exponent below the floor, are exactly zero.
  std::vector<double> wide(65536), wideIm(65536);
  waveletKernel(wide.data(), wideIm.data(), 65536, 0, 0, f, 8);
  EXPECT_EQ(wide[0], 0.0);
  EXPECT_EQ(wideIm[0], 0.0);
  EXPECT_GT(wide[32768], 0.0);
}

TEST(WaveletDecimation, FirstAtRow40For8AndRow24For16) {
  EXPECT_FALSE(waveletDecimatesAt(16, 8, 65536));
  EXPECT_TRUE(waveletDecimatesAt(40, 8, 65536));
  EXPECT_TRUE(waveletDecimatesAt(64, 8, 65536));
  EXPECT_FALSE(waveletDecimatesAt(0, 16, 65536));
  EXPECT_TRUE(waveletDecimatesAt(24, 16, 65536));
  EXPECT_FALSE(waveletDecimatesAt(24, 16, 32));
}

// The rows' lengths as they are computed: halved at each decimation, never below 32.
std::vector<int> rowLengths(WaveletVariant variant, int n, int order) {
  std::vector<double> x(n, 0.0);
  for (int i = 0; i < n; ++i) x[i] = std::sin(0.3 * i) * 1000.0;
  std::vector<float> re(n), im(n);
  std::vector<int> lengths;
  testing::CountingProgress progress;
  TransformTables tables;
  AnalysisNotes notes;
  waveletRows(
      x, variant, order, 0.5, 4000.0, re.data(), im.data(),
      [&](int, const float*, const float*, int length, double) { lengths.push_back(length); },
      tables, progress, notes);
  return lengths;
}

TEST(WaveletDecimation, NoDecimationOnceTheRowIs32Long) {
  AnalysisSetup scope;
  for (WaveletVariant variant : {WaveletVariant::kDirect, WaveletVariant::kFft}) {
    const std::vector<int> lengths = rowLengths(variant, 256, 16);
    ASSERT_EQ(lengths.size(), 256u);
    EXPECT_EQ(lengths[23], 256);
    EXPECT_EQ(lengths[24], 128);
    EXPECT_EQ(lengths[48], 64);
    EXPECT_EQ(lengths[72], 32);
    EXPECT_EQ(lengths[255], 32);
  }
  const std::vector<int> order8 = rowLengths(WaveletVariant::kFft, 1024, 8);
  EXPECT_EQ(order8[39], 1024);
  EXPECT_EQ(order8[40], 512);
  EXPECT_EQ(order8[64], 256);
}

// The rows of both variants against a plain evaluation of the circular correlation with the
// row's kernel: the direct variant's kernel grows by one tap a row from 16 taps (blockOrder 8),
// the FFT variant's spans the whole block and its values are 1/n of the correlation.
TEST(WaveletRows, EarlyRowsAreTheCircularCorrelationWithTheKernel) {
  AnalysisSetup scope;
  AnalysisNotes notes;
  auto& progress = scope.progress;
  const int n = 256;
  const int order = 8;
  const double topFraction = 5000.0 / 11025.0;
  std::vector<double> signal = testing::randomValues(n, 21, 1000.0);
  const auto reference = [&](int row, int taps, int i) {
    std::vector<double> kr(taps), ki(taps);
    waveletKernel(kr.data(), ki.data(), taps, row, row, topFraction, order);
    double re = 0.0, im = 0.0;
    for (int m = 0; m < taps; ++m) {
      const double v = signal[(n + i - taps / 2 + m) % n];
      re += v * kr[m];
      im += v * ki[m];
    }
    return std::hypot(re, im);
  };
  for (WaveletVariant variant : {WaveletVariant::kDirect, WaveletVariant::kFft}) {
    std::vector<double> x = signal;
    std::vector<float> re(n), im(n);
    const double r = std::pow(2.0, 1.0 / 24);
    int taps = 16;
    waveletRows(
        x, variant, order, topFraction, 20000.0, re.data(), im.data(),
        [&](int row, const float* rr, const float* ri, int length, double fRow) {
          if (row >= 40) return;  // the first decimation comes at row 40
          ASSERT_EQ(length, n);
          EXPECT_NEAR(fRow, 20000.0 / std::pow(r, row), 1e-8);
          const bool direct = variant == WaveletVariant::kDirect;
          for (int i : {0, 1, 100, 255}) {
            const double expected = reference(row, direct ? taps : n, i);
            const double got = std::hypot(double(rr[i]), double(ri[i])) * (direct ? 1 : n);
            EXPECT_NEAR(got, expected, 1e-5 * expected + 1e-3) << row << " " << i;
          }
          taps = taps < 32 ? taps + 1 : static_cast<int>(std::floor(taps * r + 0.5));
        },
        scope.tables, progress, notes);
  }
}

// Both variants compute the same rows: the FFT variant's values are 1/n of the direct one's, so
// with their divisors the FFT variant's levels are 8.5 times lower in power.
TEST(WaveletVariants, AgreeUpToTheLevelFactor) {
  AnalysisSetup scope;
  AnalysisNotes notes;
  auto& progress = scope.progress;
  const int n = 4096;
  const int order = 10;
  std::vector<double> signal(n);
  for (int i = 0; i < n; ++i) {
    // 205 whole periods, so the periodic continuation of the block has no seam.
    signal[i] = 3000.0 * std::sin(2.0 * std::numbers::pi * 205.0 * i / n);
  }
  std::vector<std::vector<double>> power[2];
  int variantIndex = 0;
  for (WaveletVariant variant : {WaveletVariant::kDirect, WaveletVariant::kFft}) {
    std::vector<double> x = signal;
    std::vector<float> re(n), im(n);
    const double divisor = waveletDivisor(variant, true, order, n);
    waveletRows(
        x, variant, order, 0.5, 4000.0, re.data(), im.data(),
        [&](int, const float* rr, const float* ri, int length, double) {
          std::vector<double> row(length);
          for (int i = 0; i < length; ++i) {
            row[i] = (double(rr[i]) * rr[i] + double(ri[i]) * ri[i]) / divisor;
          }
          power[variantIndex].push_back(std::move(row));
        },
        scope.tables, progress, notes);
    ++variantIndex;
  }
  ASSERT_EQ(power[0].size(), 256u);
  ASSERT_EQ(power[1].size(), 256u);
  // Compared where the rows carry the tone (within 10 dB of the block's peak). The direct
  // variant's kernel is cut at about three standard deviations after each decimation, which moves
  // its levels by up to a few percent; the far tails of the response differ more.
  double blockMax = 0.0;
  for (const auto& row : power[0]) {
    for (double v : row) blockMax = std::max(blockMax, v);
  }
  int compared = 0;
  for (int row = 0; row < 256; ++row) {
    const auto& d = power[0][row];
    const auto& f = power[1][row];
    ASSERT_EQ(d.size(), f.size()) << row;
    for (size_t i = 0; i < d.size(); ++i) {
      if (d[i] < 0.1 * blockMax) continue;
      ++compared;
      EXPECT_NEAR(d[i] / f[i], 8.5, 8.5 * 0.03) << "row " << row << " at " << i;
    }
  }
  EXPECT_GT(compared, 5000);
  // Both put the tone (205/4096 of the rate, fTop at half the rate) in the same row.
  int peakRow[2] = {0, 0};
  for (int v = 0; v < 2; ++v) {
    double best = -1.0;
    for (int row = 0; row < 256; ++row) {
      for (double p : power[v][row]) {
        if (p > best) best = p, peakRow[v] = row;
      }
    }
  }
  EXPECT_EQ(peakRow[0], peakRow[1]);
  EXPECT_NEAR(peakRow[0], 24.0 * std::log2(0.5 * n / 205.0), 1.0);
}

TEST(WaveletDepths, PinkWeightingFallsByTheRowRatio) {
  AnalysisSetup scope;
  scope.settings.pinkNoiseFlat = true;
  scope.settings.spectrumType = SpectrumScale::kPower;
  const float re[] = {1.0f}, im[] = {0.0f};
  uint8_t depth[1];
  const double r = std::pow(2.0, 1.0 / 24);
  for (int row : {0, 1, 100, 255}) {
    WaveletExtremes extremes;
    const double fRow = 20000.0 / std::pow(r, row);
    waveletDepths(depth, re, im, 1, row, fRow, 20000.0, 1.0, extremes, scope.params());
    EXPECT_NEAR(extremes.maximum, std::pow(2.0, -row / 24.0), 1e-12) << row;
    EXPECT_EQ(extremes.maximumRow, row);
  }
}

TEST(WaveletDepths, ScalesAndGains) {
  AnalysisSetup scope;
  const float re[] = {0.0f, 1.0f, 0.5f, 0.0625f}, im[] = {0.0f, 0.0f, 0.0f, 0.0f};
  uint8_t depths[4];
  WaveletExtremes extremes;
  scope.settings.spectrumType = SpectrumScale::kLog;
  for (int gain = 0; gain < 4; ++gain) {
    scope.settings.displayGain = gain;
    waveletDepths(depths, re, im, 4, 10, 1.0, 1.0, 1.0, extremes, scope.params());
    EXPECT_EQ(depths[0], 255) << gain;  // silence at the bottom in every gain
  }
  scope.settings.displayGain = 0;
  waveletDepths(depths, re, im, 4, 10, 1.0, 1.0, 1.0, extremes, scope.params());
  EXPECT_EQ(depths[1], 0);
  // ln(0.25)/25 = -0.05545; times 151 = 8.37.
  EXPECT_EQ(depths[2], 8);
  scope.settings.spectrumType = SpectrumScale::kAmplitude;  // amplitude: a = sqrt(p)
  waveletDepths(depths, re, im, 4, 10, 1.0, 1.0, 1.0, extremes, scope.params());
  EXPECT_EQ(depths[2], 127);  // 255 - 127.5
  scope.settings.displayGain = 3;
  waveletDepths(depths, re, im, 4, 10, 1.0, 1.0, 1.0, extremes, scope.params());
  EXPECT_EQ(depths[2], 0);                              // 0.5 * 8 clamps to 1
  EXPECT_EQ(depths[3], 127);                            // 255 - 255 * 0.5
  scope.settings.spectrumType = SpectrumScale::kPower;  // power, gain 1 triples
  scope.settings.displayGain = 1;
  waveletDepths(depths, re, im, 4, 10, 1.0, 1.0, 1.0, extremes, scope.params());
  EXPECT_EQ(depths[3], 252);  // 255 - 255 * 3/256
  // Rows 0..3 never set the minimum; the maximum keeps its first row.
  WaveletExtremes fresh;
  waveletDepths(depths, re, im, 4, 3, 1.0, 1.0, 1.0, fresh, scope.params());
  EXPECT_EQ(fresh.minimum, 1e36);
  EXPECT_EQ(fresh.maximum, 1.0);
  waveletDepths(depths, re, im, 4, 4, 1.0, 1.0, 1.0, fresh, scope.params());
  EXPECT_EQ(fresh.minimum, 0.0);
  EXPECT_EQ(fresh.maximumRow, 3);
}

TEST(WaveletSignal, MeanClampsAndPadding) {
  std::vector<int> samples(100, 1000);
  const std::vector<uint8_t> bytes = bytes16(samples);
  SampleBlock block{bytes.data(), static_cast<uint32_t>(bytes.size()), 16, 44};
  std::vector<double> x(128, -1.0);
  prepareWaveletSignal(x.data(), 128, block);
  EXPECT_EQ(x[0], 744.0);  // only 256 subtracted
  EXPECT_EQ(x[99], 744.0);
  EXPECT_EQ(x[100], 0.0);  // the padding stays silent
  EXPECT_EQ(x[127], 0.0);

  const std::vector<uint8_t> eight(50, 128 + 5);
  SampleBlock block8{eight.data(), 50, 8, 8};
  prepareWaveletSignal(x.data(), 64, block8);
  EXPECT_EQ(x[0], 4.0);  // mean 5, only 1 subtracted
  EXPECT_EQ(x[50], 0.0);
}

SampleBlock toneBlock(std::vector<uint8_t>& storage, int frames, int count, double frequency,
                      int srKHz) {
  std::vector<int> samples(count);
  for (int i = 0; i < count; ++i) {
    samples[i] = static_cast<int>(
        std::lround(8000.0 * std::sin(2.0 * std::numbers::pi * frequency * i / (srKHz * 1000.0))));
  }
  storage = bytes16(samples);
  (void)frames;
  return SampleBlock{storage.data(), static_cast<uint32_t>(storage.size()), 16, srKHz};
}

// The rows each block hands on: their index and length, and where the loudest depth of a row is.
struct SeenRows {
  std::vector<int> rows;
  std::vector<int> lengths;
  std::vector<std::vector<uint8_t>> depths;
  WaveletDepthSink sink() {
    return [this](int row, const uint8_t* d, const double*, int n) {
      rows.push_back(row);
      lengths.push_back(n);
      depths.emplace_back(d, d + n);
    };
  }
};

TEST(WaveletBlock, HandsOnAllRowsAndReportsThePeakRowFrequency) {
  AnalysisSetup scope;
  scope.settings.blockOrder = 8;
  std::vector<uint8_t> storage;
  // 1000 Hz at 8 kHz: fTop 4000 Hz, so the peak row is 48 rows (two octaves) down.
  const SampleBlock block = toneBlock(storage, 2048, 2048, 1000.0, 8);
  SeenRows seen;
  const WaveletResult r =
      waveletBlock(block, 2048, scope.params(), scope.tables, scope.progress, seen.sink());
  ASSERT_TRUE(r.analysed);
  ASSERT_EQ(seen.rows.size(), 256u);
  EXPECT_EQ(seen.rows.back(), 255);
  EXPECT_EQ(peakFrequencyText(r.peakFrequency), "Peak  1000Hz");
  // The peak row holds the loudest depth of the block.
  uint8_t loudest = 255;
  for (const auto& row : seen.depths)
    loudest = std::min(loudest, *std::min_element(row.begin(), row.end()));
  EXPECT_EQ(*std::min_element(seen.depths[48].begin(), seen.depths[48].end()), loudest);
  EXPECT_EQ(scope.progress.begun, std::vector<std::string>{"wavelet"});
  EXPECT_EQ(scope.progress.steps.back(), 256);
}

TEST(WaveletBlock, ShortFinalBlockIsPaddedToTheFullLength) {
  AnalysisSetup scope;
  scope.settings.blockOrder = 8;
  std::vector<uint8_t> storage;
  const SampleBlock block = toneBlock(storage, 2048, 1000, 1000.0, 8);
  SeenRows seen;
  waveletBlock(block, 2048, scope.params(), scope.tables, scope.progress, seen.sink());
  // Every row spans the whole padded block (before the rows halve the rate). Of the eight
  // columns the block is drawn in, the sixth is far from the tone on both sides and stays silent
  // (the block wraps around at its end); the second holds the tone.
  ASSERT_EQ(seen.lengths.size(), 256u);
  EXPECT_EQ(seen.lengths[0], 2048);
  const std::vector<uint8_t>& row = seen.depths[48];
  const auto loudestOfColumn = [&](int column) {
    const size_t width = row.size() / 8;
    return *std::min_element(row.begin() + long(column * width),
                             row.begin() + long((column + 1) * width));
  };
  EXPECT_EQ(loudestOfColumn(5), 255);
  EXPECT_LT(loudestOfColumn(1), 100);
}

TEST(WaveletBlock, StopKeepsTheRowsDoneAndStillGivesReadouts) {
  AnalysisSetup scope;
  scope.settings.blockOrder = 8;
  scope.progress.stopAtEvent = 10;
  std::vector<uint8_t> storage;
  const SampleBlock block = toneBlock(storage, 1024, 1024, 500.0, 8);
  SeenRows seen;
  const WaveletResult r =
      waveletBlock(block, 1024, scope.params(), scope.tables, scope.progress, seen.sink());
  ASSERT_EQ(seen.rows.size(), 9u);
  EXPECT_EQ(seen.rows.back(), 8);
  EXPECT_TRUE(r.cancelled);
  EXPECT_TRUE(r.analysed);
  using testing::diagnosticOf;
  EXPECT_EQ(diagnosticOf(r, DiagnosticLine::kBlockMinimum).rfind("min=", 0), 0u);
  EXPECT_EQ(diagnosticOf(r, DiagnosticLine::kBlockMaximum).rfind("Max ", 0), 0u);
}

TEST(WaveletBlock, FailuresComeBackAsFatalMessages) {
  AnalysisSetup scope;
  std::vector<uint8_t> storage(16, 0);
  const SampleBlock tooLong{storage.data(), 16, 16, 44};
  SeenRows seen;
  WaveletResult r =
      waveletBlock(tooLong, 131072, scope.params(), scope.tables, scope.progress, seen.sink());
  EXPECT_TRUE(r.failed());
  EXPECT_EQ(testing::messageTexts(r), std::vector<std::string>{"GNSIZE=65536 num=131072"});
  EXPECT_TRUE(seen.rows.empty());

  // The signal and the depth array report "wavelet", the partner and kernels "wt error".
  const char* expected[] = {"wavelet", "wavelet", "wt error", "wt error", "wt error"};
  scope.settings.blockOrder = 8;
  std::vector<uint8_t> tone(512, 1);
  const SampleBlock block{tone.data(), 512, 16, 8};
  for (int which = 1; which <= 5; ++which) {
    scope.tables.scratch.failAfter(which);
    r = waveletBlock(block, 256, scope.params(), scope.tables, scope.progress, seen.sink());
    EXPECT_TRUE(r.failed()) << which;
    EXPECT_EQ(testing::messageTexts(r), std::vector<std::string>{expected[which - 1]}) << which;
    EXPECT_TRUE(seen.rows.empty());
  }
}

TEST(WaveletBlock, NothingAtZeroKilohertz) {
  AnalysisSetup scope;
  std::vector<uint8_t> storage(64, 0);
  const SampleBlock block{storage.data(), 64, 16, 0};
  SeenRows seen;
  const WaveletResult r =
      waveletBlock(block, 32, scope.params(), scope.tables, scope.progress, seen.sink());
  EXPECT_FALSE(r.analysed);
  EXPECT_TRUE(seen.rows.empty());
}

}  // namespace
}  // namespace korimu

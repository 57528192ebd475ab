#include "analysis/level_map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "analysis_test_support.h"

namespace korimu {
namespace {

using testing::AnalysisSetup;
using testing::depthNow;

constexpr SpectrumScale kAmplitude = SpectrumScale::kAmplitude, kPower = SpectrumScale::kPower,
                        kLog = SpectrumScale::kLog;

TEST(LevelMap, SilenceIsTheBottomRowInEveryScaleAndGain) {
  AnalysisSetup scope;
  scope.settings.pinkNoiseFlat = false;
  for (SpectrumScale type : {kAmplitude, kPower, kLog}) {
    for (int gain = 0; gain <= 3; ++gain) {
      scope.settings.spectrumType = type;
      scope.settings.displayGain = gain;
      EXPECT_EQ(depthNow(scope.settings, 0.0), 255) << int(type) << ' ' << gain;
    }
  }
}

TEST(LevelMap, LogScaleGainsSpanTheirDecibelRanges) {
  AnalysisSetup scope;
  scope.settings.spectrumType = kLog;
  // One unit of L is 25 nepers: q = e^(-25 L).
  auto q = [](double level) { return std::exp(25.0 * level); };
  scope.settings.displayGain = 0;
  EXPECT_EQ(depthNow(scope.settings, 1.0), 0);
  EXPECT_EQ(depthNow(scope.settings, q(-1.0)), 127);  // trunc(127.5)
  EXPECT_EQ(depthNow(scope.settings, q(-3.0)), 255);
  scope.settings.displayGain = 1;
  EXPECT_EQ(depthNow(scope.settings, q(-0.5)), 127);
  EXPECT_EQ(depthNow(scope.settings, q(-1.2)), 255);
  scope.settings.displayGain = 2;
  EXPECT_EQ(depthNow(scope.settings, q(-0.5)), 170);
  EXPECT_EQ(depthNow(scope.settings, q(-0.8)), 255);
  scope.settings.displayGain = 3;
  // Levels above -10.9 dB (L = -0.1) are drawn at the top.
  EXPECT_EQ(depthNow(scope.settings, std::pow(10.0, -10.0 / 10.0)), 0);
  EXPECT_EQ(depthNow(scope.settings, 1.0), 0);
  EXPECT_EQ(depthNow(scope.settings, q(-0.35)), 127);  // (0.25) * 510 = 127.5
  EXPECT_EQ(depthNow(scope.settings, q(-0.7)), 255);
}

TEST(LevelMap, AmplitudeAndPowerScalesWithTheirGains) {
  AnalysisSetup scope;
  scope.settings.spectrumType = kAmplitude;
  scope.settings.displayGain = 0;
  EXPECT_EQ(depthNow(scope.settings, 0.955), 5);  // A = 0.9772
  EXPECT_EQ(depthNow(scope.settings, 0.25), 127);
  scope.settings.displayGain = 1;
  EXPECT_EQ(depthNow(scope.settings, 0.25 / 4.0), 127);
  scope.settings.displayGain = 3;
  EXPECT_EQ(depthNow(scope.settings, 0.25 / 64.0), 127);
  EXPECT_EQ(depthNow(scope.settings, 1.0), 0);  // clamped

  scope.settings.spectrumType = kPower;
  scope.settings.displayGain = 0;
  EXPECT_EQ(depthNow(scope.settings, 0.5), 127);
  scope.settings.displayGain = 2;
  EXPECT_EQ(depthNow(scope.settings, 0.125), 127);
  scope.settings.displayGain = 3;  // 16, not 8
  EXPECT_EQ(depthNow(scope.settings, 0.5 / 16.0), 127);
  EXPECT_EQ(depthNow(scope.settings, 0.5 / 8.0), 0);
}

TEST(LevelMap, NoInputLeavesTheDepthRange) {
  AnalysisSetup scope;
  const double odd[] = {std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity(), -1.0, 1e300};
  for (SpectrumScale type : {kAmplitude, kPower, kLog}) {
    for (int gain = 0; gain <= 3; ++gain) {
      scope.settings.spectrumType = type;
      scope.settings.displayGain = gain;
      for (double q : odd) {
        const int d = depthNow(scope.settings, q);
        EXPECT_GE(d, 0);
        EXPECT_LE(d, 255);
      }
    }
  }
}

TEST(LevelMap, MapsHalfTheSizeAndPinkWeightingTiltsAndZeroesBinZero) {
  AnalysisSetup scope;
  scope.settings.spectrumType = kPower;
  scope.settings.displayGain = 0;
  const int n = 16;
  std::vector<double> re(n, 0.0), im(n, 0.0);
  for (int k = 0; k < n / 2; ++k) re[k] = std::sqrt(0.5 * 1000.0);  // q = 0.5 with divisor 1000
  re[n / 2] = 1e9;                                                  // outside the mapped half
  std::vector<uint8_t> depths(n, 77);
  levelMap(depths.data(), re.data(), im.data(), n, 1000.0, scope.params());
  for (int k = 0; k < n / 2; ++k) EXPECT_EQ(depths[k], 127) << k;
  EXPECT_EQ(depths[n / 2], 77);

  scope.settings.pinkNoiseFlat = true;
  levelMap(depths.data(), re.data(), im.data(), n, 1000.0, scope.params());
  EXPECT_EQ(depths[0], 255);  // weight 0
  EXPECT_EQ(depths[4], 191);  // weight 4/16*2 = 0.5: q = 0.25
  EXPECT_EQ(depths[2], static_cast<uint8_t>(255.0 - 0.125 * 255.0));
}

TEST(PeakReadout, FrequencyKeepsFiveDigitsAndPowerIsExponential) {
  EXPECT_EQ(peakFrequencyText(0.0), "Peak 0.000Hz");
  EXPECT_EQ(peakFrequencyText(9.9994), "Peak 9.999Hz");
  EXPECT_EQ(peakFrequencyText(9.9995), "Peak 10.00Hz");
  EXPECT_EQ(peakFrequencyText(99.995), "Peak 100.0Hz");
  EXPECT_EQ(peakFrequencyText(999.95), "Peak  1000Hz");
  EXPECT_EQ(peakFrequencyText(2756.25), "Peak  2756Hz");
  EXPECT_EQ(peakFrequencyText(21.533203125), "Peak 21.53Hz");
  EXPECT_EQ(peakPowerText(0.0), "Pow 0.0e+00");
  EXPECT_EQ(peakPowerText(6.68e7), "Pow 6.7e+07");
  EXPECT_EQ(peakFrequencyText(440.0), "Peak 440.0Hz");
  EXPECT_EQ(peakPowerText(1234.5), "Pow 1.2e+03");
}

}  // namespace
}  // namespace korimu

#include "analysis/level_map.h"

#include <cmath>

#include "platform/message.h"

namespace korimu {

namespace {

enum SpectrumType { kAmplitude = 0, kPower = 1, kLogarithmic = 2 };

double clamp(double v, double low, double high) {
  // Written so that NaN ends at the low end rather than passing through.
  if (!(v >= low)) return low;
  if (v > high) return high;
  return v;
}

// One unit of L is 25 nepers of power (108.574 dB); the gains choose how many units fill the
// 256 rows.
uint8_t logDepth(double q, int gain) {
  if (!(q > 1e-30)) q = 1e-30;
  const double level = std::log(q) / 25.0;
  switch (gain) {
    case 0:
      return static_cast<uint8_t>(-clamp(level, -2.0, 0.0) * 127.5);
    case 2:
      return static_cast<uint8_t>(-clamp(level, -0.75, 0.0) * 340.0);
    case 3:
      return static_cast<uint8_t>(-(clamp(level, -0.6, -0.1) + 0.1) * 510.0);
    default:
      return static_cast<uint8_t>(-clamp(level, -1.0, 0.0) * 255.0);
  }
}

uint8_t amplitudeDepth(double q, int gain) {
  static constexpr double kGain[] = {1.0, 2.0, 4.0, 8.0};
  const int g = gain >= 0 && gain <= 3 ? gain : 1;
  const double a = clamp(std::sqrt(q) * kGain[g], 0.0, 1.0);
  return static_cast<uint8_t>(255.0 - a * 255.0);
}

uint8_t powerDepth(double q, int gain) {
  static constexpr double kGain[] = {1.0, 2.0, 4.0, 16.0};
  const int g = gain >= 0 && gain <= 3 ? gain : 1;
  const double p = clamp(q * kGain[g], 0.0, 1.0);
  return static_cast<uint8_t>(255.0 - p * 255.0);
}

// The depth of q under one scale and gain (inlined into the mapping loops).
inline uint8_t depthFor(double q, int type, int gain) {
  switch (type) {
    case kAmplitude:
      return amplitudeDepth(q, gain);
    case kPower:
      return powerDepth(q, gain);
    default:
      return logDepth(q, gain);
  }
}

template <int kType>
void mapLevels(uint8_t* depths, const double* re, const double* im, int n, double divisor,
               bool pink, int gain) {
  for (int k = 0; k < n / 2; ++k) {
    double q = (re[k] * re[k] + im[k] * im[k]) / divisor;
    // +3 dB per octave, so that pink noise draws flat.
    if (pink) q = q * k / n * 2.0;
    depths[k] = depthFor(q, kType, gain);
  }
}

}  // namespace

uint8_t depthOfLevel(double q, SpectrumScale scale, int gain) {
  return depthFor(q, static_cast<int>(scale), gain);
}

void levelMap(uint8_t* depths, const double* re, const double* im, int n, double divisor,
              const AnalysisParams& params) {
  // The params are read once: the depth stores could otherwise alias them.
  const bool pink = params.pinkNoiseFlat;
  const int gain = params.displayGain;
  switch (static_cast<int>(params.scale)) {
    case kAmplitude:
      mapLevels<kAmplitude>(depths, re, im, n, divisor, pink, gain);
      break;
    case kPower:
      mapLevels<kPower>(depths, re, im, n, divisor, pink, gain);
      break;
    default:
      mapLevels<kLogarithmic>(depths, re, im, n, divisor, pink, gain);
      break;
  }
}

std::string peakFrequencyText(double frequency) {
  if (frequency >= 999.95) return formatText("Peak %5.0fHz", frequency);
  if (frequency >= 99.995) return formatText("Peak %5.1fHz", frequency);
  if (frequency >= 9.9995) return formatText("Peak %5.2fHz", frequency);
  return formatText("Peak %5.3fHz", frequency);
}

std::string peakPowerText(double power) {
  return formatText("Pow%8.1e", power);
}

}  // namespace korimu

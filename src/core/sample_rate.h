// The two rate families the program counts in. A rate that is a whole multiple of 11 kHz belongs
// to the CD family: its timings count steps of 11025 Hz, and 11, 22, 44 and 88 kHz stand for
// exactly 11025, 22050, 44100 and 88200 Hz. Every other rate counts steps of 8000 Hz and stands
// for its kHz times 1000. Files carry their rate as whole kHz (44 for 44100 Hz).
#pragma once

#include <algorithm>
#include <cstdint>

namespace korimu {

class SampleRate {
 public:
  // The base rates timings count in: one "sample" of a time setting is one step of these.
  static constexpr int kCdBaseHz = 11025;
  static constexpr int kOtherBaseHz = 8000;

  constexpr explicit SampleRate(int kHz) : kHz_(kHz) {}

  constexpr int kHz() const { return kHz_; }
  // Every multiple of 11 kHz (33 and 66 as well, and 0 when no file is open).
  constexpr bool cdFamily() const { return kHz_ % 11 == 0; }
  // 0, 1, 2, 3 for 11, 22, 44 and 88 kHz, the rates that are 11025 Hz times a power of two; -1
  // for every other rate. Label tables of the CD family have one column per step.
  constexpr int cdStep() const {
    switch (kHz_) {
      case 11:
        return 0;
      case 22:
        return 1;
      case 44:
        return 2;
      case 88:
        return 3;
      default:
        return -1;
    }
  }
  // The rate the analysers and the frequency axes take: 44100 Hz for 44, else kHz times 1000
  // (held within 32 bits: the reader refuses rates this high, but nothing here may overflow).
  constexpr int hz() const {
    if (cdStep() >= 0) return kCdBaseHz << cdStep();
    return int(std::clamp<int64_t>(int64_t{kHz_} * 1000, INT32_MIN, INT32_MAX));
  }
  constexpr double nyquistHz() const { return hz() / 2.0; }
  // The round frequency the labels of a frequency axis start from: 20000 Hz at 44.1 kHz (the
  // axis itself ends at 22050), the Nyquist frequency of every other rate.
  constexpr double roundTopHz() const {
    return cdStep() >= 0 ? 5000.0 * (1 << cdStep()) : nyquistHz();
  }
  // The wavelet chart's top row as a fraction of the rate: 5000/11025 in the CD family (20000 Hz
  // at 44.1 kHz), one half else.
  constexpr double waveletTopFraction() const { return cdFamily() ? 5000.0 / kCdBaseHz : 0.5; }
  // Frames of this rate in one step of the base rate: kHz / 11 in the CD family, kHz / 8 else.
  // NOLINTNEXTLINE(bugprone-integer-division): a whole number of frames in the CD family
  constexpr double framesPerBaseStep() const { return cdFamily() ? double(kHz_ / 11) : kHz_ / 8.0; }

 private:
  int kHz_;
};

// Bytes that `steps` steps of 11025 Hz take at this byte rate, or steps of 8000 Hz when the byte
// rate is no multiple of 11025 (rounded down when it is no multiple of 8000 either).
constexpr uint64_t bytesOfBaseSteps(uint32_t bytesPerSecond, uint64_t steps) {
  if (bytesPerSecond % SampleRate::kCdBaseHz == 0)
    return uint64_t{bytesPerSecond / SampleRate::kCdBaseHz} * steps;
  if (bytesPerSecond % SampleRate::kOtherBaseHz == 0)
    return uint64_t{bytesPerSecond / SampleRate::kOtherBaseHz} * steps;
  return static_cast<uint64_t>(bytesPerSecond / double(SampleRate::kOtherBaseHz) *
                               static_cast<double>(steps));
}

}  // namespace korimu

// One block of mono PCM samples as the run driver hands it to an analyser: 16-bit signed
// little-endian values, or 8-bit unsigned bytes whose silence is 128.
#pragma once

#include <cstdint>

#include "core/sample_rate.h"

namespace korimu {

struct SampleBlock {
  const uint8_t* bytes = nullptr;
  uint32_t length = 0;     // in bytes
  int bitsPerSample = 16;  // 16 or 8
  int32_t srKHz = 44;      // the file's rate in kHz (44 stands for 44100 Hz)

  SampleRate rate() const { return SampleRate(srKHz); }
  bool sixteenBit() const { return bitsPerSample == 16; }
  // Whole samples in the block (a stray odd byte of 16-bit data is ignored).
  int32_t sampleCount() const {
    return sixteenBit() ? static_cast<int32_t>(length / 2) : static_cast<int32_t>(length);
  }
  // Sample i as a signed value: the 16-bit value itself, or the byte minus 128.
  int32_t sample(int32_t i) const {
    if (sixteenBit()) {
      const uint32_t lo = bytes[2 * i];
      const uint32_t hi = bytes[2 * i + 1];
      return static_cast<int16_t>(static_cast<uint16_t>(lo | (hi << 8)));
    }
    return static_cast<int32_t>(bytes[i]) - 128;
  }
};

}  // namespace korimu

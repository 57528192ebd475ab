// Crafted WAV files for the shell's tests: a plain PCM recording described by its fields.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "wave/wav_builder.h"

namespace korimu::testing {

struct CraftedWav {
  uint16_t formatTag = 1;
  uint16_t channels = 1;
  uint32_t sampleRate = 11025;
  uint16_t bitsPerSample = 8;
  std::vector<uint8_t> data;
  std::vector<uint8_t> trailingChunk;  // a "LIST" chunk after the data when not empty
};

inline std::vector<uint8_t> wavBytes(const CraftedWav& w) {
  FormatFields format;
  format.tag = w.formatTag;
  format.channels = w.channels;
  format.rate = w.sampleRate;
  format.bits = w.bitsPerSample;
  return waveFile(format, w.data, w.trailingChunk);
}

inline std::string writeWav(const std::filesystem::path& path, const CraftedWav& w) {
  return writeFile(path, wavBytes(w));
}

}  // namespace korimu::testing

// WAV headers for the dialog tests, with "fmt " chunks of any size, and the folder they go in.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "wave/wav_builder.h"

namespace korimu::testing {

// "fmt " chunk of size `fmtSize` (16 or more; bytes past the PCM fields are zero except cbSize).
inline ByteWriter pcmHeader(uint32_t riffSize, uint32_t fmtSize, uint16_t tag, uint16_t channels,
                            uint32_t rate, uint16_t bits, uint16_t cbSize = 0) {
  FormatFields format;
  format.tag = tag;
  format.channels = channels;
  format.rate = rate;
  format.bits = bits;
  ByteWriter b;
  b.id("RIFF").u32(riffSize).id("WAVE").id("fmt ").u32(fmtSize).raw(fmtData(format));
  if (fmtSize >= 18)
    b.u16(cbSize).zeros(fmtSize - 18);
  else
    b.zeros(fmtSize - 16);
  return b;
}

inline std::filesystem::path writeTempFile(const std::string& name, const ByteWriter& bytes) {
  const auto path = processFolder("dialog-tests") / name;
  writeFile(path, bytes.bytes());
  return path;
}

}  // namespace korimu::testing

// Builds WAV-like byte images for the tests and writes them into a temporary folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace korimu::testing {

class Bytes {
 public:
  Bytes& id(const char (&four)[5]) {
    data_.insert(data_.end(), four, four + 4);
    return *this;
  }
  Bytes& u32(uint32_t v) {
    for (int i = 0; i < 4; ++i) data_.push_back(uint8_t(v >> (8 * i)));
    return *this;
  }
  Bytes& u16(uint16_t v) {
    data_.push_back(uint8_t(v));
    data_.push_back(uint8_t(v >> 8));
    return *this;
  }
  Bytes& zeros(size_t n) {
    data_.insert(data_.end(), n, 0);
    return *this;
  }
  // Overwrites four bytes at `offset` with a little-endian value.
  Bytes& patch32(size_t offset, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) data_.at(offset + i) = uint8_t(v >> (8 * i));
    return *this;
  }
  const std::vector<uint8_t>& data() const { return data_; }
  size_t size() const { return data_.size(); }
  void truncate(size_t n) { data_.resize(n); }

 private:
  std::vector<uint8_t> data_;
};

// "fmt " chunk of size `fmtSize` (16 or more; bytes past the PCM fields are zero except cbSize).
inline Bytes pcmHeader(uint32_t riffSize, uint32_t fmtSize, uint16_t tag, uint16_t channels,
                       uint32_t rate, uint16_t bits, uint16_t cbSize = 0) {
  Bytes b;
  const uint16_t align = uint16_t(channels * bits / 8);
  b.id("RIFF").u32(riffSize).id("WAVE").id("fmt ").u32(fmtSize);
  b.u16(tag).u16(channels).u32(rate).u32(rate * align).u16(align).u16(bits);
  if (fmtSize >= 18)
    b.u16(cbSize).zeros(fmtSize - 18);
  else
    b.zeros(fmtSize - 16);
  return b;
}

inline std::filesystem::path writeTempFile(const std::string& name, const Bytes& bytes) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("korimu_dialog_tests_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const auto path = dir / name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data().data()), std::streamsize(bytes.size()));
  return path;
}

}  // namespace korimu::testing

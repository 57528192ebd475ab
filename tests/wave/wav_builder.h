// Crafted RIFF files for tests, written into a fresh temporary folder.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace korimu::testing {

class ByteWriter {
 public:
  ByteWriter& u8(uint8_t v) {
    bytes_.push_back(v);
    return *this;
  }
  ByteWriter& u16(uint16_t v) { return u8(uint8_t(v)).u8(uint8_t(v >> 8)); }
  ByteWriter& u32(uint32_t v) { return u16(uint16_t(v)).u16(uint16_t(v >> 16)); }
  ByteWriter& id(const char* fourChars) {
    for (int i = 0; i < 4; ++i) u8(uint8_t(fourChars[i]));
    return *this;
  }
  ByteWriter& raw(const std::vector<uint8_t>& more) {
    bytes_.insert(bytes_.end(), more.begin(), more.end());
    return *this;
  }
  // A chunk with its header, its data and the pad byte of an odd size.
  ByteWriter& chunk(const char* fourChars, const std::vector<uint8_t>& data) {
    id(fourChars).u32(uint32_t(data.size())).raw(data);
    if (data.size() & 1) u8(0);
    return *this;
  }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

struct FormatFields {
  uint16_t tag = 1;
  uint16_t channels = 2;
  uint32_t rate = 44100;
  uint16_t bits = 16;
  // 0 means "derived from the fields above".
  uint32_t bytesPerSecond = 0;
  uint16_t blockAlign = 0;
  bool zeroBlockAlign = false;
};

inline std::vector<uint8_t> fmtData(const FormatFields& f) {
  const uint16_t align = f.zeroBlockAlign ? 0
                         : f.blockAlign   ? f.blockAlign
                                          : uint16_t(f.channels * f.bits / 8);
  const uint32_t perSecond = f.bytesPerSecond ? f.bytesPerSecond : f.rate * align;
  ByteWriter w;
  w.u16(f.tag).u16(f.channels).u32(f.rate).u32(perSecond).u16(align).u16(f.bits);
  return w.bytes();
}

// RIFF "WAVE" around the given chunk bytes; riffSize 0 means the true size.
inline std::vector<uint8_t> riffWave(const std::vector<uint8_t>& chunks, uint32_t riffSize = 0) {
  ByteWriter w;
  w.id("RIFF").u32(riffSize ? riffSize : uint32_t(chunks.size() + 4)).id("WAVE").raw(chunks);
  return w.bytes();
}

inline std::vector<uint8_t> simpleWave(const FormatFields& f, uint32_t dataBytes) {
  ByteWriter chunks;
  chunks.chunk("fmt ", fmtData(f));
  std::vector<uint8_t> data(dataBytes);
  for (uint32_t i = 0; i < dataBytes; ++i) data[i] = uint8_t(i * 7);
  chunks.chunk("data", data);
  return riffWave(chunks.bytes());
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korimu-test-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const auto file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return file.string();
  }

 private:
  std::filesystem::path path_;
};

}  // namespace korimu::testing

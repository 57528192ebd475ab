// The one place the tests write RIFF/WAVE bytes and temporary folders: a little-endian byte
// writer, the "fmt " fields, whole wave files and the folders they are written into.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
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
  ByteWriter& zeros(size_t count) {
    bytes_.insert(bytes_.end(), count, 0);
    return *this;
  }
  // A chunk with its header, its data and the pad byte of an odd size.
  ByteWriter& chunk(const char* fourChars, const std::vector<uint8_t>& data) {
    id(fourChars).u32(uint32_t(data.size())).raw(data);
    if (data.size() & 1) u8(0);
    return *this;
  }
  // Overwrites four bytes at `offset` with a little-endian value.
  ByteWriter& patch32(size_t offset, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) bytes_.at(offset + i) = uint8_t(v >> (8 * i));
    return *this;
  }
  void truncate(size_t size) { bytes_.resize(size); }
  size_t size() const { return bytes_.size(); }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// One signed 16-bit sample, low byte first.
inline void appendPcm16(std::vector<uint8_t>& out, int value) {
  const auto u = static_cast<uint16_t>(static_cast<int16_t>(value));
  out.push_back(uint8_t(u));
  out.push_back(uint8_t(u >> 8));
}

// Sample values of a mono 16-bit file, or interleaved frames of a stereo one.
inline std::vector<uint8_t> pcm16(const std::vector<int>& values) {
  std::vector<uint8_t> b;
  for (int v : values) appendPcm16(b, v);
  return b;
}

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

// "fmt ", "data" and, when given, a "LIST" chunk after the data.
inline std::vector<uint8_t> waveFile(const FormatFields& format, const std::vector<uint8_t>& data,
                                     const std::vector<uint8_t>& trailingList = {}) {
  ByteWriter chunks;
  chunks.chunk("fmt ", fmtData(format));
  chunks.chunk("data", data);
  if (!trailingList.empty()) chunks.chunk("LIST", trailingList);
  return riffWave(chunks.bytes());
}

// A wave file whose data is `dataBytes` of a repeating byte pattern.
inline std::vector<uint8_t> simpleWave(const FormatFields& f, uint32_t dataBytes) {
  std::vector<uint8_t> data(dataBytes);
  for (uint32_t i = 0; i < dataBytes; ++i) data[i] = uint8_t(i * 7);
  return waveFile(f, data);
}

inline std::string writeFile(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return file.string();
}

inline std::vector<uint8_t> readFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The little-endian 32-bit field at byte `at` of a file read back.
inline uint32_t le32(const std::vector<uint8_t>& bytes, size_t at) {
  return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
         uint32_t(bytes[at + 3]) << 24;
}

// A folder for the whole test program, named after it and the process. It outlives the tests,
// so that windows still reading a file find it, and is removed when the program exits.
inline std::filesystem::path processFolder(const std::string& name) {
  struct RemovedAtExit {
    std::vector<std::filesystem::path> folders;
    ~RemovedAtExit() {
      std::error_code ignored;
      for (const auto& folder : folders) std::filesystem::remove_all(folder, ignored);
    }
  };
  static RemovedAtExit made;
  auto dir = std::filesystem::temp_directory_path() /
             ("korimu-" + name + "-" + std::to_string(::getpid()));
  if (std::filesystem::create_directories(dir)) made.folders.push_back(dir);
  return dir;
}

// A fresh folder removed with its contents when the scope ends.
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
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    return writeFile(path_ / name, bytes);
  }

 private:
  std::filesystem::path path_;
};

}  // namespace korimu::testing

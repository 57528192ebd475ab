// Crafted WAV files for the shell's tests, written into a temporary folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace korimu::testing {

struct CraftedWav {
  uint16_t formatTag = 1;
  uint16_t channels = 1;
  uint32_t sampleRate = 11025;
  uint16_t bitsPerSample = 8;
  std::vector<uint8_t> data;
  std::vector<uint8_t> trailingChunk;  // a "LIST" chunk after the data when not empty
};

inline void putLe(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

inline void putId(std::vector<uint8_t>& out, const char* id) {
  out.insert(out.end(), id, id + 4);
}

inline std::vector<uint8_t> wavBytes(const CraftedWav& w) {
  const uint16_t blockAlign = uint16_t(w.channels * (w.bitsPerSample / 8));
  std::vector<uint8_t> body;
  putId(body, "WAVE");
  putId(body, "fmt ");
  putLe(body, 16, 4);
  putLe(body, w.formatTag, 2);
  putLe(body, w.channels, 2);
  putLe(body, w.sampleRate, 4);
  putLe(body, w.sampleRate * blockAlign, 4);
  putLe(body, blockAlign, 2);
  putLe(body, w.bitsPerSample, 2);
  putId(body, "data");
  putLe(body, uint32_t(w.data.size()), 4);
  body.insert(body.end(), w.data.begin(), w.data.end());
  if (w.data.size() % 2 != 0) body.push_back(0);
  if (!w.trailingChunk.empty()) {
    putId(body, "LIST");
    putLe(body, uint32_t(w.trailingChunk.size()), 4);
    body.insert(body.end(), w.trailingChunk.begin(), w.trailingChunk.end());
  }
  std::vector<uint8_t> file;
  putId(file, "RIFF");
  putLe(file, uint32_t(body.size()), 4);
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

// A fresh temporary folder for one test program.
inline std::filesystem::path testFolder(const std::string& name) {
  auto dir = std::filesystem::temp_directory_path() /
             ("korimu-" + name + "-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  return dir;
}

inline std::string writeWav(const std::filesystem::path& path, const CraftedWav& w) {
  const std::vector<uint8_t> bytes = wavBytes(w);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path.string();
}

}  // namespace korimu::testing

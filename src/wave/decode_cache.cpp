#include "wave/decode_cache.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <vector>

namespace korimu {

namespace fs = std::filesystem;

namespace {

// FNV-1a: a stable 64-bit name for the key text (std::hash may differ between builds).
uint64_t fnv1a(const std::string& text) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 0x100000001b3ull;
  }
  return hash;
}

uint32_t le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void put16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

void put32(uint8_t* p, uint32_t v) {
  put16(p, v);
  put16(p + 2, v >> 16);
}

}  // namespace

std::string cacheNameFor(const std::string& sourcePath) {
  struct stat st {};
  if (::stat(sourcePath.c_str(), &st) != 0) return {};
  std::error_code ec;
  fs::path absolute = fs::absolute(sourcePath, ec);
  if (ec) absolute = sourcePath;
  const std::string key = absolute.lexically_normal().string() + '\0' + std::to_string(st.st_size) +
                          '\0' + std::to_string(st.st_mtim.tv_sec) + '.' +
                          std::to_string(st.st_mtim.tv_nsec);
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.wav", static_cast<unsigned long long>(fnv1a(key)));
  return name;
}

void writeCopyHeader(uint8_t (&h)[44], uint32_t rate, int channels, uint32_t dataBytes) {
  const uint32_t align = uint32_t(channels) * 2;
  std::copy_n("RIFF", 4, h);
  put32(h + 4, 36 + dataBytes);
  std::copy_n("WAVEfmt ", 8, h + 8);
  put32(h + 16, 16);
  put16(h + 20, 1);
  put16(h + 22, uint32_t(channels));
  put32(h + 24, rate);
  put32(h + 28, rate * align);
  put16(h + 32, align);
  put16(h + 34, 16);
  std::copy_n("data", 4, h + 36);
  put32(h + 40, dataBytes);
}

bool isWholeCopy(const fs::path& copy, uint32_t rate, int channels) {
  std::error_code ec;
  const uint64_t size = fs::file_size(copy, ec);
  if (ec || size <= 44 || size > 0xFFFFFFFFull) return false;
  uint8_t header[44];
  std::ifstream in(copy, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return false;
  const uint32_t dataBytes = le32(header + 40);
  uint8_t expected[44];
  writeCopyHeader(expected, rate, channels, dataBytes);
  return std::equal(std::begin(header), std::end(header), std::begin(expected)) &&
         dataBytes == size - 44 && dataBytes % (uint32_t(channels) * 2) == 0;
}

void trimCache(const fs::path& folder, uint64_t limitBytes, const fs::path& keep) {
  struct Copy {
    fs::path path;
    fs::file_time_type time;
    uint64_t size;
  };
  std::vector<Copy> copies;
  uint64_t total = 0;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    if (entry.path().extension() != ".wav" || !entry.is_regular_file(ec)) continue;
    const uint64_t size = entry.file_size(ec);
    if (ec) continue;
    const fs::file_time_type time = entry.last_write_time(ec);
    if (ec) continue;
    copies.push_back({entry.path(), time, size});
    total += size;
  }
  std::sort(copies.begin(), copies.end(),
            [](const Copy& a, const Copy& b) { return a.time < b.time; });
  for (const Copy& c : copies) {
    if (total <= limitBytes) break;
    if (c.path == keep) continue;
    if (fs::remove(c.path, ec)) total -= c.size;
  }
}

}  // namespace korimu

#include "png_file.h"

#include <zlib.h>

#include <array>
#include <cstring>
#include <fstream>
#include <iterator>

namespace korimu::testing {

namespace {

constexpr std::array<uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void putU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

uint32_t getU32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void putChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
  putU32(out, uint32_t(data.size()));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, out.data() + typeAt, uInt(4 + data.size()));
  putU32(out, uint32_t(crc));
}

}  // namespace

bool writePng(const std::string& path, const Canvas& canvas) {
  const int w = canvas.width(), h = canvas.height();
  std::vector<uint8_t> raw;
  raw.reserve(size_t(h) * (1 + 3 * size_t(w)));
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);  // filter: none
    for (int x = 0; x < w; ++x) {
      const Rgb c = canvas.getPixel(x, y);
      raw.insert(raw.end(), {c.r, c.g, c.b});
    }
  }
  uLongf packedSize = compressBound(uLong(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 9) != Z_OK) return false;
  packed.resize(packedSize);

  std::vector<uint8_t> header;
  putU32(header, uint32_t(w));
  putU32(header, uint32_t(h));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, deflate, no interlace
  std::vector<uint8_t> file(kSignature.begin(), kSignature.end());
  putChunk(file, "IHDR", header);
  putChunk(file, "IDAT", packed);
  putChunk(file, "IEND", {});
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
  return bool(out);
}

bool readPng(const std::string& path, RgbImage* image) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), {}};
  if (file.size() < 8 || std::memcmp(file.data(), kSignature.data(), 8) != 0) return false;
  std::vector<uint8_t> packed;
  int w = 0, h = 0;
  size_t at = 8;
  while (at + 12 <= file.size()) {
    const uint32_t length = getU32(&file[at]);
    if (at + 12 + length > file.size()) return false;
    const char* type = reinterpret_cast<const char*>(&file[at + 4]);
    const uint8_t* data = &file[at + 8];
    if (std::memcmp(type, "IHDR", 4) == 0) {
      if (length != 13 || data[8] != 8 || data[9] != 2 || data[12] != 0) return false;
      w = int(getU32(data));
      h = int(getU32(data + 4));
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      packed.insert(packed.end(), data, data + length);
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      break;
    }
    at += 12 + length;
  }
  if (w <= 0 || h <= 0 || w > 8192 || h > 8192) return false;
  const size_t stride = 1 + 3 * size_t(w);
  std::vector<uint8_t> raw(stride * size_t(h));
  uLongf rawSize = uLongf(raw.size());
  if (uncompress(raw.data(), &rawSize, packed.data(), uLong(packed.size())) != Z_OK ||
      rawSize != raw.size()) {
    return false;
  }
  image->width = w;
  image->height = h;
  image->pixels.assign(size_t(w) * size_t(h), 0);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = &raw[size_t(y) * stride];
    if (row[0] != 0) return false;
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = row + 1 + 3 * x;
      image->pixels[size_t(y) * size_t(w) + size_t(x)] =
          (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
    }
  }
  return true;
}

}  // namespace korimu::testing

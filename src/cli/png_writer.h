// PNG files of canvas areas: 8-bit RGB, one IDAT of stored (uncompressed) deflate blocks, so no
// compression library is needed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace korimu {

// The PNG bytes of the w x h area at (x, y) of the canvas (pixels outside it are black).
std::vector<uint8_t> encodePng(const Canvas& canvas, int x, int y, int w, int h);

// Writes that area to `path`; false when the file cannot be written.
bool writePng(const std::string& path, const Canvas& canvas, int x, int y, int w, int h);

// CRC-32 (ISO 3309) and Adler-32 as PNG and zlib use them.
uint32_t crc32Of(const uint8_t* bytes, size_t n, uint32_t crc = 0);
uint32_t adler32Of(const uint8_t* bytes, size_t n);

}  // namespace korimu

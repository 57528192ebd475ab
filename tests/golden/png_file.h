// A small PNG writer and reader for canvas snapshots: 8-bit RGB, no interlace, and on reading
// only the plain (filter 0) rows this writer produces.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace korimu::testing {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, row by row
};

bool writePng(const std::string& path, const Canvas& canvas);
// False when the file is missing or not a PNG of the form writePng produces.
bool readPng(const std::string& path, RgbImage* image);

}  // namespace korimu::testing

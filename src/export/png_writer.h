// PNG files of canvas areas: 8-bit RGB, compressed by libpng.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace korimu {

// The PNG bytes of the w x h area at (x, y) of the canvas (pixels outside it are black); empty
// when the encoder fails.
std::vector<uint8_t> encodePng(const Canvas& canvas, int x, int y, int w, int h);

// Writes that area to `path`, replacing the file only once it is whole; "-" (standard output),
// /dev/stdout and /dev/fd/N are written through the descriptor (see AtomicFile). False when the
// file cannot be written.
bool writePng(const std::string& path, const Canvas& canvas, int x, int y, int w, int h);
// The same, saying why it could not (the system's reason, or the encoder's failure).
bool writePng(const std::string& path, const Canvas& canvas, int x, int y, int w, int h,
              std::string& reason);

}  // namespace korimu

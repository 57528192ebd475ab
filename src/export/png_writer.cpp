#include "export/png_writer.h"

#include <png.h>

#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <string_view>

#include "platform/atomic_file.h"

namespace korimu {

namespace {

void appendBytes(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void noFlush(png_structp) {}

// One row of RGB bytes; pixels outside what the canvas keeps are black.
void fillRow(std::vector<png_byte>& row, const Canvas& canvas, int x, int y, int w) {
  std::fill(row.begin(), row.end(), png_byte{0});
  const CanvasArea kept = canvas.kept();
  const int first = std::max(0, kept.x - x), end = std::min(w, kept.x + kept.w - x);
  if (y < kept.y || y >= kept.y + kept.h || first >= end) return;
  const uint32_t* line = canvas.keptRow(x + first, y);
  for (int c = first; c < end; ++c) {
    const uint32_t p = line[c - first];
    row[3 * size_t(c)] = png_byte(p >> 16);
    row[3 * size_t(c) + 1] = png_byte(p >> 8);
    row[3 * size_t(c) + 2] = png_byte(p);
  }
}

// Encodes row by row; libpng reports failures by a long jump back here, so nothing that needs a
// destructor is created between setjmp and the end of the encoding.
bool encodeInto(std::vector<uint8_t>& out, std::vector<png_byte>& row, const Canvas& canvas, int x,
                int y, int w, int h) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &out, appendBytes, noFlush);
  png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Charts and graphs are runs of equal pixels: run-length deflate of the unfiltered rows is both
  // the fastest choice and, on them, the smallest file.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_strategy(png, Z_RLE);
  png_write_info(png, info);
  for (int r = 0; r < h; ++r) {
    fillRow(row, canvas, x, y + r, w);
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

std::vector<uint8_t> encodePng(const Canvas& canvas, int x, int y, int w, int h) {
  std::vector<uint8_t> out;
  if (w <= 0 || h <= 0) return out;
  std::vector<png_byte> row(3 * size_t(w));
  if (!encodeInto(out, row, canvas, x, y, w, h)) out.clear();
  return out;
}

bool writePng(const std::string& path, const Canvas& canvas, int x, int y, int w, int h,
              std::string& reason) {
  const std::vector<uint8_t> png = encodePng(canvas, x, y, w, h);
  if (png.empty()) {
    reason = "the PNG encoder failed";
    return false;
  }
  return writeFileAtomically(
      path, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()), reason);
}

bool writePng(const std::string& path, const Canvas& canvas, int x, int y, int w, int h) {
  std::string reason;
  return writePng(path, canvas, x, y, w, h, reason);
}

}  // namespace korimu

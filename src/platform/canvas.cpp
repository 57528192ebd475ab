#include "platform/canvas.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/fixed_font.h"

namespace korimu {

namespace {

// The sixteen colours of a VGA display.
constexpr std::array<Rgb, 16> kVgaColours{{
    {0, 0, 0},
    {128, 0, 0},
    {0, 128, 0},
    {128, 128, 0},
    {0, 0, 128},
    {128, 0, 128},
    {0, 128, 128},
    {192, 192, 192},
    {128, 128, 128},
    {255, 0, 0},
    {0, 255, 0},
    {255, 255, 0},
    {0, 0, 255},
    {255, 0, 255},
    {0, 255, 255},
    {255, 255, 255},
}};

// The static colours an 8-bit display keeps besides the 256-level grey palette.
constexpr std::array<Rgb, 20> kSystemColours{{
    {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
    {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
    {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
    {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
}};

int distanceSquared(Rgb a, Rgb b) {
  const int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
  return dr * dr + dg * dg + db * db;
}

template <size_t N>
Rgb nearest(const std::array<Rgb, N>& table, Rgb c, int* bestDistance) {
  Rgb best = table[0];
  int bestD = distanceSquared(c, best);
  for (const Rgb& t : table) {
    const int d = distanceSquared(c, t);
    if (d < bestD) {
      bestD = d;
      best = t;
    }
  }
  *bestDistance = bestD;
  return best;
}

// The end of the span from `start`, `length` long (nothing when negative), cut at `limit`. In 64
// bits: sizes come from settings and headers and may be as large as an int holds.
int clippedEnd(int start, int length, int limit) {
  return int(std::min<int64_t>(limit, int64_t(start) + std::max(0, length)));
}

}  // namespace

int displayBitsFromEnvironment() {
  const char* text = std::getenv("KORIMU_DISPLAY_BITS");
  if (text == nullptr || *text == '\0') return 24;
  const std::string value = text;
  for (const char* allowed : {"4", "8", "16", "24"})
    if (value == allowed) return std::atoi(text);
  std::fprintf(stderr,
               "korimu: KORIMU_DISPLAY_BITS=\"%s\" is not one of 4, 8, 16 or 24; drawing with 24 "
               "bits per pixel\n",
               text);
  return 24;
}

Canvas::Canvas(int width, int height, int depthBits) : Canvas(width, height, depthBits, kBlack) {}

Canvas::Canvas(int width, int height, int depthBits, Rgb fill)
    : Canvas(width, height, depthBits, fill, CanvasArea{0, 0, width, height}) {}

Canvas::Canvas(int width, int height, int depthBits, Rgb fill, CanvasArea kept)
    : width_(std::max(0, width)), height_(std::max(0, height)), depthBits_(depthBits) {
  keptX_ = std::clamp(kept.x, 0, width_);
  keptY_ = std::clamp(kept.y, 0, height_);
  keptW_ = std::max(0, clippedEnd(kept.x, kept.w, width_) - keptX_);
  keptH_ = std::max(0, clippedEnd(kept.y, kept.h, height_) - keptY_);
  pixels_.assign(size_t(keptW_) * size_t(keptH_), packRgb(quantise(fill)));
}

Rgb quantiseColour(Rgb c, int depthBits) {
  switch (depthBits) {
    case 16:
      return Rgb{uint8_t(c.r & 0xF8), uint8_t(c.g & 0xFC), uint8_t(c.b & 0xF8)};
    case 8: {
      if (c.r == c.g && c.g == c.b) return c;  // the grey palette holds every grey
      int systemDistance = 0;
      const Rgb system = nearest(kSystemColours, c, &systemDistance);
      const uint8_t grey = uint8_t(luminance(c.r, c.g, c.b));
      return distanceSquared(c, Rgb{grey, grey, grey}) < systemDistance ? Rgb{grey, grey, grey}
                                                                        : system;
    }
    case 4: {
      int d = 0;
      return nearest(kVgaColours, c, &d);
    }
    default:
      return c;
  }
}

void Canvas::clear(Rgb colour) {
  std::fill(pixels_.begin(), pixels_.end(), packRgb(quantise(colour)));
}

void Canvas::plot(int x, int y, uint32_t packed) {
  if (inside(x, y)) pixels_[offset(x, y)] = packed;
}

void Canvas::fillRect(int x, int y, int w, int h, Rgb colour) {
  const int x0 = std::max(keptX_, x), y0 = std::max(keptY_, y);
  const int x1 = clippedEnd(x, w, keptX_ + keptW_), y1 = clippedEnd(y, h, keptY_ + keptH_);
  if (x0 >= x1 || y0 >= y1) return;  // wholly outside what is kept
  const uint32_t packed = packRgb(quantise(colour));
  for (int yy = y0; yy < y1; ++yy) {
    uint32_t* line = pixels_.data() + offset(x0, yy);
    std::fill(line, line + (x1 - x0), packed);
  }
}

void Canvas::whiteness(int x, int y, int w, int h) {
  fillRect(x, y, w, h, kWhite);
}

void Canvas::invertRect(int x, int y, int w, int h) {
  const int x0 = std::max(keptX_, x), y0 = std::max(keptY_, y);
  const int x1 = clippedEnd(x, w, keptX_ + keptW_), y1 = clippedEnd(y, h, keptY_ + keptH_);
  for (int yy = y0; yy < y1; ++yy) {
    for (int xx = x0; xx < x1; ++xx) {
      uint32_t& p = pixels_[offset(xx, yy)];
      p = packRgb(quantise(unpackRgb(~p & 0xFFFFFFu)));
    }
  }
}

void Canvas::setPixel(int x, int y, Rgb colour) {
  plot(x, y, packRgb(quantise(colour)));
}

void Canvas::putRow(int x, int y, const uint32_t* packed, int count) {
  if (y < keptY_ || y >= keptY_ + keptH_) return;
  const int first = std::max(0, keptX_ - x);
  const int end = std::min(count, keptX_ + keptW_ - x);
  if (first < end) std::copy(packed + first, packed + end, pixels_.data() + offset(x + first, y));
}

Rgb Canvas::getPixel(int x, int y) const {
  if (!inside(x, y)) return kBlack;
  return unpackRgb(pixels_[offset(x, y)]);
}

void Canvas::setPen(Rgb colour, int penWidth) {
  pen_ = colour;
  penWidth_ = std::max(1, penWidth);
}

void Canvas::moveTo(int x, int y) {
  penX_ = x;
  penY_ = y;
}

void Canvas::plotPen(int x, int y) {
  const uint32_t packed = packRgb(quantise(pen_));
  for (int dy = 0; dy < penWidth_; ++dy)
    for (int dx = 0; dx < penWidth_; ++dx) plot(x + dx, y + dy, packed);
}

void Canvas::lineTo(int x, int y) {
  // Bresenham from the current position; the end point itself is not drawn.
  int x0 = penX_, y0 = penY_;
  const int dx = std::abs(x - x0), dy = -std::abs(y - y0);
  const int sx = x0 < x ? 1 : -1, sy = y0 < y ? 1 : -1;
  int err = dx + dy;
  while (!(x0 == x && y0 == y)) {
    plotPen(x0, y0);
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
  penX_ = x;
  penY_ = y;
}

void Canvas::drawGlyph(const Glyph& glyph, int x, int y, uint32_t fg, uint32_t bg, bool opaque) {
  // Clipped once per glyph rather than per pixel: the analysers' progress counters draw text
  // at every point they compute.
  const int col0 = std::max(0, keptX_ - x), col1 = std::min(glyph.width, keptX_ + keptW_ - x);
  const int row0 = std::max(0, keptY_ - y);
  const int row1 = std::min(FixedFont::kCellHeight, keptY_ + keptH_ - y);
  for (int row = row0; row < row1; ++row) {
    uint32_t* pixel = pixels_.data() + offset(x + col0, y + row);
    const unsigned bits = glyph.rows[size_t(row)];
    if (opaque) {
      // Chosen by index rather than by a branch on each pixel, which glyphs mispredict.
      const uint32_t colours[2] = {bg, fg};
      for (int col = col0; col < col1; ++col, ++pixel) *pixel = colours[(bits >> (15 - col)) & 1u];
    } else {
      for (int col = col0; col < col1; ++col, ++pixel)
        if ((bits >> (15 - col)) & 1u) *pixel = fg;
    }
  }
}

int Canvas::textOut(int x, int y, std::string_view utf8, const TextStyle& style) {
  const FixedFont& font = fixedFont();
  const uint32_t fg = packRgb(quantise(style.text));
  const uint32_t bg = packRgb(quantise(style.background));
  int cx = x;
  for (char32_t cp : decodeUtf8(utf8)) {
    const Glyph& glyph = font.glyph(cp);
    drawGlyph(glyph, cx, y, fg, bg, style.opaque);
    cx += glyph.width;
  }
  return cx - x;
}

Canvas Canvas::part(int x, int y, int w, int h) const {
  const int left = std::max(x, keptX_), top = std::max(y, keptY_);
  const int right = clippedEnd(x, w, keptX_ + keptW_);
  const int bottom = clippedEnd(y, h, keptY_ + keptH_);
  Canvas out;
  out.depthBits_ = depthBits_;
  if (right <= left || bottom <= top) return out;
  out.width_ = out.keptW_ = right - left;
  out.height_ = out.keptH_ = bottom - top;
  // Row by row into reserved memory: the copy's pixels are written once, never cleared first.
  out.pixels_.reserve(size_t(out.width_) * size_t(out.height_));
  for (int row = top; row < bottom; ++row) {
    const uint32_t* from = keptRow(left, row);
    out.pixels_.insert(out.pixels_.end(), from, from + out.width_);
  }
  return out;
}

void Canvas::copyFrom(const Canvas& source, int sx, int sy, int w, int h, int dx, int dy) {
  // Clip the rectangle to what both surfaces keep.
  const int skipX = std::max({0, source.keptX_ - sx, keptX_ - dx});
  const int skipY = std::max({0, source.keptY_ - sy, keptY_ - dy});
  sx += skipX, dx += skipX, w -= skipX;
  sy += skipY, dy += skipY, h -= skipY;
  w = std::min({w, source.keptX_ + source.keptW_ - sx, keptX_ + keptW_ - dx});
  h = std::min({h, source.keptY_ + source.keptH_ - sy, keptY_ + keptH_ - dy});
  if (w <= 0 || h <= 0) return;
  for (int row = 0; row < h; ++row) {
    const uint32_t* from = source.keptRow(sx, sy + row);
    uint32_t* to = pixels_.data() + offset(dx, dy + row);
    if (depthBits_ != 16 && depthBits_ != 8 && depthBits_ != 4) {
      // A true-colour display shows every colour as it is.
      std::copy(from, from + w, to);
    } else {
      for (int col = 0; col < w; ++col) to[col] = packRgb(quantise(unpackRgb(from[col])));
    }
  }
}

}  // namespace korimu

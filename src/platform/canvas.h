// A pixel surface with the small set of GDI-like drawing operations the program uses. Pixels are
// 0x00RRGGBB. The colour depth mode quantises every stored colour the way a display of that depth
// would, so the depth-dependent drawing rules can be exercised anywhere (24 bits by default;
// KORIMU_DISPLAY_BITS selects 16, 8 or 4).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace korimu {

struct Glyph;

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Luminance of a colour: (299 R + 587 G + 114 B) div 1000.
inline constexpr int luminance(int r, int g, int b) {
  return (299 * r + 587 * g + 114 * b) / 1000;
}

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};

// Colours of the window scheme (the light scheme a fresh desktop shows).
inline constexpr Rgb kButtonFace{192, 192, 192};
inline constexpr Rgb kButtonText{0, 0, 0};
inline constexpr Rgb kWindowColour{255, 255, 255};
inline constexpr Rgb kWindowText{0, 0, 0};

// Display depth in bits per pixel from KORIMU_DISPLAY_BITS (4, 8, 16 or 24; anything else is
// named on stderr and gives 24). Read once by whoever owns the depth (the render command for all
// its files, the window's start-up) and passed down, so a refused value is named once.
int displayBitsFromEnvironment();

struct TextStyle {
  Rgb text = kButtonText;
  Rgb background = kButtonFace;
  bool opaque = true;
};

class Canvas {
 public:
  Canvas() = default;
  Canvas(int width, int height, int depthBits = 24);

  int width() const { return width_; }
  int height() const { return height_; }
  int depthBits() const { return depthBits_; }
  void setDepthBits(int bits) { depthBits_ = bits; }

  // The colour a display of this depth would actually show for c.
  Rgb quantise(Rgb c) const;

  void fillRect(int x, int y, int w, int h, Rgb colour);  // brush fill (PatBlt PATCOPY)
  void whiteness(int x, int y, int w, int h);             // WHITENESS
  void invertRect(int x, int y, int w, int h);            // DSTINVERT
  void setPixel(int x, int y, Rgb colour);
  Rgb getPixel(int x, int y) const;  // black outside the surface

  // Pen and current position. A line covers its first point and excludes its last, as in GDI.
  void setPen(Rgb colour, int penWidth = 1);
  void moveTo(int x, int y);
  void lineTo(int x, int y);
  int penX() const { return penX_; }
  int penY() const { return penY_; }

  // Text in the fixed font, top-left of the first cell at (x, y). Returns the width drawn.
  int textOut(int x, int y, std::string_view utf8, const TextStyle& style = {});

  // BitBlt SRCCOPY from another canvas; the source is clipped to its own bounds.
  void copyFrom(const Canvas& source, int sx, int sy, int w, int h, int dx, int dy);

  // A canvas of the same depth holding a copy of the part inside the rectangle (clipped).
  Canvas part(int x, int y, int w, int h) const;

  const std::vector<uint32_t>& pixels() const { return pixels_; }
  // Fills everything with one colour (used when a surface is created).
  void clear(Rgb colour);

 private:
  bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  void plot(int x, int y, uint32_t packed);
  void plotPen(int x, int y);
  void drawGlyph(const Glyph& glyph, int x, int y, uint32_t fg, uint32_t bg, bool opaque);

  int width_ = 0;
  int height_ = 0;
  int depthBits_ = 24;
  std::vector<uint32_t> pixels_;
  Rgb pen_{};
  int penWidth_ = 1;
  int penX_ = 0;
  int penY_ = 0;
};

inline uint32_t packRgb(Rgb c) {
  return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}
inline Rgb unpackRgb(uint32_t p) {
  return Rgb{uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
}

}  // namespace korimu

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

// A rectangle of a canvas, in its coordinates.
struct CanvasArea {
  int x = 0, y = 0, w = 0, h = 0;
  friend bool operator==(const CanvasArea&, const CanvasArea&) = default;
};

// The colour a display of `depthBits` bits per pixel would actually show for c.
Rgb quantiseColour(Rgb c, int depthBits);

class Canvas {
 public:
  Canvas() = default;
  // Every pixel black.
  Canvas(int width, int height, int depthBits = 24);
  // Every pixel `fill`, written once.
  Canvas(int width, int height, int depthBits, Rgb fill);
  // Keeps only the pixels inside `kept` (cut to the surface), each starting as `fill`: outside it
  // reads black and takes no drawing, as outside the surface. A render that writes out one part
  // of the window builds only that part.
  Canvas(int width, int height, int depthBits, Rgb fill, CanvasArea kept);

  int width() const { return width_; }
  int height() const { return height_; }
  // The part whose pixels are kept: the whole surface unless made with a smaller one.
  CanvasArea kept() const { return {keptX_, keptY_, keptW_, keptH_}; }
  int depthBits() const { return depthBits_; }
  void setDepthBits(int bits) { depthBits_ = bits; }

  // The colour a display of this depth would actually show for c.
  Rgb quantise(Rgb c) const { return quantiseColour(c, depthBits_); }

  void fillRect(int x, int y, int w, int h, Rgb colour);  // brush fill (PatBlt PATCOPY)
  void whiteness(int x, int y, int w, int h);             // WHITENESS
  void invertRect(int x, int y, int w, int h);            // DSTINVERT
  void setPixel(int x, int y, Rgb colour);
  // Writes `count` pixels of row y from column x on, each packed and already a colour of this
  // depth (quantised), cut to what is kept.
  void putRow(int x, int y, const uint32_t* packed, int count);
  Rgb getPixel(int x, int y) const;  // black outside what is kept

  // Pen and current position. A line covers its first point and excludes its last, as in GDI.
  void setPen(Rgb colour, int penWidth = 1);
  void moveTo(int x, int y);
  void lineTo(int x, int y);
  int penX() const { return penX_; }
  int penY() const { return penY_; }

  // Text in the fixed font, top-left of the first cell at (x, y). Returns the width drawn.
  int textOut(int x, int y, std::string_view utf8, const TextStyle& style = {});

  // BitBlt SRCCOPY from another canvas, clipped to what each of them keeps.
  void copyFrom(const Canvas& source, int sx, int sy, int w, int h, int dx, int dy);

  // A canvas of the same depth holding a copy of the part inside the rectangle (clipped to the
  // kept part).
  Canvas part(int x, int y, int w, int h) const;

  // The kept pixels row by row (of the whole surface unless made with a smaller kept part).
  const std::vector<uint32_t>& pixels() const { return pixels_; }
  // The kept pixels of row y from column x on; (x, y) must be inside the kept part.
  const uint32_t* keptRow(int x, int y) const { return pixels_.data() + offset(x, y); }
  // Fills everything with one colour (used when a surface is created).
  void clear(Rgb colour);

 private:
  bool inside(int x, int y) const {
    return x >= keptX_ && y >= keptY_ && x < keptX_ + keptW_ && y < keptY_ + keptH_;
  }
  size_t offset(int x, int y) const {
    return size_t(y - keptY_) * size_t(keptW_) + size_t(x - keptX_);
  }
  void plot(int x, int y, uint32_t packed);
  void plotPen(int x, int y);
  void drawGlyph(const Glyph& glyph, int x, int y, uint32_t fg, uint32_t bg, bool opaque);

  int width_ = 0;
  int height_ = 0;
  int depthBits_ = 24;
  int keptX_ = 0, keptY_ = 0, keptW_ = 0, keptH_ = 0;
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

// Layout units and the geometry of the main window, derived from the fixed font's metrics.
// Nothing is resizable: everything is computed once at start-up.
#pragma once

#include <array>
#include <cstdint>

namespace korimu {

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct LayoutUnits {
  int unitH = 7;            // H: half the font's ascent
  int unitW = 8;            // W: the font's average character width
  int overviewHeight = 64;  // G
  int smallFontPad = 2;     // P
  int layoutWidth = 640;    // L
  int plotTop = 102;        // (11 H) div 2 + G
  int clientHeight = 383;   // 9 H + G + 256
};

// Units from the font's ascent and average width.
LayoutUnits computeUnits(int ascent, int averageWidth);

// The process-wide layout units (set at start-up; the defaults are those of the built-in font).
extern LayoutUnits layout;

}  // namespace korimu

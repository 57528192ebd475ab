// Small helpers shared by the analysers that map levels to display depths.
#pragma once

#include <cstdint>

namespace korimu {

// v limited to [low, high]; NaN goes to the low end.
inline double clampTo(double v, double low, double high) {
  if (!(v >= low)) return low;
  if (v > high) return high;
  return v;
}

// A depth 0..255 by truncation; NaN and negative values give 0.
inline uint8_t toDepth(double d) {
  if (!(d > 0.0)) return 0;
  if (d >= 255.0) return 255;
  return static_cast<uint8_t>(d);
}

}  // namespace korimu

// Dialog units of the dialogs' font (Unifont, 16 px): 4 horizontal units are 8 pixels and
// 8 vertical units are 16 pixels.
#pragma once

#include "core/layout.h"

namespace korimu {

inline constexpr int kPixelsPer4DialogUnitsX = 8;
inline constexpr int kPixelsPer8DialogUnitsY = 16;

inline Rect dialogUnitsToPixels(int x, int y, int w, int h) {
  return {x * kPixelsPer4DialogUnitsX / 4, y * kPixelsPer8DialogUnitsY / 8,
          w * kPixelsPer4DialogUnitsX / 4, h * kPixelsPer8DialogUnitsY / 8};
}

}  // namespace korimu

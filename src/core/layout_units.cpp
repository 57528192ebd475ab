#include <algorithm>

#include "core/layout.h"

namespace korimu {

LayoutUnits layout;

LayoutUnits computeUnits(int ascent, int averageWidth) {
  LayoutUnits u;
  u.unitH = ascent / 2;
  u.unitW = averageWidth;
  u.overviewHeight = u.unitH <= 8 ? 64 : 8 * u.unitH;
  u.smallFontPad = u.unitH <= 7 ? 2 : 0;
  u.layoutWidth = std::max(16 * u.unitW + 512, 80 * u.unitW);
  u.plotTop = (11 * u.unitH) / 2 + u.overviewHeight;
  u.clientHeight = 9 * u.unitH + u.overviewHeight + 256;
  return u;
}

}  // namespace korimu

#include "dialogs/options_layout.h"

#include <algorithm>

namespace korimu {

std::vector<ControlPlacement> optionsLayoutPlacements(int unitW, int unitH, int scrollBarWidth,
                                                      int captionHeight) {
  const int w = std::max(scrollBarWidth, 2 * unitW + 1);
  const int d = (unitH == 6 || unitH == 10) ? 14 : 18;
  auto sized = [](int id, int width, int height) {
    return ControlPlacement{id, false, 0, 0, true, width, height};
  };
  auto moved = [](int id, int x, int y) { return ControlPlacement{id, true, x, y, false, 0, 0}; };
  auto both = [](int id, int x, int y, int width, int height) {
    return ControlPlacement{id, true, x, y, true, width, height};
  };
  return {
      sized(0, 168 * unitW / 4 + 3 * w, 171 * unitH / 4 + captionHeight + 4 * unitH + 2 + w),
      sized(1105, 153 * unitW / 4 + 3 * w, 53 * unitH / 4),
      sized(1107, w > 60 ? 170 * unitW / 4 + w : 179 * unitW / 4, 39 * unitH / 4),
      sized(1112, 81 * unitW / 4 + w, 50 * unitH / 4),
      sized(1101, 35 * unitW / 4 + w, 50 * unitH / 4),
      both(104, 69 * unitW / 4 + w, 39 * unitH / 4, 33 * unitW / 4 + w, 50 * unitH / 4),
      both(109, 116 * unitW / 4 + 2 * w, 39 * unitH / 4, 38 * unitW / 4 + w, 50 * unitH / 4),
      moved(103, 61 * unitW / 4 + w, 30 * unitH / 4),
      moved(108, 124 * unitW / 4 + 2 * w, 30 * unitH / 4),
      sized(1110, 32 * unitW / 4 + w, 48 * unitH / 4),
      both(1113, 132 * unitW / 4 + w, (d + 143) * unitH / 4, 43 * unitW / 4, 10 * unitH / 4),
      sized(302, 76 * unitW / 4 + 3 * w, w + 2),
      moved(303, 134 * unitW / 4 + 3 * w, (d + 158) * unitH / 4),
  };
}

}  // namespace korimu

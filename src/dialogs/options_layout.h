// The Options dialog's second layout pass: the dialog and twelve controls are resized or moved
// in pixels from the layout units, so that the lists and the speed bar fit the layout font and
// the system's scroll-bar width.
#pragma once

#include <vector>

#include "core/layout.h"

namespace korimu {

struct ControlPlacement {
  int id = 0;  // control id; 0 is the dialog itself
  bool move = false;
  int x = 0, y = 0;
  bool resize = false;
  int w = 0, h = 0;
};

// unitW/unitH are the layout units, scrollBarWidth the system's vertical scroll-bar width and
// captionHeight the height of a caption button (0 where the title bar is not part of the size).
std::vector<ControlPlacement> optionsLayoutPlacements(int unitW, int unitH, int scrollBarWidth,
                                                      int captionHeight);

}  // namespace korimu

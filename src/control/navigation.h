// Moving `position` through the data chunk with the six navigation commands.
#pragma once

#include <cstdint>

namespace korimu {

enum NavigationCommand : int {
  kStepBack = 1204,     // "<"
  kBack = 1205,         // "<<"
  kFastBack = 1206,     // "<<<"
  kStepForward = 1207,  // ">"
  kForward = 1208,      // ">>"
  kFastForward = 1209,  // ">>>"
};

struct DataExtent {
  uint32_t blockAlign = 0;
  uint32_t dataSize = 0;
  uint32_t bytesPerSecond = 0;
};

bool isNavigationCommand(int id);

// The position after one navigation command. Steps backwards stop at 0 ("<" wraps to the last
// frame), steps forwards stop at the last frame (">" wraps to 0). The last frame of a data chunk
// shorter than one frame is 0, so the position never leaves the data.
uint32_t navigatedPosition(int command, uint32_t position, const DataExtent& extent);

// The position of the frame under x (in strip pixels, fractions allowed) of an overview strip
// that starts at `position` with `framesPerColumn` frames a pixel column: rounded to a whole frame
// and kept inside the data (at most its last frame).
uint32_t positionUnderStripX(double x, uint32_t position, int64_t framesPerColumn,
                             const DataExtent& extent);

}  // namespace korimu

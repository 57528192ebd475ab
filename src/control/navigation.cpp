#include "control/navigation.h"

#include <algorithm>
#include <cmath>

namespace korimu {

namespace {

// Offset of the last whole frame; 0 when the data is shorter than one frame.
uint32_t lastFrame(const DataExtent& e) {
  return e.dataSize >= e.blockAlign ? e.dataSize - e.blockAlign : 0;
}

// position + step stays inside the data (compared without 32-bit overflow).
bool staysInside(uint32_t position, uint32_t step, const DataExtent& e) {
  return uint64_t{position} + step < e.dataSize;
}

}  // namespace

bool isNavigationCommand(int id) {
  return id >= kStepBack && id <= kFastForward;
}

uint32_t navigatedPosition(int command, uint32_t position, const DataExtent& e) {
  const uint32_t block210 = 210u * e.blockAlign;
  switch (command) {
    case kStepBack:
      return position >= e.blockAlign ? position - e.blockAlign : lastFrame(e);
    case kBack:
      return block210 <= position ? position - block210 : 0;
    case kFastBack:
      return position >= e.bytesPerSecond ? position - e.bytesPerSecond : 0;
    case kStepForward:
      return staysInside(position, e.blockAlign, e) ? position + e.blockAlign : 0;
    case kForward:
      return staysInside(position, block210, e) ? position + block210 : lastFrame(e);
    case kFastForward:
      return staysInside(position, e.bytesPerSecond, e) ? position + e.bytesPerSecond
                                                        : lastFrame(e);
    default:
      return position;
  }
}

uint32_t positionUnderStripX(double x, uint32_t position, int64_t framesPerColumn,
                             const DataExtent& e) {
  if (e.blockAlign == 0 || !(x >= 0)) return position;
  const auto frames =
      static_cast<uint64_t>(std::llround(x * double(std::max<int64_t>(framesPerColumn, 1))));
  const uint64_t wanted = uint64_t{position} + frames * e.blockAlign;
  return static_cast<uint32_t>(std::min<uint64_t>(wanted, lastFrame(e)));
}

}  // namespace korimu

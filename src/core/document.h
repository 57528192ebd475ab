// What belongs to the open document rather than to the window or the program: what the last
// analysis run drew, which the commands that follow a run look at. The window's controller keeps
// one in its session; each rendered file gets its own.
#pragma once

#include <cstdint>

namespace korimu {

struct Document {
  // The view the last analysis run drew (0 before the first run).
  int32_t lastRunView = 0;
};

}  // namespace korimu

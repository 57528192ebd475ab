// What belongs to the open document rather than to the window or the program: the file the user
// chose, where in it playing and analysing start, and what the last analysis run drew. The
// window's controller keeps one in its session; each rendered file gets its own.
#pragma once

#include <cstdint>
#include <string>

namespace korimu {

struct Document {
  // The file taken from the command line, Open or a drop.
  std::string fileName;
  // A file has been taken: Play, Partial play, Stop and Analyze act only then. Never cleared.
  bool fileSelected = false;
  // Byte offset inside the data chunk where playback, analysis and the overview start.
  uint32_t position = 0;
  // The view and method the last analysis run drew (0 before the first run).
  int32_t lastRunView = 0;
  int32_t lastRunMethod = 0;
  // Client x of the chart column the cross-section window shows.
  int32_t crossSectionX = 0;
};

}  // namespace korimu

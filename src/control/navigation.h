// Moving `position` through the data chunk with the six navigation commands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

// The same distance back: a right click at x moves the position back by as many frames as a
// left click there moves it on, stopping at the data's start.
uint32_t positionBackByStripX(double x, uint32_t position, int64_t framesPerColumn,
                              const DataExtent& extent);

// Moves through a long recording by the span the overview shows (`spanFrames`): to its start, to
// the last span (which ends with the data; the start when the span holds the whole file), or a
// whole span or tenths of one back or forth. Backward moves stop at the start; forward moves stop
// at the last span's start and never move back from beyond it.
enum class SpanMove { kToStart, kToEnd, kBySpans, kByTenths };
uint32_t positionAfterSpanMove(SpanMove move, int count, uint32_t position, int64_t spanFrames,
                               const DataExtent& extent);

// A time as the Go-to box takes it: seconds ("83.5"), minutes and seconds ("1:23.5") or hours,
// minutes and seconds ("0:01:23.5"); nothing for anything else (a negative time, a minute or
// second field of 60 or more after the first, text).
std::optional<double> secondsOfTimeText(std::string_view text);
// The same time as text, "m:ss.sss", the box's starting value.
std::string timeTextOfSeconds(double seconds);
// The frame at `seconds` into the data (rounded to the nearest one), at most the last.
uint32_t positionAtSeconds(double seconds, const DataExtent& extent);

}  // namespace korimu

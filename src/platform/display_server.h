// Whether the window can be shown at all: a display server to connect to, or a Qt platform that
// needs none. Asked before the GUI starts, so that a missing display gives a message instead of
// the toolkit's abort.
#pragma once

#include <functional>
#include <string>

namespace korimu {

// Reads one environment variable (null when unset).
using EnvironmentLookup = std::function<const char*(const char* name)>;

// True when the display named by QT_QPA_PLATFORM, DISPLAY or WAYLAND_DISPLAY can be reached: a
// local X server's socket or the Wayland socket accepts a connection. Remote X displays and
// platforms without a display server (offscreen, vnc, ...) count as reachable.
bool displayAvailable(const EnvironmentLookup& environment);
bool displayAvailable();

// The one line printed when there is none.
std::string noDisplayMessage();

// QT_SCALE_FACTOR rounded to a whole number (half up, at least 1): the window's pictures are
// drawn pixel for pixel, and at a fractional factor their bitmap text would be scaled unevenly.
// Empty when the value is unset, not a number, or already whole.
std::string wholeScaleFactor(const char* value);

// The largest whole factor, at most `wholeFactor` and at least 1, at which a window of
// `windowWidth` x `windowHeight` pixels (at factor 1, frame included) fits an available screen
// area of `availableWidth` x `availableHeight` pixels: a rounded-up factor must not push the plot
// and its buttons off a small screen.
int fittingScaleFactor(int wholeFactor, int windowWidth, int windowHeight, int availableWidth,
                       int availableHeight);

// Where a picture of `pictureWidth` x `pictureHeight` pixels stands in an area of `areaWidth` x
// `areaHeight` (a maximised or full-screen window): magnified by the largest whole factor at
// which it fits (at least 1: one that does not fit at all stays at 1), and centred; in an area
// smaller than the picture it keeps the top-left corner.
struct WholeScalePlacement {
  int scale = 1;
  int x = 0;
  int y = 0;
  friend bool operator==(const WholeScalePlacement&, const WholeScalePlacement&) = default;
};
WholeScalePlacement centredAtWholeScale(int areaWidth, int areaHeight, int pictureWidth,
                                        int pictureHeight);

}  // namespace korimu

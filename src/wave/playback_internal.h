// Helpers shared by the playback engine's two source files.
#pragma once

#include <cstdint>

namespace korimu::playback_detail {

// Milliseconds of the playback clock.
uint32_t nowMs();
// Blocks until `delayMs` have passed since the last pacing time, then restarts the pacing time.
void waitForPacing(uint32_t delayMs);

// F, never below 1.
int32_t columnFrames();
// w for the open file and the current settings.
int32_t stripWidth();
// The marker's distance from the overview's right edge, in pixel columns.
int32_t markerColumns();
// Inverts a full-height strip of the overview.
void invertOverviewStrip(int32_t x, int32_t width);
bool crossSectionIsOpen();
// Moves the cross-section window's column to overview pixel x and repaints it.
void moveCrossSection(int32_t x);

}  // namespace korimu::playback_detail

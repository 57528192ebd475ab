// Helpers shared by the playback engine's two source files.
#pragma once

#include <cstdint>

#include "wave/playback.h"

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
// Reports a full-height strip of the overview as inverted, and where the cross-section window's
// column goes (-1: it stays).
void moveMarker(int32_t x, int32_t width, int32_t crossSectionX = -1);
// Inverts the next marker strip as markerStep does, with the cross-section column to follow.
int32_t stepMarker(bool twice, int32_t crossSectionX);

// Tells the observer, when there is one.
void enterPhase(PlaybackPhase phase);
void reportPositionChanged();
void reportMarkerTimer(uint32_t periodMs);
void reportRedraw(PlaybackRedraw part);

}  // namespace korimu::playback_detail

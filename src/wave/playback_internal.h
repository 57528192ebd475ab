// Helpers shared by the playback engine's two source files.
#pragma once

#include <cstdint>

#include "wave/wave_session.h"

namespace korimu::playback_detail {

// Milliseconds of the playback clock.
uint32_t nowMs(const WaveSession& wave);
// Milliseconds still to wait before the next returned buffer is handled (0: it may be now).
uint32_t pacingWaitMs(const WaveSession& wave, uint32_t delayMs);

// F, never below 1.
int32_t columnFrames(const PlaybackState& p);
// w for the open file and the playback's settings.
int32_t stripWidth(const WaveSession& wave);
// The marker's distance from the overview's right edge, in pixel columns.
int32_t markerColumns(const WaveSession& wave);
// Reports a full-height strip of the overview as inverted, and where the cross-section window's
// column goes (-1: it stays).
void moveMarker(const PlaybackState& p, int32_t x, int32_t width, int32_t crossSectionX = -1);
// Inverts the next marker strip as markerStep does, with the cross-section column to follow.
int32_t stepMarker(const WaveSession& wave, bool twice, int32_t crossSectionX);

// Tells the observer, when there is one.
void enterPhase(PlaybackState& p, PlaybackPhase phase);
void reportPlayedTo(const PlaybackState& p, uint32_t position);
void reportMarkerTimer(const PlaybackState& p, uint32_t periodMs);
void reportRedraw(const PlaybackState& p, PlaybackRedraw part);

}  // namespace korimu::playback_detail

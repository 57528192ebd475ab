// The numbers of a playback (speed, steps, timer period, pacing), its clock, and the marker that
// walks through the overview during partial play.
#include <chrono>
#include <cmath>
#include <thread>
#include <utility>

#include "core/app_state.h"
#include "core/layout.h"
#include "core/settings.h"
#include "platform/event_pump.h"
#include "wave/playback.h"
#include "wave/playback_internal.h"
#include "wave/wave_source.h"

namespace korimu {

namespace {

PlaybackClock defaultClock() {
  PlaybackClock c;
  c.nowMs = [] { return static_cast<uint32_t>(tickCountMs()); };
  c.yieldProcessor = [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); };
  return c;
}

PlaybackClock& clock() {
  static PlaybackClock c = defaultClock();
  return c;
}

}  // namespace

void setPlaybackClock(PlaybackClock c) {
  const PlaybackClock fallback = defaultClock();
  if (!c.nowMs) c.nowMs = fallback.nowMs;
  if (!c.yieldProcessor) c.yieldProcessor = fallback.yieldProcessor;
  clock() = std::move(c);
}

double speedFactor(int32_t playSpeed) {
  return std::pow(2.0, playSpeed / 120.0);
}

uint32_t declaredSampleRate(uint32_t samplesPerSec, int32_t playSpeed) {
  return static_cast<uint32_t>(speedFactor(playSpeed) * samplesPerSec + 0.5);
}

int32_t framesPerStep(SampleRate rate, int32_t pb) {
  return static_cast<int32_t>(rate.framesPerBaseStep() * pb);
}

int32_t markerStripWidth(SampleRate rate, int32_t pb, int32_t framesPerColumn) {
  const int32_t w = framesPerStep(rate, pb) / (framesPerColumn > 0 ? framesPerColumn : 1);
  return w < 1 ? 1 : w;
}

uint32_t markerTimerPeriod(SampleRate rate, int32_t pb, int32_t playSpeed) {
  const double s = speedFactor(playSpeed);
  // PB steps of the base rate in ms; at 8000 Hz in whole ms.
  const double period = rate.cdFamily() ? pb * 1000.0 / SampleRate::kCdBaseHz / s + 0.5
                                        : (pb / (SampleRate::kOtherBaseHz / 1000)) / s + 0.5;
  const auto t = static_cast<uint32_t>(period);
  return t < 1 ? 1 : t;  // a zero period would stop the marker arithmetic
}

uint32_t pacingDelayMs(int32_t pb, int32_t playSpeed, SampleRate rate) {
  // Delays for the CD family and for the others, by PB and speed range.
  struct Delay {
    uint32_t family11, other;
  };
  static constexpr Delay kNone{0, 0}, k50{50, 100}, k105{105, 150}, k160{160, 200}, k210{210, 300},
      k320{320, 400};
  Delay d = kNone;
  if (pb >= 4096) {
    d = k320;
  } else if (pb >= 2048) {
    d = playSpeed <= -101 ? k320 : playSpeed <= -41 ? k210 : k160;
  } else if (pb >= 1024) {
    d = playSpeed <= -221   ? k320
        : playSpeed <= -161 ? k210
        : playSpeed <= -101 ? k160
        : playSpeed <= -41  ? k105
                            : k50;
  } else if (pb >= 512) {
    d = playSpeed <= -221 ? k160 : playSpeed <= -161 ? k105 : playSpeed <= -101 ? k50 : kNone;
  }
  return rate.cdFamily() ? d.family11 : d.other;
}

namespace playback_detail {

uint32_t nowMs() {
  return clock().nowMs();
}

void waitForPacing(uint32_t delayMs) {
  while (nowMs() - playbackState.lastPacingTime < delayMs) clock().yieldProcessor();
  playbackState.lastPacingTime = nowMs();
}

int32_t columnFrames() {
  return settings.framesPerColumn > 0 ? settings.framesPerColumn : 1;
}

int32_t stripWidth() {
  return markerStripWidth(SampleRate(waveSource.srKHz), settings.playBufferSeconds, columnFrames());
}

int32_t markerColumns() {
  return markerFrames / columnFrames();
}

void moveMarker(int32_t x, int32_t width, int32_t crossSectionX) {
  if (PlaybackObserver* o = playbackState.observer) o->markerMoved({x, width, crossSectionX});
}

int32_t stepMarker(bool twice, int32_t crossSectionX) {
  const int32_t w = stripWidth();
  moveMarker(512 - markerColumns() - w, twice ? 2 * w : w, crossSectionX);
  return framesPerStep(SampleRate(waveSource.srKHz), settings.playBufferSeconds);
}

void enterPhase(PlaybackPhase phase) {
  playbackState.phase = phase;
  if (PlaybackObserver* o = playbackState.observer) o->stateChanged(phase);
}

void reportPositionChanged() {
  if (PlaybackObserver* o = playbackState.observer) o->positionChanged();
}

void reportMarkerTimer(uint32_t periodMs) {
  if (PlaybackObserver* o = playbackState.observer) o->markerTimer(periodMs);
}

void reportRedraw(PlaybackRedraw part) {
  if (PlaybackObserver* o = playbackState.observer) o->redrawDue(part);
}

}  // namespace playback_detail

using namespace playback_detail;

int32_t markerStep(bool twice) {
  return stepMarker(twice, -1);
}

void markerTick() {
  PlaybackState& p = playbackState;
  // A tick still queued after the end or Stop moves nothing.
  if (!p.partialPlay || !appState.playing) return;
  const uint32_t period = p.timerPeriod > 0 ? p.timerPeriod : 1;
  const auto due = static_cast<uint32_t>(double(nowMs() - p.startTick) / period + 0.5);
  for (uint32_t done = 0; p.ticksShown + done < due; ++done) {
    const int32_t q = markerColumns();
    markerFrames -= stepMarker(true, q > 0 ? 512 - q + kLayout.unitW : -1);
  }
  p.ticksShown = due;
}

}  // namespace korimu

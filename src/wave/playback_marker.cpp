// The numbers of a playback (speed, steps, timer period, pacing), its clock, and the marker that
// walks through the overview during partial play.
#include <cmath>

#include "core/layout.h"
#include "platform/tick_clock.h"
#include "wave/playback.h"
#include "wave/playback_internal.h"
#include "wave/wave_session.h"

namespace korimu {

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
  // NOLINTBEGIN(bugprone-integer-division): whole ms per step at 8000 Hz, as said above
  const double period = rate.cdFamily() ? pb * 1000.0 / SampleRate::kCdBaseHz / s + 0.5
                                        : (pb / (SampleRate::kOtherBaseHz / 1000)) / s + 0.5;
  // NOLINTEND(bugprone-integer-division)
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

uint32_t nowMs(const WaveSession& wave) {
  if (wave.clock.nowMs) return wave.clock.nowMs();
  return static_cast<uint32_t>(tickCountMs());
}

uint32_t pacingWaitMs(const WaveSession& wave, uint32_t delayMs) {
  const uint32_t waited = nowMs(wave) - wave.playback.lastPacingTime;
  return waited < delayMs ? delayMs - waited : 0;
}

int32_t columnFrames(const PlaybackState& p) {
  return p.framesPerColumn > 0 ? p.framesPerColumn : 1;
}

int32_t stripWidth(const WaveSession& wave) {
  const PlaybackState& p = wave.playback;
  return markerStripWidth(SampleRate(wave.source.srKHz), p.playBufferSeconds, columnFrames(p));
}

int32_t markerColumns(const WaveSession& wave) {
  return wave.markerFrames / columnFrames(wave.playback);
}

void moveMarker(const PlaybackState& p, int32_t x, int32_t width, int32_t crossSectionX) {
  if (PlaybackObserver* o = p.observer) o->markerMoved({x, width, crossSectionX});
}

int32_t stepMarker(const WaveSession& wave, bool twice, int32_t crossSectionX) {
  const int32_t w = stripWidth(wave);
  moveMarker(wave.playback, 512 - markerColumns(wave) - w, twice ? 2 * w : w, crossSectionX);
  return framesPerStep(SampleRate(wave.source.srKHz), wave.playback.playBufferSeconds);
}

void enterPhase(PlaybackState& p, PlaybackPhase phase) {
  p.phase = phase;
  if (PlaybackObserver* o = p.observer) o->stateChanged(phase);
}

void reportPlayedTo(const PlaybackState& p, uint32_t position) {
  if (PlaybackObserver* o = p.observer) o->playedTo(position);
}

void reportMarkerTimer(const PlaybackState& p, uint32_t periodMs) {
  if (PlaybackObserver* o = p.observer) o->markerTimer(periodMs);
}

void reportRedraw(const PlaybackState& p, PlaybackRedraw part) {
  if (PlaybackObserver* o = p.observer) o->redrawDue(part);
}

}  // namespace playback_detail

using namespace playback_detail;

int32_t markerStep(WaveSession& wave, bool twice) {
  return stepMarker(wave, twice, -1);
}

void markerTick(WaveSession& wave) {
  PlaybackState& p = wave.playback;
  // A tick still queued after the end or Stop moves nothing.
  if (!p.partialPlay || !p.playing) return;
  const uint32_t period = p.timerPeriod > 0 ? p.timerPeriod : 1;
  const auto due = static_cast<uint32_t>(double(nowMs(wave) - p.startTick) / period + 0.5);
  for (uint32_t done = 0; p.ticksShown + done < due; ++done) {
    const int32_t q = markerColumns(wave);
    wave.markerFrames -= stepMarker(wave, true, q > 0 ? 512 - q + kLayout.unitW : -1);
  }
  p.ticksShown = due;
}

}  // namespace korimu

// Playback of the open file through the wave-output device: the whole file from `position` (Play)
// or the span the overview shows (Partial play). Speed is changed by declaring a different sample
// rate, so pitch follows speed. In single-buffer mode (readMode 1) the range is played from one
// buffer and a window timer moves the marker; in streaming mode two buffers alternate and each one
// is refilled when the device hands it back. Everything runs on the UI thread.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "core/sample_rate.h"
#include "wave/sample_buffers.h"

namespace korimu {

// A buffer as the device sees it.
struct WaveHeader {
  const uint8_t* data = nullptr;
  uint32_t length = 0;
  uint32_t flags = 0;  // kHeaderPrepared while the device may use it
  uint32_t loops = 0;
  InstanceBlock* user = nullptr;  // what the end of the playback releases
};

inline constexpr uint32_t kHeaderPrepared = 1;

// Where a playback is. The window decides what its controls do in each phase.
enum class PlaybackPhase {
  kIdle,      // none: after the end, after Stop, or after a start that failed
  kStarting,  // the first buffers are being read and queued
  kPlaying,   // the device plays; Stop acts
};

// One step of the marker during partial play: the overview's strip [stripX, stripX + stripWidth)
// is inverted (which restores a strip inverted before), and the cross-section window, when open,
// follows to client x `crossSectionX` (-1: it stays).
struct MarkerMove {
  int32_t stripX = 0;
  int32_t stripWidth = 0;
  int32_t crossSectionX = -1;
};

// Parts of the main window's client area a playback asks to be drawn again.
enum class PlaybackRedraw { kGraphFrame, kFormatTexts };

// What a playback reports to the window that shows it. Everything arrives on the UI thread, in
// the order it happens.
class PlaybackObserver {
 public:
  virtual ~PlaybackObserver() = default;
  virtual void stateChanged(PlaybackPhase phase) = 0;
  // `position` moved (a whole playback ended or was stopped): its text and the overview follow.
  virtual void positionChanged() = 0;
  virtual void markerMoved(const MarkerMove& move) = 0;
  // Single-buffer mode: markerTick is due every `periodMs` from now on; 0 stops the ticks.
  virtual void markerTimer(uint32_t periodMs) = 0;
  virtual void redrawDue(PlaybackRedraw part) = 0;
};

struct PlaybackState {
  // The two headers live as long as the main window; without them no playback may start.
  bool headersAvailable = true;
  std::array<WaveHeader, 2> headers;
  bool partialPlay = false;
  std::array<uint32_t, 2> queuedLength{};
  int currentHeader = 0;  // the header expected back next
  bool lastQueued = false;
  bool stopped = false;
  uint32_t timerPeriod = 0;  // T, single-buffer mode
  uint32_t startTick = 0;
  uint32_t ticksShown = 0;
  uint32_t lastPacingTime = 0;
  uint32_t declaredRate = 0;  // the sample rate the device was opened with
  PlaybackPhase phase = PlaybackPhase::kIdle;
  // Who hears about the playback (none: the playback runs unseen, as in the command line).
  PlaybackObserver* observer = nullptr;
};

extern PlaybackState playbackState;

// The millisecond clock of the pacing wait and the marker, and how the wait gives the processor
// away between polls. Tests install a fake one so nothing sleeps.
struct PlaybackClock {
  std::function<uint32_t()> nowMs;
  std::function<void()> yieldProcessor;
};
// Installs a clock; unset members fall back to the tick counter and a 1 ms sleep.
void setPlaybackClock(PlaybackClock clock);

// Commands 1201 (partial false) and 1213 (partial true), and start-up with /P.
void startPlayback(bool partial);
// Command 1202 while no analysis runs.
void stopPlayback();
// The device handed buffer `header` back.
void bufferDone(int header);
// The common end of a playback that reached its end.
void endPlayback(int header);
// Main window timer 1: moves the marker in single-buffer partial play.
void markerTick();
// Inverts the next marker strip (twice as wide when `twice`, which restores the previous strip as
// well); returns the frames one step covers.
int32_t markerStep(bool twice);
// The main window is going away during a playback: stop the device and free the buffers.
void releasePlaybackAtExit();

// ---- The numbers of a playback ----

// s = 2^(playSpeed / 120): 0.25 to 1.0.
double speedFactor(int32_t playSpeed);
// The sample rate declared to the device: trunc(s * rate + 0.5).
uint32_t declaredSampleRate(uint32_t samplesPerSec, int32_t playSpeed);
// Frames per marker step r, for a file of the rate with a buffer of PB samples (of the base rate).
int32_t framesPerStep(SampleRate rate, int32_t pb);
// Strip width w = r div F, at least 1.
int32_t markerStripWidth(SampleRate rate, int32_t pb, int32_t framesPerColumn);
// Timer period T in ms.
uint32_t markerTimerPeriod(SampleRate rate, int32_t pb, int32_t playSpeed);
// Pacing delay D in ms between returned buffers (0: none).
uint32_t pacingDelayMs(int32_t pb, int32_t playSpeed, SampleRate rate);

}  // namespace korimu

// Playback of the open file through the wave-output device: the whole file from `position` (Play)
// or the span the overview shows (Partial play). Speed is changed by declaring a different sample
// rate, so pitch follows speed. In single-buffer mode (readMode 1) the range is played from one
// buffer and a window timer moves the marker; in streaming mode two buffers alternate and each one
// is refilled when the device hands it back. Everything runs on the UI thread, and nothing there
// waits: a returned buffer whose pacing delay has not passed is handled when its timer is due.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>

#include "core/sample_rate.h"
#include "core/settings.h"
#include "wave/sample_buffers.h"
#include "wave/wave_source.h"

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
  // A whole playback ended or was stopped at `position`: the document's position moves there.
  virtual void playedTo(uint32_t position) = 0;
  virtual void markerMoved(const MarkerMove& move) = 0;
  // Single-buffer mode: markerTick is due every `periodMs` from now on; 0 stops the ticks.
  virtual void markerTimer(uint32_t periodMs) = 0;
  virtual void redrawDue(PlaybackRedraw part) = 0;
  // The start validated the file: what became known is shown before any failure is told.
  virtual void fileOpened(const WaveOpenResult& /*result*/) {}
  // Single-buffer mode allocates and reads the whole range at once: a wait cursor is due while
  // `on`.
  virtual void readingWhole(bool /*on*/) {}
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
  // Buffers the device has handed back that wait for their pacing time, oldest first.
  std::deque<int> pacedHeaders;
  uint32_t declaredRate = 0;  // the sample rate the device was opened with
  PlaybackPhase phase = PlaybackPhase::kIdle;
  // From the start to the end or Stop of a playback.
  bool playing = false;
  // Where the playback started, and the settings it runs with (the window keeps them from
  // changing while it plays).
  uint32_t startPosition = 0;
  int32_t playBufferSeconds = 0;
  int32_t playSpeed = 0;
  int32_t framesPerColumn = 1;
  // Who hears about the playback (none: the playback runs unseen, as in the command line).
  PlaybackObserver* observer = nullptr;
};

// The millisecond clock of the pacing and the marker, and the timer that brings a paced buffer's
// turn: pacingTimer(ms) asks for pacingTimeout in `ms` (a later call replaces an earlier one). The
// window gives its session a timer of its event loop; tests set a fake clock and fire the timer
// themselves. Without a pacing timer a returned buffer is handled at once; without a clock the
// tick counter is read.
struct PlaybackClock {
  std::function<uint32_t()> nowMs;
  std::function<void(uint32_t ms)> pacingTimer;
};

struct WaveSession;

// Commands 1201 (partial false) and 1213 (partial true), and start-up with /P: plays the file of
// `file` from its position.
void startPlayback(WaveSession& wave, const WaveOpenRequest& file, const AppSettings& settings,
                   bool partial);
// Command 1202 while no analysis runs.
void stopPlayback(WaveSession& wave);
// The device handed buffer `header` back: it is handled now, or when its pacing time comes.
void bufferDone(WaveSession& wave, int header);
// The pacing timer is due: handles the returned buffers whose time has come.
void pacingTimeout(WaveSession& wave);
// The common end of a playback that reached its end.
void endPlayback(WaveSession& wave, int header);
// Main window timer 1: moves the marker in single-buffer partial play.
void markerTick(WaveSession& wave);
// Inverts the next marker strip (twice as wide when `twice`, which restores the previous strip as
// well); returns the frames one step covers.
int32_t markerStep(WaveSession& wave, bool twice);
// The main window is going away during a playback of the selected file: stop the device and free
// the buffers.
void releasePlaybackAtExit(WaveSession& wave, bool fileSelected);

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

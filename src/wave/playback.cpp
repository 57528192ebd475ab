#include "wave/playback.h"

#include <algorithm>

#include "core/layout.h"
#include "core/translatable.h"
#include "platform/message.h"
#include "wave/playback_internal.h"
#include "wave/wave_session.h"

namespace korimu {

namespace {

using namespace playback_detail;

bool streaming(const WaveSession& wave) {
  return wave.source.readMode != 1;
}

void closeDevice(WaveSession& wave) {
  wave.audio.close();
  wave.outputDeviceOpen = false;
}

void fillHeader(WaveSession& wave, int i, uint32_t length, InstanceBlock* instance) {
  WaveHeader& h = wave.playback.headers[size_t(i)];
  h.data = wave.sampleBuffer[size_t(i)].data();
  h.length = length;
  h.flags = 0;
  h.loops = 0;
  h.user = instance;
}

bool prepareHeader(PlaybackState& p, int i) {
  WaveHeader& h = p.headers[size_t(i)];
  if (!h.data || (h.flags & kHeaderPrepared)) return false;
  h.flags |= kHeaderPrepared;
  return true;
}

void unprepareHeader(PlaybackState& p, int i) {
  p.headers[size_t(i)].flags &= ~kHeaderPrepared;
}

bool writeHeader(const WaveSession& wave, int i) {
  const WaveHeader& h = wave.playback.headers[size_t(i)];
  if (!(h.flags & kHeaderPrepared)) return false;
  return wave.audio.write(i, h.data, h.length);
}

// Forgets the buffers: they are about to be freed.
void clearHeaders(PlaybackState& p) {
  for (WaveHeader& h : p.headers) h = WaveHeader{};
}

void releasePlayback(WaveSession& wave, InstanceBlock* instance) {
  clearHeaders(wave.playback);
  wave.playback.pacedHeaders.clear();
  releaseInstance(wave, instance);
}

// Undoes a start that failed after the buffers were allocated: nothing of it stays behind.
void abandonStart(WaveSession& wave, InstanceBlock* instance, bool timerStarted) {
  PlaybackState& p = wave.playback;
  if (timerStarted) reportMarkerTimer(p, 0);
  unprepareHeader(p, 0);
  unprepareHeader(p, 1);
  releasePlayback(wave, instance);
  if (p.partialPlay) moveMarker(p, 0, stripWidth(wave));  // the first strip
  closeDevice(wave);
  enterPhase(p, PlaybackPhase::kIdle);
}

// Reads `length` bytes of the file into sample buffer i; false (after the message) when short.
bool readInto(WaveSession& wave, int i, uint32_t length) {
  const bool single = !streaming(wave);
  PlaybackObserver* observer = wave.playback.observer;
  if (single && observer) observer->readingWhole(true);
  const uint32_t got = readData(wave.source, wave.sampleBuffer[size_t(i)].data(), length);
  if (single && observer) observer->readingWhole(false);
  if (got == length) return true;
  wave.messages.show(formatText(
      wave.messages.texts.translate("Message", "データチャンクを読み取れません。%d %ld").c_str(), i,
      long(length)));
  return false;
}

// Allocates the sample buffers, under the wait cursor when the whole range goes into one.
bool allocateBuffers(WaveSession& wave) {
  const bool single = !streaming(wave);
  PlaybackObserver* observer = wave.playback.observer;
  if (single && observer) observer->readingWhole(true);
  const bool ok = allocSampleBuffers(wave);
  if (single && observer) observer->readingWhole(false);
  return ok;
}

bool queueHeader(WaveSession& wave, int i, uint32_t length, InstanceBlock* instance) {
  fillHeader(wave, i, length, instance);
  if (!prepareHeader(wave.playback, i)) {
    wave.messages.show(QT_TRANSLATE_NOOP("Message", "ウェーブヘッダーの準備ができません"));
    return false;
  }
  if (!writeHeader(wave, i)) {
    wave.messages.show(QT_TRANSLATE_NOOP("Message", "デバイスへの出力に失敗しました。"));
    return false;
  }
  return true;
}

// What the start takes from its request and the settings, for the whole playback.
void takeRequest(WaveSession& wave, const WaveOpenRequest& file, const AppSettings& settings,
                 bool partial) {
  PlaybackState& p = wave.playback;
  p.partialPlay = partial;
  wave.playbackPartial = partial;
  p.startPosition = file.position;
  p.playBufferSeconds = settings.playBufferSeconds;
  p.playSpeed = settings.playSpeed;
  p.framesPerColumn = settings.framesPerColumn;
  WaveSource& w = wave.source;
  w.bytesLeft = file.position < w.dataSize ? w.dataSize - file.position : 0;
}

// Opens the file (telling the observer) and the output device at the file's rate for the speed.
// False after the message; nothing is left open but the file.
bool openFileAndDevice(WaveSession& wave, const WaveOpenRequest& file,
                       const AppSettings& settings) {
  PlaybackState& p = wave.playback;
  WaveSource& w = wave.source;
  const WaveOpenResult opened = openWave(wave, file, settings);
  if (p.observer) p.observer->fileOpened(opened);
  if (!reportOpenFailure(opened, wave.messages)) return false;
  sizeBuffers(wave, settings, p.partialPlay);

  WaveFormat format = formatFromCopy(w);
  format.samplesPerSec = declaredSampleRate(format.samplesPerSec, p.playSpeed);
  format.avgBytesPerSec = format.samplesPerSec * format.blockAlign;
  const bool deviceOpen =
      wave.audio.open(format, [&wave](int header) { bufferDone(wave, header); });
  releaseFormatCopy(w);
  if (!deviceOpen) {
    wave.messages.show(QT_TRANSLATE_NOOP("Message", "音声出力デバイスを開けません。"));
    return false;
  }
  wave.outputDeviceOpen = true;
  p.declaredRate = format.samplesPerSec;
  return true;
}

// The sample buffers and the block the device's notices find them by; null (after the message)
// when they cannot be had.
InstanceBlock* reserveBuffers(WaveSession& wave) {
  if (!allocateBuffers(wave)) return nullptr;
  return makeInstanceBlock(wave, &wave.playback.headers);
}

// Reads the first buffer, and the second one when the file streams through two.
bool readFirstBuffers(WaveSession& wave) {
  PlaybackState& p = wave.playback;
  WaveSource& w = wave.source;
  p.currentHeader = 0;
  p.lastQueued = false;
  const uint32_t firstLength = std::min(w.bytesLeft, wave.bufferBytes);
  p.queuedLength[0] = firstLength;
  p.queuedLength[1] = 0;
  w.bytesLeft -= firstLength;
  if (!readInto(wave, 0, firstLength)) return false;
  if (!streaming(wave)) return true;
  const uint32_t secondLength = std::min(w.bytesLeft, wave.bufferBytes);
  w.bytesLeft -= secondLength;
  p.queuedLength[1] = secondLength;
  return readInto(wave, 1, secondLength);
}

// Hands the buffers read to the device; a single buffer starts the marker's timer first.
// `timerStarted` tells the clean-up whether to stop it.
bool queueFirstBuffers(WaveSession& wave, InstanceBlock* instance, bool& timerStarted) {
  PlaybackState& p = wave.playback;
  fillHeader(wave, 0, p.queuedLength[0], instance);
  if (!prepareHeader(p, 0)) {
    wave.messages.show(QT_TRANSLATE_NOOP("Message", "ウェーブヘッダーの準備ができません"));
    return false;
  }
  const bool single = !streaming(wave);
  if (single) {
    reportRedraw(p, PlaybackRedraw::kGraphFrame);
    p.timerPeriod =
        markerTimerPeriod(SampleRate(wave.source.srKHz), p.playBufferSeconds, p.playSpeed);
    reportMarkerTimer(p, p.timerPeriod);
    timerStarted = true;
  }
  if (!writeHeader(wave, 0)) {
    wave.messages.show(QT_TRANSLATE_NOOP("Message", "デバイスへの出力に失敗しました。"));
    return false;
  }
  if (single) {
    p.startTick = nowMs(wave);
    p.ticksShown = 0;
  }
  const uint32_t secondLength = p.queuedLength[1];
  if (streaming(wave) && secondLength > 0) return queueHeader(wave, 1, secondLength, instance);
  p.lastQueued = true;
  return true;
}

}  // namespace

void startPlayback(WaveSession& wave, const WaveOpenRequest& file, const AppSettings& settings,
                   bool partial) {
  PlaybackState& p = wave.playback;
  // One playback at a time, and none without the headers of the main window.
  if (p.playing || !p.headersAvailable) return;
  takeRequest(wave, file, settings, partial);
  if (!openFileAndDevice(wave, file, settings)) return;
  if (partial) moveMarker(p, 0, stripWidth(wave), kLayout.unitW);
  InstanceBlock* instance = reserveBuffers(wave);
  if (!instance) {
    if (partial) moveMarker(p, 0, stripWidth(wave));
    closeDevice(wave);
    return;
  }
  enterPhase(p, PlaybackPhase::kStarting);
  bool timerStarted = false;
  if (!readFirstBuffers(wave) || !queueFirstBuffers(wave, instance, timerStarted))
    return abandonStart(wave, instance, timerStarted);
  p.stopped = false;
  p.playing = true;
  enterPhase(p, PlaybackPhase::kPlaying);
}

namespace {

// Refills (or ends with) the buffer the device handed back, once its pacing time has come.
void handleReturnedBuffer(WaveSession& wave, int header) {
  PlaybackState& p = wave.playback;
  WaveSource& w = wave.source;
  const bool endsNow = p.lastQueued;
  const int i = p.currentHeader;
  p.currentHeader = 1 - i;
  const uint32_t n = std::min(w.bytesLeft, wave.bufferBytes);
  p.queuedLength[size_t(i)] = n;
  unprepareHeader(p, i);
  w.bytesLeft -= n;

  if (!streaming(wave)) reportRedraw(p, PlaybackRedraw::kFormatTexts);

  if (p.partialPlay) {
    const auto bufferFrames = int32_t(wave.bufferBytes / std::max<uint32_t>(w.blockAlign, 1));
    int32_t m = streaming(wave) && p.lastQueued ? bufferFrames / columnFrames(p) : stripWidth(wave);
    if (m < 1) m = 1;
    // Restores the previous strip and inverts the next one (only restores after the last).
    const int32_t q = markerColumns(wave);
    const bool follow = q > 0 && !p.lastQueued;
    moveMarker(p, 512 - q - m, p.lastQueued ? m : 2 * m, follow ? 512 - q + kLayout.unitW : -1);
    wave.markerFrames -= bufferFrames;
    if (wave.markerFrames <= 0) p.queuedLength[size_t(i)] = 0;  // the span is used up
  }

  if (!p.lastQueued) {
    const uint32_t length = p.queuedLength[size_t(i)];
    if (length > 0) {
      WaveHeader& h = p.headers[size_t(i)];
      h.data = wave.sampleBuffer[size_t(i)].data();
      h.length = length;
      h.flags = 0;
      // A refill that fails is not reported: the device just hands the buffer back again.
      readData(w, wave.sampleBuffer[size_t(i)].data(), length);
      if (prepareHeader(p, i)) writeHeader(wave, i);
    } else {
      p.lastQueued = true;
    }
  }

  if (endsNow) {
    if (!streaming(wave)) reportMarkerTimer(p, 0);
    if (!p.partialPlay) reportPlayedTo(p, 0);
    // The device lets go of everything before the buffers are freed.
    closeDevice(wave);
    endPlayback(wave, header);
  }
}

uint32_t pacingDelay(const WaveSession& wave) {
  const PlaybackState& p = wave.playback;
  return pacingDelayMs(p.playBufferSeconds, p.playSpeed, SampleRate(wave.source.srKHz));
}

// Handles the waiting buffers whose time has come, each at least the pacing delay after the one
// before, and asks for the timer when the next one must wait.
void handlePacedBuffers(WaveSession& wave) {
  PlaybackState& p = wave.playback;
  const uint32_t delay = pacingDelay(wave);
  while (!p.pacedHeaders.empty() && p.playing && !p.stopped) {
    if (const uint32_t wait = pacingWaitMs(wave, delay); wait > 0) {
      wave.clock.pacingTimer(wait);
      return;
    }
    const int header = p.pacedHeaders.front();
    p.pacedHeaders.pop_front();
    p.lastPacingTime = nowMs(wave);
    handleReturnedBuffer(wave, header);
  }
  if (!p.playing || p.stopped) p.pacedHeaders.clear();
}

}  // namespace

void bufferDone(WaveSession& wave, int header) {
  PlaybackState& p = wave.playback;
  // Notices still queued after Stop or after the end change nothing.
  if (p.stopped || !p.playing) return;
  if (pacingDelay(wave) == 0 || !wave.clock.pacingTimer) return handleReturnedBuffer(wave, header);
  p.pacedHeaders.push_back(header);
  // A buffer already waiting has its timer asked for; this one follows it.
  if (p.pacedHeaders.size() == 1) handlePacedBuffers(wave);
}

void pacingTimeout(WaveSession& wave) {
  handlePacedBuffers(wave);
}

void endPlayback(WaveSession& wave, int header) {
  PlaybackState& p = wave.playback;
  InstanceBlock* instance = p.headers[size_t(header & 1)].user;
  if (!instance) instance = p.headers[0].user;
  releasePlayback(wave, instance);
  p.playing = false;
  WaveSource& w = wave.source;
  if (w.mmio.isOpen()) {
    w.mmio.ascend(w.dataChunk);
    w.mmio.ascend(w.riffChunk);
  }
  enterPhase(p, PlaybackPhase::kIdle);
}

void stopPlayback(WaveSession& wave) {
  PlaybackState& p = wave.playback;
  WaveSource& w = wave.source;
  if (!p.playing) return;  // nothing to stop; the buffers are gone already
  const bool single = !streaming(wave);
  if (single) reportMarkerTimer(p, 0);

  p.stopped = true;
  wave.audio.reset();
  unprepareHeader(p, 0);
  p.playing = false;

  if (!single) {
    unprepareHeader(p, 1);
    if (!p.partialPlay) {
      // Just after the last byte handed to the device.
      reportPlayedTo(p, w.dataSize - w.bytesLeft);
    } else {
      const int32_t width = stripWidth(wave);
      const int32_t x = 512 - markerColumns(wave) - width;
      moveMarker(p, x, width, x + kLayout.unitW);
    }
  } else {
    const uint32_t elapsed = nowMs(wave) - p.startTick;
    if (!p.partialPlay) {
      // Whole frames the device has played since the start, at the rate it was given, and never
      // more than the buffer held.
      const uint64_t frames = uint64_t(p.declaredRate) * elapsed / 1000;
      const uint64_t played = std::min<uint64_t>(frames * w.blockAlign, p.queuedLength[0]);
      reportPlayedTo(
          p, p.startPosition + uint32_t(played - played % std::max<uint32_t>(w.blockAlign, 1)));
    } else {
      markerStep(wave, false);
    }
    reportRedraw(p, PlaybackRedraw::kFormatTexts);
  }

  closeDevice(wave);
  releasePlayback(wave, p.headers[0].user);
  enterPhase(p, PlaybackPhase::kIdle);
}

void releasePlaybackAtExit(WaveSession& wave, bool fileSelected) {
  PlaybackState& p = wave.playback;
  if (!wave.outputDeviceOpen || !fileSelected || !p.playing) return;
  if (!streaming(wave)) reportMarkerTimer(p, 0);
  p.stopped = true;
  wave.audio.reset();
  unprepareHeader(p, 0);
  unprepareHeader(p, 1);
  releasePlayback(wave, p.headers[0].user);
  p.playing = false;
  p.phase = PlaybackPhase::kIdle;  // the window is going away: nobody to tell
}

}  // namespace korimu

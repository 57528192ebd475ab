#include "wave/playback.h"

#include <algorithm>

#include "core/app_state.h"
#include "core/layout.h"
#include "core/settings.h"
#include "core/shell_hooks.h"
#include "platform/audio_device.h"
#include "platform/message.h"
#include "wave/playback_internal.h"
#include "wave/wave_source.h"

namespace korimu {

PlaybackState playbackState;

namespace {

using namespace playback_detail;

bool streaming() {
  return waveSource.readMode != 1;
}

void closeDevice() {
  audioBackend().close();
  outputDeviceOpen = false;
}

void fillHeader(int i, uint32_t length, InstanceBlock* instance) {
  WaveHeader& h = playbackState.headers[size_t(i)];
  h.data = sampleBuffer[size_t(i)].data();
  h.length = length;
  h.flags = 0;
  h.loops = 0;
  h.user = instance;
}

bool prepareHeader(int i) {
  WaveHeader& h = playbackState.headers[size_t(i)];
  if (!h.data || (h.flags & kHeaderPrepared)) return false;
  h.flags |= kHeaderPrepared;
  return true;
}

void unprepareHeader(int i) {
  playbackState.headers[size_t(i)].flags &= ~kHeaderPrepared;
}

bool writeHeader(int i) {
  const WaveHeader& h = playbackState.headers[size_t(i)];
  if (!(h.flags & kHeaderPrepared)) return false;
  return audioBackend().write(i, h.data, h.length);
}

// Forgets the buffers: they are about to be freed.
void clearHeaders() {
  for (WaveHeader& h : playbackState.headers) h = WaveHeader{};
}

void releasePlayback(InstanceBlock* instance) {
  clearHeaders();
  releaseInstance(instance);
}

// Undoes a start that failed after the buffers were allocated: nothing of it stays behind.
void abandonStart(InstanceBlock* instance, bool timerStarted) {
  if (timerStarted) reportMarkerTimer(0);
  unprepareHeader(0);
  unprepareHeader(1);
  releasePlayback(instance);
  if (playbackState.partialPlay) moveMarker(0, stripWidth());  // the first strip
  closeDevice();
  enterPhase(PlaybackPhase::kIdle);
}

// Reads `length` bytes of the file into sample buffer i; false (after the message) when short.
bool readInto(int i, uint32_t length) {
  const bool single = !streaming();
  if (single) callHook(shellHooks.showHourglass, true);
  const uint32_t got = readData(sampleBuffer[size_t(i)].data(), length);
  if (single) callHook(shellHooks.showHourglass, false);
  if (got == length) return true;
  showMessage(formatText("データチャンクを読み取れません。%d %ld", i, long(length)));
  return false;
}

bool queueHeader(int i, uint32_t length, InstanceBlock* instance) {
  fillHeader(i, length, instance);
  if (!prepareHeader(i)) {
    showMessage("ウェーブヘッダーの準備ができません");
    return false;
  }
  if (!writeHeader(i)) {
    showMessage("デバイスへの出力に失敗しました。");
    return false;
  }
  return true;
}

}  // namespace

void startPlayback(bool partial) {
  PlaybackState& p = playbackState;
  WaveSource& w = waveSource;
  // One playback at a time, and none without the headers of the main window.
  if (appState.playing || !p.headersAvailable) return;
  p.partialPlay = partial;
  playbackPartial = partial;
  w.bytesLeft = appState.position < w.dataSize ? w.dataSize - appState.position : 0;

  if (!openWave()) return;
  sizeBuffers(partial);

  WaveFormat format = formatFromCopy();
  format.samplesPerSec = declaredSampleRate(format.samplesPerSec, settings.playSpeed);
  format.avgBytesPerSec = format.samplesPerSec * format.blockAlign;
  if (!audioBackend().open(format, [](int header) { bufferDone(header); })) {
    showMessage("音声出力デバイスを開けません。");
    releaseFormatCopy();
    return;
  }
  outputDeviceOpen = true;
  p.declaredRate = format.samplesPerSec;
  releaseFormatCopy();

  if (partial) moveMarker(0, stripWidth(), kLayout.unitW);

  if (!allocSampleBuffers()) {
    if (partial) moveMarker(0, stripWidth());
    closeDevice();
    return;
  }
  InstanceBlock* instance = makeInstanceBlock(&p.headers);
  if (!instance) {
    if (partial) moveMarker(0, stripWidth());
    closeDevice();
    return;
  }

  enterPhase(PlaybackPhase::kStarting);
  p.currentHeader = 0;
  p.lastQueued = false;

  const uint32_t firstLength = std::min(w.bytesLeft, bufferBytes);
  p.queuedLength[0] = firstLength;
  w.bytesLeft -= firstLength;
  if (!readInto(0, firstLength)) return abandonStart(instance, false);

  uint32_t secondLength = 0;
  if (streaming()) {
    secondLength = std::min(w.bytesLeft, bufferBytes);
    w.bytesLeft -= secondLength;
    if (!readInto(1, secondLength)) return abandonStart(instance, false);
  }
  p.queuedLength[1] = secondLength;

  fillHeader(0, firstLength, instance);
  if (!prepareHeader(0)) {
    showMessage("ウェーブヘッダーの準備ができません");
    return abandonStart(instance, false);
  }

  const bool single = !streaming();
  if (single) {
    reportRedraw(PlaybackRedraw::kGraphFrame);
    p.timerPeriod =
        markerTimerPeriod(SampleRate(w.srKHz), settings.playBufferSeconds, settings.playSpeed);
    reportMarkerTimer(p.timerPeriod);
  }

  if (!writeHeader(0)) {
    showMessage("デバイスへの出力に失敗しました。");
    return abandonStart(instance, single);
  }
  if (single) {
    p.startTick = nowMs();
    p.ticksShown = 0;
  }

  if (streaming() && secondLength > 0) {
    if (!queueHeader(1, secondLength, instance)) return abandonStart(instance, false);
  } else {
    p.lastQueued = true;
  }

  p.stopped = false;
  appState.playing = 1;
  enterPhase(PlaybackPhase::kPlaying);
}

void bufferDone(int header) {
  PlaybackState& p = playbackState;
  WaveSource& w = waveSource;
  // Notices still queued after Stop or after the end change nothing.
  if (p.stopped || !appState.playing) return;

  const uint32_t delay =
      pacingDelayMs(settings.playBufferSeconds, settings.playSpeed, SampleRate(w.srKHz));
  if (delay > 0) waitForPacing(delay);

  const bool endsNow = p.lastQueued;
  const int i = p.currentHeader;
  p.currentHeader = 1 - i;
  const uint32_t n = std::min(w.bytesLeft, bufferBytes);
  p.queuedLength[size_t(i)] = n;
  unprepareHeader(i);
  w.bytesLeft -= n;

  if (!streaming()) reportRedraw(PlaybackRedraw::kFormatTexts);

  if (p.partialPlay) {
    const auto bufferFrames = int32_t(bufferBytes / std::max<uint32_t>(w.blockAlign, 1));
    int32_t m = streaming() && p.lastQueued ? bufferFrames / columnFrames() : stripWidth();
    if (m < 1) m = 1;
    // Restores the previous strip and inverts the next one (only restores after the last).
    const bool follow = markerColumns() > 0 && !p.lastQueued;
    moveMarker(512 - markerColumns() - m, p.lastQueued ? m : 2 * m,
               follow ? 512 - markerColumns() + kLayout.unitW : -1);
    markerFrames -= bufferFrames;
    if (markerFrames <= 0) p.queuedLength[size_t(i)] = 0;  // the span is used up
  }

  if (!p.lastQueued) {
    const uint32_t length = p.queuedLength[size_t(i)];
    if (length > 0) {
      WaveHeader& h = p.headers[size_t(i)];
      h.data = sampleBuffer[size_t(i)].data();
      h.length = length;
      h.flags = 0;
      // A refill that fails is not reported: the device just hands the buffer back again.
      readData(sampleBuffer[size_t(i)].data(), length);
      if (prepareHeader(i)) writeHeader(i);
    } else {
      p.lastQueued = true;
    }
  }

  if (endsNow) {
    if (!streaming()) reportMarkerTimer(0);
    if (!p.partialPlay) {
      appState.position = 0;
      reportPositionChanged();
    }
    // The device lets go of everything before the buffers are freed.
    closeDevice();
    endPlayback(header);
  }
}

void endPlayback(int header) {
  PlaybackState& p = playbackState;
  InstanceBlock* instance = p.headers[size_t(header & 1)].user;
  if (!instance) instance = p.headers[0].user;
  releasePlayback(instance);
  appState.playing = 0;
  WaveSource& w = waveSource;
  if (w.mmio.isOpen()) {
    w.mmio.ascend(w.dataChunk);
    w.mmio.ascend(w.riffChunk);
  }
  enterPhase(PlaybackPhase::kIdle);
}

void stopPlayback() {
  PlaybackState& p = playbackState;
  WaveSource& w = waveSource;
  if (!appState.playing) return;  // nothing to stop; the buffers are gone already
  const bool single = !streaming();
  if (single) reportMarkerTimer(0);

  p.stopped = true;
  audioBackend().reset();
  unprepareHeader(0);
  appState.playing = 0;

  if (!single) {
    unprepareHeader(1);
    if (!p.partialPlay) {
      // Just after the last byte handed to the device.
      appState.position = w.dataSize - w.bytesLeft;
      reportPositionChanged();
    } else {
      const int32_t width = stripWidth();
      const int32_t x = 512 - markerColumns() - width;
      moveMarker(x, width, x + kLayout.unitW);
    }
  } else {
    const uint32_t elapsed = nowMs() - p.startTick;
    if (!p.partialPlay) {
      // Whole frames the device has played since the start, at the rate it was given, and never
      // more than the buffer held.
      const uint64_t frames = uint64_t(p.declaredRate) * elapsed / 1000;
      const uint64_t played = std::min<uint64_t>(frames * w.blockAlign, p.queuedLength[0]);
      appState.position += uint32_t(played - played % std::max<uint32_t>(w.blockAlign, 1));
      reportPositionChanged();
    } else {
      markerStep(false);
    }
    reportRedraw(PlaybackRedraw::kFormatTexts);
  }

  closeDevice();
  releasePlayback(p.headers[0].user);
  enterPhase(PlaybackPhase::kIdle);
}

void releasePlaybackAtExit() {
  PlaybackState& p = playbackState;
  if (!outputDeviceOpen || !appState.fileSelected || !appState.playing) return;
  if (!streaming()) reportMarkerTimer(0);
  p.stopped = true;
  audioBackend().reset();
  unprepareHeader(0);
  unprepareHeader(1);
  releasePlayback(p.headers[0].user);
  appState.playing = 0;
  p.phase = PlaybackPhase::kIdle;  // the window is going away: nobody to tell
}

}  // namespace korimu

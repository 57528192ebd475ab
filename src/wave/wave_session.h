// Everything the program keeps about the open file: the file itself, the two sample-buffer slots
// that playback and the analysis run share, the playback, and the seams a test sets on its own
// instance. Whoever shows a file owns one (the window's controller, each rendered file).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/audio_device.h"
#include "platform/message.h"
#include "platform/system_facts.h"
#include "wave/playback.h"
#include "wave/wave_source.h"

namespace korimu {

struct WaveSession {
  WaveSource source;

  // Slot 0 and slot 1. A slot's memory stays where it is from allocation to release.
  std::array<std::vector<uint8_t>, 2> sampleBuffer;
  // Size of each playback sample buffer in bytes (a multiple of blockAlign).
  uint32_t bufferBytes = 0;
  // Frames from the end of the first playback buffer to the overview's right edge.
  int32_t markerFrames = 0;
  // Whether the playback being prepared plays only the overview span (the open sizes the buffers
  // for it).
  bool playbackPartial = false;

  PlaybackState playback;
  // The wave-output device is open for this file, so closeWave closes it.
  bool outputDeviceOpen = false;

  // The slots together may hold at most this many bytes; more counts as unavailable memory (0: no
  // limit). Lets the out-of-memory paths be exercised.
  uint64_t sampleMemoryLimit = 0;
  // The playback's clock and pacing timer (unset: the tick counter, and no pacing).
  PlaybackClock clock;
  // The wave-output device the playback plays through, given by its owner (none by default: a
  // render never plays).
  AudioBackend audio;
  // How the capacity of a file's volume is asked (unset: the system is asked).
  VolumeQuery volumeQuery;
  // Where the session's messages go, given by its owner (stderr and exit by default). Every part
  // of a session speaks through these: the wave code has only its WaveSession.
  Messages messages;
};

}  // namespace korimu

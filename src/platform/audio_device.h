// The wave-output device. The engine hands the device PCM buffers and hears back, on the UI thread
// and in order, when each one has been played. Backends are installed as a set of functions (the
// Qt front end installs the sound-server backend; the default reports no device at all).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace korimu {

// The format fields of a WAVE "fmt " chunk.
struct WaveFormat {
  uint16_t formatTag = 1;
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
};

struct AudioBackend {
  std::function<int()> outputDeviceCount;
  std::function<int()> inputDeviceCount;
  // Query only: can the default output play this format? Nothing stays open.
  std::function<bool(const WaveFormat&)> supportsFormat;
  // Opens the default output for this format (its samplesPerSec is the declared rate).
  // bufferDone(index) is called on the UI thread once buffer `index` has been played.
  std::function<bool(const WaveFormat&, std::function<void(int index)> bufferDone)> open;
  // Queues buffer `index` (0 or 1). The memory stays valid and unchanged until it is returned.
  std::function<bool(int index, const uint8_t* data, size_t length)> write;
  // Stops at once and forgets queued buffers (no bufferDone for them).
  std::function<void()> reset;
  std::function<void()> close;
};

// The installed backend; every function is set (the default one reports zero devices).
const AudioBackend& audioBackend();
// Installs a backend; unset functions fall back to the no-device behaviour.
void setAudioBackend(AudioBackend backend);

}  // namespace korimu

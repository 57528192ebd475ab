// The wave-output device. The engine hands the device PCM buffers and hears back, on the UI thread
// and in order, when each one has been played. A backend is a set of functions that the owner of
// the device (the window program's main, a test) gives to the session that plays through it; a
// default-made one reports no device at all.
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
  std::function<int()> outputDeviceCount = [] { return 0; };
  std::function<int()> inputDeviceCount = [] { return 0; };
  // Query only: can the default output play this format? Nothing stays open.
  std::function<bool(const WaveFormat&)> supportsFormat = [](const WaveFormat&) { return false; };
  // Opens the default output for this format (its samplesPerSec is the declared rate).
  // bufferDone(index) is called on the UI thread once buffer `index` has been played.
  std::function<bool(const WaveFormat&, std::function<void(int index)> bufferDone)> open =
      [](const WaveFormat&, const std::function<void(int)>&) { return false; };
  // Queues buffer `index` (0 or 1). The memory stays valid and unchanged until it is returned.
  std::function<bool(int index, const uint8_t* data, size_t length)> write =
      [](int, const uint8_t*, size_t) { return false; };
  // Stops at once and forgets queued buffers (no bufferDone for them).
  std::function<void()> reset = [] {};
  std::function<void()> close = [] {};
};

struct DeviceCounts {
  int outputs = 0;
  int inputs = 0;
};

// The backend's devices: the outputs are counted first, then the inputs.
DeviceCounts countDevices(const AudioBackend& backend);

}  // namespace korimu

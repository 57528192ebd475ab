#include "platform/audio_device.h"

#include <utility>

namespace korimu {

namespace {

AudioBackend noDeviceBackend() {
  AudioBackend b;
  b.outputDeviceCount = [] { return 0; };
  b.inputDeviceCount = [] { return 0; };
  b.supportsFormat = [](const WaveFormat&) { return false; };
  b.open = [](const WaveFormat&, const std::function<void(int)>&) { return false; };
  b.write = [](int, const uint8_t*, size_t) { return false; };
  b.reset = [] {};
  b.close = [] {};
  return b;
}

AudioBackend& installed() {
  static AudioBackend backend = noDeviceBackend();
  return backend;
}

}  // namespace

const AudioBackend& audioBackend() {
  return installed();
}

void setAudioBackend(AudioBackend backend) {
  const AudioBackend fallback = noDeviceBackend();
  if (!backend.outputDeviceCount) backend.outputDeviceCount = fallback.outputDeviceCount;
  if (!backend.inputDeviceCount) backend.inputDeviceCount = fallback.inputDeviceCount;
  if (!backend.supportsFormat) backend.supportsFormat = fallback.supportsFormat;
  if (!backend.open) backend.open = fallback.open;
  if (!backend.write) backend.write = fallback.write;
  if (!backend.reset) backend.reset = fallback.reset;
  if (!backend.close) backend.close = fallback.close;
  installed() = std::move(backend);
}

}  // namespace korimu

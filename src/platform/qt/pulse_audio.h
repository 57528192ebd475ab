// The wave-output device on Linux: a stream on the PulseAudio sound server (PipeWire's PulseAudio
// service serves as well). The server's own thread feeds and watches the stream; every finished
// buffer is reported back on the thread that connected, through its Qt event queue.
#pragma once

#include <memory>

#include "platform/audio_device.h"

namespace korimu {

namespace pulse_detail {
struct PulseState;
}  // namespace pulse_detail

// One connection to the sound server, owned by whoever plays through it (the window program's
// main). It must outlive every session its backend was given to.
class PulseAudioOutput {
 public:
  // Connects to the sound server. Without a server (or when the connection fails) nothing is
  // returned, and the program runs with no output device. Must be called on the UI thread;
  // buffer-done reports are delivered there by its event loop.
  static std::unique_ptr<PulseAudioOutput> connect();
  // Closes any open stream and disconnects.
  ~PulseAudioOutput();
  PulseAudioOutput(const PulseAudioOutput&) = delete;
  PulseAudioOutput& operator=(const PulseAudioOutput&) = delete;

  // The device as a backend for a session: its functions work on this connection.
  AudioBackend backend();

 private:
  explicit PulseAudioOutput(std::unique_ptr<pulse_detail::PulseState> state);
  std::unique_ptr<pulse_detail::PulseState> state_;
};

// The backend of `output`, or the no-device one when there is no connection.
AudioBackend backendOf(PulseAudioOutput* output);

}  // namespace korimu

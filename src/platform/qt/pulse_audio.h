// The wave-output device on Linux: a stream on the PulseAudio sound server (PipeWire's PulseAudio
// service serves as well). The server's own thread feeds and watches the stream; every finished
// buffer is reported back on the thread that installed the backend, through its Qt event queue.
#pragma once

namespace korimu {

// Connects to the sound server and installs it as the audio backend. Without a server (or when
// the connection fails) nothing is installed, so the program runs with no output device.
// Must be called on the UI thread; buffer-done reports are delivered there by its event loop.
bool installPulseAudioBackend();

// Closes any open stream, disconnects and puts the no-device backend back.
void removePulseAudioBackend();

}  // namespace korimu

// State of one connection to the sound server: the connection, the one playback stream and the
// buffers queued on it. Every function is handed the state it works on (the server's callbacks get
// it as their user data). Everything marked "lock held" runs under the threaded mainloop's lock.
#pragma once

#include <pulse/pulseaudio.h>

#include <QObject>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "platform/audio_device.h"

namespace korimu::pulse_detail {

// How often the server thread asks how far the stream has played while buffers are out.
constexpr pa_usec_t kPollUsec = 10 * 1000;
// The server-side queue we ask for: short, so Stop is heard at once and the played position stays
// close to what was handed over.
constexpr pa_usec_t kTargetLatencyUsec = 100 * 1000;

// One buffer handed over by the engine. The engine keeps the memory unchanged until it is
// reported back, so only the pointer is kept; chunks are copied into the server as it asks.
struct QueuedBuffer {
  int index = 0;
  const uint8_t* data = nullptr;
  size_t length = 0;
  size_t sent = 0;
  uint64_t endOffset = 0;  // stream offset just after this buffer's last byte
};

struct PulseState {
  pa_threaded_mainloop* loop = nullptr;
  pa_context* context = nullptr;
  bool contextReady = false;

  // Everything below is guarded by the mainloop lock.
  pa_stream* stream = nullptr;
  pa_sample_spec spec{};
  std::deque<QueuedBuffer> queue;
  uint64_t bytesAccepted = 0;  // handed to us by write()
  uint64_t bytesWritten = 0;   // handed to the server
  bool drainedOut = false;     // the server ran dry after our last write: all of it was played
  pa_time_event* pollEvent = nullptr;
  bool timingRequestOut = false;

  // UI-thread side.
  std::unique_ptr<QObject> receiver;    // lives on the UI thread; reports are queued to it
  std::function<void(int)> bufferDone;  // the engine's notice
  std::atomic<unsigned> generation{0};  // bumped by reset and close: older reports are dropped
};

class MainloopLock {
 public:
  explicit MainloopLock(pa_threaded_mainloop* loop) : loop_(loop) {
    pa_threaded_mainloop_lock(loop_);
  }
  ~MainloopLock() { pa_threaded_mainloop_unlock(loop_); }
  MainloopLock(const MainloopLock&) = delete;
  MainloopLock& operator=(const MainloopLock&) = delete;

 private:
  pa_threaded_mainloop* loop_;
};

void signalLoop(PulseState* state);
// Waits (lock held) until an operation has finished.
void waitFor(PulseState* state, pa_operation* op);
void dropOperation(pa_operation* op);

// The sample format the stream declares for a WAVE format, or false when the server cannot take
// it. The format query and the open both decide through this one function, so they agree.
bool sampleSpecFor(const WaveFormat& f, pa_sample_spec* spec);

// The poll timer of the server thread (its user data is the state): asks how far the stream has
// played.
void onPoll(pa_mainloop_api*, pa_time_event* event, const struct timeval*, void* user);
// Lock held: drops the stream and everything queued on it.
void closeStream(PulseState* state);

// The stream operations of the backend (UI thread).
bool openDevice(PulseState* state, const WaveFormat& format, std::function<void(int)> bufferDone);
bool writeBuffer(PulseState* state, int index, const uint8_t* data, size_t length);
void resetDevice(PulseState* state);
void closeDevice(PulseState* state);

}  // namespace korimu::pulse_detail

// The playback stream of the sound-server backend: buffers are fed to the server as it asks for
// them and reported back, in order, once the server's clock says they have been played.
#include <QMetaObject>

#include "platform/qt/pulse_state.h"

namespace korimu::pulse_detail {

void signalLoop(PulseState* state) {
  pa_threaded_mainloop_signal(state->loop, 0);
}

// Waits (lock held) until an operation has finished.
void waitFor(PulseState* state, pa_operation* op) {
  if (!op) return;
  while (pa_operation_get_state(op) == PA_OPERATION_RUNNING) pa_threaded_mainloop_wait(state->loop);
  pa_operation_unref(op);
}

void dropOperation(pa_operation* op) {
  if (op) pa_operation_unref(op);
}

// The sample format the stream declares for a WAVE format, or false when the server cannot take
// it. The format query and the open both decide through this one function, so they agree.
bool sampleSpecFor(const WaveFormat& f, pa_sample_spec* spec) {
  if (f.formatTag != 1 || f.channels == 0) return false;
  switch (f.bitsPerSample) {
    case 8:
      spec->format = PA_SAMPLE_U8;
      break;
    case 16:
      spec->format = PA_SAMPLE_S16LE;
      break;
    case 24:
      spec->format = PA_SAMPLE_S24LE;
      break;
    case 32:
      spec->format = PA_SAMPLE_S32LE;
      break;
    default:
      return false;
  }
  spec->channels = static_cast<uint8_t>(f.channels > 255 ? 0 : f.channels);
  spec->rate = f.samplesPerSec;
  if (!pa_sample_spec_valid(spec)) return false;
  return f.blockAlign == pa_frame_size(spec);
}

// ---- Server thread (lock held by the mainloop) ----

namespace {

// The report runs on the UI thread through the receiver, which the state owns: reports still
// queued when the state goes are dropped with it.
void postDone(PulseState* state, int index) {
  const unsigned generation = state->generation.load();
  QObject* receiver = state->receiver.get();
  QMetaObject::invokeMethod(
      receiver,
      [state, index, generation] {
        if (generation != state->generation.load()) return;
        std::function<void(int)> notice = state->bufferDone;  // the notice may close the device
        if (notice) notice(index);
      },
      Qt::QueuedConnection);
}

uint64_t playedBytes(PulseState* state) {
  if (state->drainedOut) return state->bytesWritten;
  pa_usec_t usec = 0;
  if (pa_stream_get_time(state->stream, &usec) < 0) return 0;
  const uint64_t bytes = pa_usec_to_bytes(usec, &state->spec);
  return bytes < state->bytesWritten ? bytes : state->bytesWritten;
}

void reportPlayed(PulseState* state) {
  if (!state->stream) return;
  const uint64_t played = playedBytes(state);
  while (!state->queue.empty()) {
    const QueuedBuffer& front = state->queue.front();
    if (front.sent < front.length || front.endOffset > played) break;
    postDone(state, front.index);
    state->queue.pop_front();
  }
}

// Hands the server as much queued data as it asks for.
void feedServer(PulseState* state) {
  if (!state->stream || pa_stream_get_state(state->stream) != PA_STREAM_READY) return;
  size_t room = pa_stream_writable_size(state->stream);
  bool wrote = false;
  for (QueuedBuffer& b : state->queue) {
    if (room == 0 || room == static_cast<size_t>(-1)) break;
    if (b.sent == b.length) continue;
    size_t n = b.length - b.sent;
    if (n > room) n = room - room % pa_frame_size(&state->spec);
    if (n == 0) break;
    if (pa_stream_write(state->stream, b.data + b.sent, n, nullptr, 0, PA_SEEK_RELATIVE) < 0) break;
    b.sent += n;
    state->bytesWritten += n;
    room -= n;
    wrote = true;
  }
  if (wrote) {
    state->drainedOut = false;
    // Start at once: the first buffers may be shorter than the server's pre-buffer.
    dropOperation(pa_stream_trigger(state->stream, nullptr, nullptr));
  }
}

void onWriteRequest(pa_stream*, size_t, void* user) {
  feedServer(static_cast<PulseState*>(user));
}

void onUnderflow(pa_stream*, void* user) {
  auto* state = static_cast<PulseState*>(user);
  bool allSent = true;
  for (const QueuedBuffer& b : state->queue) allSent = allSent && b.sent == b.length;
  if (allSent) state->drainedOut = true;
  reportPlayed(state);
}

void onTimingUpdate(pa_stream*, int, void* user) {
  auto* state = static_cast<PulseState*>(user);
  state->timingRequestOut = false;
  reportPlayed(state);
}

}  // namespace

void onPoll(pa_mainloop_api*, pa_time_event* event, const struct timeval*, void* user) {
  auto* state = static_cast<PulseState*>(user);
  if (state->stream && !state->queue.empty() && !state->timingRequestOut &&
      pa_stream_get_state(state->stream) == PA_STREAM_READY) {
    pa_operation* op = pa_stream_update_timing_info(state->stream, onTimingUpdate, state);
    state->timingRequestOut = op != nullptr;
    dropOperation(op);
  }
  pa_context_rttime_restart(state->context, event, pa_rtclock_now() + kPollUsec);
}

namespace {

// A stream the server dropped plays nothing more: everything still queued on it comes back at
// once, so a playback runs on to its end instead of waiting for buffers that never return.
void returnEverything(PulseState* state) {
  for (const QueuedBuffer& b : state->queue) postDone(state, b.index);
  state->queue.clear();
}

void onStreamState(pa_stream* s, void* user) {
  auto* state = static_cast<PulseState*>(user);
  if (s == state->stream && !PA_STREAM_IS_GOOD(pa_stream_get_state(s))) returnEverything(state);
  signalLoop(state);
}

}  // namespace

// ---- UI thread ----

void closeStream(PulseState* state) {
  if (!state->stream) return;
  pa_stream_set_state_callback(state->stream, nullptr, nullptr);
  pa_stream_set_write_callback(state->stream, nullptr, nullptr);
  pa_stream_set_underflow_callback(state->stream, nullptr, nullptr);
  pa_stream_disconnect(state->stream);
  pa_stream_unref(state->stream);
  state->stream = nullptr;
  state->queue.clear();
  state->timingRequestOut = false;
}

namespace {

// Lock held. Connects a playback stream for state->spec on the default output.
bool connectStream(PulseState* state) {
  if (!state->contextReady) return false;
  pa_stream* s = pa_stream_new(state->context, "KORIMU", &state->spec, nullptr);
  if (!s) return false;
  pa_stream_set_state_callback(s, onStreamState, state);
  pa_stream_set_write_callback(s, onWriteRequest, state);
  pa_stream_set_underflow_callback(s, onUnderflow, state);
  pa_buffer_attr attr;
  attr.maxlength = static_cast<uint32_t>(-1);
  attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kTargetLatencyUsec, &state->spec));
  attr.prebuf = static_cast<uint32_t>(-1);
  attr.minreq = static_cast<uint32_t>(-1);
  attr.fragsize = static_cast<uint32_t>(-1);
  const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY);
  if (pa_stream_connect_playback(s, nullptr, &attr, flags, nullptr, nullptr) < 0) {
    pa_stream_unref(s);
    return false;
  }
  for (;;) {
    const pa_stream_state_t st = pa_stream_get_state(s);
    if (st == PA_STREAM_READY) break;
    if (!PA_STREAM_IS_GOOD(st)) {
      pa_stream_set_state_callback(s, nullptr, nullptr);
      pa_stream_set_write_callback(s, nullptr, nullptr);
      pa_stream_set_underflow_callback(s, nullptr, nullptr);
      pa_stream_unref(s);
      return false;
    }
    pa_threaded_mainloop_wait(state->loop);
  }
  state->stream = s;
  state->bytesAccepted = 0;
  state->bytesWritten = 0;
  state->drainedOut = false;
  return true;
}

}  // namespace

bool openDevice(PulseState* state, const WaveFormat& format, std::function<void(int)> bufferDone) {
  pa_sample_spec spec;
  if (!sampleSpecFor(format, &spec)) return false;
  MainloopLock lock(state->loop);
  // Bumped under the lock: the server thread reads it there when it reports a buffer, so no
  // report of the old stream can carry the new number.
  ++state->generation;
  closeStream(state);
  state->spec = spec;
  if (!connectStream(state)) return false;
  state->bufferDone = std::move(bufferDone);
  return true;
}

bool writeBuffer(PulseState* state, int index, const uint8_t* data, size_t length) {
  MainloopLock lock(state->loop);
  if (!state->stream) return false;
  state->bytesAccepted += length;
  state->queue.push_back(QueuedBuffer{index, data, length, 0, state->bytesAccepted});
  if (PA_STREAM_IS_GOOD(pa_stream_get_state(state->stream))) {
    feedServer(state);
  } else {
    returnEverything(state);
  }
  return true;
}

// Drops the stream with everything queued in it; the next write reconnects with the same format.
void resetDevice(PulseState* state) {
  MainloopLock lock(state->loop);
  ++state->generation;
  if (!state->stream) return;
  closeStream(state);
  connectStream(state);
}

void closeDevice(PulseState* state) {
  state->bufferDone = nullptr;
  MainloopLock lock(state->loop);
  ++state->generation;
  closeStream(state);
}

}  // namespace korimu::pulse_detail

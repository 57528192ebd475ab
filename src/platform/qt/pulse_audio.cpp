#include "platform/qt/pulse_audio.h"

#include <utility>

#include "platform/qt/pulse_state.h"

namespace korimu {

namespace pulse_detail {
PulseState* state = nullptr;
}  // namespace pulse_detail

namespace {

using namespace pulse_detail;

void onContextState(pa_context* c, void*) {
  const pa_context_state_t s = pa_context_get_state(c);
  state->contextReady = s == PA_CONTEXT_READY;
  signalLoop();
}

int countDevices(bool outputs) {
  if (!state) return 0;
  MainloopLock lock(state->loop);
  if (!state->contextReady) return 0;
  int count = 0;
  if (outputs) {
    waitFor(pa_context_get_sink_info_list(
        state->context,
        [](pa_context*, const pa_sink_info* info, int eol, void* user) {
          if (eol) {
            signalLoop();
            return;
          }
          if (info) ++*static_cast<int*>(user);
        },
        &count));
  } else {
    waitFor(pa_context_get_source_info_list(
        state->context,
        [](pa_context*, const pa_source_info* info, int eol, void* user) {
          if (eol) {
            signalLoop();
            return;
          }
          // A monitor of an output is not a recording device.
          if (info && info->monitor_of_sink == PA_INVALID_INDEX) ++*static_cast<int*>(user);
        },
        &count));
  }
  return count;
}

bool supportsFormat(const WaveFormat& format) {
  pa_sample_spec spec;
  return sampleSpecFor(format, &spec) && countDevices(true) > 0;
}

void destroyState() {
  if (!state) return;
  if (state->loop) {
    pa_threaded_mainloop_lock(state->loop);
    closeStream();
    if (state->pollEvent) {
      pa_threaded_mainloop_get_api(state->loop)->time_free(state->pollEvent);
      state->pollEvent = nullptr;
    }
    if (state->context) {
      pa_context_set_state_callback(state->context, nullptr, nullptr);
      pa_context_disconnect(state->context);
      pa_context_unref(state->context);
      state->context = nullptr;
    }
    pa_threaded_mainloop_unlock(state->loop);
    pa_threaded_mainloop_stop(state->loop);
    pa_threaded_mainloop_free(state->loop);
  }
  delete state;
  state = nullptr;
}

}  // namespace

bool installPulseAudioBackend() {
  removePulseAudioBackend();
  state = new PulseState;
  state->receiver = std::make_unique<QObject>();
  state->loop = pa_threaded_mainloop_new();
  if (!state->loop) {
    destroyState();
    return false;
  }
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(state->loop);
  state->context = pa_context_new(api, "KORIMU");
  if (!state->context || pa_threaded_mainloop_start(state->loop) < 0) {
    destroyState();
    return false;
  }
  bool ready = false;
  {
    MainloopLock lock(state->loop);
    pa_context_set_state_callback(state->context, onContextState, nullptr);
    if (pa_context_connect(state->context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
      for (;;) {
        const pa_context_state_t s = pa_context_get_state(state->context);
        if (s == PA_CONTEXT_READY) {
          ready = true;
          break;
        }
        if (!PA_CONTEXT_IS_GOOD(s)) break;
        pa_threaded_mainloop_wait(state->loop);
      }
    }
    if (ready) {
      state->pollEvent =
          pa_context_rttime_new(state->context, pa_rtclock_now() + kPollUsec, onPoll, nullptr);
    }
  }
  if (!ready) {
    destroyState();
    return false;
  }

  AudioBackend backend;
  backend.outputDeviceCount = [] { return countDevices(true); };
  backend.inputDeviceCount = [] { return countDevices(false); };
  backend.supportsFormat = supportsFormat;
  backend.open = openDevice;
  backend.write = writeBuffer;
  backend.reset = resetDevice;
  backend.close = closeDevice;
  setAudioBackend(std::move(backend));
  return true;
}

void removePulseAudioBackend() {
  if (!state) return;
  setAudioBackend(AudioBackend{});
  destroyState();
}

}  // namespace korimu

#include "platform/qt/pulse_audio.h"

#include <memory>
#include <utility>

#include "platform/qt/pulse_state.h"

namespace korimu {

namespace {

using namespace pulse_detail;

void onContextState(pa_context* c, void* user) {
  auto* state = static_cast<PulseState*>(user);
  const pa_context_state_t s = pa_context_get_state(c);
  state->contextReady = s == PA_CONTEXT_READY;
  signalLoop(state);
}

// The list callbacks count into the first member and signal the loop of the second.
struct Count {
  int devices = 0;
  PulseState* state = nullptr;
};

int countDevices(PulseState* state, bool outputs) {
  MainloopLock lock(state->loop);
  if (!state->contextReady) return 0;
  Count count{0, state};
  if (outputs) {
    waitFor(state, pa_context_get_sink_info_list(
                       state->context,
                       [](pa_context*, const pa_sink_info* info, int eol, void* user) {
                         auto* count = static_cast<Count*>(user);
                         if (eol) {
                           signalLoop(count->state);
                           return;
                         }
                         if (info) ++count->devices;
                       },
                       &count));
  } else {
    waitFor(state, pa_context_get_source_info_list(
                       state->context,
                       [](pa_context*, const pa_source_info* info, int eol, void* user) {
                         auto* count = static_cast<Count*>(user);
                         if (eol) {
                           signalLoop(count->state);
                           return;
                         }
                         // A monitor of an output is not a recording device.
                         if (info && info->monitor_of_sink == PA_INVALID_INDEX) ++count->devices;
                       },
                       &count));
  }
  return count.devices;
}

bool supportsFormat(PulseState* state, const WaveFormat& format) {
  pa_sample_spec spec;
  return sampleSpecFor(format, &spec) && countDevices(state, true) > 0;
}

void destroyState(PulseState* state) {
  if (state->loop) {
    pa_threaded_mainloop_lock(state->loop);
    closeStream(state);
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
    state->loop = nullptr;
  }
}

}  // namespace

std::unique_ptr<PulseAudioOutput> PulseAudioOutput::connect() {
  auto owned = std::make_unique<PulseState>();
  PulseState* state = owned.get();
  state->receiver = std::make_unique<QObject>();
  state->loop = pa_threaded_mainloop_new();
  if (!state->loop) return nullptr;
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(state->loop);
  state->context = pa_context_new(api, "KORIMU");
  if (!state->context || pa_threaded_mainloop_start(state->loop) < 0) {
    destroyState(state);
    return nullptr;
  }
  bool ready = false;
  {
    MainloopLock lock(state->loop);
    pa_context_set_state_callback(state->context, onContextState, state);
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
          pa_context_rttime_new(state->context, pa_rtclock_now() + kPollUsec, onPoll, state);
    }
  }
  if (!ready) {
    destroyState(state);
    return nullptr;
  }
  return std::unique_ptr<PulseAudioOutput>(new PulseAudioOutput(std::move(owned)));
}

PulseAudioOutput::PulseAudioOutput(std::unique_ptr<PulseState> state) : state_(std::move(state)) {}

PulseAudioOutput::~PulseAudioOutput() {
  destroyState(state_.get());
}

AudioBackend PulseAudioOutput::backend() {
  PulseState* state = state_.get();
  AudioBackend backend;
  backend.outputDeviceCount = [state] { return countDevices(state, true); };
  backend.inputDeviceCount = [state] { return countDevices(state, false); };
  backend.supportsFormat = [state](const WaveFormat& f) { return supportsFormat(state, f); };
  backend.open = [state](const WaveFormat& f, std::function<void(int)> bufferDone) {
    return openDevice(state, f, std::move(bufferDone));
  };
  backend.write = [state](int index, const uint8_t* data, size_t length) {
    return writeBuffer(state, index, data, length);
  };
  backend.reset = [state] { resetDevice(state); };
  backend.close = [state] { closeDevice(state); };
  return backend;
}

AudioBackend backendOf(PulseAudioOutput* output) {
  return output ? output->backend() : AudioBackend{};
}

}  // namespace korimu

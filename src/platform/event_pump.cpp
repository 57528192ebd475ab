#include "platform/event_pump.h"

#include <chrono>
#include <utility>

namespace korimu {

namespace {
EventPump& currentPump() {
  static EventPump pump;
  return pump;
}
}  // namespace

void pumpOneEvent() {
  if (currentPump()) currentPump()();
}

EventPump setEventPump(EventPump pump) {
  return std::exchange(currentPump(), std::move(pump));
}

unsigned long tickCountMs() {
  using namespace std::chrono;
  // From the steady clock's own start: only differences are ever used, and nothing is kept.
  return static_cast<unsigned long>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace korimu

namespace korimu {

EventPump throttledPump(std::function<void()> handle, std::shared_ptr<EventClock> clock,
                        unsigned long intervalMs) {
  return [handle = std::move(handle), clock = std::move(clock), intervalMs] {
    if (clock->handled && tickCountMs() - clock->lastHandledMs < intervalMs) return;
    handle();
    clock->noteHandled();
  };
}

}  // namespace korimu

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
  static const auto start = steady_clock::now();
  return static_cast<unsigned long>(
      duration_cast<milliseconds>(steady_clock::now() - start).count());
}

}  // namespace korimu

namespace korimu {

EventPump throttledPump(std::function<void()> handle, unsigned long intervalMs) {
  // The first chance handles at once: a run starts with the window's pending repaints.
  return [handle = std::move(handle), intervalMs, last = 0ul, handled = false]() mutable {
    if (handled && tickCountMs() - last < intervalMs) return;
    handle();
    handled = true;
    last = tickCountMs();
  };
}

}  // namespace korimu

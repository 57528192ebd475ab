// Long analyses hand control back to the front end between steps so the window stays responsive
// and Stop can be pressed. The analysers offer the chance at every point, row and block (where
// they also check for Stop); the pump decides whether to handle events then. The Qt front end
// installs a throttled pump that processes pending events only when a few milliseconds have
// passed, so a run spends its time analysing rather than asking an empty event queue. Headless
// runs keep the default, which does nothing.
#pragma once

#include <functional>
#include <memory>

namespace korimu {

using EventPump = std::function<void()>;

// Gives the installed pump its chance to handle pending events.
void pumpOneEvent();

// Replaces the pump; returns the previous one.
EventPump setEventPump(EventPump pump);

// Milliseconds from a fixed start, for pacing and elapsed-time rules.
unsigned long tickCountMs();

// Milliseconds between two event handlings of the window's pump: short enough that the window
// never goes 50 ms without handling its events, long enough that handling them costs little.
inline constexpr unsigned long kEventPumpIntervalMs = 4;

// When the front end last handled its events, on the tick clock: by a throttled pump, or by its
// own event loop, which notes it here too.
struct EventClock {
  unsigned long lastHandledMs = 0;
  bool handled = false;
  void noteHandled() {
    lastHandledMs = tickCountMs();
    handled = true;
  }
};

// A pump that calls `handle` only when intervalMs have passed on the clock since events were last
// handled (counted from the end of a handling, so a long repaint does not make the next one due
// at once). Events never handled yet are handled at the first chance.
EventPump throttledPump(std::function<void()> handle, std::shared_ptr<EventClock> clock,
                        unsigned long intervalMs = kEventPumpIntervalMs);

}  // namespace korimu

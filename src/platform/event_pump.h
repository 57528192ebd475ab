// Long analyses hand control back to the front end between steps, one queued event at a time, so
// the window stays responsive and Stop can be pressed. The Qt front end installs a pump that
// processes pending events once; headless runs keep the default, which does nothing.
#pragma once

#include <functional>

namespace korimu {

using EventPump = std::function<void()>;

// Handles at most one batch of pending events.
void pumpOneEvent();

// Replaces the pump; returns the previous one.
EventPump setEventPump(EventPump pump);

// Milliseconds from a fixed start, for pacing and elapsed-time rules.
unsigned long tickCountMs();

}  // namespace korimu

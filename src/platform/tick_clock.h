// Milliseconds on a steady clock, for pacing and elapsed-time rules.
#pragma once

namespace korimu {

// Milliseconds from the clock's epoch (a fixed start); differences are what count.
unsigned long tickCountMs();

}  // namespace korimu

// Process-wide state flags shared by the shell, the wave module and the analysers. Everything runs
// on one thread; re-entry through nested event handling is controlled by these flags.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

namespace korimu {

struct AppState {
  // Top frequency of the wavelet chart as a fraction of the rate (set by a WT run).
  double wtTopFraction = 0.5;
};

extern AppState appState;

// System version as major * 256 + minor. This platform follows the 4.00 rules.
inline constexpr uint16_t kWinVersion = 0x400;

}  // namespace korimu

// The states of the main window and the controls each one enables: one table for the whole
// window, applied by the widgets whenever the state changes.
#pragma once

#include <utility>
#include <vector>

namespace korimu {

enum class UiState {
  kNoFile,            // after start-up, before a file was taken
  kFileSelected,      // a file was taken; nothing runs
  kStartingPlayback,  // a playback reads and queues its first buffers
  kPlaying,           // a whole or partial playback is under way
  kAnalysing,         // an analysis run is under way
};

// What the window shows as enabled in one state.
struct Enabling {
  std::vector<std::pair<int, bool>> controls;   // control-bar ids 1201 to 1217
  std::vector<std::pair<int, bool>> menuItems;  // the menu items that follow the state
  bool menuBar = true;                          // the four popups of the menu bar
  bool acceptDrops = true;
  bool stopAborts = false;  // the Stop button reads "中断" (abort) instead of "停止"
  int focus = 0;            // the control that takes the focus as the state begins (0: none)
};

// The enabling of `state`. Play and Partial play come on only with an output device; drops are
// taken only when the window has its two wave headers; saving and copying the results only once
// an analysis has run.
Enabling enablingFor(UiState state, bool outputDevice, bool headersAvailable,
                     bool resultsAvailable = false);

}  // namespace korimu

// Calls from the core modules back into the front end (the main window and its overview strip).
// Every hook defaults to doing nothing, so the command line and the tests run the core without a
// window. The Qt front end installs real ones at start-up. The playback reports through its own
// observer (wave/playback.h).
#pragma once

#include <functional>

namespace korimu {

struct ShellHooks {
  // The overview strip: repaint with erase.
  std::function<void()> invalidateOverview;
  // The main window's controls around an analysis run.
  std::function<void(bool on)> enableRunControls;
  // Show the main window's client canvas after core drawing into it.
  std::function<void()> updateMainWindow;
  // The same for one rectangle of the client canvas that changed (client coordinates).
  std::function<void(int x, int y, int w, int h)> updateMainWindowRect;
};

extern ShellHooks shellHooks;

// Calls a hook when it is installed.
template <typename Hook, typename... Args>
void callHook(const Hook& hook, Args&&... args) {
  if (hook) hook(std::forward<Args>(args)...);
}

}  // namespace korimu

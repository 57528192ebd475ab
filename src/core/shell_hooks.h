// Calls from the core modules back into the front end (the main window and its overview strip).
// Every hook defaults to doing nothing, so the command line and the tests run the core without a
// window. The Qt front end installs real ones at start-up. Add hooks here as modules need them;
// never remove one.
#pragma once

#include <functional>

namespace korimu {

struct ShellHooks {
  // Status texts of the main window.
  std::function<void()> drawPositionText;
  std::function<void()> drawFormatTexts;
  std::function<void()> drawSpanText;
  // The overview strip: repaint with erase, and invert a rectangle of it (playback marker).
  std::function<void()> invalidateOverview;
  std::function<void(int x, int y, int w, int h)> invertOverviewRect;
  // Enabling helpers of the main window.
  std::function<void(bool on)> enableFileControls;
  std::function<void(bool on)> enableIdleControls;
  std::function<void(bool on)> enableRunControls;
  std::function<void(bool on)> enableStop;
  // The cross-section window: whether it is open, and repaint it after crossSectionX moved.
  std::function<bool()> crossSectionOpen;
  std::function<void()> updateCrossSection;
  // Show the main window's client canvas after core drawing into it.
  std::function<void()> updateMainWindow;
  // The same for one rectangle of the client canvas that changed (client coordinates).
  std::function<void(int x, int y, int w, int h)> updateMainWindowRect;
  // The hourglass cursor on (true) or back to the previous cursor (false).
  std::function<void(bool on)> showHourglass;
  // Caption of the first gain radio button of the control bar ("Ａt" or "1/2").
  std::function<void(const char* utf8)> setGainCaption;
  // Window timer 1 of the main window (the playback marker): markerTick runs on every tick.
  std::function<void(int periodMs)> startPlaybackTimer;
  std::function<void()> killPlaybackTimer;
  // The graph frame of the current view, drawn on the main window.
  std::function<void()> drawGraphFrame;
};

extern ShellHooks shellHooks;

// Calls a hook when it is installed.
template <typename Hook, typename... Args>
void callHook(const Hook& hook, Args&&... args) {
  if (hook) hook(std::forward<Args>(args)...);
}

}  // namespace korimu

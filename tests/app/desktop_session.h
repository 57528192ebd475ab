// A throw-away X desktop for tests that depend on a real window manager: Xvfb with openbox, the
// korimu program started in it, and the X tools (xdotool, xwininfo, xprop, import) that drive and
// read its windows. Nothing of the machine's own display is touched.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace korimu::testing {

// A child process started with extra environment variables; killed (TERM) when still running at
// the end of its scope.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& argv,
               const std::map<std::string, std::string>& environment,
               const std::filesystem::path& log);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  bool running();
  // Waits for the exit; the exit code, or nullopt after a signal or when `limit` passed.
  std::optional<int> waitForExit(std::chrono::milliseconds limit);

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
};

// A wait's limit stretched by how busy the machine is now (its load per core, 1 to 10 times): the
// limits only bound a hang, and a machine running several tasks per core starts an X server, a
// window manager or a Qt program that many times more slowly.
std::chrono::milliseconds scaledForLoad(std::chrono::milliseconds limit);

// Where a top-level window is and whether it is shown, as xwininfo reports it.
struct WindowPlace {
  int x = 0, y = 0, width = 0, height = 0;
  bool viewable = false;
  friend bool operator==(const WindowPlace&, const WindowPlace&) = default;
};

class DesktopSession {
 public:
  // Starts Xvfb and openbox in `folder`; why() says what is missing when it cannot.
  explicit DesktopSession(const std::filesystem::path& folder);
  ~DesktopSession();
  DesktopSession(const DesktopSession&) = delete;
  DesktopSession& operator=(const DesktopSession&) = delete;

  bool ready() const { return ready_; }
  // A tool the session needs is not installed (the only reason a desktop test may skip).
  bool toolMissing() const { return toolMissing_; }
  const std::string& why() const { return why_; }
  const std::string& display() const { return display_; }

  // A shell command run with this desktop's DISPLAY; its standard output (and exit code).
  std::string run(const std::string& command, int* code = nullptr) const;
  // The first visible window whose name matches `pattern`, waiting up to `limit`; "" if none.
  std::string waitForWindow(const std::string& pattern, std::chrono::milliseconds limit) const;
  std::optional<WindowPlace> place(const std::string& window) const;
  // The window's pixels as RGB bytes (width x height x 3), empty when it cannot be read.
  std::vector<unsigned char> pixels(const std::string& window, const WindowPlace& place) const;
  // Keys typed into the focused window (xdotool key syntax), after activating `window` (only
  // that when `keys` is empty).
  void keys(const std::string& window, const std::string& keys) const;

 private:
  // A copy of a tool's log that outlives the session's folder; its path.
  static std::string keptLog(const std::filesystem::path& log);

  std::optional<ChildProcess> xvfb_;
  std::optional<ChildProcess> openbox_;
  std::string display_;
  bool ready_ = false;
  bool toolMissing_ = false;
  std::string why_;
};

}  // namespace korimu::testing

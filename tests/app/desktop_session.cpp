#include "desktop_session.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace korimu::testing {

namespace {

using namespace std::chrono_literals;

// Waits until `fd` can be read or `limit` has passed; whether it can.
bool readableWithin(int fd, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    pollfd watched{fd, POLLIN, 0};
    const int ready = ::poll(&watched, 1, static_cast<int>(std::max<int64_t>(left.count(), 0)));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

bool onPath(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The number after `label` on a line of xwininfo's report.
std::optional<int> field(const std::string& report, const std::string& label) {
  const size_t at = report.find(label);
  if (at == std::string::npos) return std::nullopt;
  return std::atoi(report.c_str() + at + label.size());
}

}  // namespace

std::chrono::milliseconds scaledForLoad(std::chrono::milliseconds limit) {
  double load = 0.0;
  if (::getloadavg(&load, 1) != 1) load = 0.0;
  const double cores = std::max(1u, std::thread::hardware_concurrency());
  const double factor = std::clamp(load / cores, 1.0, 10.0);
  return std::chrono::milliseconds(int64_t(double(limit.count()) * factor));
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::map<std::string, std::string>& environment,
                           const std::filesystem::path& log) {
  pid_ = ::fork();
  if (pid_ != 0) return;
  ::setpgid(0, 0);
  for (const auto& [name, value] : environment) {
    if (value.empty()) {
      ::unsetenv(name.c_str());
    } else {
      ::setenv(name.c_str(), value.c_str(), 1);
    }
  }
  const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  if (out >= 0) {
    ::dup2(out, 1);
    ::dup2(out, 2);
  }
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execvp(args[0], args.data());
  ::_exit(127);
}

ChildProcess::~ChildProcess() {
  if (pid_ <= 0 || reaped_) return;
  ::kill(pid_, SIGTERM);
  if (!waitForExit(5s)) {
    ::kill(pid_, SIGKILL);
    waitForExit(5s);
  }
}

bool ChildProcess::running() {
  if (pid_ <= 0 || reaped_) return false;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) == pid_) {
    reaped_ = true;
    return false;
  }
  return true;
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds limit) {
  if (pid_ <= 0 || reaped_) return std::nullopt;
  // The child's process descriptor becomes readable when it ends.
  const int exited = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
  if (exited >= 0) {
    readableWithin(exited, limit);
    ::close(exited);
  }
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) != pid_) return std::nullopt;
  reaped_ = true;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return std::nullopt;
}

DesktopSession::DesktopSession(const std::filesystem::path& folder) {
  for (const char* tool : {"Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "import"}) {
    if (!onPath(tool)) {
      why_ = std::string(tool) + " is not installed (scripts/setup.sh installs it)";
      toolMissing_ = true;
      return;
    }
  }
  const std::filesystem::path numberFile = folder / "display";
  // Xvfb picks a free display itself and writes its number to descriptor 3, here a pipe the test
  // holds open at both ends (so that neither end waits for the other) and waits to read.
  if (::mkfifo(numberFile.c_str(), 0600) != 0) {
    why_ = "cannot make " + numberFile.string();
    return;
  }
  const int numberPipe = ::open(numberFile.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
  xvfb_.emplace(std::vector<std::string>{"sh", "-c",
                                         "exec Xvfb -displayfd 3 -screen 0 1280x1024x24 "
                                         "-nolisten tcp 3>" +
                                             quoted(numberFile.string())},
                std::map<std::string, std::string>{}, folder / "xvfb.log");
  // Both waits allow for a loaded machine (a parallel build beside the tests).
  const std::chrono::milliseconds xvfbLimit = scaledForLoad(60s);
  const auto xvfbEnd = std::chrono::steady_clock::now() + xvfbLimit;
  std::string written;
  while (numberPipe >= 0 && written.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        xvfbEnd - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !readableWithin(numberPipe, left)) break;
    char buffer[32];
    const ssize_t n = ::read(numberPipe, buffer, sizeof buffer);
    if (n > 0) written.append(buffer, size_t(n));
  }
  if (numberPipe >= 0) ::close(numberPipe);
  if (written.find('\n') != std::string::npos) {
    const int number = std::atoi(written.c_str());
    if (number >= 0) display_ = ":" + std::to_string(number);
  }
  if (display_.empty()) {
    why_ = "Xvfb did not start within " + std::to_string(xvfbLimit.count() / 1000) +
           " s (its log: " + keptLog(folder / "xvfb.log") + ")";
    return;
  }
  openbox_.emplace(std::vector<std::string>{"openbox"},
                   std::map<std::string, std::string>{{"DISPLAY", display_}},
                   folder / "openbox.log");
  // The window manager is ready once it names its check window on the root.
  const std::chrono::milliseconds limit = scaledForLoad(60s);
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!ready_ && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(50ms);
    ready_ = run("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") != std::string::npos;
  }
  if (!ready_)
    why_ = "openbox did not start within " + std::to_string(limit.count() / 1000) +
           " s (its log: " + keptLog(folder / "openbox.log") + ")";
}

std::string DesktopSession::keptLog(const std::filesystem::path& log) {
  // The session's folder goes with the test; the log of a skip stays in the working folder.
  const std::filesystem::path kept =
      std::filesystem::current_path() / ("desktop-session-" + log.filename().string());
  std::error_code ec;
  std::filesystem::copy_file(log, kept, std::filesystem::copy_options::overwrite_existing, ec);
  return ec ? log.string() + ", removed with the session" : kept.string();
}

DesktopSession::~DesktopSession() {
  openbox_.reset();
  xvfb_.reset();
}

std::string DesktopSession::run(const std::string& command, int* code) const {
  const std::string line = "DISPLAY=" + display_ + " " + command + " 2>/dev/null";
  FILE* pipe = ::popen(line.c_str(), "r");
  if (!pipe) return {};
  std::string out;
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int status = ::pclose(pipe);
  if (code) *code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

std::string DesktopSession::waitForWindow(const std::string& pattern,
                                          std::chrono::milliseconds limit) const {
  const auto end = std::chrono::steady_clock::now() + limit;
  do {
    std::istringstream ids(run("xdotool search --onlyvisible --name " + quoted(pattern)));
    std::string id;
    if (ids >> id) return id;
    std::this_thread::sleep_for(50ms);
  } while (std::chrono::steady_clock::now() < end);
  return {};
}

std::optional<WindowPlace> DesktopSession::place(const std::string& window) const {
  const std::string report = run("xwininfo -id " + window);
  WindowPlace p;
  const auto x = field(report, "Absolute upper-left X:");
  const auto y = field(report, "Absolute upper-left Y:");
  const auto w = field(report, "Width:");
  const auto h = field(report, "Height:");
  if (!x || !y || !w || !h) return std::nullopt;
  p.x = *x;
  p.y = *y;
  p.width = *w;
  p.height = *h;
  p.viewable = report.find("Map State: IsViewable") != std::string::npos;
  return p;
}

std::vector<unsigned char> DesktopSession::pixels(const std::string& window,
                                                  const WindowPlace& place) const {
  const std::string raw = run("import -window " + window + " -depth 8 rgb:-");
  if (raw.size() != size_t(place.width) * size_t(place.height) * 3) return {};
  return {raw.begin(), raw.end()};
}

void DesktopSession::keys(const std::string& window, const std::string& keys) const {
  const std::string activate = "xdotool windowactivate --sync " + window;
  run(keys.empty() ? activate : activate + " key --clearmodifiers --delay 60 " + keys);
}

}  // namespace korimu::testing

#include "platform/display_server.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace korimu {

namespace {

std::string variable(const EnvironmentLookup& environment, const char* name) {
  const char* value = environment(name);
  return value != nullptr ? std::string(value) : std::string();
}

// A Unix socket that accepts a connection; a leading '@' names the abstract namespace.
bool socketAccepts(const std::string& path) {
  sockaddr_un address{};
  if (path.empty() || path.size() >= sizeof(address.sun_path)) return false;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.data(), path.size());
  socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + path.size());
  if (path[0] == '@') address.sun_path[0] = '\0';
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
  ::close(fd);
  return connected;
}

bool x11Reachable(const EnvironmentLookup& environment) {
  const std::string display = variable(environment, "DISPLAY");
  const size_t colon = display.rfind(':');
  if (colon == std::string::npos) return false;
  const std::string host = display.substr(0, colon);
  // A display on another host (or forwarded over TCP) is left to the toolkit to reach.
  if (!host.empty() && host != "unix") return true;
  const std::string number = display.substr(colon + 1, display.find('.', colon) - colon - 1);
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return false;
  const std::string socket = "/tmp/.X11-unix/X" + number;
  return socketAccepts(socket) || socketAccepts("@" + socket);
}

bool waylandReachable(const EnvironmentLookup& environment) {
  std::string name = variable(environment, "WAYLAND_DISPLAY");
  if (name.empty()) return false;
  if (name[0] != '/') {
    const std::string runtime = variable(environment, "XDG_RUNTIME_DIR");
    if (runtime.empty()) return false;
    name = runtime + "/" + name;
  }
  return socketAccepts(name);
}

}  // namespace

bool displayAvailable(const EnvironmentLookup& environment) {
  const std::string platform = variable(environment, "QT_QPA_PLATFORM");
  const std::string kind = platform.substr(0, platform.find(':'));
  if (kind == "xcb") return x11Reachable(environment);
  if (kind.rfind("wayland", 0) == 0) return waylandReachable(environment);
  if (!kind.empty()) return true;  // offscreen, vnc, eglfs, ...: no display server to ask
  return waylandReachable(environment) || x11Reachable(environment);
}

bool displayAvailable() {
  return displayAvailable([](const char* name) { return std::getenv(name); });
}

std::string noDisplayMessage() {
  return "korimu: the window needs a display (DISPLAY or WAYLAND_DISPLAY is not set or cannot "
         "be reached); --render and --check work without one";
}

std::string wholeScaleFactor(const char* value) {
  if (value == nullptr || *value == '\0') return {};
  char* end = nullptr;
  const double factor = std::strtod(value, &end);
  if (end == value || *end != '\0' || !(factor > 0.0) || factor > 16.0) return {};
  const long whole = std::max(1L, long(factor + 0.5));
  if (double(whole) == factor) return {};
  return std::to_string(whole);
}

int fittingScaleFactor(int wholeFactor, int windowWidth, int windowHeight, int availableWidth,
                       int availableHeight) {
  int factor = std::max(wholeFactor, 1);
  while (factor > 1 && (int64_t{factor} * windowWidth > availableWidth ||
                        int64_t{factor} * windowHeight > availableHeight))
    --factor;
  return factor;
}

WholeScalePlacement centredAtWholeScale(int areaWidth, int areaHeight, int pictureWidth,
                                        int pictureHeight) {
  WholeScalePlacement p;
  if (pictureWidth <= 0 || pictureHeight <= 0) return p;
  p.scale = std::max(1, std::min(areaWidth / pictureWidth, areaHeight / pictureHeight));
  p.x = std::max(0, (areaWidth - p.scale * pictureWidth) / 2);
  p.y = std::max(0, (areaHeight - p.scale * pictureHeight) / 2);
  return p;
}

}  // namespace korimu

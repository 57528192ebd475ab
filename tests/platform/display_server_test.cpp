// Whether the window can start: the display named by the environment must accept a connection.
#include "platform/display_server.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "wave/wav_builder.h"

namespace korimu {
namespace {

// A listening Unix socket at `path` ('@' first: the abstract namespace), closed at scope end.
class Listener {
 public:
  explicit Listener(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    if (path[0] == '@') address.sun_path[0] = '\0';
    fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + path.size());
    listening_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                 ::listen(fd_, 4) == 0;
  }
  ~Listener() {
    if (fd_ >= 0) ::close(fd_);
  }
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;
  bool listening() const { return listening_; }

 private:
  int fd_ = -1;
  bool listening_ = false;
};

bool availableWith(const std::map<std::string, std::string>& variables) {
  return displayAvailable([&](const char* name) -> const char* {
    const auto it = variables.find(name);
    return it == variables.end() ? nullptr : it->second.c_str();
  });
}

TEST(DisplayServer, OnlyAReachableDisplayOrAPlatformWithoutOneLetsTheWindowStart) {
  const testing::TempDir runtime;
  Listener wayland((runtime.path() / "wayland-test").string());
  ASSERT_TRUE(wayland.listening());
  const std::string xNumber = std::to_string(40000 + ::getpid() % 20000);
  Listener x11("@/tmp/.X11-unix/X" + xNumber);
  ASSERT_TRUE(x11.listening());
  const std::string dir = runtime.path().string();
  const struct {
    std::map<std::string, std::string> variables;
    bool available;
  } cases[] = {
      {{}, false},
      {{{"QT_QPA_PLATFORM", "offscreen"}}, true},
      {{{"QT_QPA_PLATFORM", "xcb"}}, false},
      {{{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":" + xNumber}}, true},
      {{{"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", "wayland-test"}, {"XDG_RUNTIME_DIR", dir}},
       false},
      {{{"DISPLAY", ":" + xNumber + ".0"}}, true},
      {{{"DISPLAY", "unix:" + xNumber}}, true},
      {{{"DISPLAY", std::string(":").append(std::to_string(std::stoi(xNumber) + 1))}},
       false},  // nobody listens
      {{{"DISPLAY", "nonsense"}}, false},
      {{{"DISPLAY", "otherhost:0"}}, true},  // left to the toolkit
      {{{"WAYLAND_DISPLAY", "wayland-test"}, {"XDG_RUNTIME_DIR", dir}}, true},
      {{{"WAYLAND_DISPLAY", (runtime.path() / "wayland-test").string()}}, true},
      {{{"WAYLAND_DISPLAY", "wayland-gone"}, {"XDG_RUNTIME_DIR", dir}}, false},
      {{{"WAYLAND_DISPLAY", "wayland-test"}}, false},  // no runtime folder to find it in
      {{{"QT_QPA_PLATFORM", "wayland"}, {"DISPLAY", ":" + xNumber}}, false},
  };
  for (const auto& c : cases) {
    std::string described;
    for (const auto& [name, value] : c.variables) described += name + "=" + value + " ";
    EXPECT_EQ(availableWith(c.variables), c.available) << described;
  }
}

TEST(DisplayServer, TheMessageNamesTheCommandsThatNeedNoDisplay) {
  const std::string message = noDisplayMessage();
  EXPECT_EQ(message.find('\n'), std::string::npos);
  EXPECT_NE(message.find("display"), std::string::npos);
  EXPECT_NE(message.find("--render"), std::string::npos);
  EXPECT_NE(message.find("--check"), std::string::npos);
}

// 125 % to 175 % become 1 or 2: the bitmap text is drawn at a whole factor.
TEST(DisplayServer, FractionalScaleFactorsBecomeWhole) {
  const std::pair<const char*, std::string> rows[] = {
      {"1.25", "1"}, {"1.5", "2"}, {"1.75", "2"}, {"0.5", "1"}, {"2.4", "2"},
      {"2", ""},     {"1.0", ""},  {"", ""},      {"abc", ""},  {"1.5x", ""},
  };
  for (const auto& [value, whole] : rows) EXPECT_EQ(wholeScaleFactor(value), whole) << value;
  EXPECT_EQ(wholeScaleFactor(nullptr), "");
}

// A whole factor that would make the window larger than the screen falls back to the largest that
// fits, at least 1. The window: 640 x 420 at factor 1 with its frame.
TEST(DisplayServer, AWholeScaleFactorNeverMakesTheWindowLargerThanTheScreen) {
  const struct {
    int whole, width, height, expected;
  } rows[] = {
      {2, 1366, 768, 1},   // 1.5 rounded up on a laptop screen: 1280 x 840 would not fit
      {2, 1920, 1080, 2},  // fits
      {3, 1920, 1080, 2},  //
      {3, 3840, 2160, 3},  //
      {4, 3840, 2160, 4},  // 2560 x 1680 fits
      {4, 3840, 1600, 3},  // 1680 high would not: 1920 x 1260 does
      {2, 1280, 840, 2},   // exactly the screen
      {2, 1279, 840, 1},   //
      {1, 320, 200, 1},    // never below 1
      {0, 1920, 1080, 1},  //
  };
  for (const auto& row : rows) {
    EXPECT_EQ(fittingScaleFactor(row.whole, 640, 420, row.width, row.height), row.expected)
        << row.whole << " on " << row.width << "x" << row.height;
  }
}

// A maximised or full-screen window shows the 640 x 383 client area at the largest whole factor
// that fits the space below the menu bar, centred; it is never a small picture in a corner.
TEST(DisplayServer, AFilledWindowCentresThePictureAtTheLargestWholeScale) {
  const struct {
    int areaWidth, areaHeight;
    WholeScalePlacement expected;
  } rows[] = {
      {640, 383, {1, 0, 0}},        // exactly the picture
      {1366, 745, {1, 363, 181}},   // a laptop: twice would be 766 high
      {1280, 766, {2, 0, 0}},       // exactly twice
      {1279, 766, {1, 319, 191}},   // one pixel short of twice in width
      {1280, 765, {1, 320, 191}},   // one pixel short of twice in height
      {1920, 1057, {2, 320, 145}},  // full HD below a menu bar
      {1920, 1080, {2, 320, 157}},  // full HD, full screen
      {3840, 2160, {5, 320, 122}},  // 4K: the height decides
      {2560, 1149, {3, 320, 0}},    // three times, exactly high enough
      {600, 300, {1, 0, 0}},        // smaller than the picture: its top-left corner stays
      {700, 300, {1, 30, 0}},       //   centred in the direction it fits
  };
  for (const auto& row : rows) {
    const WholeScalePlacement p = centredAtWholeScale(row.areaWidth, row.areaHeight, 640, 383);
    EXPECT_EQ(p, row.expected) << row.areaWidth << "x" << row.areaHeight << ": scale " << p.scale
                               << " at " << p.x << "," << p.y;
    // The picture stays inside the area wherever it fits there.
    if (p.scale * 640 <= row.areaWidth) {
      EXPECT_LE(p.x + p.scale * 640, row.areaWidth);
    }
    if (p.scale * 383 <= row.areaHeight) {
      EXPECT_LE(p.y + p.scale * 383, row.areaHeight);
    }
  }
  EXPECT_EQ(centredAtWholeScale(800, 600, 0, 0), (WholeScalePlacement{1, 0, 0}));
}

}  // namespace
}  // namespace korimu

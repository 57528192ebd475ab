// The program in a real X session (Xvfb with the openbox window manager), driven the way a user
// drives it: the window stays where it is through analysis runs, a close during a run ends the
// program cleanly once the run has stopped, a failed open leaves no stale format texts, and the
// cross-section window's keys reach it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <numbers>
#include <sstream>
#include <thread>

#include "core/window_memory.h"
#include "crafted_wav.h"
#include "desktop_session.h"
#include "wave/wav_builder.h"

namespace korimu::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kClientHeight = 383;  // below the menu bar, with the built-in font
constexpr unsigned char kFace = 192;

// A 16-bit mono recording of a tone that rises and falls, `seconds` long.
std::string toneFile(const std::filesystem::path& folder, double seconds, int rate) {
  CraftedWav w;
  w.sampleRate = uint32_t(rate);
  w.bitsPerSample = 16;
  const int frames = int(rate * seconds);
  for (int i = 0; i < frames; ++i) {
    const double f = 440.0 + 300.0 * std::sin(i * 6.0 / frames);
    appendPcm16(w.data, int(9000.0 * std::sin(2.0 * std::numbers::pi * f * i / rate)));
  }
  return writeWav(folder / ("tone-" + std::to_string(rate) + ".wav"), w);
}

class DesktopTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::make_unique<TempDir>();
    session_ = std::make_unique<DesktopSession>(folder_->path());
  }
  static void TearDownTestSuite() {
    session_.reset();
    folder_.reset();
  }
  void SetUp() override {
    // Only a tool that is not installed may skip the test: a desktop that does not come up where
    // it could is a failure.
    if (session_->toolMissing()) GTEST_SKIP() << "no desktop: " << session_->why();
    ASSERT_TRUE(session_->ready()) << "no desktop: " << session_->why();
    config_ = folder_->path() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::create_directories(config_);
  }

  // Starts korimu on `file` (with `more` in its environment) and waits for its main window.
  void startKorimu(const std::string& file, std::map<std::string, std::string> more = {}) {
    std::map<std::string, std::string> environment{
        {"DISPLAY", session_->display()},      {"QT_QPA_PLATFORM", "xcb"},
        {"XDG_CONFIG_HOME", config_.string()}, {"XDG_RUNTIME_DIR", config_.string()},
        {"PULSE_SERVER", "unix:/nonexistent"}, {"LSAN_OPTIONS", "suppressions=" + suppressions()}};
    environment.merge(more);
    korimu_.emplace(std::vector<std::string>{KORIMU_PROGRAM, file}, environment,
                    config_ / "korimu.log");
    const std::chrono::milliseconds limit = scaledForLoad(30s);
    window_ = session_->waitForWindow("^KORIMU- ", limit);
    ASSERT_FALSE(window_.empty()) << "no main window appeared within " << limit.count() << " ms";
    // Keys go to the window once it is shown and has painted its client area.
    ASSERT_TRUE(waitUntil([&] { return place().viewable && clientPainted(); }, limit))
        << "the main window did not paint within " << limit.count() << " ms";
  }
  // The X client libraries keep a few blocks for the whole process (the D-Bus connection, the
  // font configuration); a sanitized build must not count them as the program's leaks.
  static std::string suppressions() {
    const std::filesystem::path file = folder_->path() / "lsan-suppressions.txt";
    if (!std::filesystem::exists(file))
      std::ofstream(file) << "leak:libdbus-1.so\nleak:libfontconfig.so\n";
    return file.string();
  }
  // One key (xdotool syntax) to the window that has the focus; the caller waits for its effect.
  void key(const std::string& name) const { session_->run("xdotool key --clearmodifiers " + name); }
  // The client area's top left corner shows the button face: the window has painted.
  bool clientPainted() const { return countPixels(0, 0, 4, 4, kFace, true) == 16; }
  WindowPlace place() const {
    const auto p = session_->place(window_);
    return p ? *p : WindowPlace{};
  }
  // Pixels of a rectangle of the client area (below the menu bar) that are, or with `equal` false
  // are not, of the colour grey (or white when grey is 255); -1 when the window cannot be read.
  int countPixels(int x0, int y0, int w, int h, unsigned char grey, bool equal) const {
    const WindowPlace p = place();
    const std::vector<unsigned char> rgb = session_->pixels(window_, p);
    if (rgb.empty()) return -1;
    const int top = p.height - kClientHeight;
    int count = 0;
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x) {
        const size_t at = (size_t(top + y) * size_t(p.width) + size_t(x)) * 3;
        const bool same = rgb[at] == grey && rgb[at + 1] == grey && rgb[at + 2] == grey;
        count += same == equal ? 1 : 0;
      }
    return count;
  }
  int markedPixels(int x0, int y0, int w, int h) const {
    return countPixels(x0, y0, w, h, kFace, false);
  }
  int whitePixels(int x0, int y0, int w, int h) const {
    return countPixels(x0, y0, w, h, 255, true);
  }
  // A left click at a point of the screen; the caller waits for its effect.
  void click(int x, int y) const {
    session_->run("xdotool mousemove --sync " + std::to_string(x) + " " + std::to_string(y) +
                  " click 1");
  }
  // Polls `condition` every 20 ms until it holds or `limit` has passed; whether it held.
  static bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    for (const auto end = Clock::now() + limit;; std::this_thread::sleep_for(20ms)) {
      if (condition()) return true;
      if (Clock::now() >= end) return false;
    }
  }
  // Whether a run's progress text (black on the right of the row above the plot) shows.
  bool progressShown() const { return countPixels(408, 86, 168, 16, 0, true) > 0; }
  std::string activeWindow() const {
    std::istringstream id(session_->run("xdotool getactivewindow"));
    std::string out;
    id >> out;
    return out;
  }
  // Motif hints of a window: its functions and decorations name neither minimise nor maximise.
  bool offersNoMinimiseOrMaximise(const std::string& window) const {
    const std::string hints = session_->run("xprop -id " + window + " _MOTIF_WM_HINTS");
    unsigned flags = 0, functions = 0, decorations = 0;
    const size_t at = hints.find("= ");
    if (at == std::string::npos ||
        std::sscanf(hints.c_str() + at + 2, "%x, %x, %x", &flags, &functions, &decorations) != 3)
      return false;
    return (flags & 3u) == 3u && (functions & 0x19u) == 0 && (decorations & 0x61u) == 0;
  }

  static std::unique_ptr<TempDir> folder_;
  static std::unique_ptr<DesktopSession> session_;
  std::filesystem::path config_;
  std::optional<ChildProcess> korimu_;
  std::string window_;
};

std::unique_ptr<TempDir> DesktopTest::folder_;
std::unique_ptr<DesktopSession> DesktopTest::session_;

TEST_F(DesktopTest, FiveAnalysisRunsLeaveTheWindowWhereItIs) {
  startKorimu(toneFile(config_, 3.0, 44100));
  const WindowPlace before = place();
  ASSERT_TRUE(before.viewable);
  const int plotTop = 102, plotLeft = 8;
  EXPECT_EQ(whitePixels(plotLeft, plotTop, 512, 256), 512 * 256) << "a white plot at first";
  session_->keys(window_, "alt+v c");  // the time-frequency chart: many blocks per run
  for (int run = 0; run < 5; ++run) {
    session_->keys(window_, "alt+o a");
    // Sample the place through the run and after it.
    for (auto end = Clock::now() + 1500ms; Clock::now() < end;) {
      ASSERT_EQ(place(), before) << "run " << run;
      std::this_thread::sleep_for(20ms);
    }
  }
  EXPECT_TRUE(waitUntil([&] { return whitePixels(plotLeft, plotTop, 512, 256) < 512 * 256 / 2; },
                        scaledForLoad(10s)))
      << "the runs drew no chart";
  EXPECT_TRUE(korimu_->running());
}

TEST_F(DesktopTest, ACloseDuringAMemRunEndsTheProgramWithExitCodeZeroOnceTheRunStops) {
  // Method MEM with the longest transform and time step, as the window remembers them from the
  // last session: a chart of 512 such blocks takes seconds even in an optimised build on every
  // core, so the run is still going when the window is closed, however fast the machine.
  std::filesystem::create_directories(config_ / "korimu");
  std::ofstream(config_ / "korimu" / "KORIMU.INI")
      << "[" << kWindowMemorySection << "]\nMethod=1\nBlockOrder=16\nTimeResolution=32768\n";
  startKorimu(toneFile(config_, 10.0, 44100));
  // The Options dialog is a fixed dialog: it offers no minimise or maximise.
  session_->keys(window_, "alt+o o");
  const std::string options = session_->waitForWindow("オプション設定", scaledForLoad(10s));
  ASSERT_FALSE(options.empty());
  EXPECT_TRUE(offersNoMinimiseOrMaximise(options));
  session_->keys(options, "Escape");
  ASSERT_TRUE(waitUntil([&] { return session_->waitForWindow("オプション設定", 1ms).empty(); },
                        scaledForLoad(10s)))
      << "the Options dialog did not close";
  session_->keys(window_, "alt+v c alt+o a");
  ASSERT_TRUE(waitUntil([&] { return progressShown(); }, scaledForLoad(20s))) << "no run started";

  // Busy: a minimise request is undone at once. The window may be seen hidden for a moment
  // first; either way it is soon viewable again, with the run still going.
  session_->run("xdotool windowminimize " + window_);
  waitUntil([&] { return !place().viewable; }, 500ms);
  ASSERT_TRUE(waitUntil([&] { return place().viewable; }, scaledForLoad(10s)))
      << "the minimise was not refused";
  // (Mapped again, the window shows its progress text once it has repainted.)
  ASSERT_TRUE(waitUntil([&] { return progressShown(); }, scaledForLoad(5s)))
      << "the run had already ended";

  session_->keys(window_, "alt+F4");
  // The run stops at the next step of the transform, a few milliseconds away; the deadline only
  // bounds a hang.
  const std::optional<int> code = korimu_->waitForExit(scaledForLoad(20s));
  ASSERT_TRUE(code.has_value()) << "still running, or ended by a signal";
  EXPECT_EQ(*code, 0);
  std::ifstream ini(config_ / "korimu" / "KORIMU.INI");
  std::stringstream text;
  text << ini.rdbuf();
  EXPECT_NE(text.str().find("display=1110"), std::string::npos)
      << "settings written: " << text.str();
}

TEST_F(DesktopTest, AFailedOpenClearsTheFormatTexts) {
  const std::string notWave = (config_ / "notes.txt").string();
  std::ofstream(notWave) << "these are notes, not sound";
  startKorimu(toneFile(config_, 2.0, 22050));
  // "22kHz", "16bit", " MONO " right of the overview, the span text left of its label.
  const int formatX = 524, formatY = 24, formatW = 48, formatH = 52;
  const int spanX = 432, spanY = 3, spanW = 48, spanH = 16;
  ASSERT_TRUE(waitUntil([&] { return markedPixels(formatX, formatY, formatW, formatH) > 50; },
                        scaledForLoad(10s)));
  ASSERT_TRUE(
      waitUntil([&] { return markedPixels(spanX, spanY, spanW, spanH) > 20; }, scaledForLoad(10s)));

  session_->keys(window_, "alt+f o");
  const std::string dialog = session_->waitForWindow("再生用にファイルを開く", scaledForLoad(10s));
  ASSERT_FALSE(dialog.empty());
  EXPECT_TRUE(offersNoMinimiseOrMaximise(dialog));
  session_->run("xdotool windowactivate --sync " + dialog + " type --delay 20 '" + notWave + "'");
  session_->keys(dialog, "Return");
  const std::string box = session_->waitForWindow("^KORIMU$", scaledForLoad(10s));
  ASSERT_FALSE(box.empty()) << "the reader's message, titled KORIMU";
  EXPECT_TRUE(offersNoMinimiseOrMaximise(box));
  session_->keys(box, "Return");
  EXPECT_TRUE(waitUntil(
      [&] {
        return markedPixels(formatX, formatY, formatW, formatH) == 0 &&
               markedPixels(spanX, spanY, spanW, spanH) == 0;
      },
      scaledForLoad(10s)))
      << "format texts left: " << markedPixels(formatX, formatY, formatW, formatH) << ", span "
      << markedPixels(spanX, spanY, spanW, spanH);
  EXPECT_TRUE(korimu_->running());
}

// A file that does not open is told once, in one box over the main window; no second box follows
// when the window is worked with afterwards.
TEST_F(DesktopTest, AFileThatDoesNotOpenIsToldInOneBoxOverTheWindow) {
  startKorimu((config_ / "missing.wav").string());
  const std::string box = session_->waitForWindow("^KORIMU$", scaledForLoad(20s));
  ASSERT_FALSE(box.empty()) << "no message box";
  std::this_thread::sleep_for(scaledForLoad(1000ms));
  std::istringstream ids(session_->run("xdotool search --onlyvisible --name '^KORIMU$'"));
  int boxes = 0;
  for (std::string id; ids >> id;) ++boxes;
  EXPECT_EQ(boxes, 1);
  const WindowPlace main = place();
  const std::optional<WindowPlace> over = session_->place(box);
  ASSERT_TRUE(over.has_value());
  EXPECT_TRUE(over->x >= main.x && over->y >= main.y &&
              over->x + over->width <= main.x + main.width &&
              over->y + over->height <= main.y + main.height)
      << "box at " << over->x << "," << over->y << ", window at " << main.x << "," << main.y;
  EXPECT_TRUE(offersNoMinimiseOrMaximise(box));
  session_->keys(box, "Return");
  session_->keys(window_, "alt+o a");  // Analyze: nothing is open, so nothing happens
  std::this_thread::sleep_for(scaledForLoad(1000ms));
  EXPECT_TRUE(session_->waitForWindow("^KORIMU$", 100ms).empty()) << "a second box";
  EXPECT_TRUE(korimu_->running());
}

// F1 shows the help page from a dialog as from the main window; without xdg-open the program
// shows it in a window of its own.
TEST_F(DesktopTest, F1InADialogShowsTheHelpInsideTheProgramWithoutABrowser) {
  const std::filesystem::path noTools = config_ / "no-tools";
  std::filesystem::create_directories(noTools);
  startKorimu(toneFile(config_, 1.0, 22050), {{"PATH", noTools.string()}});
  session_->keys(window_, "alt+h a");
  ASSERT_FALSE(session_->waitForWindow("About", scaledForLoad(10s)).empty());
  key("F1");
  EXPECT_FALSE(session_->waitForWindow("KORIMU ヘルプ", scaledForLoad(10s)).empty())
      << "no help window";
}

// The cross-section window is a tool window of the main window: opened by a click on the chart it
// takes the keyboard, and once a click into it has taken the keyboard back from the main window,
// the keys its menu names work: Ctrl+E saves its column (not the main window's whole run), Alt+F6
// switches to the main window.
TEST_F(DesktopTest, TheCrossSectionWindowGetsItsKeysAfterAClickIntoIt) {
  startKorimu(toneFile(config_, 2.0, 44100));
  session_->keys(window_, "alt+v c alt+o a");
  const WindowPlace main = place();
  const int chartLeft = main.x + 8, chartTop = main.y + main.height - kClientHeight + 102;
  // Clicks during the run are ignored; the first one after it opens the window.
  std::string section;
  for (auto end = Clock::now() + scaledForLoad(30s); section.empty() && Clock::now() < end;) {
    click(chartLeft + 100, chartTop + 128);
    section = session_->waitForWindow("スペクトル断面", 500ms);
  }
  ASSERT_FALSE(section.empty()) << "no cross-section window";
  EXPECT_EQ(activeWindow(), section) << "the new window has the keyboard";
  // Beside the main window, not over its chart, and inside the screen (1280 x 1024).
  const std::optional<WindowPlace> beside = session_->place(section);
  ASSERT_TRUE(beside.has_value());
  EXPECT_TRUE(beside->x >= main.x + main.width || beside->x + beside->width <= main.x)
      << beside->x << " beside " << main.x << ".." << main.x + main.width;
  EXPECT_TRUE(beside->x >= 0 && beside->y >= 0 && beside->x + beside->width <= 1280 &&
              beside->y + beside->height <= 1024);
  // The arrow keys step the column as the arrow buttons do: the graph (above the buttons) shows
  // another column, and the same steps back show the first one again.
  const auto graphPixels = [&] {
    std::vector<unsigned char> rgb = session_->pixels(section, *beside);
    rgb.resize(std::min(rgb.size(), size_t(beside->width) * 280 * 3));
    return rgb;
  };
  const std::vector<unsigned char> first = graphPixels();
  for (int i = 0; i < 5; ++i) key("Right");
  EXPECT_TRUE(waitUntil([&] { return graphPixels() != first; }, scaledForLoad(5s)))
      << "Right did not step the column";
  for (int i = 0; i < 5; ++i) key("Left");
  EXPECT_TRUE(waitUntil([&] { return graphPixels() == first; }, scaledForLoad(5s)))
      << "Left did not step back";

  click(chartLeft + 450, chartTop + 128);  // right of the window: column 450
  ASSERT_TRUE(waitUntil([&] { return activeWindow() == window_; }, scaledForLoad(5s)));
  const std::optional<WindowPlace> graph = session_->place(section);
  ASSERT_TRUE(graph.has_value());
  click(graph->x + 60, graph->y + 100);
  ASSERT_TRUE(waitUntil([&] { return activeWindow() == section; }, scaledForLoad(5s)));
  key("ctrl+e");
  const std::string dialog = session_->waitForWindow("数値を保存", scaledForLoad(10s));
  ASSERT_FALSE(dialog.empty()) << "Ctrl+E opened no save dialog";
  session_->keys(dialog, "Return");

  // The proposed name is the recording's, beside it; the column's numbers have a "# column" line.
  std::string saved;
  for (auto end = Clock::now() + scaledForLoad(10s); saved.empty() && Clock::now() < end;) {
    std::this_thread::sleep_for(100ms);
    for (const auto& entry : std::filesystem::directory_iterator(config_))
      if (entry.path().extension() == ".csv") saved = entry.path().filename().string();
  }
  EXPECT_NE(saved.find("-column450.csv"), std::string::npos) << saved;
  std::ifstream csv(config_ / saved);
  std::stringstream text;
  text << csv.rdbuf();
  EXPECT_NE(text.str().find("\n# column,450\n"), std::string::npos);
  EXPECT_TRUE(waitUntil([&] { return activeWindow() == section; }, scaledForLoad(5s)))
      << "the keyboard comes back after the dialog";
  key("alt+F6");
  EXPECT_TRUE(waitUntil([&] { return activeWindow() == window_; }, scaledForLoad(5s)))
      << "the window switch of its menu";
}

}  // namespace
}  // namespace korimu::testing

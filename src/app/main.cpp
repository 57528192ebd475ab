// The window program korimu-window, which korimu hands its window modes to. It runs the headless
// modes too (no display needed), so it works when started directly.
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/app_shell.h"
#include "app/startup.h"
#include "cli/command_line.h"
#include "cli/window_program.h"
#include "core/layout.h"
#include "platform/display_server.h"
#include "platform/qt/pulse_audio.h"
#include "platform/qt/qt_services.h"

namespace {

// The window at factor 1 with its menu bar and a window manager's frame, in pixels.
constexpr int kFrameAllowance = 8;
constexpr int kMenuAndTitleAllowance = 60;

// QT_SCALE_FACTOR as a whole factor that fits the primary screen; 0 when it is not set (or not a
// number). The factor must be set before the program's application exists, so the screen is asked
// by a short-lived one at factor 1.
int screenFittingScaleFactor(int argc, char** argv) {
  const char* requested = std::getenv("QT_SCALE_FACTOR");
  if (requested == nullptr || *requested == '\0') return 0;
  const std::string rounded = korimu::wholeScaleFactor(requested);
  const int whole = rounded.empty() ? std::atoi(requested) : std::stoi(rounded);
  if (whole <= 1) return rounded.empty() ? 0 : 1;
  const std::string kept = requested;
  unsetenv("QT_SCALE_FACTOR");
  QSize available;
  {
    // The probe may take Qt's own options out of what it is given: it gets a copy. Its sizes
    // are at factor 1 (and the platform's own ratio), as the window's below.
    std::vector<char*> arguments(argv, argv + argc);
    int count = argc;
    QGuiApplication probe(count, arguments.data());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
      available = screen->availableGeometry().size();
  }
  setenv("QT_SCALE_FACTOR", kept.c_str(), 1);
  if (available.isEmpty()) return rounded.empty() ? 0 : whole;
  return korimu::fittingScaleFactor(whole, korimu::kLayout.layoutWidth + kFrameAllowance,
                                    korimu::kLayout.clientHeight + kMenuAndTitleAllowance,
                                    available.width(), available.height());
}

}  // namespace

int main(int argc, char** argv) {
  using namespace korimu;
  const CommandLine commandLine = parseArguments(std::vector<std::string>(argv, argv + argc));
  if (const auto code = runHeadlessMode(commandLine)) return *code;

  if (!displayAvailable()) {
    std::cerr << noDisplayMessage() << '\n';
    return 1;
  }
  quietQtStartupRemarks();
  // The pictures are drawn pixel for pixel: at 125 to 175 % they are shown at a whole factor, and
  // never at one that makes the window larger than the screen.
  if (const int factor = screenFittingScaleFactor(argc, argv); factor > 0)
    setenv("QT_SCALE_FACTOR", std::to_string(factor).c_str(), 1);
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
  QApplication application(argc, argv);
  applyApplicationLook();
  // Without a sound server the program runs with no output device. The connection outlives the
  // window that plays through it.
  const std::unique_ptr<PulseAudioOutput> output = PulseAudioOutput::connect();
  // The window program's state: its widgets, controller and the windows it opens.
  AppShell app;
  if (!initInstance(app, commandLine, true, backendOf(output.get()))) return 0;
  if (commandLine.mode == HeadlessMode::kScreenshot) {
    // A named file that does not open has been reported; a picture without it is no answer.
    if (namedFileFailedToOpen(app)) {
      destroyMainWindow(app);
      return 1;
    }
    if (commandLine.readoutAt && !analyseAndPointAt(app, *commandLine.readoutAt)) {
      std::fprintf(stderr, "korimu: --readout: the analysis drew nothing to read\n");
      destroyMainWindow(app);
      return 1;
    }
    const bool saved = saveClientScreenshot(app, commandLine.outputPath);
    if (!saved) std::fprintf(stderr, "korimu: cannot write '%s'\n", commandLine.outputPath.c_str());
    destroyMainWindow(app);
    return saved ? 0 : 1;
  }
  const int code = runMessageLoop(app);
  destroyMainWindow(app);
  return code;
}

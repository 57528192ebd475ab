// The window program korimu-window, which korimu hands its window modes to. It runs the headless
// modes too (no display needed), so it works when started directly.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "app/app_shell.h"
#include "app/startup.h"
#include "cli/command_line.h"
#include "cli/window_program.h"
#include "platform/display_server.h"
#include "platform/qt/pulse_audio.h"
#include "platform/qt/qt_services.h"

int main(int argc, char** argv) {
  using namespace korimu;
  const CommandLine commandLine = parseArguments(std::vector<std::string>(argv, argv + argc));
  if (const auto code = runHeadlessMode(commandLine)) return *code;

  if (!displayAvailable()) {
    std::cerr << noDisplayMessage() << '\n';
    return 1;
  }
  quietQtStartupRemarks();
  // The pictures are drawn pixel for pixel: at 125 to 175 % they are shown at a whole factor.
  if (const std::string whole = wholeScaleFactor(std::getenv("QT_SCALE_FACTOR")); !whole.empty())
    setenv("QT_SCALE_FACTOR", whole.c_str(), 1);
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
    const bool saved = saveClientScreenshot(app, commandLine.outputPath);
    if (!saved) std::fprintf(stderr, "korimu: cannot write '%s'\n", commandLine.outputPath.c_str());
    destroyMainWindow(app);
    return saved ? 0 : 1;
  }
  const int code = runMessageLoop(app);
  destroyMainWindow(app);
  return code;
}

// Start-up of the window program: settings, the main window with its menu and control bar, the
// command-line file, the event loop, and the settings written at a normal exit.
#pragma once

#include <QImage>
#include <string>

#include "cli/command_line.h"
#include "platform/audio_device.h"

namespace korimu {

class AppShell;

// Everything up to a shown, ready main window (QApplication must exist). False when a window
// could not be created. Messages are shown in Qt message boxes unless showMessageBoxes is false
// (then they go to app.messages; --screenshot sends them to stderr). The window's session
// plays through `audio`, whose owner keeps it working until destroyMainWindow.
bool initInstance(AppShell& app, const CommandLine& commandLine, bool showMessageBoxes = true,
                  AudioBackend audio = {});

// Runs the event loop after initInstance and writes the settings at a normal exit. Returns the
// process exit code.
int runMessageLoop(AppShell& app);
// What a normal exit writes: the settings and what the window remembers (its span, place, recent
// files and language).
void saveSettingsAtExit(AppShell& app);

// Whether the file named on the command line failed to open in the last initInstance (its
// message has been shown once).
bool namedFileFailedToOpen(AppShell& app);

// --screenshot: the client area (below the menu bar) as a PNG, as clientAreaAsShown gives it.
// False when it cannot be written.
bool saveClientScreenshot(AppShell& app, const std::string& path);

// --screenshot --readout: presses 解析 once the file is open, waits for the run to end, then
// moves the pointer over plot pixel `at`, so that the readout shows what lies there. False when
// there was no run to read (no file, or the run did not start).
bool analyseAndPointAt(AppShell& app, PlotPoint at);

// The client area as the screen shows it: its canvas and controls, the readout's crosshair, and
// the readout's label (a window of its own) where it stands over the client area.
QImage clientAreaAsShown(AppShell& app);

// Loads Qt's Japanese translations (qtbase_ja) once; false when they are not installed.
bool installQtTranslations();

// The application-wide look (and Qt's translations): Unifont at 16 px for widgets, the classic
// light window colours.
void applyApplicationLook();

// The system's look changed (a new style): re-measure, widen the window by the scroll bar's excess
// over 2 W + 1 and move the span combobox when that excess changed.
void adjustForNewShell(AppShell& app);

// Destroys the main window and forgets its widgets (tests start again with initInstance).
void destroyMainWindow(AppShell& app);

}  // namespace korimu

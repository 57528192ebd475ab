// Help: F1 in every window of the program, and the help page shown inside the program when the
// desktop has no browser to hand it to.
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace korimu {

class AppShell;

// F1 anywhere in the application (the main window, a dialog, a message box) calls `showHelp`.
// Installed once for `app`; a later call replaces the action.
void installHelpKey(AppShell& app, std::function<void()> showHelp);

// The page in the desktop's browser (xdg-open); false when there is none or it cannot start.
bool openHelpInBrowser(const std::string& page);

// The page in a window of the program's own (Qt's text browser); one window, raised when it is
// already open. False when the page cannot be read.
bool openHelpInProgram(AppShell& app, const std::string& page);

// `app`'s help window while it is open, else null.
QWidget* helpWindow(const AppShell& app);

}  // namespace korimu

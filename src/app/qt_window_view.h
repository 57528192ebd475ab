// The main window's widgets as the view of its controller, and that one controller.
#pragma once

#include <QString>
#include <functional>
#include <string>

#include "control/controller.h"

namespace korimu {

// The controller of the main window, made with the window's view on first use.
Controller& controller();
// Forgets the controller (the window has gone; a new window starts with a new one).
void releaseController();

// The display state of the window's session, and in it the main window's client canvas.
DisplayState& windowDisplay();
Canvas& clientCanvas();

// Services the view uses that tests replace: the Open dialog (returns false when cancelled) and
// the desktop's browser for the help page.
struct ShellServices {
  std::function<bool(const std::string& folder, std::string* chosen)> chooseFileToOpen;
  std::function<bool(const std::string& path)> openHelpPage;
};
ShellServices& shellServices();

// The Open dialog's filters: ｻｳﾝﾄﾞ lists every kind the program opens, then every file.
QString openDialogFilters();

// Repaints the client area after drawing into its canvas.
void refreshClient();

}  // namespace korimu

// Command dispatch of the main window: every menu item, control-bar button, forwarded key and drop
// ends here as a command id.
#pragma once

#include <string>
#include <vector>

#include "core/program_files.h"

namespace korimu {

// Notification codes the span combobox acts on.
inline constexpr int kNotifyClick = 0;
inline constexpr int kNotifySelectionChange = 1;
inline constexpr int kNotifyKillFocus = 4;
inline constexpr int kNotifyCloseUp = 8;

void dispatchCommand(int id, int notification = kNotifyClick);

// Takes the file in appState.fileName: marks it selected, enables the file controls, validates it
// and redraws the overview and the range marker. The controls stay enabled even when validation
// failed; every later command validates again.
bool openFile();

// Files dropped on the window: only the first is taken.
void dropFiles(const std::vector<std::string>& paths);

// Escape while an analysis runs, and Stop during a run.
void requestStop();

// A left click in the client area (ignored while busy).
void clickClientArea(int x, int y);

// Redraws the position text and the overview after `position` moved.
void positionChanged();

}  // namespace korimu

#include <functional>

namespace korimu {

// Services the commands use that tests replace: the Open dialog (returns false when cancelled)
// and the desktop's browser for the help page.
struct ShellServices {
  std::function<bool(std::string* chosen)> chooseFileToOpen;
  std::function<bool(const std::string& path)> openHelpPage;
};
ShellServices& shellServices();

// Help (1105, F1) for a program at modulePath: its help page in the browser, or a message naming
// the page when it is missing.
void showHelpPage(const std::string& modulePath);

// Repaints the client area after drawing into its canvas.
void refreshClient();

}  // namespace korimu

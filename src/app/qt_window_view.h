// The main window's widgets as the view of their controller.
#pragma once

#include <QComboBox>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "control/window_view.h"

namespace korimu {

class AppShell;

// Services the view uses that tests replace: the Open dialog (returns false when cancelled), the
// desktop's browser for the help page and the Go-to box (false when cancelled).
struct ShellServices {
  std::function<bool(const std::string& folder, std::string* chosen)> chooseFileToOpen;
  std::function<bool(const std::string& path)> openHelpPage;
  std::function<bool(const std::string& current, std::string* answer)> askTime;
};
// The Open dialog of Qt's own and the browser, else the program's help window.
ShellServices defaultShellServices(AppShell& app);

// The view of `app`'s widgets.
std::unique_ptr<WindowView> makeQtWindowView(AppShell& app);

// The span list's items keep the controller's label (262144, 全体) as their data and show it in
// the window's language.
void addSpanItem(QComboBox* combo, const std::string& label);
std::string spanLabelOf(const QComboBox* combo);

// The Open dialog's filters: ｻｳﾝﾄﾞ lists every kind the program opens, then every file.
QString openDialogFilters();

}  // namespace korimu

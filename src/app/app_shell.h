// Everything the window program keeps while it runs: the main window's widgets, their controller
// and its view, the services tests replace, the filters installed on the application and the help
// and cross-section windows while they are open. main() makes one and hands it to every widget
// and start-up function; each window test makes its own.
#pragma once

#include <QPointer>
#include <memory>
#include <string>

#include "app/qt_window_view.h"
#include "app/shell_widgets.h"
#include "control/controller.h"
#include "core/language.h"

class QDialog;

namespace korimu {

class ControlFilter;
class CrossSectionWindow;

class AppShell {
 public:
  AppShell();
  ~AppShell();
  AppShell(const AppShell&) = delete;
  AppShell& operator=(const AppShell&) = delete;

  // The controller of the main window, made with the window's view on first use.
  Controller& controller();
  // Forgets the controller (the window has gone; a new window starts with a new one).
  void releaseController();
  // The display state of the window's session, and in it the main window's client canvas.
  DisplayState& display() { return controller().session().display; }
  Canvas& clientCanvas() { return display().surfaces.window; }

  ShellWidgets widgets;
  ShellServices services;
  // Where the window's messages go when it shows no boxes (stderr and exit unless a test records
  // them); start-up hands them to the window's session.
  Messages messages;
  // The language the window was built in at its start, or the one chosen since in its menu, which
  // is remembered at exit for the next start.
  Language language = Language::kJapanese;
  // Where the window's translations (korimu_en.qm) are: beside the program or installed.
  std::string translationsFolder;
  // A test's observer of the window's runs (null when nobody watches).
  RunListener* runWatcher = nullptr;
  QPointer<ControlFilter> controlFilter;
  QPointer<QObject> helpKeyFilter;  // F1 anywhere in the application
  QPointer<QDialog> helpDialog;
  QPointer<CrossSectionWindow> crossSection;

 private:
  std::unique_ptr<WindowView> view_;
  std::unique_ptr<Controller> controller_;
};

}  // namespace korimu

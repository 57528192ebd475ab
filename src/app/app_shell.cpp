#include "app/app_shell.h"

#include <QDialog>

#include "app/control_filter.h"
#include "app/cross_section_window.h"
#include "app/help_window.h"
#include "app/widgets.h"
#include "core/program_files.h"

namespace korimu {

AppShell::AppShell() : services(defaultShellServices(*this)), view_(makeQtWindowView(*this)) {
  translationsFolder = korimu::translationsFolder(programPath());
}

AppShell::~AppShell() {
  // What was installed on the application goes with the shell that installed it.
  delete crossSection.data();
  delete helpDialog.data();
  delete helpKeyFilter.data();
  delete controlFilter.data();
  delete widgets.window;
}

Controller& AppShell::controller() {
  if (!controller_) controller_ = std::make_unique<Controller>(*view_);
  return *controller_;
}

void AppShell::releaseController() {
  controller_.reset();
}

}  // namespace korimu

#include "app/recent_files_menu.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <vector>

#include "app/app_shell.h"
#include "control/controller.h"

namespace korimu {

void addRecentFilesMenu(AppShell& app) {
  QMenu* file = app.widgets.popups[0];
  const auto open = app.widgets.actions.find(kOpenId);
  if (!file || open == app.widgets.actions.end()) return;
  const QList<QAction*> items = file->actions();
  const qsizetype after = items.indexOf(open->second) + 1;
  auto* recent = new QMenu(QCoreApplication::translate("Menu", "最近使ったファイル(&R)"), file);
  file->insertMenu(after < items.size() ? items[after] : nullptr, recent);
  QObject::connect(recent, &QMenu::aboutToShow, recent, [&app, recent] {
    recent->clear();
    const bool openable = app.widgets.menuItemEnabled(kOpenId);
    const std::vector<Controller::RecentFile> entries = app.controller().recentFileEntries();
    if (entries.empty())
      recent->addAction(QCoreApplication::translate("Menu", "(なし)"))->setEnabled(false);
    for (size_t i = 0; i < entries.size(); ++i) {
      // The path as it is, its "&" doubled so that it is not taken as a mnemonic.
      QString path = QString::fromStdString(entries[i].path);
      path.replace('&', "&&");
      QAction* action = recent->addAction(QString("&%1 %2").arg(i + 1).arg(path));
      action->setEnabled(openable && entries[i].present);
      QObject::connect(action, &QAction::triggered, action,
                       [&app, i] { app.controller().openRecentFile(i); });
    }
  });
}

}  // namespace korimu

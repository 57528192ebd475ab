#include "app/help_window.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPointer>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <utility>

#include "app/app_shell.h"

namespace korimu {

namespace {

class HelpKeyFilter : public QObject {
 public:
  explicit HelpKeyFilter(QObject* parent) : QObject(parent) {}
  std::function<void()> showHelp;

  bool eventFilter(QObject* watched, QEvent* event) override {
    // Taken where the key arrives (the focus widget), before any widget handles or passes it on;
    // the window that carries it to the widget is not a widget and lets it through.
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || !showHelp) return false;
    showHelp();
    return true;
  }
};

}  // namespace

void installHelpKey(AppShell& app, std::function<void()> showHelp) {
  if (!app.helpKeyFilter) {
    app.helpKeyFilter = new HelpKeyFilter(qApp);
    qApp->installEventFilter(app.helpKeyFilter);
  }
  static_cast<HelpKeyFilter*>(app.helpKeyFilter.data())->showHelp = std::move(showHelp);
}

bool openHelpInBrowser(const std::string& page) {
  // Without xdg-open Qt has nothing to start; asking it anyway only prints a warning.
  if (QStandardPaths::findExecutable("xdg-open").isEmpty()) return false;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page)));
}

bool openHelpInProgram(AppShell& app, const std::string& page) {
  QPointer<QDialog>& openHelp = app.helpDialog;
  const QString file = QString::fromStdString(page);
  if (!QFileInfo(file).isReadable()) return false;
  if (!openHelp) {
    openHelp = new QDialog(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                        Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    openHelp->setAttribute(Qt::WA_DeleteOnClose);
    openHelp->setWindowTitle(QCoreApplication::translate("Window", "KORIMU ヘルプ"));
    auto* browser = new QTextBrowser(openHelp);
    browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(openHelp);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    openHelp->resize(720, 640);
  }
  auto* browser = openHelp->findChild<QTextBrowser*>();
  browser->setSource(QUrl::fromLocalFile(file));
  openHelp->show();
  openHelp->raise();
  openHelp->activateWindow();
  return true;
}

QWidget* helpWindow(const AppShell& app) {
  return app.helpDialog.data();
}

}  // namespace korimu

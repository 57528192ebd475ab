#include "app/qt_window_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>
#include <QTimer>
#include <memory>

#include "app/app_shell.h"
#include "app/cross_section_window.h"
#include "app/help_window.h"
#include "app/plot_readout_widget.h"
#include "app/shell_widgets.h"
#include "app/widgets.h"
#include "app/window_run.h"
#include "core/layout.h"
#include "dialogs/about_dialog.h"
#include "dialogs/info_dialog.h"
#include "dialogs/options_dialog.h"
#include "wave/sound_kinds.h"

namespace korimu {

namespace {

class QtWindowView : public WindowView {
 public:
  explicit QtWindowView(AppShell& app) : app_(app), listener_(app) {}

  void showEnabling(const Enabling& enabling) override {
    for (const auto& [id, on] : enabling.controls)
      if (QWidget* w = app_.widgets.controlById(id)) w->setEnabled(on);
    for (const auto& [id, on] : enabling.menuItems) app_.widgets.enableMenuItem(id, on);
    for (QMenu* popup : app_.widgets.popups)
      if (popup) popup->menuAction()->setEnabled(enabling.menuBar);
    if (QAbstractButton* stop = app_.widgets.buttonById(kStopId))
      stop->setText(enabling.stopAborts ? QCoreApplication::translate("Window", "中断")
                                        : QCoreApplication::translate("Window", "停止"));
    if (app_.widgets.window) app_.widgets.window->setAcceptDrops(enabling.acceptDrops);
    if (QWidget* w = app_.widgets.controlById(enabling.focus)) w->setFocus(Qt::OtherFocusReason);
  }
  void checkMenuItem(int id, bool on) override { app_.widgets.checkMenuItem(id, on); }
  void checkRadio(int id, bool on) override {
    if (QAbstractButton* b = app_.widgets.buttonById(id)) b->setChecked(on);
  }
  std::string spanText() override {
    return app_.widgets.spanCombo ? spanLabelOf(app_.widgets.spanCombo) : std::string();
  }
  void setSpanLabels(const std::vector<std::string>& labels) override {
    QComboBox* combo = app_.widgets.spanCombo;
    if (!combo) return;
    const QVariant selected = combo->currentData();
    const QSignalBlocker quiet(combo);
    combo->clear();
    for (const std::string& label : labels) addSpanItem(combo, label);
    combo->setCurrentIndex(std::max(combo->findData(selected), 0));
  }
  bool selectSpan(const std::string& label) override {
    QComboBox* combo = app_.widgets.spanCombo;
    const int index = combo ? combo->findData(QString::fromStdString(label)) : -1;
    if (index < 0) return false;
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(index);
    return true;
  }
  void setGainCaption(const std::string& utf8) override {
    if (QAbstractButton* at = app_.widgets.buttonById(kGainAtId))
      at->setText(QCoreApplication::translate("Window", utf8.c_str()));
  }
  void setTitle(const std::string& title) override {
    if (app_.widgets.window) app_.widgets.window->setWindowTitle(QString::fromStdString(title));
  }

  void refreshClient() override {
    if (app_.widgets.client) app_.widgets.client->update();
    if (app_.widgets.readout) app_.widgets.readout->recordChanged();
  }
  void refreshClientArea(const Rect& area) override {
    if (app_.widgets.client) app_.widgets.client->update(area.x, area.y, area.w, area.h);
    if (app_.widgets.readout) app_.widgets.readout->recordChanged();
  }
  void invalidateOverview() override {
    if (app_.widgets.overview) app_.widgets.overview->invalidateFromFile();
  }
  void invertOverviewStrip(int x, int width) override {
    if (app_.widgets.overview)
      app_.widgets.overview->invertRect(x, 0, width, kLayout.overviewHeight);
  }
  void showHourglass(bool on) override {
    if (on) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
      QApplication::restoreOverrideCursor();
    }
  }
  void setMarkerTimer(uint32_t periodMs) override {
    QTimer* timer = app_.widgets.markerTimer;
    if (!timer) return;
    if (periodMs > 0) {
      timer->start(int(periodMs));
    } else {
      timer->stop();
    }
  }

  bool chooseFileToOpen(const std::string& folder, std::string* chosen) override {
    return app_.services.chooseFileToOpen && app_.services.chooseFileToOpen(folder, chosen);
  }
  bool openHelpPage(const std::string& path) override {
    return !app_.services.openHelpPage || app_.services.openHelpPage(path);
  }
  bool askTime(const std::string& current, std::string* answer) override {
    return app_.services.askTime && app_.services.askTime(current, answer);
  }
  bool runOptionsDialog(AppSettings& settings) override {
    ShellWidgets& widgets = app_.widgets;
    return korimu::runOptionsDialog(widgets.window, settings,
                                    [&widgets](int32_t fromView, int32_t toView) {
                                      widgets.checkMenuItem(fromView, false);
                                      widgets.checkMenuItem(toView, true);
                                    });
  }
  void runInfoDialog(AppSettings& settings, const std::string& path,
                     const SourceFormat* decodedFrom) override {
    korimu::runInfoDialog(app_.widgets.window, settings, path, decodedFrom);
  }
  void runAboutDialog(AppSettings& settings) override {
    korimu::runAboutDialog(app_.widgets.window, settings,
                           countDevices(app_.controller().session().wave.audio));
  }

  bool crossSectionOpen() override { return app_.crossSection != nullptr; }
  void openCrossSection() override { openCrossSectionWindowFor(app_, app_.widgets.window); }
  void closeCrossSection() override { closeCrossSectionWindow(app_); }
  void refreshCrossSection() override { updateCrossSectionWindow(app_); }
  void closeWindow() override {
    if (app_.widgets.window) app_.widgets.window->close();
  }
  bool chooseFileToSave(const std::string& proposed, const std::string& kind,
                        std::string* chosen) override {
    const bool png = kind == "png";
    // Over the window the command came from (the main window or the cross-section).
    QWidget* over = QApplication::activeWindow();
    const QString name = QFileDialog::getSaveFileName(
        over != nullptr ? over : app_.widgets.window,
        png ? QCoreApplication::translate("Window", "画像を保存")
            : QCoreApplication::translate("Window", "数値を保存"),
        QString::fromStdString(proposed),
        png ? QCoreApplication::translate("Window", "PNG 画像(*.png);;全ファイル(*)")
            : QCoreApplication::translate("Window", "CSV(*.csv);;全ファイル(*)"),
        nullptr, QFileDialog::DontUseNativeDialog);
    *chosen = name.toStdString();
    return !name.isEmpty();
  }
  void copyPictureToClipboard(const Canvas& picture) override {
    QGuiApplication::clipboard()->setImage(canvasImage(picture));
  }

  bool runsInBackground() override { return true; }
  void wakeOwner(const std::function<void()>& task) override {
    // Posted to the application object's thread, the window's; safe from any thread.
    QMetaObject::invokeMethod(qApp, task, Qt::QueuedConnection);
  }
  RunListener& runListener() override { return listener_; }
  void backgroundEnded() override {
    if (app_.widgets.window) app_.widgets.window->closeIfAskedDuringRun();
  }

 private:
  AppShell& app_;
  WindowRunListener listener_;
};

}  // namespace

std::unique_ptr<WindowView> makeQtWindowView(AppShell& app) {
  return std::make_unique<QtWindowView>(app);
}

ShellServices defaultShellServices(AppShell& app) {
  return ShellServices{
      [&app](const std::string& folder, std::string* chosen) {
        const QString name = QFileDialog::getOpenFileName(
            app.widgets.window, QCoreApplication::translate("Window", "再生用にファイルを開く"),
            QString::fromStdString(folder), openDialogFilters(), nullptr,
            QFileDialog::DontUseNativeDialog);
        *chosen = name.toStdString();
        return !name.isEmpty();
      },
      [&app](const std::string& path) {
        return openHelpInBrowser(path) || openHelpInProgram(app, path);
      },
      [&app](const std::string& current, std::string* answer) {
        bool accepted = false;
        const QString text =
            QInputDialog::getText(app.widgets.window, QCoreApplication::translate("Window", "位置"),
                                  QCoreApplication::translate("Window", "位置 (分:秒 または 秒):"),
                                  QLineEdit::Normal, QString::fromStdString(current), &accepted);
        *answer = text.toStdString();
        return accepted;
      }};
}

void addSpanItem(QComboBox* combo, const std::string& label) {
  combo->addItem(QCoreApplication::translate("Window", label.c_str()),
                 QString::fromStdString(label));
}

std::string spanLabelOf(const QComboBox* combo) {
  return combo->currentData().toString().toStdString();
}

QString openDialogFilters() {
  QString sound = QCoreApplication::translate("Window", "ｻｳﾝﾄﾞ") + "(*.WAV";
  for (const std::string& extension : openableExtensions())
    sound += " *." + QString::fromStdString(extension);
  return sound + ");;" + QCoreApplication::translate("Window", "全ファイル(*.*)");
}

}  // namespace korimu

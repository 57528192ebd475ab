#include "app/qt_window_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMenu>
#include <QSignalBlocker>
#include <QTimer>
#include <memory>

#include "app/cross_section_window.h"
#include "app/help_window.h"
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
  void showEnabling(const Enabling& enabling) override {
    for (const auto& [id, on] : enabling.controls)
      if (QWidget* w = controlById(id)) w->setEnabled(on);
    for (const auto& [id, on] : enabling.menuItems) enableMenuItem(id, on);
    for (QMenu* popup : shell().popups)
      if (popup) popup->menuAction()->setEnabled(enabling.menuBar);
    if (QAbstractButton* stop = buttonById(kStopId))
      stop->setText(enabling.stopAborts ? "中断" : "停止");
    if (shell().window) shell().window->setAcceptDrops(enabling.acceptDrops);
    if (QWidget* w = controlById(enabling.focus)) w->setFocus(Qt::OtherFocusReason);
  }
  void checkMenuItem(int id, bool on) override { korimu::checkMenuItem(id, on); }
  void checkRadio(int id, bool on) override {
    if (QAbstractButton* b = buttonById(id)) b->setChecked(on);
  }
  std::string spanText() override {
    return shell().spanCombo ? shell().spanCombo->currentText().toStdString() : std::string();
  }
  void setSpanLabels(const std::vector<std::string>& labels) override {
    QComboBox* combo = shell().spanCombo;
    if (!combo) return;
    const QString selected = combo->currentText();
    const QSignalBlocker quiet(combo);
    combo->clear();
    for (const std::string& label : labels) combo->addItem(QString::fromStdString(label));
    combo->setCurrentIndex(std::max(combo->findText(selected), 0));
  }
  void setGainCaption(const std::string& utf8) override {
    if (QAbstractButton* at = buttonById(kGainAtId)) at->setText(QString::fromStdString(utf8));
  }
  void setTitle(const std::string& title) override {
    if (shell().window) shell().window->setWindowTitle(QString::fromStdString(title));
  }

  void refreshClient() override { korimu::refreshClient(); }
  void refreshClientArea(const Rect& area) override {
    if (shell().client) shell().client->update(area.x, area.y, area.w, area.h);
  }
  void invalidateOverview() override {
    if (shell().overview) shell().overview->invalidateFromFile();
  }
  void invertOverviewStrip(int x, int width) override {
    if (shell().overview) shell().overview->invertRect(x, 0, width, kLayout.overviewHeight);
  }
  void showHourglass(bool on) override {
    if (on) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
      QApplication::restoreOverrideCursor();
    }
  }
  void setMarkerTimer(uint32_t periodMs) override {
    QTimer* timer = shell().markerTimer;
    if (!timer) return;
    if (periodMs > 0) {
      timer->start(int(periodMs));
    } else {
      timer->stop();
    }
  }

  bool chooseFileToOpen(const std::string& folder, std::string* chosen) override {
    return shellServices().chooseFileToOpen && shellServices().chooseFileToOpen(folder, chosen);
  }
  bool openHelpPage(const std::string& path) override {
    return !shellServices().openHelpPage || shellServices().openHelpPage(path);
  }
  bool runOptionsDialog(AppSettings& settings) override {
    return korimu::runOptionsDialog(shell().window, settings, [](int32_t fromView, int32_t toView) {
      korimu::checkMenuItem(fromView, false);
      korimu::checkMenuItem(toView, true);
    });
  }
  void runInfoDialog(AppSettings& settings, const std::string& path,
                     const SourceFormat* decodedFrom) override {
    korimu::runInfoDialog(shell().window, settings, path, decodedFrom);
  }
  void runAboutDialog(AppSettings& settings) override {
    korimu::runAboutDialog(shell().window, settings,
                           countDevices(controller().session().wave.audio));
  }

  bool crossSectionOpen() override { return crossSectionWindow() != nullptr; }
  void openCrossSection() override { openCrossSectionWindowFor(shell().window); }
  void closeCrossSection() override { closeCrossSectionWindow(); }
  void refreshCrossSection() override { updateCrossSectionWindow(); }
  void closeWindow() override {
    if (shell().window) shell().window->close();
  }
  bool chooseFileToSave(const std::string& proposed, const std::string& kind,
                        std::string* chosen) override {
    const bool png = kind == "png";
    const QString name = QFileDialog::getSaveFileName(
        shell().window, png ? "画像を保存" : "数値を保存", QString::fromStdString(proposed),
        png ? "PNG 画像(*.png);;全ファイル(*)" : "CSV(*.csv);;全ファイル(*)", nullptr,
        QFileDialog::DontUseNativeDialog);
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
    if (shell().window) shell().window->closeIfAskedDuringRun();
  }

 private:
  WindowRunListener listener_;
};

QtWindowView windowView;
std::unique_ptr<Controller> theController;

}  // namespace

Controller& controller() {
  if (!theController) theController = std::make_unique<Controller>(windowView);
  return *theController;
}

void releaseController() {
  theController.reset();
}

DisplayState& windowDisplay() {
  return controller().session().display;
}

Canvas& clientCanvas() {
  return windowDisplay().surfaces.window;
}

ShellServices& shellServices() {
  static ShellServices services{
      [](const std::string& folder, std::string* chosen) {
        const QString name = QFileDialog::getOpenFileName(
            shell().window, "再生用にファイルを開く", QString::fromStdString(folder),
            openDialogFilters(), nullptr, QFileDialog::DontUseNativeDialog);
        *chosen = name.toStdString();
        return !name.isEmpty();
      },
      [](const std::string& path) { return openHelpInBrowser(path) || openHelpInProgram(path); }};
  return services;
}

QString openDialogFilters() {
  QString sound = "ｻｳﾝﾄﾞ(*.WAV";
  for (const std::string& extension : openableExtensions())
    sound += " *." + QString::fromStdString(extension);
  return sound + ");;全ファイル(*.*)";
}

void refreshClient() {
  if (shell().client) shell().client->update();
}

}  // namespace korimu

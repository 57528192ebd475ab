#include "app/commands.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>
#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "analysis/run_driver.h"
#include "app/cross_section_window.h"
#include "app/enabling.h"
#include "app/navigation.h"
#include "app/run_quit.h"
#include "app/shell_widgets.h"
#include "app/widgets.h"
#include "core/app_state.h"
#include "core/layout.h"
#include "core/settings.h"
#include "dialogs/about_dialog.h"
#include "dialogs/info_dialog.h"
#include "dialogs/options_dialog.h"
#include "display/chart.h"
#include "display/graph_frame.h"
#include "display/peak_readout.h"
#include "display/status_texts.h"
#include "platform/message.h"
#include "wave/playback.h"
#include "wave/wave_source.h"

namespace korimu {

namespace {

void invalidateOverview() {
  if (shell().overview) shell().overview->invalidateFromFile();
}

void setTitle() {
  if (shell().window) shell().window->setTitleFromFileName();
}

void rangeMarkerUnlessChart() {
  if (settings.display != kTimeFrequencyChart) {
    drawRangeMarker(clientCanvas());
    refreshClient();
  }
}

void checkRadio(int id, bool on) {
  if (QAbstractButton* b = buttonById(id)) b->setChecked(on);
}

void openCommand() {
  const std::string saved = appState.fileName;
  appState.fileName.clear();
  std::string chosen;
  const bool accepted = shellServices().chooseFileToOpen &&
                        shellServices().chooseFileToOpen(&chosen) && !chosen.empty();
  appState.fileName = accepted ? chosen : saved;
  setTitle();
  if (!accepted) return;
  closeWave();
  appState.position = 0;
  openFile();
}

}  // namespace

void showHelpPage(const std::string& modulePath) {
  const std::string page = helpPagePath(modulePath);
  if (!std::filesystem::exists(page)) {
    showMessage(formatText("ヘルプファイル %s が見つかりません。", page.c_str()));
    return;
  }
  if (shellServices().openHelpPage && !shellServices().openHelpPage(page))
    showMessage(formatText("ヘルプファイル %s を表示できません。", page.c_str()));
}

namespace {

void selectView(int id) {
  if (settings.display == id) return;
  checkMenuItem(settings.display, false);
  settings.display = id;
  checkMenuItem(id, true);
  if (id == kTimeFrequencyChart) {
    clearRangeBand(clientCanvas());
    refreshClient();
  }
  if (id == kWaveZoom) {
    // The waveform shows no peak: a box left from another view would describe another run.
    clearPeakReadout(clientCanvas());
    refreshClient();
  }
}

void spanCommand(int notification) {
  if (notification != kNotifyCloseUp && notification != kNotifyKillFocus) return;
  if (!shell().spanCombo) return;
  const std::string text = shell().spanCombo->currentText().toStdString();
  const int frames = std::atoi(text.c_str()) / 512;
  if (frames == settings.framesPerColumn) return;
  settings.framesPerColumn = frames;
  invalidateOverview();
  drawSpanText(clientCanvas());
  refreshClient();
  rangeMarkerUnlessChart();
}

void amplitudeCommand(int id) {
  checkRadio(kNormalZoomId, id == kNormalZoomId);
  checkRadio(kDoubleZoomId, id == kDoubleZoomId);
  settings.amplitudeZoom = id == kNormalZoomId ? 1 : 2;
  invalidateOverview();
}

void gainCommand(int id) {
  for (int other = kGainAtId; other <= kGainX4Id; ++other) checkRadio(other, other == id);
  settings.displayGain = id - kGainAtId;
}

bool optionsCommand() {
  return runOptionsDialog(shell().window, [](int32_t fromView, int32_t toView) {
    checkMenuItem(fromView, false);
    checkMenuItem(toView, true);
  });
}

void analyzeCommand() {
  {
    const QuitEndsRun quitEndsRun;
    runAnalysis();
  }
  if (shell().window) shell().window->closeIfAskedDuringRun();
}

void navigationCommand(int id) {
  const WaveSource& facts = waveSource;
  appState.position = navigatedPosition(
      id, appState.position, DataExtent{facts.blockAlign, facts.dataSize, facts.bytesPerSecond});
  positionChanged();
}

}  // namespace

ShellServices& shellServices() {
  static ShellServices services{
      [](std::string* chosen) {
        const QString name = QFileDialog::getOpenFileName(
            shell().window, "再生用にファイルを開く", QString(),
            "ｻｳﾝﾄﾞ(*.WAV *.wav);;全ファイル(*.*)", nullptr, QFileDialog::DontUseNativeDialog);
        *chosen = name.toStdString();
        return !name.isEmpty();
      },
      [](const std::string& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
      }};
  return services;
}

void refreshClient() {
  if (shell().client) shell().client->update();
}

void positionChanged() {
  drawPositionText(clientCanvas());
  refreshClient();
  invalidateOverview();
}

bool openFile() {
  appState.fileSelected = 1;
  enterUiState(currentUiState());
  const bool result = openWave();
  if (!result) {
    // The controls stay on (every command validates again), but the texts must not go on
    // describing the file that was open before.
    hideFileFacts(true);
    drawFormatTexts(clientCanvas());
    drawSpanText(clientCanvas());
    refreshClient();
  }
  invalidateOverview();
  rangeMarkerUnlessChart();
  return result;
}

void dropFiles(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  closeWave();
  appState.fileName = paths.front();
  appState.position = 0;
  setTitle();
  openFile();
}

void requestStop() {
  appState.stopRequested = 1;
  drawStopAccepted(clientCanvas());
  refreshClient();
}

void clickClientArea(int x, int y) {
  if (appState.busy != 0) return;
  const int w = layout.unitW;
  const int h = layout.unitH;
  const int top = layout.plotTop;
  if (x >= 2 * w + 512 || y < top - h || y >= top + h + 256) return;
  appState.crossSectionX = std::clamp(x, w, w + 511);
  if (!crossSectionWindow()) {
    if (appState.lastRunView == kTimeFrequencyChart) openCrossSectionWindowFor(shell().window);
  } else {
    updateCrossSectionWindow();
  }
}

void dispatchCommand(int id, int notification) {
  const bool click = notification == kNotifyClick;
  switch (id) {
    case 1101:
      openCommand();
      break;
    case 1102:
      closeWave();
      runInfoDialog(shell().window);
      break;
    case 1103:
      if (shell().window) shell().window->close();
      break;
    case 1104:
      runAboutDialog(shell().window);
      break;
    case 1105:
      showHelpPage(QCoreApplication::applicationFilePath().toStdString());
      break;
    case 1106:
    case 1107:
    case 1108:
    case 1109:
    case 1110:
      selectView(id);
      break;
    case 1111:
      settings.pinkNoiseFlat = settings.pinkNoiseFlat != 0 ? 0 : 1;
      checkMenuItem(1111, settings.pinkNoiseFlat != 0);
      break;
    case 1113:
    case 1114:
      if (settings.graphStyle != id) {
        checkMenuItem(settings.graphStyle, false);
        settings.graphStyle = id;
        checkMenuItem(id, true);
      }
      break;
    case 1115:
      settings.futosa = settings.futosa + 1 > 2 ? 1 : settings.futosa + 1;
      checkMenuItem(1115, settings.futosa == 2);
      break;
    case 1116:
      if (appState.busy == 0 && !crossSectionWindow() &&
          appState.lastRunView == kTimeFrequencyChart) {
        appState.crossSectionX = layout.unitW;
        openCrossSectionWindowFor(shell().window);
      }
      break;
    case 1200:
      if (optionsCommand()) {
        rangeMarkerUnlessChart();
        prepareAnalysis();
      }
      break;
    case kPlayId:
      if (click && appState.fileSelected == 1) startPlayback(false);
      break;
    case kPartialId:
      if (click && appState.fileSelected == 1) startPlayback(true);
      break;
    case kStopId:
      if (!click) break;
      if (appState.busy != 0) {
        requestStop();
      } else if (appState.fileSelected == 1) {
        stopPlayback();
      }
      break;
    case kAnalyzeId:
      if (click && appState.fileSelected == 1) analyzeCommand();
      break;
    case kSpanComboId:
      spanCommand(notification);
      break;
    case kNormalZoomId:
    case kDoubleZoomId:
      amplitudeCommand(id);
      break;
    case kGainAtId:
    case kGainX1Id:
    case kGainX2Id:
    case kGainX4Id:
      gainCommand(id);
      break;
    default:
      if (isNavigationCommand(id)) navigationCommand(id);
      break;
  }
}

}  // namespace korimu

#include "app/enabling.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QMenu>

#include "app/shell_widgets.h"
#include "app/widgets.h"
#include "core/app_state.h"

namespace korimu {

namespace {

void enableControl(int id, bool on) {
  if (QWidget* w = controlById(id)) w->setEnabled(on);
}

void focusControl(int id) {
  if (QWidget* w = controlById(id)) w->setFocus(Qt::OtherFocusReason);
}

}  // namespace

void enableFileControls(bool on) {
  for (int id :
       {kFastBackId, kBackId, kStepBackId, kStepForwardId, kForwardId, kFastForwardId, kAnalyzeId})
    enableControl(id, on);
  if (on) focusControl(kAnalyzeId);
  enableMenuItem(kAnalyzeId, on);
  // Without an output device Play and Partial play never come on.
  if (appState.outputDeviceCount > 0 || !on) {
    enableMenuItem(kPartialId, on);
    enableMenuItem(kPlayId, on);
    enableControl(kPlayId, on);
    enableControl(kPartialId, on);
  }
  if (on) enableMenuItem(1102, true);
}

void enableIdleControls(bool on) {
  enableFileControls(on);
  enableControl(kSpanComboId, on);
  enableControl(kNormalZoomId, on);
  enableControl(kDoubleZoomId, on);
  enableMenuItem(1200, on);
  enableMenuItem(1101, on);
  if (shell().window) shell().window->setAcceptDrops(on);
  if (!on) enableMenuItem(1102, false);
}

void enableRunControls(bool on) {
  enableFileControls(on);
  if (QAbstractButton* stop = buttonById(kStopId)) {
    stop->setText(on ? "停止" : "中断");
    stop->setEnabled(!on);
    if (!on) stop->setFocus(Qt::OtherFocusReason);
  }
  for (QMenu* popup : shell().popups)
    if (popup) popup->menuAction()->setEnabled(on);
  for (int id :
       {kNormalZoomId, kDoubleZoomId, kGainAtId, kGainX1Id, kGainX2Id, kGainX4Id, kSpanComboId})
    enableControl(id, on);
}

void enableStop(bool on) {
  enableControl(kStopId, on);
  enableMenuItem(kStopId, on);
  if (on) focusControl(kStopId);
}

}  // namespace korimu

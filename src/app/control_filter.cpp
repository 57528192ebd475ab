#include "app/control_filter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QTimerEvent>
#include <algorithm>

#include "app/app_shell.h"
#include "app/widgets.h"
#include "control/navigation.h"
#include "control/plot_readout.h"
#include "core/settings.h"

namespace korimu {

namespace {

constexpr int kRepeatMs = 200;
constexpr char kIdProperty[] = "korimuControlId";

bool enabled(const AppShell& app, int id) {
  QWidget* w = app.widgets.controlById(id);
  return w != nullptr && w->isEnabled();
}

// The first enabled control of a list, or null.
QWidget* firstEnabled(const AppShell& app, std::initializer_list<int> ids) {
  for (int id : ids)
    if (enabled(app, id)) return app.widgets.controlById(id);
  return nullptr;
}

int amplitudeRadioOn(AppShell& app) {
  return app.controller().session().settings.amplitudeZoom == 2 ? kDoubleZoomId : kNormalZoomId;
}

int powerRadioOn(AppShell& app) {
  return kGainAtId + std::clamp(app.controller().session().settings.displayGain, 0, 3);
}

void sendKeyTo(QWidget* target, int key) {
  if (target == nullptr) return;
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_Space ? " " : "");
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, key == Qt::Key_Space ? " " : "");
  QApplication::sendEvent(target, &press);
  QApplication::sendEvent(target, &release);
}

// The plot as a stop of the Tab round: only while it shows a picture to read.
QWidget* plotTabStop(AppShell& app) {
  if (readoutItems(app.controller().shownRecord()) == 0) return nullptr;
  return app.widgets.client;
}

}  // namespace

QWidget* tabTargetFromPlot(AppShell& app, bool backward) {
  return backward ? firstEnabled(app, {kStopId, kPartialId}) : app.widgets.controlById(kFastBackId);
}

QWidget* tabTarget(AppShell& app, int id, bool backward) {
  switch (id) {
    case kFastBackId:
      if (backward) {
        if (QWidget* plot = plotTabStop(app)) return plot;
      }
      return backward ? firstEnabled(app, {kStopId, kPartialId}) : app.widgets.controlById(kBackId);
    case kBackId:
      return app.widgets.controlById(backward ? kFastBackId : kStepBackId);
    case kStepBackId:
      return app.widgets.controlById(backward ? kBackId : kStepForwardId);
    case kStepForwardId:
      return app.widgets.controlById(backward ? kStepBackId : kForwardId);
    case kForwardId:
      return app.widgets.controlById(backward ? kStepForwardId : kFastForwardId);
    case kFastForwardId:
      return app.widgets.controlById(backward ? kForwardId : kSpanComboId);
    case kSpanComboId:
      if (!backward) return app.widgets.controlById(amplitudeRadioOn(app));
      if (QWidget* w = firstEnabled(app, {kFastForwardId, kStopId, kPartialId})) return w;
      return app.widgets.controlById(powerRadioOn(app));
    case kNormalZoomId:
    case kDoubleZoomId:
      return app.widgets.controlById(backward ? kSpanComboId : powerRadioOn(app));
    case kGainAtId:
    case kGainX1Id:
    case kGainX2Id:
    case kGainX4Id:
      if (backward) return app.widgets.controlById(amplitudeRadioOn(app));
      if (QWidget* w = firstEnabled(app, {kAnalyzeId, kStopId})) return w;
      return app.widgets.controlById(kSpanComboId);
    case kAnalyzeId:
      return app.widgets.controlById(backward ? powerRadioOn(app) : kPlayId);
    case kPlayId:
      return app.widgets.controlById(backward ? kAnalyzeId : kPartialId);
    case kPartialId:
      if (!backward) {
        if (QWidget* plot = plotTabStop(app)) return plot;
      }
      return app.widgets.controlById(backward ? kPlayId : kFastBackId);
    default:  // Stop keeps the focus
      return nullptr;
  }
}

// A closed drop-down list moves its selection with Left and Right as with Up and Down. The span
// is taken only when the list closes or loses the focus, as for any other selection.
bool ControlFilter::stepSelection(QWidget* control, int step) {
  if (auto* combo = qobject_cast<QComboBox*>(control)) {
    const int index = std::clamp(combo->currentIndex() + step, 0, combo->count() - 1);
    if (index >= 0) combo->setCurrentIndex(index);
  }
  return true;
}

int moveCommandOfKey(int key) {
  switch (key) {
    case Qt::Key_Home:
      return kToStartId;
    case Qt::Key_End:
      return kToEndId;
    case Qt::Key_PageUp:
      return kSpanBackId;
    case Qt::Key_PageDown:
      return kSpanForwardId;
    default:
      return 0;
  }
}

bool ControlFilter::keyPress(QWidget* control, int id, QEvent* event) {
  auto* key = static_cast<QKeyEvent*>(event);
  const bool ctrl = key->modifiers().testFlag(Qt::ControlModifier);
  const bool isButton = qobject_cast<QAbstractButton*>(control) != nullptr;
  switch (key->key()) {
    case Qt::Key_Left:
      if (enabled(app_, kBackId)) app_.controller().command(ctrl ? kFastBackId : kBackId);
      if (id == kSpanComboId) return stepSelection(control, -1);
      return isButton;  // buttons have no arrow-key behaviour of their own
    case Qt::Key_Right:
      if (enabled(app_, kBackId)) app_.controller().command(ctrl ? kFastForwardId : kForwardId);
      if (id == kSpanComboId) return stepSelection(control, 1);
      return isButton;
    case Qt::Key_Space:
      if (isNavigationCommand(id)) {
        // The first press is the button's own (it clicks on release); repeats step at once.
        if (spaceRepeatCount_++ != 0) app_.controller().command(id);
      }
      return false;
    case Qt::Key_Escape:
      if (app_.controller().busy()) {
        if (app_.widgets.window) sendKeyTo(app_.widgets.window, Qt::Key_Escape);
        return true;
      }
      return false;
    case Qt::Key_F1:
      app_.controller().command(kHelpId);
      return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
      const bool backward =
          key->key() == Qt::Key_Backtab || key->modifiers().testFlag(Qt::ShiftModifier);
      if (QWidget* target = tabTarget(app_, id, backward)) target->setFocus(Qt::TabFocusReason);
      return true;
    }
    case Qt::Key_Up:
    case Qt::Key_Down: {
      const int step = key->key() == Qt::Key_Up ? -1 : 1;
      if (id == kNormalZoomId || id == kDoubleZoomId) {
        sendKeyTo(
            app_.widgets.controlById(std::clamp(id + step, int(kNormalZoomId), int(kDoubleZoomId))),
            Qt::Key_Space);
        return true;
      }
      if (id >= kGainAtId && id <= kGainX4Id) {
        sendKeyTo(app_.widgets.controlById(std::clamp(id + step, int(kGainAtId), int(kGainX4Id))),
                  Qt::Key_Space);
        return true;
      }
      return isButton;
    }
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      // On every control, the span combobox too: they move through the recording as the
      // navigation buttons do, and only when those could.
      if (enabled(app_, kBackId)) app_.controller().command(moveCommandOfKey(key->key()));
      return true;
    default:
      return false;
  }
}

bool ControlFilter::eventFilter(QObject* watched, QEvent* event) {
  auto* control = qobject_cast<QWidget*>(watched);
  const QVariant idValue = watched->property(kIdProperty);
  if (control == nullptr || !idValue.isValid()) return false;
  const int id = idValue.toInt();
  switch (event->type()) {
    case QEvent::KeyPress:
      return keyPress(control, id, event);
    case QEvent::KeyRelease: {
      auto* key = static_cast<QKeyEvent*>(event);
      // Key auto-repeat arrives as release/press pairs; only the real release ends it.
      if (key->key() == Qt::Key_Space && isNavigationCommand(id) && !key->isAutoRepeat())
        spaceRepeatCount_ = 0;
      return false;
    }
    case QEvent::MouseButtonPress:
      if (isNavigationCommand(id) && control->isEnabled() &&
          static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (repeatTimers_[id] != 0) control->killTimer(repeatTimers_[id]);
        repeatTimers_[id] = control->startTimer(kRepeatMs);
      }
      return false;
    case QEvent::MouseButtonRelease:
      if (isNavigationCommand(id) && repeatTimers_[id] != 0) {
        control->killTimer(repeatTimers_[id]);
        repeatTimers_[id] = 0;
      }
      return false;
    case QEvent::Timer: {
      auto* timer = static_cast<QTimerEvent*>(event);
      auto it = repeatTimers_.find(id);
      if (it == repeatTimers_.end() || it->second == 0 || it->second != timer->timerId())
        return false;  // the widget's own timers
      app_.controller().command(id);
      return true;
    }
    case QEvent::FocusOut:
      // Opening the drop-down list is not a loss of focus.
      if (id == kSpanComboId && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        app_.controller().command(kSpanComboId, kNotifyKillFocus);
      return false;
    default:
      return false;
  }
}

int ControlFilter::repeatTimerId(int controlId) const {
  auto it = repeatTimers_.find(controlId);
  return it == repeatTimers_.end() ? 0 : it->second;
}

void subclassControls(AppShell& app) {
  if (!app.controlFilter) app.controlFilter = new ControlFilter(app);
  for (int id : controlIds()) {
    if (QWidget* control = app.widgets.controlById(id)) {
      control->setProperty(kIdProperty, id);
      control->installEventFilter(app.controlFilter);
    }
  }
}

}  // namespace korimu

// The keyboard and mouse behaviour shared by the 17 controls of the control bar: the fixed Tab
// order, arrows for stepping and for the radio groups, Space auto-repeat, Escape and F1, and the
// 200 ms repeat of a held navigation button.
#pragma once

#include <QObject>
#include <map>

class QWidget;

namespace korimu {

class AppShell;

class ControlFilter : public QObject {
 public:
  explicit ControlFilter(AppShell& app) : app_(app) {}
  bool eventFilter(QObject* watched, QEvent* event) override;
  // The repeat timer running on a navigation button (0 when none).
  int repeatTimerId(int controlId) const;

 private:
  bool stepSelection(QWidget* control, int step);
  bool keyPress(QWidget* control, int id, QEvent* event);
  AppShell& app_;
  std::map<int, int> repeatTimers_;  // control id -> timer id
  int spaceRepeatCount_ = 0;
};

// The command of Home, End, PageUp and PageDown (moving through the recording); 0 for other keys.
int moveCommandOfKey(int key);

// Installs `app`'s filter on its 17 controls (once, after they exist).
void subclassControls(AppShell& app);

// Where Tab (or Shift+Tab) moves the focus from a control; null when it stays. Once the plot
// shows a run's picture it joins the round between 部分 and <<<, so that its readout cursor is
// reached from the keyboard; before that the round is the control bar's alone.
QWidget* tabTarget(AppShell& app, int controlId, bool backward);
// Where Tab (or Shift+Tab) moves the focus from the plot.
QWidget* tabTargetFromPlot(AppShell& app, bool backward);

}  // namespace korimu

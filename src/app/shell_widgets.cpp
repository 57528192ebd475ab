#include "app/shell_widgets.h"

#include <QAbstractButton>
#include <QAction>
#include <QWidget>

namespace korimu {

const std::array<int, 17>& controlIds() {
  static const std::array<int, 17> ids{1201, 1202, 1203, 1204, 1205, 1206, 1207, 1208, 1209,
                                       1210, 1211, 1212, 1213, 1214, 1215, 1216, 1217};
  return ids;
}

QWidget* ShellWidgets::controlById(int id) const {
  const ShellWidgets& s = *this;
  switch (id) {
    case kAnalyzeId:
      return s.children[kAnalyzeButton];
    case kPlayId:
      return s.children[kPlayButton];
    case kPartialId:
      return s.children[kPartialButton];
    case kStopId:
      return s.children[kStopButton];
    case kFastBackId:
      return s.children[kNavFastBack];
    case kBackId:
      return s.children[kNavBack];
    case kStepBackId:
      return s.children[kNavStepBack];
    case kStepForwardId:
      return s.children[kNavStepForward];
    case kForwardId:
      return s.children[kNavForward];
    case kFastForwardId:
      return s.children[kNavFastForward];
    case kSpanComboId:
      return s.children[kSpanCombo];
    case kNormalZoomId:
      return s.children[kAmplitudeNormal];
    case kDoubleZoomId:
      return s.children[kAmplitudeDouble];
    case kGainAtId:
      return s.children[kPowerAt];
    case kGainX1Id:
      return s.children[kPowerX1];
    case kGainX2Id:
      return s.children[kPowerX2];
    case kGainX4Id:
      return s.children[kPowerX4];
    default:
      return nullptr;
  }
}

QAbstractButton* ShellWidgets::buttonById(int id) const {
  return qobject_cast<QAbstractButton*>(controlById(id));
}

void ShellWidgets::enableMenuItem(int id, bool on) {
  auto it = actions.find(id);
  if (it != actions.end()) it->second->setEnabled(on);
}

bool ShellWidgets::menuItemEnabled(int id) const {
  auto it = actions.find(id);
  return it != actions.end() && it->second->isEnabled();
}

void ShellWidgets::checkMenuItem(int id, bool on) {
  marks[id] = on;
  auto it = actions.find(id);
  if (it != actions.end()) it->second->setChecked(on);
}

bool ShellWidgets::menuItemChecked(int id) const {
  auto it = marks.find(id);
  return it != marks.end() && it->second;
}

}  // namespace korimu

// The widgets of the main window, kept by the window program's AppShell from start-up on.
#pragma once

#include <array>
#include <map>

#include "control/control_ids.h"
#include "core/layout.h"
#include "core/settings_file.h"

class QAction;
class QMenu;
class QWidget;
class QAbstractButton;
class QTimer;

namespace korimu {

class MainWindow;
class ClientArea;
class ClientStage;
class OverviewWidget;
class PlotReadout;
class SpanComboBox;

struct ShellWidgets {
  MainWindow* window = nullptr;
  ClientArea* client = nullptr;
  ClientStage* stage = nullptr;  // holds the client area: centred and magnified when maximised
  OverviewWidget* overview = nullptr;
  SpanComboBox* spanCombo = nullptr;
  PlotReadout* readout = nullptr;  // over the client area's plot
  ChildLayout layout;
  std::array<QWidget*, kChildWindowCount> children{};
  std::map<int, QAction*> actions;  // menu items by command id
  std::array<QMenu*, 4> popups{};   // File, Operation, View, Help
  std::map<int, bool> marks;        // check marks by command id
  SettingsOrigin settingsOrigin;    // where the settings are saved at exit
  QTimer* markerTimer = nullptr;    // window timer 1: the playback marker moves on every tick

  // A control of the control bar by id (1201 to 1217), or null.
  QWidget* controlById(int id) const;
  QAbstractButton* buttonById(int id) const;

  // Menu helpers: enable/gray and check marks by command id.
  void enableMenuItem(int id, bool on);
  void checkMenuItem(int id, bool on);
  bool menuItemChecked(int id) const;
  bool menuItemEnabled(int id) const;
};

// The 17 control ids.
const std::array<int, 17>& controlIds();

}  // namespace korimu

// The spectrum cross-section window: a modeless tool window of the main window. Its client area
// shows the cross-section canvas; four buttons close it, zoom the graph and step the column.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "dialogs/dialog_look.h"
#include "platform/canvas.h"

class QKeyEvent;
class QPushButton;

namespace korimu {

class AppShell;
class SectionReadout;

// Control ids of the window's buttons.
enum CrossSectionControl : int {
  kCrossSectionClose = 1,
  kCrossSectionZoom = 1101,
  kCrossSectionLeft = 1102,
  kCrossSectionRight = 1103,
};

inline constexpr const char* kCrossSectionTitle = QT_TRANSLATE_NOOP("Window", "スペクトル断面");
// The window menu's item that saves the shown column as frequency, depth.
inline constexpr int kSaveColumnItemId = 98;
inline constexpr const char* kSaveColumnItemText =
    QT_TRANSLATE_NOOP("Window", "数値を保存(&E)...\tCtrl+E");

class CrossSectionWindow : public QDialog {
 public:
  CrossSectionWindow(AppShell& app, QWidget* owner);
  ~CrossSectionWindow() override;

  // Sizes the window and places its buttons for the current graph width, then repaints it.
  void layoutForWidth();
  // Repaints the graph at once (after crossSectionX moved).
  void repaintGraphNow();
  // The picture of the last paint.
  const Canvas& canvas() const { return canvas_; }
  QPushButton* button(int id) const;
  // The widget over the graph that takes the keyboard for the readout cursor, and its readout.
  QWidget* graph() const { return graph_; }
  SectionReadout* readout() const { return readout_; }
  // The chart column shown (0 .. 511).
  int shownColumn() const;
  // Writes the shown column as CSV: the last run's header block, then one row per graph row,
  // bottom first: frequency in Hz, depth 0..255. False with the reason when it cannot.
  bool saveNumbersTo(const std::string& path, std::string& reason) const;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  // Beside the main window (right of it, else left of it) and inside the screen, so that the
  // chart's columns stay free for clicks.
  void placeBeside(const QWidget& owner);
  void renderCanvas();
  void stepColumn(int direction);
  void toggleZoom();
  void saveNumbers();
  // The item of the window's menu whose keys (after the tab of its text) were pressed, or null.
  const DialogMenuItem* menuItemForKey(const QKeyEvent& key) const;
  AppShell& app_;
  QWidget* graph_ = nullptr;
  SectionReadout* readout_ = nullptr;
  Canvas canvas_;
  std::vector<DialogMenuItem> menuItems_;  // Alt+F6 switches to the main window, Ctrl+E saves
};

// `app`'s open window, or null while it is closed.
CrossSectionWindow* crossSectionWindow(const AppShell& app);
// Creates and shows `app`'s window owned by `owner`. Returns false when it cannot be had.
bool openCrossSectionWindowFor(AppShell& app, QWidget* owner);
// Closes the window when it is open: frees the column buffer and forgets the window.
void closeCrossSectionWindow(AppShell& app);
// Repaints the open window's graph at once.
void updateCrossSectionWindow(AppShell& app);

}  // namespace korimu

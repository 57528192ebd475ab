// The spectrum cross-section window: a modeless tool window of the main window. Its client area
// shows the cross-section canvas; four buttons close it, zoom the graph and step the column.
#pragma once

#include <QDialog>

#include "platform/canvas.h"

class QPushButton;

namespace korimu {

// Control ids of the window's buttons.
enum CrossSectionControl : int {
  kCrossSectionClose = 1,
  kCrossSectionZoom = 1101,
  kCrossSectionLeft = 1102,
  kCrossSectionRight = 1103,
};

inline constexpr const char* kCrossSectionTitle = "スペクトル断面";

class CrossSectionWindow : public QDialog {
 public:
  explicit CrossSectionWindow(QWidget* owner);
  ~CrossSectionWindow() override;

  // Sizes the window and places its buttons for the current graph width, then repaints it.
  void layoutForWidth();
  // Repaints the graph at once (after crossSectionX moved).
  void repaintGraphNow();
  // The picture of the last paint.
  const Canvas& canvas() const { return canvas_; }
  QPushButton* button(int id) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void renderCanvas();
  void stepColumn(int direction);
  void toggleZoom();
  Canvas canvas_;
};

// The open window, or null while it is closed.
CrossSectionWindow* crossSectionWindow();
// Creates and shows the window owned by `owner`. Returns false when it cannot be had.
bool openCrossSectionWindowFor(QWidget* owner);
// Closes the window when it is open: frees the column buffer and forgets the window.
void closeCrossSectionWindow();
// Repaints the open window's graph at once.
void updateCrossSectionWindow();

}  // namespace korimu

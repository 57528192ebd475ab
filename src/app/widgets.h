// The Qt widgets of the main window: the window itself, its client area (a canvas), the overview
// strip (its own canvas) and the span combobox.
#pragma once

#include <QComboBox>
#include <QImage>
#include <QMainWindow>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include "platform/canvas.h"

namespace korimu {

class AppShell;

// The whole canvas as a QImage (a copy).
QImage canvasImage(const Canvas& canvas);
// Draws the part of `canvas` inside `area` at its place, converted into `converted`, which keeps
// the canvas's size from one paint to the next.
void drawCanvasPart(QPainter& painter, const Canvas& canvas, const QRect& area, QImage& converted);

// The wheel over the strip or the plot: each notch moves a tenth of the span (down or towards
// the user: forwards); with Ctrl it picks the next shorter (up) or longer span. `remainder` keeps
// what a fine-grained wheel has turned short of a notch.
void wheelThroughRecording(AppShell& app, QWheelEvent* event, int& remainder);

class ClientArea : public QWidget {
 public:
  // The canvas draws as a display of `depthBits` per pixel would.
  ClientArea(AppShell& app, QWidget* parent, int width, int height, int depthBits);
  // Runs the window's full paint (dark-scheme test, labels, status texts, graph frame, chart)
  // into the canvas on the next paint.
  void invalidateAll();
  // A new client size: the canvas keeps what it shows and grows with the button face.
  void resizeCanvas(int width, int height);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  AppShell& app_;
  int wheelRemainder_ = 0;
  bool fullPaintPending_ = true;
  QImage shown_;  // the canvas as last painted
};

class OverviewWidget : public QWidget {
 public:
  OverviewWidget(AppShell& app, QWidget* parent, int width, int height, int depthBits);
  Canvas& canvas() { return canvas_; }
  // Repaint from the file (with erase), as after a position, span or zoom change.
  void invalidateFromFile();
  void invertRect(int x, int y, int w, int h);
  // A repaint from the file is due (invalidated and not yet painted).
  bool redrawPending() const { return redrawPending_; }
  // How many times the strip was drawn from the file.
  int fileRedraws() const { return fileRedraws_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void paintFromFile();
  AppShell& app_;
  int wheelRemainder_ = 0;
  Canvas canvas_;
  bool redrawPending_ = true;
  bool openAttempted_ = false;
  int fileRedraws_ = 0;
};

// Reports close-up to the controller once the selection has been taken.
class SpanComboBox : public QComboBox {
 public:
  SpanComboBox(AppShell& app, QWidget* parent) : QComboBox(parent), app_(app) {}
  void hidePopup() override;

 private:
  AppShell& app_;
};

class MainWindow : public QMainWindow {
 public:
  explicit MainWindow(AppShell& app);
  // A close request that arrived during an analysis run closes the window now that it is over.
  void closeIfAskedDuringRun();
  // Esc stops a run wherever the keyboard is: the menu bar takes it after a press of Alt (its
  // menus are off during a run, so nothing else would see it).
  bool eventFilter(QObject* watched, QEvent* event) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  AppShell& app_;
  QPointer<QWidget> savedFocus_;
  bool closeAfterRun_ = false;
};

}  // namespace korimu

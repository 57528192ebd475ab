// The readout of a plot on the screen: while the pointer is over the plot (or the keyboard's
// readout cursor is shown) a tooltip-like label beside it names what is there, a thin crosshair
// marks the place over the picture, and the host widget's accessible description says the same
// for screen readers. None of it is drawn into a canvas, so pictures saved or copied never show it.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QWidget>
#include <optional>

#include "control/plot_readout.h"

namespace korimu {

class AppShell;

// A transparent widget over a plot of `host`: draws the crosshair and keeps the label.
class ReadoutOverlay : public QWidget {
 public:
  ReadoutOverlay(QWidget* host, const QRect& plot);
  void setPlot(const QRect& plot);
  // Shows `text` beside `labelAt` (host coordinates) and the crosshair through `crosshair` (plot
  // pixels; none when empty); an empty text shows no label.
  void showReadout(const QString& text, QPoint labelAt, std::optional<QPoint> crosshair);
  void hideReadout();
  QString text() const { return text_; }
  QLabel* label() const { return label_; }
  std::optional<QPoint> crosshair() const { return crosshair_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void moveCrosshair(std::optional<QPoint> to);
  QRegion crosshairRegion() const;
  QPointer<QWidget> host_;
  QLabel* label_ = nullptr;
  QString text_;
  std::optional<QPoint> crosshair_;
};

// The main window's plot: the pointer and, with the plot focused, the keys move the readout.
class PlotReadout : public QObject {
 public:
  PlotReadout(AppShell& app, QWidget* clientArea);
  // The record the plot shows may have changed (columns handed over, a run ended): the readout
  // follows it at the same place.
  void recordChanged();
  ReadoutOverlay* overlay() const { return overlay_; }
  bool cursorShown() const { return cursorShown_; }
  ReadoutPlace place() const { return place_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  const RunRecord& record() const;
  // What the keys do now: the step a key makes, or none when the readout leaves it alone.
  std::optional<ReadoutStep> stepOfKey(int key) const;
  bool handlesKey(int key) const;
  void keyPressed(int key);
  void pointerAt(QPoint clientPosition);
  void clear();
  void show();
  AppShell& app_;
  QWidget* client_;
  ReadoutOverlay* overlay_;
  ReadoutPlace place_;
  std::optional<QPoint> pointer_;  // where the pointer is over the plot (client coordinates)
  bool cursorShown_ = false;
};

// The cross-section window's graph (`graph`, a widget over it): the pointer names the row under
// it; with the graph focused Left and Right move a readout cursor by one row, and while the
// cursor is shown Home and End move it to the graph's edges and Escape hides it.
class SectionReadout : public QObject {
 public:
  SectionReadout(AppShell& app, QWidget* graph);
  ReadoutOverlay* overlay() const { return overlay_; }
  bool cursorShown() const { return cursorShown_; }
  // The element the keyboard's cursor is on (0 the left, the chart's bottom row), or -1.
  int cursorElement() const { return cursorShown_ ? element_ : -1; }
  // The column or the graph's width changed: the readout follows at the same place.
  void graphChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool handlesKey(int key) const;
  void keyPressed(int key);
  void update();
  AppShell& app_;
  QWidget* graph_;
  ReadoutOverlay* overlay_;
  std::optional<QPoint> pointer_;  // graph coordinates
  int element_ = -1;
  bool cursorShown_ = false;
};

}  // namespace korimu

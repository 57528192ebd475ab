// The main window's inside below the menu bar. Normally it is the client area's own size; while
// the window is maximised or full-screen it fills the window and shows the client area centred,
// magnified by the largest whole factor that fits (a pixel of the picture becomes a square of
// pixels, so the bitmap text stays sharp), on the window's face colour.
#pragma once

#include <QWidget>

class QGraphicsProxyWidget;
class QGraphicsView;

namespace korimu {

class ClientStage : public QWidget {
 public:
  ClientStage(QWidget* parent, QWidget* client);
  // Whether the stage fills a maximised or full-screen window.
  void setFilling(bool filling);
  bool filling() const { return filling_; }
  // The factor the client area is shown at, and where its top-left corner is on the stage.
  int scale() const { return scale_; }
  QPoint clientOrigin() const { return origin_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void place();
  void embed(int scale);
  void unembed();
  QWidget* client_;
  QGraphicsView* view_ = nullptr;  // while the client area is magnified
  QGraphicsProxyWidget* proxy_ = nullptr;
  bool filling_ = false;
  bool placing_ = false;
  int scale_ = 1;
  QPoint origin_;
};

}  // namespace korimu

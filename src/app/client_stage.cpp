#include "app/client_stage.h"

#include <QEvent>
#include <QFrame>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>

#include "platform/display_server.h"

namespace korimu {

ClientStage::ClientStage(QWidget* parent, QWidget* client) : QWidget(parent), client_(client) {
  client_->setParent(this);
  client_->move(0, 0);
  client_->installEventFilter(this);
  place();
}

void ClientStage::setFilling(bool filling) {
  if (filling == filling_) return;
  filling_ = filling;
  place();
}

void ClientStage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (filling_) place();
}

bool ClientStage::eventFilter(QObject* watched, QEvent* event) {
  // The client area grows when the system's look changes: the stage follows.
  if (watched == client_ && event->type() == QEvent::Resize && !placing_) place();
  return QWidget::eventFilter(watched, event);
}

void ClientStage::place() {
  placing_ = true;
  const QSize picture = client_->size();
  if (!filling_) {
    unembed();
    client_->move(0, 0);
    setFixedSize(picture);
    scale_ = 1;
    origin_ = {};
  } else {
    setMinimumSize(picture);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const WholeScalePlacement p =
        centredAtWholeScale(width(), height(), picture.width(), picture.height());
    origin_ = QPoint(p.x, p.y);
    if (p.scale == 1) {
      unembed();
      client_->move(origin_);
    } else {
      embed(p.scale);
    }
    scale_ = p.scale;
  }
  placing_ = false;
}

void ClientStage::embed(int scale) {
  if (!view_) {
    // A proxy takes only a widget without a parent; it keeps the widget's focus, events and
    // children (the controls over the client area) and passes the pointer through the scale.
    client_->setParent(nullptr);
    auto* scene = new QGraphicsScene(this);
    view_ = new QGraphicsView(scene, this);
    view_->setFrameShape(QFrame::NoFrame);
    view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view_->setBackgroundBrush(palette().color(QPalette::Window));
    // No smoothing: each pixel of the picture becomes a square.
    view_->setRenderHints({});
    proxy_ = scene->addWidget(client_);
    view_->show();
  }
  proxy_->setScale(scale);
  const QSize shown = client_->size() * scale;
  view_->setGeometry(QRect(origin_, shown));
  view_->setSceneRect(QRectF(QPointF(0, 0), QSizeF(shown)));
}

void ClientStage::unembed() {
  if (!view_) return;
  proxy_->setWidget(nullptr);
  client_->setParent(this);
  client_->show();
  QGraphicsScene* scene = view_->scene();
  delete view_;
  delete scene;
  view_ = nullptr;
  proxy_ = nullptr;
}

}  // namespace korimu

#include "app/cross_section_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "app/app_shell.h"
#include "app/plot_readout_widget.h"
#include "app/widgets.h"
#include "control/controller.h"
#include "core/layout.h"
#include "dialogs/dialog_controls.h"
#include "dialogs/dialog_look.h"
#include "display/cross_section.h"
#include "display/display_state.h"

namespace korimu {

namespace {

void placeAt(QWidget* widget, const Rect& r) {
  widget->setGeometry(r.x, r.y, r.w, r.h);
}

}  // namespace

CrossSectionWindow::CrossSectionWindow(AppShell& app, QWidget* owner) : QDialog(owner), app_(app) {
  setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle(QCoreApplication::translate("Window", kCrossSectionTitle));
  applyDialogFont(this);
  // The initial layout of the window and its buttons in dialog units; layoutForWidth then sizes
  // everything in pixels.
  const Rect frame = dialogUnitsToPixels(23, 13, 143, 141);
  resize(frame.w, frame.h);

  auto* close = new QPushButton(QCoreApplication::translate("Window", "閉じる"), this);
  placeControl(close, kCrossSectionClose, 12, 121, 40, 14);
  close->setDefault(true);
  auto* zoom = new QPushButton(QCoreApplication::translate("Window", "拡大"), this);
  placeControl(zoom, kCrossSectionZoom, 56, 122, 29, 12);
  auto* left = new QPushButton(QString::fromUtf8("←"), this);
  placeControl(left, kCrossSectionLeft, 93, 124, 19, 11);
  auto* right = new QPushButton(QString::fromUtf8("→"), this);
  placeControl(right, kCrossSectionRight, 117, 123, 21, 12);
  for (QPushButton* b : {zoom, left, right}) b->setAutoDefault(false);
  // The arrow keys step the column wherever the focus is; a button would move the focus with them.
  for (QPushButton* b : {close, zoom, left, right}) b->installEventFilter(this);

  connect(close, &QPushButton::clicked, this, &QWidget::close);
  connect(zoom, &QPushButton::clicked, this, [this] { toggleZoom(); });
  connect(left, &QPushButton::clicked, this, [this] { stepColumn(-1); });
  connect(right, &QPushButton::clicked, this, [this] { stepColumn(+1); });
  QPointer<QWidget> mainWindow(owner);
  DialogMenuItem switchItem{kWindowSwitchItemId,
                            QCoreApplication::translate("Dialog", kWindowSwitchItemText),
                            [mainWindow] {
                              if (!mainWindow) return;
                              mainWindow->raise();
                              mainWindow->activateWindow();
                            }};
  DialogMenuItem saveItem{kSaveColumnItemId,
                          QCoreApplication::translate("Window", kSaveColumnItemText),
                          [this] { saveNumbers(); }};
  menuItems_ = {switchItem, saveItem};
  installDialogLook(this, app_.controller().session().settings, menuItems_, [this] { update(); });
  // The graph itself is drawn by the window; this transparent widget over it takes the pointer
  // and, after the buttons in the Tab order, the keyboard for the readout.
  graph_ = new QWidget(this);
  graph_->setFocusPolicy(Qt::StrongFocus);
  graph_->setAccessibleName(QCoreApplication::translate("Window", "スペクトル断面のグラフ"));
  readout_ = new SectionReadout(app_, graph_);
  layoutForWidth();
  if (owner) placeBeside(*owner);
}

void CrossSectionWindow::placeBeside(const QWidget& owner) {
  const QRect main = owner.frameGeometry();
  // The window manager's frame is not known before the window is shown: it is taken to be the
  // main window's.
  const QMargins frame(owner.geometry().left() - main.left(), owner.geometry().top() - main.top(),
                       main.right() - owner.geometry().right(),
                       main.bottom() - owner.geometry().bottom());
  const QSize outer = size().grownBy(frame);
  const QScreen* screen = owner.screen();
  const QRect room = screen ? screen->availableGeometry() : QRect(main.topLeft(), outer * 4);
  QPoint at(main.right() + 1, main.top());  // right of the main window, else left of it
  if (at.x() + outer.width() - 1 > room.right()) at.setX(main.left() - outer.width());
  at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() + 1 - outer.width())));
  at.setY(std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() + 1 - outer.height())));
  move(at);
}

bool CrossSectionWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() == Qt::NoModifier &&
        (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right)) {
      stepColumn(key->key() == Qt::Key_Left ? -1 : +1);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

QPushButton* CrossSectionWindow::button(int id) const {
  return dialogControl<QPushButton>(this, id);
}

void CrossSectionWindow::layoutForWidth() {
  const int width = app_.display().crossSection.sectionWidth;
  const CrossSectionLayout l = crossSectionLayout(korimu::kLayout, width);
  setFixedSize(l.clientWidth, l.clientHeight);
  placeAt(button(kCrossSectionClose), l.close);
  placeAt(button(kCrossSectionZoom), l.zoom);
  placeAt(button(kCrossSectionLeft), l.left);
  placeAt(button(kCrossSectionRight), l.right);
  button(kCrossSectionZoom)
      ->setText(QCoreApplication::translate("Window", crossSectionZoomText(width)));
  graph_->setGeometry(korimu::kLayout.unitW, korimu::kLayout.unitH, width, kPlotHeight);
  readout_->graphChanged();
  renderCanvas();
  update();
}

CrossSectionWindow::~CrossSectionWindow() {
  // A window deleted with its owner was never closed.
  if (app_.crossSection == this) releaseCrossSectionBuffer(app_.display().crossSection);
}

void CrossSectionWindow::repaintGraphNow() {
  // The column number and position under the graph change with the graph, so the whole client
  // is drawn again. A window not yet on the screen gets no paint event: its picture is made here.
  renderCanvas();
  repaint();
  readout_->graphChanged();
}

void CrossSectionWindow::renderCanvas() {
  if (canvas_.width() != width() || canvas_.height() != height()) {
    canvas_ = Canvas(width(), height(), displayDepthBits(app_.display().surfaces));
  }
  app_.controller().paintCrossSection(canvas_);
}

void CrossSectionWindow::paintEvent(QPaintEvent*) {
  renderCanvas();
  QPainter painter(this);
  painter.drawImage(0, 0, canvasImage(canvas_));
}

const DialogMenuItem* CrossSectionWindow::menuItemForKey(const QKeyEvent& key) const {
  const QKeySequence pressed(key.keyCombination());
  for (const DialogMenuItem& item : menuItems_) {
    const qsizetype tab = item.text.indexOf(u'\t');
    if (tab >= 0 && QKeySequence(item.text.mid(tab + 1)) == pressed) return &item;
  }
  return nullptr;
}

bool CrossSectionWindow::event(QEvent* event) {
  // Qt keeps the owner's window shortcuts working while a tool window is active, so as shortcuts
  // the main window's Ctrl+E (the whole run's numbers) would compete with this window's and
  // neither would fire. The window claims the keys its menu names before shortcuts are looked up
  // and handles them as key presses.
  if (event->type() == QEvent::ShortcutOverride &&
      menuItemForKey(*static_cast<QKeyEvent*>(event))) {
    event->accept();
    return true;
  }
  return QDialog::event(event);
}

void CrossSectionWindow::keyPressEvent(QKeyEvent* event) {
  if (const DialogMenuItem* item = menuItemForKey(*event)) {
    item->run();
    return;
  }
  if (eventFilter(this, event)) return;
  QDialog::keyPressEvent(event);
}

void CrossSectionWindow::stepColumn(int direction) {
  app_.controller().stepCrossSectionColumn(direction);
  repaintGraphNow();
}

bool CrossSectionWindow::saveNumbersTo(const std::string& path, std::string& reason) const {
  return app_.controller().saveCrossSectionNumbersTo(path, reason);
}

int CrossSectionWindow::shownColumn() const {
  return app_.controller().crossSectionColumnShown();
}

void CrossSectionWindow::saveNumbers() {
  app_.controller().saveCrossSectionNumbers();
  // The window manager hands the keyboard to the main window when the dialog closes (it passes
  // over tool windows), but the user was working here.
  activateWindow();
}

void CrossSectionWindow::toggleZoom() {
  int& sectionWidth = app_.display().crossSection.sectionWidth;
  sectionWidth = sectionWidth == kNarrowSectionWidth ? kWideSectionWidth : kNarrowSectionWidth;
  layoutForWidth();
  // The wider graph stays inside the screen too.
  const QRect frame = frameGeometry();
  const QScreen* shownOn = screen();
  if (!shownOn) return;
  const QRect room = shownOn->availableGeometry();
  const int outerWidth = width() + frame.width() - geometry().width();
  const int overhang = frame.left() + outerWidth - 1 - room.right();
  if (overhang > 0) move(std::max(room.left(), frame.left() - overhang), frame.top());
}

void CrossSectionWindow::closeEvent(QCloseEvent* event) {
  releaseCrossSectionBuffer(app_.display().crossSection);
  if (app_.crossSection == this) app_.crossSection = nullptr;
  event->accept();
}

void CrossSectionWindow::reject() {
  close();
}

CrossSectionWindow* crossSectionWindow(const AppShell& app) {
  return app.crossSection.data();
}

bool openCrossSectionWindowFor(AppShell& app, QWidget* owner) {
  QPointer<CrossSectionWindow>& openWindow = app.crossSection;
  if (openWindow) return true;
  if (!allocateCrossSectionBuffer(app.display().crossSection,
                                  app.controller().session().wave.messages))
    return false;
  openWindow = new CrossSectionWindow(app, owner);
  openWindow->show();
  // A new window takes the keyboard, so that its keys (Ctrl+E, Escape) reach it; the window
  // manager does not give it to a tool window by itself.
  openWindow->activateWindow();
  return true;
}

void closeCrossSectionWindow(AppShell& app) {
  if (app.crossSection) app.crossSection->close();
}

void updateCrossSectionWindow(AppShell& app) {
  if (app.crossSection) app.crossSection->repaintGraphNow();
}

}  // namespace korimu

#include "app/plot_readout_widget.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

#include "app/app_shell.h"
#include "app/control_filter.h"
#include "control/controller.h"
#include "core/layout.h"
#include "display/cross_section.h"
#include "run/chart_column.h"

namespace korimu {

namespace {

// The label stands this far right of and below the point it describes, as a tooltip does.
constexpr QPoint kLabelOffset(16, 16);

NoteNaming noteNaming(AppShell& app) {
  const Session& session = app.controller().session();
  return {session.settings.colorScale, session.display.referenceLa};
}

QRect mainPlotRect() {
  return QRect(kLayout.unitW, kLayout.plotTop, kPlotWidth, kPlotHeight);
}

// The step a key makes: the arrows always, Home and End only while the cursor is shown
// (otherwise they go on to the window).
std::optional<ReadoutStep> readoutStepOfKey(int key, bool cursorShown) {
  switch (key) {
    case Qt::Key_Left:
      return ReadoutStep::kLeft;
    case Qt::Key_Right:
      return ReadoutStep::kRight;
    case Qt::Key_Up:
      return ReadoutStep::kUp;
    case Qt::Key_Down:
      return ReadoutStep::kDown;
    case Qt::Key_Home:
      return cursorShown ? std::optional(ReadoutStep::kFirst) : std::nullopt;
    case Qt::Key_End:
      return cursorShown ? std::optional(ReadoutStep::kLast) : std::nullopt;
    default:
      return std::nullopt;
  }
}

void describe(QWidget* host, const QString& text) {
  if (host->accessibleDescription() == text) return;
  host->setAccessibleDescription(text);
  QAccessibleEvent event(host, QAccessible::DescriptionChanged);
  QAccessible::updateAccessibility(&event);
}

}  // namespace

// ---- overlay ----

ReadoutOverlay::ReadoutOverlay(QWidget* host, const QRect& plot) : QWidget(host), host_(host) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  setGeometry(plot);
  // A tooltip's look, but shown and hidden by the readout alone: Qt's own tooltip goes away at
  // every key.
  label_ = new QLabel(host, Qt::ToolTip | Qt::BypassGraphicsProxyWidget);
  label_->setAttribute(Qt::WA_ShowWithoutActivating);
  label_->setAttribute(Qt::WA_TransparentForMouseEvents);
  label_->setPalette(QToolTip::palette());
  label_->setFont(QToolTip::font());
  label_->setForegroundRole(QPalette::ToolTipText);
  label_->setBackgroundRole(QPalette::ToolTipBase);
  label_->setAutoFillBackground(true);
  label_->setFrameStyle(QFrame::Box | QFrame::Plain);
  label_->setMargin(3);
  label_->hide();
  show();
  raise();
}

void ReadoutOverlay::setPlot(const QRect& plot) {
  if (geometry() != plot) setGeometry(plot);
}

QRegion ReadoutOverlay::crosshairRegion() const {
  if (!crosshair_) return {};
  return QRegion(crosshair_->x(), 0, 1, height()) + QRegion(0, crosshair_->y(), width(), 1);
}

void ReadoutOverlay::moveCrosshair(std::optional<QPoint> to) {
  if (to == crosshair_) return;
  QRegion changed = crosshairRegion();
  crosshair_ = to;
  changed += crosshairRegion();
  update(changed);
}

void ReadoutOverlay::showReadout(const QString& text, QPoint labelAt,
                                 std::optional<QPoint> crosshair) {
  moveCrosshair(crosshair);
  text_ = text;
  describe(host_, text);
  if (text.isEmpty()) {
    label_->hide();
    return;
  }
  if (label_->text() != text) {
    label_->setText(text);
    label_->adjustSize();
  }
  // Inside the screen: to the left of or above the point when there is no room beside it.
  QPoint at = host_->mapToGlobal(labelAt) + kLabelOffset;
  if (const QScreen* screen = host_->screen()) {
    const QRect room = screen->availableGeometry();
    if (at.x() + label_->width() > room.right()) at.rx() -= label_->width() + 2 * kLabelOffset.x();
    if (at.y() + label_->height() > room.bottom())
      at.ry() -= label_->height() + 2 * kLabelOffset.y();
  }
  label_->move(at);
  if (!label_->isVisible() && host_->isVisible()) label_->show();
}

void ReadoutOverlay::hideReadout() {
  moveCrosshair(std::nullopt);
  text_.clear();
  describe(host_, QString());
  label_->hide();
}

void ReadoutOverlay::paintEvent(QPaintEvent*) {
  if (!crosshair_) return;
  // White under black dots: seen on the white plot, the black trace and every shade between.
  QPainter painter(this);
  const QLine vertical(crosshair_->x(), 0, crosshair_->x(), height() - 1);
  const QLine horizontal(0, crosshair_->y(), width() - 1, crosshair_->y());
  painter.setPen(QPen(Qt::white, 1));
  painter.drawLine(vertical);
  painter.drawLine(horizontal);
  painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
  painter.drawLine(vertical);
  painter.drawLine(horizontal);
}

// ---- the main window's plot ----

PlotReadout::PlotReadout(AppShell& app, QWidget* clientArea)
    : QObject(clientArea),
      app_(app),
      client_(clientArea),
      overlay_(new ReadoutOverlay(clientArea, mainPlotRect())) {
  client_->setMouseTracking(true);
  client_->installEventFilter(this);
}

const RunRecord& PlotReadout::record() const {
  return app_.controller().shownRecord();
}

void PlotReadout::clear() {
  place_ = {};
  pointer_.reset();
  cursorShown_ = false;
  overlay_->hideReadout();
}

void PlotReadout::show() {
  if (!place_.valid()) {
    overlay_->hideReadout();
    return;
  }
  const RunRecord& run = record();
  const PlotPixel pixel = readoutPixel(run, place_);
  const QPoint crosshair(pixel.x, pixel.y);
  const QString text = QString::fromStdString(
      readoutText(readoutValues(run, place_, noteNaming(app_)), app_.display().texts));
  // Beside the pointer, or beside the keyboard's cursor.
  const QPoint labelAt = pointer_ ? *pointer_ : mainPlotRect().topLeft() + crosshair;
  overlay_->showReadout(text, labelAt, crosshair);
}

void PlotReadout::recordChanged() {
  if (pointer_) {
    place_ =
        readoutPlaceAt(record(), pointer_->x() - kLayout.unitW, pointer_->y() - kLayout.plotTop);
  } else if (cursorShown_) {
    place_ = placeInside(record(), place_);
  }
  if (!place_.valid() && !pointer_) cursorShown_ = false;
  show();
}

void PlotReadout::pointerAt(QPoint position) {
  if (!mainPlotRect().contains(position)) {
    if (pointer_ || place_.valid()) clear();
    return;
  }
  pointer_ = position;
  place_ = readoutPlaceAt(record(), position.x() - kLayout.unitW, position.y() - kLayout.plotTop);
  show();
}

std::optional<ReadoutStep> PlotReadout::stepOfKey(int key) const {
  return readoutStepOfKey(key, cursorShown_);
}

bool PlotReadout::handlesKey(int key) const {
  if (!client_->hasFocus()) return false;
  // During a run Escape stops it, as everywhere in the window.
  if (key == Qt::Key_Escape) return cursorShown_ && !app_.controller().busy();
  return stepOfKey(key).has_value() && readoutItems(record()) > 0;
}

void PlotReadout::keyPressed(int key) {
  if (key == Qt::Key_Escape) {
    clear();
    return;
  }
  const ReadoutStep step = *stepOfKey(key);
  if (!cursorShown_) {
    // The first key shows the cursor where the readout is, or at the plot's left edge.
    cursorShown_ = true;
    if (!place_.valid()) place_ = steppedPlace(record(), {}, ReadoutStep::kFirst);
  } else {
    place_ = steppedPlace(record(), place_, step);
  }
  pointer_.reset();
  show();
}

bool PlotReadout::eventFilter(QObject* watched, QEvent* event) {
  if (watched != client_) return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseMove:
      pointerAt(static_cast<QMouseEvent*>(event)->position().toPoint());
      break;
    case QEvent::MouseButtonPress:
      // A click on the plot gives it the keys.
      if (mainPlotRect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
        client_->setFocus(Qt::MouseFocusReason);
      break;
    case QEvent::Leave:
    case QEvent::Hide:
      clear();
      break;
    case QEvent::FocusOut:
      if (cursorShown_ && !pointer_) clear();
      break;
    case QEvent::ShortcutOverride: {
      // Keys the readout takes now reach it even where the window has a shortcut for them.
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->modifiers() == Qt::NoModifier && handlesKey(key->key())) {
        event->accept();
        return true;
      }
      break;
    }
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->modifiers() == Qt::NoModifier && handlesKey(key->key())) {
        keyPressed(key->key());
        return true;
      }
      if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && client_->hasFocus()) {
        // From the plot back into the control bar's round.
        const bool backward =
            key->key() == Qt::Key_Backtab || key->modifiers().testFlag(Qt::ShiftModifier);
        if (QWidget* target = tabTargetFromPlot(app_, backward))
          target->setFocus(Qt::TabFocusReason);
        return true;
      }
      break;
    }
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

// ---- the cross-section window's graph ----

SectionReadout::SectionReadout(AppShell& app, QWidget* graph)
    : QObject(graph), app_(app), graph_(graph), overlay_(new ReadoutOverlay(graph, graph->rect())) {
  graph_->setMouseTracking(true);
  graph_->installEventFilter(this);
}

void SectionReadout::graphChanged() {
  overlay_->setPlot(graph_->rect());
  update();
}

void SectionReadout::update() {
  const QRect graph = graph_->rect();
  if (pointer_ && graph.contains(*pointer_)) {
    element_ = sectionElementAt(graph.width(), pointer_->x());
  } else if (!cursorShown_) {
    overlay_->hideReadout();
    return;
  }
  const Controller& controller = app_.controller();
  const RunRecord& run = controller.lastRun();
  const bool chartShown = chartRecord(run) && controller.session().document.fileSelected;
  const int column = crossSectionColumn(controller.session().document, kLayout.unitW);
  const int x = sectionElementPixel(run, column, graph.width(), element_).x;
  const ReadoutValues values = chartShown
                                   ? sectionReadout(run, column, graph.width(), x, noteNaming(app_))
                                   : ReadoutValues{};
  // The pointer's crosshair crosses at the pointer; the keyboard's at the row's level.
  const QPoint crosshair(
      x, pointer_ ? pointer_->y() : sectionElementPixel(run, column, graph.width(), element_).y);
  const QPoint labelAt = pointer_ ? *pointer_ : crosshair;
  overlay_->showReadout(QString::fromStdString(readoutText(values, app_.display().texts)), labelAt,
                        values.shown() ? std::optional<QPoint>(crosshair) : std::nullopt);
}

bool SectionReadout::handlesKey(int key) const {
  if (!graph_->hasFocus()) return false;
  if (key == Qt::Key_Escape) return cursorShown_;
  if (key == Qt::Key_Left || key == Qt::Key_Right) return true;
  return cursorShown_ && (key == Qt::Key_Home || key == Qt::Key_End);
}

void SectionReadout::keyPressed(int key) {
  if (key == Qt::Key_Escape) {
    cursorShown_ = false;
    element_ = -1;
    overlay_->hideReadout();
    return;
  }
  const std::optional<ReadoutStep> step = readoutStepOfKey(key, cursorShown_);
  if (!cursorShown_) {
    // The first key shows the cursor on the row the pointer names, or at the graph's left edge.
    cursorShown_ = true;
    if (element_ < 0) element_ = 0;
  } else if (step) {
    element_ = steppedSectionElement(element_, *step);
  }
  pointer_.reset();
  update();
}

bool SectionReadout::eventFilter(QObject* watched, QEvent* event) {
  if (watched != graph_) return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseMove:
      pointer_ = static_cast<QMouseEvent*>(event)->position().toPoint();
      update();
      break;
    case QEvent::MouseButtonPress:
      // A click on the graph gives it the keys.
      graph_->setFocus(Qt::MouseFocusReason);
      break;
    case QEvent::Leave:
    case QEvent::Hide:
      pointer_.reset();
      if (!cursorShown_) element_ = -1;
      update();
      break;
    case QEvent::FocusOut:
      if (cursorShown_ && !pointer_) {
        cursorShown_ = false;
        element_ = -1;
        update();
      }
      break;
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
      // Keys the readout takes now reach it even where a window has a shortcut for them.
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->modifiers() != Qt::NoModifier || !handlesKey(key->key())) break;
      if (event->type() == QEvent::KeyPress) keyPressed(key->key());
      event->accept();
      return true;
    }
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace korimu

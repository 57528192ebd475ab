#include "app/widgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>

#include "app/app_shell.h"
#include "app/client_stage.h"
#include "app/control_filter.h"
#include "app/startup.h"
#include "control/controller.h"
#include "core/layout.h"
#include "core/settings.h"
#include "display/client_area.h"
#include "display/overview.h"
#include "display/status_texts.h"
#include "wave/wave_session.h"

namespace korimu {

namespace {

// Converts what `canvas` keeps inside `area` into the same place of `image`, which is the
// canvas's size (made so when it is not). Returns the part converted.
QRect convertCanvasPart(const Canvas& canvas, const QRect& area, QImage& image) {
  if (image.width() != canvas.width() || image.height() != canvas.height())
    image = QImage(canvas.width(), canvas.height(), QImage::Format_RGB32);
  const CanvasArea kept = canvas.kept();
  const QRect part = area.intersected(QRect(kept.x, kept.y, kept.w, kept.h));
  for (int y = part.top(); y <= part.bottom(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y)) + part.left();
    const uint32_t* from = canvas.keptRow(part.left(), y);
    for (int x = 0; x < part.width(); ++x) line[x] = 0xff000000u | from[x];
  }
  return part;
}

}  // namespace

QImage canvasImage(const Canvas& canvas) {
  QImage image;
  convertCanvasPart(canvas, QRect(0, 0, canvas.width(), canvas.height()), image);
  return image;
}

void drawCanvasPart(QPainter& painter, const Canvas& canvas, const QRect& area, QImage& converted) {
  const QRect part = convertCanvasPart(canvas, area, converted);
  painter.drawImage(part.topLeft(), converted, part);
}

// ---- client area ----

ClientArea::ClientArea(AppShell& app, QWidget* parent, int width, int height, int depthBits)
    : QWidget(parent), app_(app) {
  setFixedSize(width, height);
  setAttribute(Qt::WA_OpaquePaintEvent);
  Canvas& canvas = app_.clientCanvas();
  canvas = Canvas(width, height, depthBits, kButtonFace);
}

void ClientArea::resizeCanvas(int width, int height) {
  Canvas& canvas = app_.clientCanvas();
  Canvas resized(width, height, canvas.depthBits(), kButtonFace);
  resized.copyFrom(canvas, 0, 0, canvas.width(), canvas.height(), 0, 0);
  canvas = std::move(resized);
  setFixedSize(width, height);
  invalidateAll();
}

void ClientArea::invalidateAll() {
  fullPaintPending_ = true;
  update();
}

void ClientArea::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange) invalidateAll();
  QWidget::changeEvent(event);
}

void ClientArea::paintEvent(QPaintEvent* event) {
  // The scheme is dark when the window text is at least as bright as the window.
  const QPalette pal = QApplication::palette();
  const QColor window = pal.color(QPalette::Window);
  const QColor text = pal.color(QPalette::WindowText);
  app_.controller().session().display.darkScheme =
      luminance(text.red(), text.green(), text.blue()) >=
      luminance(window.red(), window.green(), window.blue());
  Canvas& canvas = app_.clientCanvas();
  // During a run the display state is the run's: the whole client is composed once it is back,
  // and meanwhile the canvas is shown as the run has drawn it.
  if (fullPaintPending_ && !app_.controller().busy()) {
    fullPaintPending_ = false;
    Session& session = app_.controller().session();
    composeClientArea(session.display, session.settings, canvas, session.wave.source,
                      session.document);
  }
  // During a run only the few columns a block drew are due: convert just those.
  QPainter painter(this);
  drawCanvasPart(painter, canvas, event->rect(), shown_);
}

void ClientArea::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    const QPoint p = event->position().toPoint();
    app_.controller().clickClientArea(p.x(), p.y());
  }
  QWidget::mousePressEvent(event);
}

// ---- overview strip ----

OverviewWidget::OverviewWidget(AppShell& app, QWidget* parent, int width, int height, int depthBits)
    : QWidget(parent), app_(app), canvas_(width, height, depthBits) {
  setFixedSize(width, height);
  setAttribute(Qt::WA_OpaquePaintEvent);
  canvas_.clear(kWhite);
}

void OverviewWidget::invalidateFromFile() {
  redrawPending_ = true;
  update();
}

void OverviewWidget::invertRect(int x, int y, int w, int h) {
  canvas_.invertRect(x, y, w, h);
  update();
}

void OverviewWidget::paintFromFile() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ++fileRedraws_;
  Session& session = app_.controller().session();
  // Wide spans come from the summary once it is built (the picture is the same either way); until
  // then the strip waits blank for it, and the controller asks for this paint again when it is.
  auto summary = app_.controller().overviewSummary();
  const bool pending = app_.controller().overviewSummaryPending();
  // A build that ended between the two questions has left its summary.
  if (!summary && !pending) summary = app_.controller().overviewSummary();
  drawOverviewWithoutWideReads(canvas_, session.wave.source, summary.get(), pending,
                               session.document.position, session.settings.framesPerColumn,
                               session.settings.amplitudeZoom, session.wave.messages);

  QApplication::restoreOverrideCursor();
}

void OverviewWidget::paintEvent(QPaintEvent*) {
  if (redrawPending_) {
    WaveSession& wave = app_.controller().session().wave;
    if (wave.playback.playing) {
      // The playback is reading the file: redraw once it is done. (A run reads through a handle
      // of its own.)
      app_.controller().deferOverviewRepaint();
      redrawPending_ = false;
    } else if (app_.controller().session().document.fileSelected && !wave.source.mmio.isOpen() &&
               !openAttempted_) {
      // Validation may show a message box, which must not happen inside painting.
      openAttempted_ = true;
      QMetaObject::invokeMethod(
          this,
          [this] {
            app_.controller().revalidateFile();
            update();
          },
          Qt::QueuedConnection);
    } else {
      redrawPending_ = false;
      openAttempted_ = false;
      paintFromFile();
    }
  }
  QPainter painter(this);
  painter.drawImage(0, 0, canvasImage(canvas_));
}

void OverviewWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
    app_.controller().clickOverview(event->position().x(), event->button() == Qt::RightButton);
  QWidget::mousePressEvent(event);
}

void OverviewWidget::wheelEvent(QWheelEvent* event) {
  wheelThroughRecording(app_, event, wheelRemainder_);
}

void ClientArea::wheelEvent(QWheelEvent* event) {
  wheelThroughRecording(app_, event, wheelRemainder_);
}

void wheelThroughRecording(AppShell& app, QWheelEvent* event, int& remainder) {
  event->accept();
  constexpr int kNotch = 120;  // QWheelEvent's eighths of a degree in one notch
  remainder += event->angleDelta().y();
  const int notches = remainder / kNotch;
  remainder -= notches * kNotch;
  if (notches == 0) return;
  if (!event->modifiers().testFlag(Qt::ControlModifier)) {
    app.controller().wheelMove(-notches);
    return;
  }
  // The list runs from the longest span down: up (away from the user) shortens it.
  QComboBox* spans = app.widgets.spanCombo;
  if (!spans || !spans->isEnabled() || spans->count() == 0) return;
  const int index = std::clamp(spans->currentIndex() + notches, 0, spans->count() - 1);
  if (index == spans->currentIndex()) return;
  spans->setCurrentIndex(index);
  app.controller().command(kSpanComboId, kNotifyCloseUp);
}

// ---- span combobox ----

void SpanComboBox::hidePopup() {
  QComboBox::hidePopup();
  // The chosen item is set after the popup has closed.
  QMetaObject::invokeMethod(
      this, [this] { app_.controller().command(kSpanComboId, kNotifyCloseUp); },
      Qt::QueuedConnection);
}

// ---- main window ----

MainWindow::MainWindow(AppShell& app) : app_(app) {
  menuBar()->installEventFilter(this);
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setWindowTitle("KORIMU");
}

void MainWindow::closeIfAskedDuringRun() {
  if (!closeAfterRun_) return;
  closeAfterRun_ = false;
  // After the command that ran the analysis has returned, not inside it.
  QMetaObject::invokeMethod(
      this, [this] { close(); }, Qt::QueuedConnection);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    if (app_.controller().busy()) app_.controller().requestStop();
    return;
  }
  if (event->key() == Qt::Key_F1) {
    app_.controller().command(kHelpId);
    return;
  }
  if (const int move = moveCommandOfKey(event->key()); move != 0) {
    app_.controller().command(move);
    return;
  }
  QMainWindow::keyPressEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && app_.controller().busy())
    app_.controller().requestStop();
  // The menu bar still leaves its keyboard mode.
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // A run must end between two blocks: the close asks it to stop, as 中断 does, and the window
  // closes as soon as the run has returned.
  if (app_.controller().busy()) {
    if (!app_.controller().stopRequested()) app_.controller().requestStop();
    closeAfterRun_ = true;
    event->ignore();
    return;
  }
  Session& session = app_.controller().session();
  releasePlaybackAtExit(session.wave, session.document.fileSelected);
  closeWave(session.wave, session.document.fileSelected);
  event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::StyleChange) adjustForNewShell(app_);
  if (event->type() == QEvent::WindowStateChange && app_.widgets.stage) {
    // Maximised or full-screen, the window takes the size it is given and the picture is
    // centred in it; otherwise it is the picture's size again.
    const bool filling = isMaximized() || isFullScreen();
    layout()->setSizeConstraint(filling ? QLayout::SetDefaultConstraint : QLayout::SetFixedSize);
    if (filling) {
      setMinimumSize(0, 0);
      setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    app_.widgets.stage->setFilling(filling);
  }
  if (event->type() == QEvent::WindowStateChange && app_.controller().busy() && isMinimized()) {
    // No minimising during a run: the window manager's request is undone, while the decorations
    // stay as they are (changing them re-maps the window).
    // The restore is queued; a run that has ended by then leaves a later minimising alone.
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (app_.controller().busy()) setWindowState(windowState() & ~Qt::WindowMinimized);
        },
        Qt::QueuedConnection);
  }
  if (event->type() == QEvent::ActivationChange) {
    if (!isActiveWindow()) {
      savedFocus_ = QApplication::focusWidget();
    } else if (savedFocus_ && savedFocus_->isEnabled()) {
      savedFocus_->setFocus();
    }
  }
  QMainWindow::changeEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  if (!paths.empty()) {
    event->acceptProposedAction();
    app_.controller().dropFiles(paths);
  }
}

}  // namespace korimu

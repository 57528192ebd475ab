#include "platform/qt/qt_services.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QtGlobal>
#include <cstdio>

#include "platform/event_pump.h"
#include "platform/message.h"

namespace korimu {

void installQtMessageBoxes(QWidget* owner) {
  QPointer<QWidget> parent(owner);
  setMessageSink([parent](std::string_view text, MessageKind kind) {
    QMessageBox box(parent.data());
    // Without a title of its own the box would show the program file's name.
    box.setWindowTitle("KORIMU");
    // A box is neither minimised nor maximised: its frame offers neither.
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    box.setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
    box.setIcon(kind == MessageKind::kExclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
  });
}

void installQtEventPump() {
  static const auto clock = [] {
    auto c = std::make_shared<EventClock>();
    // The event loop handles events too: a run's first handling is due an interval after the
    // event that started it, so a run shorter than the interval handles none.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
      QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [c] { c->noteHandled(); });
    return c;
  }();
  setEventPump(throttledPump([] { QCoreApplication::processEvents(); }, clock));
}

namespace {

QtMessageHandler previousQtHandler = nullptr;

void filterQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (text.contains(QLatin1String("XDG_RUNTIME_DIR")) ||
      text.contains(QLatin1String("propagateSizeHints")))
    return;
  if (previousQtHandler) {
    previousQtHandler(type, context, text);
  } else {
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
  }
}

}  // namespace

void quietQtStartupRemarks() {
  previousQtHandler = qInstallMessageHandler(filterQtMessage);
}

}  // namespace korimu

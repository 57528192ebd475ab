#include "platform/qt/qt_services.h"

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QtGlobal>
#include <cstdio>

#include "platform/message.h"

namespace korimu {

MessageSink qtMessageBoxes(QWidget* owner) {
  QPointer<QWidget> parent(owner);
  return [parent](std::string_view text, MessageKind kind) {
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
  };
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

#include "platform/qt/qt_services.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QString>

#include "platform/event_pump.h"
#include "platform/message.h"

namespace korimu {

void installQtMessageBoxes(QWidget* owner) {
  QPointer<QWidget> parent(owner);
  setMessageSink([parent](std::string_view text, MessageKind kind) {
    QMessageBox box(parent.data());
    box.setWindowTitle(QString());
    box.setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
    box.setIcon(kind == MessageKind::kExclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
  });
}

void installQtEventPump() {
  setEventPump([] { QCoreApplication::processEvents(); });
}

}  // namespace korimu

#include "app/run_quit.h"

#include <QCoreApplication>
#include <QEvent>
#include <cstdio>
#include <cstdlib>

namespace korimu {

QuitEndsRun::QuitEndsRun() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

QuitEndsRun::~QuitEndsRun() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool QuitEndsRun::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()) {
    // No destructors and no exit handlers: the run is still on the stack.
    std::fflush(nullptr);
    std::_Exit(1);
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace korimu

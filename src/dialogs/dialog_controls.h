// Finding and placing the controls of a dialog by their control ids.
#pragma once

#include <QString>
#include <QWidget>

#include "dialogs/dialog_units.h"

namespace korimu {

inline QString controlName(int id) {
  return QStringLiteral("c%1").arg(id);
}

// The control `id` of a dialog, or nullptr.
template <typename T>
T* dialogControl(const QWidget* dialog, int id) {
  return dialog->findChild<T*>(controlName(id));
}

// Names the widget after its id (when it has one) and places it at a rectangle in dialog units.
inline void placeControl(QWidget* widget, int id, int x, int y, int w, int h) {
  if (id != 0) widget->setObjectName(controlName(id));
  const Rect r = dialogUnitsToPixels(x, y, w, h);
  widget->setGeometry(r.x, r.y, r.w, r.h);
}

}  // namespace korimu

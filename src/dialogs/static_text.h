// Static texts of the dialogs.
#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QLabel>

#include "dialogs/dialog_controls.h"
#include "dialogs/dialog_look.h"

namespace korimu {

// A static text at a rectangle in dialog units, in the window's language; value fields get the
// sunken 3D frame.
inline QLabel* addStaticText(QDialog* dialog, int id, const char* text, int x, int y, int w, int h,
                             bool valueField = false) {
  auto* label = new QLabel(QCoreApplication::translate("Dialog", text), dialog);
  placeControl(label, id, x, y, w, h);
  if (valueField) markAsValueField(label);
  return label;
}

// The fixed-width font is wider than the proportional one the rectangles were drawn for: widen
// every text that does not fit, and the dialog with it.
inline void widenToFitTexts(QDialog* dialog, int margin) {
  int right = dialog->width();
  for (QLabel* label : dialog->findChildren<QLabel*>()) {
    const int needed = label->sizeHint().width();
    if (needed > label->width()) label->resize(needed, label->height());
    right = std::max(right, label->geometry().right() + 1 + margin);
  }
  dialog->setFixedSize(right, dialog->height());
}

}  // namespace korimu

// The Qt services of the platform layer: message boxes owned by the main window, and Qt's own
// start-up remarks kept quiet.
#pragma once

class QWidget;

#include "platform/message.h"

namespace korimu {

// A message sink that shows Qt message boxes owned by `owner` (no caption of their own).
MessageSink qtMessageBoxes(QWidget* owner);

// Keeps Qt's start-up remarks that tell the user nothing (no XDG_RUNTIME_DIR, a platform plugin
// without propagateSizeHints) off stderr; every other Qt message is printed as before. Called
// before the application object exists.
void quietQtStartupRemarks();

}  // namespace korimu

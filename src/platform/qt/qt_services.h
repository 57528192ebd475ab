// The Qt services of the platform layer: message boxes owned by the main window, and Qt's own
// start-up remarks kept quiet.
#pragma once

class QWidget;

namespace korimu {

// Message boxes become Qt message boxes owned by `owner` (no caption of their own).
void installQtMessageBoxes(QWidget* owner);

// Keeps Qt's start-up remarks that tell the user nothing (no XDG_RUNTIME_DIR, a platform plugin
// without propagateSizeHints) off stderr; every other Qt message is printed as before. Called
// before the application object exists.
void quietQtStartupRemarks();

}  // namespace korimu

// The Qt services of the platform layer: message boxes owned by the main window, and the event
// pump that long analyses call between steps.
#pragma once

class QWidget;

namespace korimu {

// Message boxes become Qt message boxes owned by `owner` (no caption of their own).
void installQtMessageBoxes(QWidget* owner);

// pumpOneEvent() processes the pending Qt events once.
void installQtEventPump();

// Keeps Qt's start-up remarks that tell the user nothing (no XDG_RUNTIME_DIR, a platform plugin
// without propagateSizeHints) off stderr; every other Qt message is printed as before. Called
// before the application object exists.
void quietQtStartupRemarks();

}  // namespace korimu

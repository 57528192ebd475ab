// The Qt services of the platform layer: message boxes owned by the main window, and the event
// pump that long analyses call between steps.
#pragma once

class QWidget;

namespace korimu {

// Message boxes become Qt message boxes owned by `owner` (no caption of their own).
void installQtMessageBoxes(QWidget* owner);

// pumpOneEvent() processes the pending Qt events once.
void installQtEventPump();

}  // namespace korimu

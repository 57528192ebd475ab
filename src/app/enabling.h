// The window shows the enabling of its state (the table in control/ui_state.h) on its widgets.
#pragma once

#include "control/ui_state.h"

namespace korimu {

void showEnabling(const Enabling& enabling);

// The window enters `state`: its controls, menu items, drops and focus follow the table.
void enterUiState(UiState state);

// The state the flags describe: an analysis run, a playback, a selected file, or none.
UiState currentUiState();

}  // namespace korimu

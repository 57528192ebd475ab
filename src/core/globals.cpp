#include "core/app_state.h"
#include "core/settings.h"

namespace korimu {

AppSettings settings;
AppState appState;

}  // namespace korimu

#include "core/app_state.h"
#include "core/settings.h"
#include "core/shell_hooks.h"

namespace korimu {

AppSettings settings;
AppState appState;
ShellHooks shellHooks;

}  // namespace korimu

#include "core/settings.h"

namespace korimu {

AppSettings settings;

}  // namespace korimu

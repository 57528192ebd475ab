#include "platform/tick_clock.h"

#include <chrono>

namespace korimu {

unsigned long tickCountMs() {
  using namespace std::chrono;
  return static_cast<unsigned long>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace korimu

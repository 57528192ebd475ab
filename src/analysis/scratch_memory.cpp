#include "analysis/scratch_memory.h"

#include <new>
#include <stdexcept>

namespace korimu {

namespace {

int failureCountdown = 0;

// True when the injected failure is due now.
bool injectedFailure() {
  if (failureCountdown <= 0) return false;
  return --failureCountdown == 0;
}

template <typename T>
bool allocate(std::vector<T>& array, size_t count) {
  if (injectedFailure()) return false;
  try {
    array.assign(count, T{});
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

}  // namespace

bool allocateScratch(std::vector<double>& array, size_t count) {
  return allocate(array, count);
}
bool allocateScratch(std::vector<int32_t>& array, size_t count) {
  return allocate(array, count);
}
bool allocateScratch(std::vector<uint8_t>& array, size_t count) {
  return allocate(array, count);
}

void failScratchAllocationAfter(int countdown) {
  failureCountdown = countdown;
}

}  // namespace korimu

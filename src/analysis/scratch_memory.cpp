#include "analysis/scratch_memory.h"

#include <new>
#include <stdexcept>

namespace korimu {

bool ScratchAllocator::injectedFailureDue() {
  if (failureCountdown_ <= 0) return false;
  return --failureCountdown_ == 0;
}

template <typename T>
bool ScratchAllocator::allocateZeroed(std::vector<T>& array, size_t count) {
  if (injectedFailureDue()) return false;
  try {
    array.assign(count, T{});
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

bool ScratchAllocator::allocate(std::vector<double>& array, size_t count) {
  return allocateZeroed(array, count);
}
bool ScratchAllocator::allocate(std::vector<int32_t>& array, size_t count) {
  return allocateZeroed(array, count);
}
bool ScratchAllocator::allocate(std::vector<uint8_t>& array, size_t count) {
  return allocateZeroed(array, count);
}

}  // namespace korimu

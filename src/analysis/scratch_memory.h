// Working arrays of the analysers. They are ordinary vectors, but every allocation goes through
// an allocator the caller owns so that an out-of-memory condition is turned into a false result
// (the callers then show their own short message) instead of an exception escaping into the
// program. A test can make the n-th following allocation of its own allocator fail to walk those
// paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korimu {

class ScratchAllocator {
 public:
  // Resizes `array` to `count` zeroed elements; false when memory is exhausted.
  bool allocate(std::vector<double>& array, size_t count);
  bool allocate(std::vector<int32_t>& array, size_t count);
  bool allocate(std::vector<uint8_t>& array, size_t count);

  // Makes the allocation `countdown` calls from now fail (1 = the very next one); 0 disarms.
  void failAfter(int countdown) { failureCountdown_ = countdown; }

 private:
  template <typename T>
  bool allocateZeroed(std::vector<T>& array, size_t count);
  bool injectedFailureDue();

  int failureCountdown_ = 0;
};

}  // namespace korimu

// Working arrays of the analysers. They are ordinary vectors, but every allocation goes through
// here so that an out-of-memory condition is turned into a false result (the callers then show
// their own short message) instead of an exception escaping into the program. Tests can make
// the n-th following allocation fail to walk those paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korimu {

// Resizes `array` to `count` zeroed elements; false when memory is exhausted.
bool allocateScratch(std::vector<double>& array, size_t count);
bool allocateScratch(std::vector<int32_t>& array, size_t count);
bool allocateScratch(std::vector<uint8_t>& array, size_t count);

// Makes the allocation `countdown` calls from now fail (1 = the very next one); 0 disarms.
void failScratchAllocationAfter(int countdown);

}  // namespace korimu

// Facts about the system the program runs on: its version number, the capacity of the volume a
// file lives on, and a millisecond tick.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>

namespace korimu {

// Major * 256 + minor. This platform follows the 4.00 rules (new-shell look, volume root rule).
inline constexpr uint16_t kSystemVersion = 0x400;

struct VolumeInfo {
  uint64_t bytesPerCluster = 0;
  uint64_t totalCapacity = 0;
  uint64_t freeBytes = 0;
};

// The file system holding `path` (or, when that cannot be asked, the current directory).
bool queryVolumeCapacity(const std::filesystem::path& path, VolumeInfo* info);

// Another way to ask, held by whoever opens files (a test pretends a file lives on a small
// medium); an unset one asks the system through queryVolumeCapacity.
using VolumeQuery = std::function<bool(const std::filesystem::path&, VolumeInfo*)>;
bool queryVolumeCapacity(const VolumeQuery& query, const std::filesystem::path& path,
                         VolumeInfo* info);

// Milliseconds from a fixed start.
unsigned long systemTickMs();

}  // namespace korimu

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

// Tests replace the query to pretend a file lives on a small medium; returns the previous one.
using VolumeQuery = std::function<bool(const std::filesystem::path&, VolumeInfo*)>;
VolumeQuery setVolumeQuery(VolumeQuery query);

// Milliseconds from a fixed start.
unsigned long systemTickMs();

}  // namespace korimu

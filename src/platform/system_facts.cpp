#include "platform/system_facts.h"

#include <sys/statvfs.h>

#include <utility>

#include "platform/tick_clock.h"

namespace korimu {

namespace {

bool statVolume(const std::filesystem::path& path, VolumeInfo* info) {
  struct statvfs st {};
  if (::statvfs(path.c_str(), &st) != 0) return false;
  const uint64_t unit = st.f_frsize ? st.f_frsize : st.f_bsize;
  info->bytesPerCluster = unit;
  info->totalCapacity = uint64_t(st.f_blocks) * unit;
  info->freeBytes = uint64_t(st.f_bavail) * unit;
  return true;
}

}  // namespace

bool queryVolumeCapacity(const std::filesystem::path& path, VolumeInfo* info) {
  *info = VolumeInfo{};
  if (statVolume(path, info)) return true;
  std::error_code ec;
  const auto here = std::filesystem::current_path(ec);
  return !ec && statVolume(here, info);
}

bool queryVolumeCapacity(const VolumeQuery& query, const std::filesystem::path& path,
                         VolumeInfo* info) {
  if (!query) return queryVolumeCapacity(path, info);
  *info = VolumeInfo{};
  return query(path, info);
}

unsigned long systemTickMs() {
  return tickCountMs();
}

}  // namespace korimu

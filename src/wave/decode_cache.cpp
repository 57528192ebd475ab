#include "wave/decode_cache.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/message.h"

namespace korimu {

namespace fs = std::filesystem;

namespace {

// A part file nobody has written for this long, and that no decode holds, was left by a decode
// that was killed.
constexpr time_t kQuietPartSeconds = 60;

// FNV-1a: a stable 64-bit name for the key text (std::hash may differ between builds).
uint64_t fnv1a(const std::string& text) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 0x100000001b3ull;
  }
  return hash;
}

std::string timeText(const timespec& t) {
  return std::to_string(t.tv_sec) + '.' + std::to_string(t.tv_nsec);
}

bool isAlphanumeric(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Why the folder at `path` may not hold copies; "" when it may.
std::string folderRefusal(const fs::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return std::strerror(errno);
  const char* name = path.c_str();
  if (S_ISLNK(st.st_mode)) return formatText("'%s' is a symbolic link", name);
  if (!S_ISDIR(st.st_mode)) return std::strerror(ENOTDIR);
  if (st.st_uid != ::geteuid()) return formatText("'%s' belongs to another user", name);
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) return formatText("others can write to '%s'", name);
  return {};
}

// Whether the part file is left over: no decode holds its lock, and it has not been written for a
// while (a decode takes the lock just after making the file).
bool isLeftOverPart(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  const bool quiet =
      ::fstat(fd, &st) == 0 && st.st_mtim.tv_sec + kQuietPartSeconds < std::time(nullptr);
  const bool unheld = quiet && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return unheld;
}

// Removes the copy unless a process holds it; the lock is kept until it is gone, so that nobody
// takes the copy in between.
bool removeUnlessHeld(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  const bool removed = ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(path.c_str()) == 0;
  ::close(fd);
  return removed;
}

}  // namespace

std::string cacheNameFor(const std::string& sourcePath) {
  struct stat st {};
  if (::stat(sourcePath.c_str(), &st) != 0) return {};
  std::error_code ec;
  fs::path absolute = fs::absolute(sourcePath, ec);
  if (ec) absolute = sourcePath;
  // The change time and file number change with every rewrite, even one that restores the
  // modification time (cp -p, rsync -t, unzip).
  const std::string key = absolute.lexically_normal().string() + '\0' + std::to_string(st.st_size) +
                          '\0' + timeText(st.st_mtim) + '\0' + timeText(st.st_ctim) + '\0' +
                          std::to_string(st.st_dev) + ':' + std::to_string(st.st_ino);
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.wav", static_cast<unsigned long long>(fnv1a(key)));
  return name;
}

bool isCopyName(const std::string& name) {
  if (name.size() != 20 || name.compare(16, 4, ".wav") != 0) return false;
  return std::all_of(name.begin(), name.begin() + 16,
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

bool isPartName(const std::string& name) {
  return name.size() == 12 && name.compare(0, 6, ".part-") == 0 &&
         std::all_of(name.begin() + 6, name.end(), isAlphanumeric);
}

std::string prepareCacheFolder(const fs::path& folder) {
  if (folder.empty() || !folder.is_absolute())
    return "neither XDG_CACHE_HOME nor HOME names a folder";
  fs::path path;
  for (const fs::path& part : folder.lexically_normal()) {
    if (part.empty()) continue;
    path /= part;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) continue;
    if (errno != ENOENT) return std::strerror(errno);
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return std::strerror(errno);
  }
  // The folder holding the copies' folder too: whoever can write there can replace it.
  for (const fs::path& checked : {folder.parent_path(), folder})
    if (std::string refusal = folderRefusal(checked); !refusal.empty()) return refusal;
  // A folder made before (by hand, or under a wider umask) that others may look into is made
  // private: the copies show what the user listens to.
  struct stat st {};
  if (::lstat(folder.c_str(), &st) == 0 && (st.st_mode & 077) != 0 &&
      ::chmod(folder.c_str(), 0700) != 0)
    return formatText("cannot make '%s' private: %s", folder.c_str(), std::strerror(errno));
  return {};
}

void trimCache(const fs::path& folder, uint64_t limitBytes, const fs::path& keep) {
  struct Copy {
    fs::path path;
    timespec time;
    uint64_t size;
  };
  std::vector<Copy> copies;
  uint64_t total = 0;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    const bool copy = isCopyName(name), part = !copy && isPartName(name);
    struct stat st {};
    if ((!copy && !part) || ::lstat(entry.path().c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid())
      continue;
    if (part && isLeftOverPart(entry.path()) && ::unlink(entry.path().c_str()) == 0) continue;
    total += uint64_t(st.st_size);
    // A part being written counts, but is its decode's to remove.
    if (copy) copies.push_back({entry.path(), st.st_mtim, uint64_t(st.st_size)});
  }
  std::sort(copies.begin(), copies.end(), [](const Copy& a, const Copy& b) {
    return a.time.tv_sec != b.time.tv_sec ? a.time.tv_sec < b.time.tv_sec
                                          : a.time.tv_nsec < b.time.tv_nsec;
  });
  for (const Copy& c : copies) {
    if (total <= limitBytes) break;
    if (c.path == keep) continue;
    if (removeUnlessHeld(c.path)) total -= c.size;
  }
}

CopyHold::~CopyHold() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

std::string CopyHold::readPath() const {
  return "/proc/self/fd/" + std::to_string(descriptor_);
}

std::shared_ptr<CopyHold> holdCopy(const fs::path& copy) {
  const int fd = ::open(copy.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  auto hold = std::make_shared<CopyHold>(fd);
  struct stat held {
  }, named{};
  // Locked, and still the file the name leads to: a trim that was removing it has not done so.
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0 || ::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode) ||
      held.st_uid != ::geteuid() || ::lstat(copy.c_str(), &named) != 0 ||
      named.st_dev != held.st_dev || named.st_ino != held.st_ino)
    return nullptr;
  return hold;
}

}  // namespace korimu

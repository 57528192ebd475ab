#include "platform/atomic_file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string_view>

namespace korimu {

namespace {

constexpr int kNameAttempts = 100;

std::string systemReason(int error) {
  return std::strerror(error);
}

std::string folderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return folder.empty() ? std::string(".") : folder.string();
}

// A hidden name beside `path` that nothing else is likely to use: ".NAME.XXXXXXXX".
std::string temporaryName(const std::string& path, int attempt) {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char random[8] = {};
  if (::getrandom(random, sizeof random, GRND_NONBLOCK) != ssize_t(sizeof random)) {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t mixed = uint64_t(now.tv_nsec) * 0x9E3779B97F4A7C15ull ^ uint64_t(::getpid()) ^
                           uint64_t(attempt) << 40;
    std::memcpy(random, &mixed, sizeof random);
  }
  std::string suffix;
  for (const unsigned char r : random) suffix += kLetters[r % (sizeof kLetters - 1)];
  // Room for the dots and the suffix within a name's 255 bytes.
  const std::string name = std::filesystem::path(path).filename().string().substr(0, 200);
  return (std::filesystem::path(folderOf(path)) / ("." + name + "." + suffix)).string();
}

// A nameless file in `folder`, or -1 with errno (EOPNOTSUPP and the like where the file system
// cannot make one).
int openUnnamed(const std::string& folder) {
  return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
}

bool cannotMakeUnnamed(int error) {
  return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// A name in /proc (another process's /proc/PID/fd/N) leads to a file that is open there: it is
// written where it is, not replaced. This process's own descriptors are written through directly
// (see descriptorNamed). Only those names count; a link elsewhere is replaced whatever it points
// at.
bool namesAnOpenFile(const std::string& path) {
  std::error_code ec;
  const std::string folder = std::filesystem::canonical(folderOf(path), ec).string();
  if (ec) return false;
  if (folder.starts_with("/proc/")) return true;
  char target[16] = {};
  const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
  return folder == "/dev" && n > 0 && std::string_view(target, size_t(n)).starts_with("/proc/");
}

// /proc/<this process>/fd, or the same table seen from one of its threads.
bool isOwnDescriptorFolder(const std::string& folder) {
  const std::string own = "/proc/" + std::to_string(::getpid());
  if (!folder.starts_with(own + "/")) return false;
  const std::string_view rest = std::string_view(folder).substr(own.size());
  if (rest == "/fd") return true;
  if (!rest.starts_with("/task/") || !rest.ends_with("/fd")) return false;
  const std::string_view thread = rest.substr(6, rest.size() - 9);
  return !thread.empty() && thread.find_first_not_of("0123456789") == std::string_view::npos;
}

// The hidden temporary names that exist right now, for the signal handler to remove: a program
// stopped by SIGINT or SIGTERM would otherwise leave ".NAME.XXXXXXXX" beside its output. A slot is
// claimed, filled, then published; the handler reads published slots only.
struct PendingName {
  std::atomic<bool> claimed{false};
  std::atomic<bool> published{false};
  char path[PATH_MAX] = {};
};
constexpr int kPendingNames = 64;
constexpr int kCleanedSignals[] = {SIGINT, SIGTERM};

PendingName* pendingNames() {
  static PendingName names[kPendingNames];
  return names;
}

void removePendingNames(int signal) {
  PendingName* names = pendingNames();
  for (int i = 0; i < kPendingNames; ++i)
    if (names[i].published.load(std::memory_order_acquire)) ::unlink(names[i].path);
  // Then the signal's own end, as if nothing had caught it (it is blocked while handled).
  ::signal(signal, SIG_DFL);
  sigset_t own;
  sigemptyset(&own);
  sigaddset(&own, signal);
  ::sigprocmask(SIG_UNBLOCK, &own, nullptr);
  ::raise(signal);
}

// Takes SIGINT and SIGTERM where they still end the program by default; a handler the program
// installed itself is left alone. (Installing it twice does no harm.)
void installSignalCleanup() {
  for (int signal : kCleanedSignals) {
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL ||
        (current.sa_flags & SA_SIGINFO) != 0)
      continue;
    struct sigaction cleanup {};
    cleanup.sa_handler = removePendingNames;
    sigemptyset(&cleanup.sa_mask);
    for (int other : kCleanedSignals) sigaddset(&cleanup.sa_mask, other);
    ::sigaction(signal, &cleanup, nullptr);
  }
}

}  // namespace

void AtomicFile::nameTemporary(const std::string& name) {
  temporary_ = name;
  if (name.size() >= PATH_MAX) return;
  installSignalCleanup();
  PendingName* names = pendingNames();
  for (int i = 0; i < kPendingNames; ++i) {
    bool expected = false;
    if (!names[i].claimed.compare_exchange_strong(expected, true)) continue;
    std::memcpy(names[i].path, name.c_str(), name.size() + 1);
    names[i].published.store(true, std::memory_order_release);
    signalSlot_ = i;
    return;
  }
}

void AtomicFile::forgetTemporary() {
  if (signalSlot_ >= 0) {
    PendingName& slot = pendingNames()[signalSlot_];
    slot.published.store(false, std::memory_order_release);
    slot.claimed.store(false, std::memory_order_release);
    signalSlot_ = -1;
  }
  temporary_.clear();
}

int descriptorNamed(const std::string& path) {
  if (path == "-") return STDOUT_FILENO;
  std::string name = path;
  // /dev/stdout leads to /proc/self/fd/1 and /dev/fd to /proc/self/fd; a few steps reach the end.
  for (int step = 0; step < 4; ++step) {
    const std::filesystem::path spelled(name);
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::canonical(folderOf(name), ec);
    if (ec) return -1;
    const std::string leaf = spelled.filename().string();
    if (isOwnDescriptorFolder(folder.string())) {
      int descriptor = -1;
      const char* end = leaf.data() + leaf.size();
      const auto parsed = std::from_chars(leaf.data(), end, descriptor);
      return !leaf.empty() && parsed.ec == std::errc() && parsed.ptr == end && descriptor >= 0
                 ? descriptor
                 : -1;
    }
    // Only the system's own links in /dev are followed; a link anywhere else is a file's name.
    if (folder != "/dev" || leaf.empty()) return -1;
    char target[256] = {};
    const ssize_t n = ::readlink((folder / leaf).c_str(), target, sizeof target - 1);
    if (n <= 0) return -1;
    name = (folder / std::string(target, size_t(n))).string();
  }
  return -1;
}

AtomicFile::Target AtomicFile::targetAt(const std::string& path, std::string& reason) {
  if (descriptorNamed(path) >= 0) return Target::kDescriptor;
  struct stat name {};
  if (::lstat(path.c_str(), &name) != 0 || S_ISREG(name.st_mode)) return Target::kReplace;
  struct stat target {};
  const bool reached = ::stat(path.c_str(), &target) == 0;
  const bool stream = reached && (S_ISFIFO(target.st_mode) || S_ISCHR(target.st_mode));
  const bool streamable = stream || (reached && S_ISREG(target.st_mode));
  if (S_ISLNK(name.st_mode) && namesAnOpenFile(path)) {
    if (streamable) return Target::kStream;
  } else if (S_ISLNK(name.st_mode) && (!reached || !S_ISDIR(target.st_mode))) {
    // A link planted at the name is replaced, whatever it points at, unless that is a folder.
    return Target::kReplace;
  }
  // Only root makes devices: one standing at the name itself (/dev/null) is the user's choice.
  if (stream && !S_ISLNK(name.st_mode)) return Target::kStream;
  // A disk or a socket in the output's place is neither replaced nor written.
  reason = reached && S_ISDIR(target.st_mode) ? systemReason(EISDIR) : "not a regular file";
  return Target::kRefuse;
}

AtomicFile::~AtomicFile() {
  discard();
}

bool AtomicFile::open(const std::string& path, std::string& reason) {
  discard();
  const Target target = targetAt(path, reason);
  if (target == Target::kRefuse) return false;
  path_ = path;
  if (target == Target::kDescriptor) return openDescriptor(descriptorNamed(path), reason);
  if (target == Target::kStream) {
    // Opened at the first write: a pipe's open waits for its reader.
    stream_ = true;
    if (::access(path.c_str(), W_OK) == 0) return true;
    reason = systemReason(errno);
    return false;
  }
  if (temporaryKind_ == Temporary::kUnnamedFirst) {
    fd_ = openUnnamed(folderOf(path));
    if (fd_ >= 0) return true;
    if (!cannotMakeUnnamed(errno)) {
      reason = systemReason(errno);
      return false;
    }
  }
  // The mode lets the umask decide, as for any new file.
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string name = temporaryName(path, attempt);
    fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      nameTemporary(name);
      return true;
    }
    if (errno != EEXIST) break;
  }
  reason = systemReason(errno);
  return false;
}

// Writes go through a duplicate of the descriptor: it shares the offset and the append mode with
// the original, and closing it when done leaves the original open.
bool AtomicFile::openDescriptor(int descriptor, std::string& reason) {
  const int flags = ::fcntl(descriptor, F_GETFL);
  if (flags < 0) {
    reason = systemReason(errno);
    return false;
  }
  if ((flags & O_ACCMODE) == O_RDONLY) {
    reason = "not open for writing";
    return false;
  }
  // What the program printed through stdio comes first.
  if (descriptor == STDOUT_FILENO) std::fflush(stdout);
  fd_ = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
  if (fd_ < 0) {
    reason = systemReason(errno);
    return false;
  }
  stream_ = true;
  return true;
}

bool AtomicFile::openStream(std::string& reason) {
  if (fd_ < 0) fd_ = ::open(path_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) reason = systemReason(errno);
  return fd_ >= 0;
}

bool AtomicFile::write(std::string_view bytes, std::string& reason) {
  if (stream_ && !openStream(reason)) return false;
  if (fd_ < 0) {
    reason = systemReason(EBADF);
    return false;
  }
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      reason = systemReason(n < 0 ? errno : ENOSPC);
      discard();
      return false;
    }
    bytes.remove_prefix(size_t(n));
  }
  return true;
}

bool AtomicFile::linkUnnamed(std::string& reason) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string name = temporaryName(path_, attempt);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
        (errno != EEXIST && ::linkat(fd_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0)) {
      nameTemporary(name);
      return true;
    }
    if (errno != EEXIST) break;
  }
  reason = systemReason(errno);
  return false;
}

bool AtomicFile::commit(std::string& reason) {
  if (stream_) {
    const bool ok = openStream(reason) && ::close(fd_) == 0;
    if (!ok && fd_ >= 0) reason = systemReason(errno);
    fd_ = -1;
    discard();
    return ok;
  }
  if (fd_ < 0) {
    reason = systemReason(EBADF);
    return false;
  }
  // A plain file being replaced keeps its permissions; a link or nothing there leaves the umask's.
  struct stat old {};
  bool ok = true;
  if (::lstat(path_.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
      ::fchmod(fd_, old.st_mode & 0777) != 0) {
    reason = systemReason(errno);
    ok = false;
  }
  if (ok && ::fsync(fd_) != 0) {
    reason = systemReason(errno);
    ok = false;
  }
  ok = ok && (!temporary_.empty() || linkUnnamed(reason));
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && ok) {
    reason = systemReason(errno);
    ok = false;
  }
  if (ok && std::rename(temporary_.c_str(), path_.c_str()) != 0) {
    reason = systemReason(errno);
    ok = false;
  }
  if (ok) forgetTemporary();
  discard();
  return ok;
}

void AtomicFile::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  stream_ = false;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  forgetTemporary();
}

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string& reason) {
  AtomicFile file;
  return file.open(path, reason) && file.write(bytes, reason) && file.commit(reason);
}

}  // namespace korimu

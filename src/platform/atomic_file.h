// Files that appear whole or not at all. The bytes go to a file beside the target that has no name
// yet (or, where the file system cannot make one, a hidden temporary name), are flushed to the
// disk, and the finished file is renamed over the target. A failure at any step (a full disk, a
// write error, a process killed part-way) leaves the old file as it was; a symbolic link standing
// at the target's name is replaced, never written through. Streams are written where they are: a
// named pipe or a character device (/dev/null) at the name. A descriptor the process already has
// open ("-" for standard output, /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N) is written
// through as it was opened: at its current offset, or at the end where it appends, so a file the
// shell opened keeps what it held. A disk or a socket at the name is refused.
#pragma once

#include <string>
#include <string_view>

namespace korimu {

class AtomicFile {
 public:
  // Where the bytes go until the commit: a file with no name where the file system can make one,
  // else a hidden name; kNamed always takes the hidden name, as a file system without unnamed
  // files (vfat, some network file systems) makes it. A hidden name is removed on SIGINT and
  // SIGTERM too, where the program has not taken those signals itself.
  enum class Temporary { kUnnamedFirst, kNamed };

  explicit AtomicFile(Temporary temporary = Temporary::kUnnamedFirst) : temporaryKind_(temporary) {}
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Starts the file that will replace `path`. False with the system's reason when it cannot be
  // made there (no such folder, no permission, a read-only file system, a folder at `path`).
  bool open(const std::string& path, std::string& reason);
  // Appends the bytes; false with the system's reason (the file is then discarded).
  bool write(std::string_view bytes, std::string& reason);
  // Flushes the file and puts it in place of `path`, keeping the permissions of a plain file that
  // was there. False with the reason when it could not; the old file is then untouched.
  bool commit(std::string& reason);
  // Drops the unfinished file (the destructor does the same).
  void discard();

 private:
  enum class Target { kReplace, kStream, kDescriptor, kRefuse };
  static Target targetAt(const std::string& path, std::string& reason);
  bool linkUnnamed(std::string& reason);
  bool openStream(std::string& reason);
  bool openDescriptor(int descriptor, std::string& reason);

  std::string path_;
  void nameTemporary(const std::string& name);
  void forgetTemporary();

  Temporary temporaryKind_;
  std::string temporary_;  // the temporary name, once the file has one
  int signalSlot_ = -1;    // its place in the names removed on a signal
  int fd_ = -1;
  bool stream_ = false;  // written in place (a pipe), not replaced
};

// The descriptor of this process that `path` names: 1 for "-", and N for /dev/fd/N,
// /proc/self/fd/N, /proc/<this process>/fd/N and the links in /dev that lead there (/dev/stdout,
// /dev/stderr). -1 for any other name, whether or not that descriptor is open.
int descriptorNamed(const std::string& path);

// Replaces `path` with `bytes` in one step as above. False with the system's reason.
bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string& reason);

}  // namespace korimu

// The folder of decoded copies: one 16-bit WAV per source file, named after the source's path,
// size, modification and change times and file number, so a changed, replaced or moved source is
// decoded again. The folder is the user's alone; only files named as KORIMU names them and owned
// by the user are ever removed from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace korimu {

// The copy's file name for the source as it is now ("" when the source cannot be looked at).
std::string cacheNameFor(const std::string& sourcePath);

// Whether `name` is one KORIMU gives to a copy ("0123456789abcdef.wav") or to a copy being
// written (".part-" and six letters or digits).
bool isCopyName(const std::string& name);
bool isPartName(const std::string& name);

// Makes `folder` (and whatever of its path is missing) private to the user, and checks that it and
// the folder holding it are real folders of the user that no one else can write to: another user
// could otherwise swap a copy or point the folder at the user's recordings. An existing `folder`
// that others may read is made private. Returns "" when the folder may be used, else the reason
// it may not.
std::string prepareCacheFolder(const std::filesystem::path& folder);

// A fast checksum of a copy's samples, kept in the copy, so that samples overwritten behind an
// intact header are noticed. Bytes may come in pieces of any size.
class CopyChecksum {
 public:
  void add(const void* data, size_t bytes);
  uint64_t value() const;

 private:
  void mix(uint64_t word);
  uint64_t hash_ = 0x6b6f72696d75ull;
  uint64_t pending_ = 0;
  unsigned pendingBytes_ = 0;
  uint64_t length_ = 0;
};

// The copy's layout: the canonical 44-byte header, the samples, and a 24-byte chunk ("ksum")
// holding the checksum of the samples and whether the source goes on past them (a source longer
// than a copy may be is decoded only as far as the copy goes). The reader skips that chunk.
inline constexpr size_t kCopyHeaderBytes = 44;
inline constexpr size_t kCopyTrailerBytes = 24;
void writeCopyHeader(uint8_t (&header)[kCopyHeaderBytes], uint32_t rate, int channels,
                     uint32_t dataBytes);
void writeCopyTrailer(uint8_t (&trailer)[kCopyTrailerBytes], uint64_t checksum, bool sourceGoesOn);

// A copy in use, held open under a shared lock for as long as anything reads it. A trim in any
// process passes over a locked copy, and every read goes through the descriptor that was verified:
// a copy removed or replaced by name meanwhile is not what is read.
class CopyHold {
 public:
  explicit CopyHold(int descriptor) : descriptor_(descriptor) {}
  ~CopyHold();
  CopyHold(const CopyHold&) = delete;
  CopyHold& operator=(const CopyHold&) = delete;

  int descriptor() const { return descriptor_; }
  // A name that opens the held file itself from this process (/proc/self/fd/N), whatever its name
  // in the cache leads to now.
  std::string readPath() const;

 private:
  int descriptor_;
};

// Opens `copy` (never through a link; only a regular file of the user's) and locks it shared;
// null when it is not there, is not such a file, or a trim is removing it.
std::shared_ptr<CopyHold> holdCopy(const std::filesystem::path& copy);

// Whether the open file is a copy of `rate` and `channels` as the decoder writes it: a regular
// file of the user's, with the header above whose sizes agree with the file's length, at least
// one frame, and samples that match the checksum. Anything else (cut short, overwritten, another
// program's or user's file) is decoded again.
bool isWholeCopy(int descriptor, uint32_t rate, int channels);
// What a whole copy holds; nothing when it is not whole.
struct CopyContents {
  uint64_t frames = 0;
  bool sourceGoesOn = false;  // the copy holds only the first part of its source
};
std::optional<CopyContents> wholeCopyContents(int descriptor, uint32_t rate, int channels);

// Marks the held copy as just used (its modification time), the last to go in a trim.
void touchCopy(const CopyHold& copy);

// Removes the copies being written that nobody writes any more, then the oldest copies until the
// folder's copies and parts take at most `limitBytes`. Never removed: `keep` (the one just made
// or used), a copy some process holds (CopyHold), any file not named and owned as KORIMU's.
void trimCache(const std::filesystem::path& folder, uint64_t limitBytes,
               const std::filesystem::path& keep);

}  // namespace korimu

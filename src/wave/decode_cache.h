// The folder of decoded copies: one 16-bit WAV per source file, named after the source's path,
// size, modification and change times and file number, so a changed, replaced or moved source is
// decoded again. The folder is the user's alone; only files named as KORIMU names them and owned
// by the user are ever removed from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
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
// could otherwise swap a copy or point the folder at the user's recordings. Returns "" when the
// folder may be used, else the reason it may not.
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

// The copy's layout: the canonical 44-byte header, the samples, and a 16-byte chunk ("ksum")
// holding the checksum of the samples. The reader skips that chunk.
inline constexpr size_t kCopyHeaderBytes = 44;
inline constexpr size_t kCopyTrailerBytes = 16;
void writeCopyHeader(uint8_t (&header)[kCopyHeaderBytes], uint32_t rate, int channels,
                     uint32_t dataBytes);
void writeCopyTrailer(uint8_t (&trailer)[kCopyTrailerBytes], uint64_t checksum);

// Whether `copy` is a copy of `rate` and `channels` as the decoder writes it: a file of the user's
// (not a link), with the header above whose sizes agree with the file's length, at least one
// frame, and samples that match the checksum. Anything else (cut short, overwritten, another
// program's or user's file) is decoded again.
bool isWholeCopy(const std::filesystem::path& copy, uint32_t rate, int channels);

// Marks the copy as just used (its modification time, the link itself were it one).
void touchCopy(const std::filesystem::path& copy);

// Removes the copies being written that nobody writes any more, then the oldest copies until the
// folder's copies and parts take at most `limitBytes`; `keep` (the one just made or used) is never
// removed, nor any file not named and owned as KORIMU's.
void trimCache(const std::filesystem::path& folder, uint64_t limitBytes,
               const std::filesystem::path& keep);

}  // namespace korimu

// Read-only RIFF files: buffered reading with chunk navigation (descend into a form, find a child
// chunk, ascend past a chunk and its pad byte), plain reads and absolute seeks. Declared sizes are
// taken as written; reads simply stop at the end of the file, so no size can make a read run past
// a buffer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace korimu {

// A four-character code as it is stored in the file ("RIFF" reads 'R' first).
constexpr uint32_t fourCc(const char (&code)[5]) {
  return uint32_t(uint8_t(code[0])) | uint32_t(uint8_t(code[1])) << 8 |
         uint32_t(uint8_t(code[2])) << 16 | uint32_t(uint8_t(code[3])) << 24;
}

// ChunkInfo flag: the RIFF header's size was a placeholder (0 or 0xFFFFFFFF, as a streaming
// writer leaves it before the recording is finalised); the form runs to the end of the file.
inline constexpr uint32_t kUnfinishedSize = 1;

struct ChunkInfo {
  uint32_t id = 0;
  uint32_t size = 0;        // as declared in the chunk header (see kUnfinishedSize)
  uint32_t formType = 0;    // RIFF and LIST chunks only
  uint64_t dataOffset = 0;  // file offset of the chunk data (of the form type for RIFF/LIST)
  uint32_t flags = 0;

  // Offset just past the chunk's data and its pad byte.
  uint64_t endOffset() const { return dataOffset + size + (size & 1u); }
};

// Which file an open handle reads and how it stands: a rewrite in place changes its times (the
// change time even when the modification time is put back), a replacement its number.
struct FileStamp {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  int64_t modifiedNs = 0;
  int64_t changedNs = 0;
  bool operator==(const FileStamp&) const = default;
};

class RiffFile {
 public:
  RiffFile() = default;
  RiffFile(const RiffFile&) = delete;
  RiffFile& operator=(const RiffFile&) = delete;
  ~RiffFile() { close(); }

  bool open(const std::filesystem::path& path);
  void close();
  // Why the last open failed, in the system's words ("No such file or directory", "Is a
  // directory", "Permission denied"); empty after a successful open.
  const std::string& openFailure() const { return openFailure_; }
  bool isOpen() const { return file_ != nullptr; }
  uint64_t fileSize() const { return fileSize_; }
  // The open file as it stands now (all zero when nothing is open or it cannot be looked at).
  FileStamp stamp() const;

  // Finds the first RIFF chunk of the given form type, searching from the start of the file, and
  // leaves the file just after its form type. A placeholder size counts as the rest of the file.
  bool descendRiff(ChunkInfo* riff, uint32_t formType);
  // Finds the child chunk `id` of `parent`, searching from the current place, and leaves the file
  // at the start of its data.
  bool findChunk(ChunkInfo* chunk, const ChunkInfo& parent, uint32_t id);
  // Moves past the chunk and its pad byte.
  bool ascend(const ChunkInfo& chunk);

  // Reads up to n bytes; returns how many were read (fewer at the end of the file).
  uint32_t read(uint8_t* buffer, uint32_t n);
  // Reads up to n bytes at an absolute offset, leaving the place of the plain reads as it is: one
  // system call for each of many small scattered reads.
  uint32_t readAt(uint64_t offset, uint8_t* buffer, uint32_t n);
  // Absolute seek from the start of the file.
  bool seek(uint64_t offset);
  uint64_t tell() const { return position_; }
  // Bytes the plain and the absolute reads have delivered since the file was opened: what a
  // drawing costs in reads, for its tests and benchmarks.
  uint64_t bytesRead() const { return bytesRead_; }

 private:
  bool readHeader(uint32_t* id, uint32_t* size);

  std::FILE* file_ = nullptr;
  uint64_t fileSize_ = 0;
  uint64_t position_ = 0;
  uint64_t bytesRead_ = 0;
  std::string openFailure_;
};

}  // namespace korimu

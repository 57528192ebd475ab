#include "platform/riff_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace korimu {

namespace {

uint32_t littleEndian32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

constexpr uint32_t kRiff = fourCc("RIFF");
constexpr uint32_t kList = fourCc("LIST");
constexpr size_t kBufferSize = 8192;

}  // namespace

bool RiffFile::open(const std::filesystem::path& path) {
  close();
  openFailure_.clear();
  bytesRead_ = 0;
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) {
    // A folder on the way that cannot be searched is reported as such, not as a missing file.
    openFailure_ = ec ? ec.message() : std::strerror(ENOENT);
    return false;
  }
  if (!std::filesystem::is_regular_file(status)) {
    openFailure_ =
        std::filesystem::is_directory(status) ? std::strerror(EISDIR) : "Not a regular file";
    return false;
  }
  file_ = std::fopen(path.c_str(), "rb");
  if (!file_) {
    openFailure_ = std::strerror(errno);
    return false;
  }
  std::setvbuf(file_, nullptr, _IOFBF, kBufferSize);
  if (std::fseek(file_, 0, SEEK_END) != 0) {
    close();
    return false;
  }
  const long end = std::ftell(file_);
  fileSize_ = end < 0 ? 0 : uint64_t(end);
  std::fseek(file_, 0, SEEK_SET);
  position_ = 0;
  return true;
}

FileStamp RiffFile::stamp() const {
  struct stat st {};
  if (!file_ || ::fstat(::fileno(file_), &st) != 0) return {};
  const auto ns = [](const timespec& t) { return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec; };
  return FileStamp{uint64_t(st.st_dev), uint64_t(st.st_ino), uint64_t(st.st_size), ns(st.st_mtim),
                   ns(st.st_ctim)};
}

void RiffFile::close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  fileSize_ = 0;
  position_ = 0;
}

bool RiffFile::readHeader(uint32_t* id, uint32_t* size) {
  uint8_t header[8];
  if (read(header, 8) != 8) return false;
  *id = littleEndian32(header);
  *size = littleEndian32(header + 4);
  return true;
}

bool RiffFile::descendRiff(ChunkInfo* riff, uint32_t formType) {
  if (!file_ || !seek(0)) return false;
  for (;;) {
    const uint64_t start = position_;
    uint32_t id = 0, size = 0;
    if (!readHeader(&id, &size)) return false;
    const bool unfinished = size == 0 || size == 0xFFFFFFFFu;
    if (id == kRiff && (size >= 4 || unfinished)) {
      uint8_t type[4];
      if (read(type, 4) != 4) return false;
      if (littleEndian32(type) == formType) {
        *riff = ChunkInfo{id, size, formType, start + 8, 0};
        if (unfinished) {
          riff->size = uint32_t(std::min<uint64_t>(fileSize_ - riff->dataOffset, 0xFFFFFFFFu));
          riff->flags = kUnfinishedSize;
        }
        return true;
      }
      if (unfinished) return false;  // nothing follows a form that runs to the end
    }
    const ChunkInfo skipped{id, size, 0, start + 8, 0};
    if (skipped.endOffset() >= fileSize_ || !seek(skipped.endOffset())) return false;
  }
}

bool RiffFile::findChunk(ChunkInfo* chunk, const ChunkInfo& parent, uint32_t id) {
  if (!file_) return false;
  const uint64_t parentEnd = parent.dataOffset + parent.size;
  for (;;) {
    const uint64_t start = position_;
    if (start + 8 > parentEnd) return false;
    uint32_t foundId = 0, size = 0;
    if (!readHeader(&foundId, &size)) return false;
    ChunkInfo found{foundId, size, 0, start + 8, 0};
    if (foundId == id) {
      if (foundId == kRiff || foundId == kList) {
        uint8_t type[4];
        if (size < 4 || read(type, 4) != 4) return false;
        found.formType = littleEndian32(type);
      }
      *chunk = found;
      return true;
    }
    if (found.endOffset() >= fileSize_ || !seek(found.endOffset())) return false;
  }
}

bool RiffFile::ascend(const ChunkInfo& chunk) {
  return seek(std::min(chunk.endOffset(), fileSize_));
}

uint32_t RiffFile::read(uint8_t* buffer, uint32_t n) {
  if (!file_ || n == 0) return 0;
  const size_t got = std::fread(buffer, 1, n, file_);
  position_ += got;
  bytesRead_ += got;
  return uint32_t(got);
}

uint32_t RiffFile::readAt(uint64_t offset, uint8_t* buffer, uint32_t n) {
  if (!file_) return 0;
  uint32_t done = 0;
  while (done < n) {
    const ssize_t got = ::pread(fileno(file_), buffer + done, n - done, off_t(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += uint32_t(got);
  }
  bytesRead_ += done;
  return done;
}

bool RiffFile::seek(uint64_t offset) {
  if (!file_ || offset > fileSize_) return false;
  if (std::fseek(file_, long(offset), SEEK_SET) != 0) return false;
  position_ = offset;
  return true;
}

}  // namespace korimu

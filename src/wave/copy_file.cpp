// The decoded copy as a file: its header, its checksum chunk, and the check that a copy found in
// the cache is whole and the user's own.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "wave/decode_cache.h"

namespace korimu {

namespace fs = std::filesystem;

namespace {

constexpr char kChecksumChunk[] = "ksum";

uint32_t le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void put16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

void put32(uint8_t* p, uint32_t v) {
  put16(p, v);
  put16(p + 2, v >> 16);
}

// Reads exactly `bytes` at `offset` (moved past them) or fails. The descriptor's own offset is
// left alone: it may be shared with whoever reads the copy.
bool readAll(int fd, void* into, size_t bytes, uint64_t& offset) {
  auto* at = static_cast<uint8_t*>(into);
  while (bytes > 0) {
    const ssize_t got = ::pread(fd, at, bytes, off_t(offset));
    if (got <= 0) return false;
    at += got;
    bytes -= size_t(got);
    offset += uint64_t(got);
  }
  return true;
}

}  // namespace

void CopyChecksum::mix(uint64_t word) {
  hash_ = (hash_ ^ word) * 0x9e3779b97f4a7c15ull;
  hash_ ^= hash_ >> 29;
}

void CopyChecksum::add(const void* data, size_t bytes) {
  const auto* p = static_cast<const uint8_t*>(data);
  length_ += bytes;
  while (bytes > 0 && pendingBytes_ > 0) {
    pending_ |= uint64_t(*p++) << (8 * pendingBytes_);
    --bytes;
    if (++pendingBytes_ == 8) {
      mix(pending_);
      pending_ = 0;
      pendingBytes_ = 0;
    }
  }
  for (; bytes >= 8; bytes -= 8, p += 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    mix(word);
  }
  for (; bytes > 0; --bytes) pending_ |= uint64_t(*p++) << (8 * pendingBytes_++);
}

uint64_t CopyChecksum::value() const {
  CopyChecksum last = *this;
  last.mix(last.pending_);
  last.mix(last.length_);
  return last.hash_;
}

void writeCopyHeader(uint8_t (&h)[kCopyHeaderBytes], uint32_t rate, int channels,
                     uint32_t dataBytes) {
  const uint32_t align = uint32_t(channels) * 2;
  std::copy_n("RIFF", 4, h);
  put32(h + 4, uint32_t(36 + dataBytes + kCopyTrailerBytes));
  std::copy_n("WAVEfmt ", 8, h + 8);
  put32(h + 16, 16);
  put16(h + 20, 1);
  put16(h + 22, uint32_t(channels));
  put32(h + 24, rate);
  put32(h + 28, rate * align);
  put16(h + 32, align);
  put16(h + 34, 16);
  std::copy_n("data", 4, h + 36);
  put32(h + 40, dataBytes);
}

void writeCopyTrailer(uint8_t (&t)[kCopyTrailerBytes], uint64_t checksum, bool sourceGoesOn) {
  std::copy_n(kChecksumChunk, 4, t);
  put32(t + 4, kCopyTrailerBytes - 8);
  put32(t + 8, uint32_t(checksum));
  put32(t + 12, uint32_t(checksum >> 32));
  put32(t + 16, sourceGoesOn ? 1 : 0);
  put32(t + 20, 0);
}

std::optional<CopyContents> wholeCopyContents(int descriptor, uint32_t rate, int channels) {
  struct stat st {};
  if (descriptor < 0 || ::fstat(descriptor, &st) != 0 || !S_ISREG(st.st_mode) ||
      st.st_uid != ::geteuid())
    return std::nullopt;
  const uint64_t size = uint64_t(st.st_size);
  if (size <= kCopyHeaderBytes + kCopyTrailerBytes || size > 0xFFFFFFFFull) return std::nullopt;
  uint64_t offset = 0;
  uint8_t header[kCopyHeaderBytes];
  if (!readAll(descriptor, header, sizeof header, offset)) return std::nullopt;
  const uint32_t dataBytes = le32(header + 40);
  const uint32_t frameBytes = uint32_t(channels) * 2;
  uint8_t expected[kCopyHeaderBytes];
  writeCopyHeader(expected, rate, channels, dataBytes);
  if (!std::equal(std::begin(header), std::end(header), std::begin(expected)) ||
      dataBytes != size - kCopyHeaderBytes - kCopyTrailerBytes || dataBytes % frameBytes != 0)
    return std::nullopt;

  CopyChecksum sum;
  std::vector<uint8_t> block(size_t(1) << 20);
  for (uint32_t left = dataBytes; left > 0;) {
    const size_t n = std::min<size_t>(left, block.size());
    if (!readAll(descriptor, block.data(), n, offset)) return std::nullopt;
    sum.add(block.data(), n);
    left -= uint32_t(n);
  }
  uint8_t trailer[kCopyTrailerBytes];
  if (!readAll(descriptor, trailer, sizeof trailer, offset)) return std::nullopt;
  const CopyContents contents{dataBytes / frameBytes, le32(trailer + 16) == 1};
  uint8_t expectedTrailer[kCopyTrailerBytes];
  writeCopyTrailer(expectedTrailer, sum.value(), contents.sourceGoesOn);
  if (!std::equal(std::begin(trailer), std::end(trailer), std::begin(expectedTrailer)))
    return std::nullopt;
  return contents;
}

bool isWholeCopy(int descriptor, uint32_t rate, int channels) {
  return wholeCopyContents(descriptor, rate, channels).has_value();
}

void touchCopy(const CopyHold& copy) {
  ::futimens(copy.descriptor(), nullptr);
}

}  // namespace korimu

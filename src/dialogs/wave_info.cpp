#include "dialogs/wave_info.h"

#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "core/translatable.h"
#include "platform/message.h"

namespace korimu {

namespace {

// Sequential little-endian reads. A field the file does not hold in full reads as zero; an
// identifier keeps the bytes that were there.
class HeaderReader {
 public:
  explicit HeaderReader(const std::string& path) : file_(openRegularFile(path)) {}
  ~HeaderReader() {
    if (file_) std::fclose(file_);
  }
  HeaderReader(const HeaderReader&) = delete;
  HeaderReader& operator=(const HeaderReader&) = delete;

  bool isOpen() const { return file_ != nullptr; }

  std::string readId() {
    unsigned char bytes[4] = {0, 0, 0, 0};
    const size_t got = readable_ ? std::fread(bytes, 1, 4, file_) : 0;
    std::string text;
    // Shown like a C string of the four bytes: it ends at the fourth byte or at a zero byte.
    for (size_t i = 0; i < got && bytes[i] != 0; ++i) appendLatin1(text, bytes[i]);
    return text;
  }

  uint32_t read32() {
    unsigned char b[4];
    if (!readable_ || std::fread(b, 1, 4, file_) != 4) return 0;
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  }

  int16_t read16() {
    unsigned char b[2];
    if (!readable_ || std::fread(b, 1, 2, file_) != 2) return 0;
    return int16_t(uint16_t(b[0] | b[1] << 8));
  }

  // An absolute seek. Offsets come from the file's own size fields; one before the start leaves
  // nothing to read instead of reading on from wherever the file stood.
  void seek(int64_t offset) {
    readable_ = offset >= 0 && fseeko(file_, off_t(offset), SEEK_SET) == 0;
  }

 private:
  // Only a regular file is read: a FIFO or a device would wait for a writer or never end. The
  // open itself does not wait (a FIFO without a writer would block an ordinary open).
  static std::FILE* openRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
      ::close(fd);
      return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) ::close(fd);
    return file;
  }

  static void appendLatin1(std::string& text, unsigned char c) {
    if (c < 0x80) {
      text.push_back(char(c));
    } else {
      text.push_back(char(0xC0 | (c >> 6)));
      text.push_back(char(0x80 | (c & 0x3F)));
    }
  }

  std::FILE* file_;
  bool readable_ = true;
};

}  // namespace

std::string formatTagText(int16_t tag) {
  const char* name = formatTagName(tag);
  return name ? name : "unknown";
}

std::map<int, std::string> readWaveInfo(const std::string& path) {
  std::map<int, std::string> texts;
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0) {
    texts[kInfoFileSize] = formatText("%lld", static_cast<long long>(status.st_size));
  }

  HeaderReader in(path);
  if (!in.isOpen()) return texts;

  // Sizes and rates are unsigned 32-bit fields: a file over 2 GiB shows its true sizes.
  texts[kInfoRiffId] = in.readId();
  texts[kInfoRiffSize] = formatText("%u", in.read32());
  texts[kInfoRiffType] = in.readId();
  texts[kInfoChunkId] = in.readId();
  const uint32_t formatSize = in.read32();
  texts[kInfoChunkSize] = formatText("%u", formatSize);
  const int16_t tag = in.read16();
  texts[kInfoFormatTag] = formatText("%d", tag);
  texts[kInfoTagName] = formatTagText(tag);
  texts[kInfoChannels] = formatText("%d", in.read16());
  const uint32_t sampleRate = in.read32();
  texts[kInfoSampleRate] = formatText("%u", sampleRate);
  texts[kInfoSamplePeriod] = sampleRate != 0 ? formatText("%f sec", 1.0 / sampleRate) : "∞ sec";
  const uint32_t byteRate = in.read32();
  texts[kInfoByteRate] = formatText("%u", byteRate);
  texts[kInfoBlockAlign] = formatText("%d", in.read16());
  texts[kInfoBits] = formatText("%d", in.read16());
  texts[kInfoExtraSize] = formatSize >= 18 ? formatText("%d", in.read16()) : "";

  in.seek(20 + int64_t{formatSize});
  const std::string secondId = in.readId();
  const uint32_t secondSize = in.read32();
  texts[kInfoSecondId] = secondId;
  texts[kInfoSecondSize] = formatText("%u", secondSize);
  uint32_t lastSize = secondSize;
  if (secondId != "data") {
    in.seek(28 + int64_t{formatSize} + int64_t{secondSize});
    texts[kInfoThirdId] = in.readId();
    lastSize = in.read32();
    texts[kInfoThirdSize] = formatText("%u", lastSize);
  }
  texts[kInfoTotalTime] = byteRate != 0 ? formatText("%f sec", double(lastSize) / byteRate)
                                        : QT_TRANSLATE_NOOP("Dialog", "不明 sec");
  return texts;
}

std::map<int, std::string> sourceFormatTexts(const SourceFormat& source) {
  std::string duration = source.lengthKnown ? formatText("%f sec", source.seconds())
                         : source.cut()     ? formatText("more than %f sec", source.shownSeconds())
                                            : std::string("unknown");
  if (source.cut()) duration += formatText(" (the first %f shown)", source.shownSeconds());
  return {
      {kInfoSourceContainer, source.container},
      {kInfoSourceEncoding, source.encoding},
      {kInfoSourceRate, formatText("%u Hz", source.rate)},
      {kInfoSourceChannels, formatText("%d", source.channels)},
      {kInfoSourceFrames, source.framesText("")},
      {kInfoSourceDuration, duration},
  };
}

}  // namespace korimu

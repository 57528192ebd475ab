#include "wave/decoded_copy.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/settings_file.h"
#include "platform/message.h"
#include "wave/decode_cache.h"
#include "wave/sndfile_library.h"
#include "wave/wave_source.h"

namespace korimu {

namespace fs = std::filesystem;

namespace {

struct Name {
  int code;
  const char* name;
};

// libsndfile's own names for its major formats and encodings, without the prefix.
constexpr Name kContainers[] = {
    {SF_FORMAT_WAV, "WAV"},   {SF_FORMAT_AIFF, "AIFF"},   {SF_FORMAT_AU, "AU"},
    {SF_FORMAT_PAF, "PAF"},   {SF_FORMAT_SVX, "SVX"},     {SF_FORMAT_NIST, "NIST"},
    {SF_FORMAT_VOC, "VOC"},   {SF_FORMAT_IRCAM, "IRCAM"}, {SF_FORMAT_W64, "W64"},
    {SF_FORMAT_MAT4, "MAT4"}, {SF_FORMAT_MAT5, "MAT5"},   {SF_FORMAT_PVF, "PVF"},
    {SF_FORMAT_XI, "XI"},     {SF_FORMAT_HTK, "HTK"},     {SF_FORMAT_SDS, "SDS"},
    {SF_FORMAT_AVR, "AVR"},   {SF_FORMAT_WAVEX, "WAVEX"}, {SF_FORMAT_SD2, "SD2"},
    {SF_FORMAT_FLAC, "FLAC"}, {SF_FORMAT_CAF, "CAF"},     {SF_FORMAT_WVE, "WVE"},
    {SF_FORMAT_OGG, "OGG"},   {SF_FORMAT_MPC2K, "MPC2K"}, {SF_FORMAT_RF64, "RF64"},
    {SF_FORMAT_MPEG, "MPEG"},
};

constexpr Name kEncodings[] = {
    {SF_FORMAT_PCM_S8, "PCM_S8"},
    {SF_FORMAT_PCM_16, "PCM_16"},
    {SF_FORMAT_PCM_24, "PCM_24"},
    {SF_FORMAT_PCM_32, "PCM_32"},
    {SF_FORMAT_PCM_U8, "PCM_U8"},
    {SF_FORMAT_FLOAT, "FLOAT"},
    {SF_FORMAT_DOUBLE, "DOUBLE"},
    {SF_FORMAT_ULAW, "ULAW"},
    {SF_FORMAT_ALAW, "ALAW"},
    {SF_FORMAT_IMA_ADPCM, "IMA_ADPCM"},
    {SF_FORMAT_MS_ADPCM, "MS_ADPCM"},
    {SF_FORMAT_GSM610, "GSM610"},
    {SF_FORMAT_VOX_ADPCM, "VOX_ADPCM"},
    {SF_FORMAT_NMS_ADPCM_16, "NMS_ADPCM_16"},
    {SF_FORMAT_NMS_ADPCM_24, "NMS_ADPCM_24"},
    {SF_FORMAT_NMS_ADPCM_32, "NMS_ADPCM_32"},
    {SF_FORMAT_G721_32, "G721_32"},
    {SF_FORMAT_G723_24, "G723_24"},
    {SF_FORMAT_G723_40, "G723_40"},
    {SF_FORMAT_DWVW_12, "DWVW_12"},
    {SF_FORMAT_DWVW_16, "DWVW_16"},
    {SF_FORMAT_DWVW_24, "DWVW_24"},
    {SF_FORMAT_DWVW_N, "DWVW_N"},
    {SF_FORMAT_DPCM_8, "DPCM_8"},
    {SF_FORMAT_DPCM_16, "DPCM_16"},
    {SF_FORMAT_VORBIS, "VORBIS"},
    {SF_FORMAT_OPUS, "OPUS"},
    {SF_FORMAT_ALAC_16, "ALAC_16"},
    {SF_FORMAT_ALAC_20, "ALAC_20"},
    {SF_FORMAT_ALAC_24, "ALAC_24"},
    {SF_FORMAT_ALAC_32, "ALAC_32"},
    {SF_FORMAT_MPEG_LAYER_I, "MPEG_LAYER_I"},
    {SF_FORMAT_MPEG_LAYER_II, "MPEG_LAYER_II"},
    {SF_FORMAT_MPEG_LAYER_III, "MPEG_LAYER_III"},
};

template <size_t N>
std::string nameOf(const Name (&table)[N], int code) {
  for (const Name& n : table)
    if (n.code == code) return n.name;
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", unsigned(code));
  return text;
}

struct SndfileCloser {
  const SndfileLibrary* library;
  void operator()(SNDFILE* file) const { library->close(file); }
};
using Sndfile = std::unique_ptr<SNDFILE, SndfileCloser>;

// The file opened for reading, or nothing (with `info` as libsndfile left it).
Sndfile openSndfile(const SndfileLibrary& library, const std::string& path, SF_INFO& info) {
  return Sndfile(library.open(path.c_str(), SFM_READ, &info), SndfileCloser{&library});
}

SourceFormat formatOf(const SF_INFO& info) {
  SourceFormat f;
  f.container = nameOf(kContainers, info.format & SF_FORMAT_TYPEMASK);
  f.encoding = nameOf(kEncodings, info.format & SF_FORMAT_SUBMASK);
  f.rate = uint32_t(info.samplerate);
  f.channels = info.channels;
  // libsndfile counts SF_COUNT_MAX frames in a stream that does not say (a FLAC written to a pipe).
  f.lengthKnown = info.frames >= 0 && info.frames != SF_COUNT_MAX;
  f.frames = f.lengthKnown ? uint64_t(info.frames) : 0;
  return f;
}

// The source opened for reading through a descriptor of the program's own, whose offset tells how
// far the decode has read it (a source of unknown length has no other measure); by its name when
// libsndfile cannot tell its kind without the name's extension.
class SourceReader {
 public:
  SourceReader(const SndfileLibrary& library, const std::string& path, SF_INFO& info)
      : file_(nullptr, SndfileCloser{&library}) {
    descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (descriptor_ >= 0 && ::fstat(descriptor_, &st) == 0 && S_ISREG(st.st_mode)) {
      bytes_ = uint64_t(st.st_size);
      file_.reset(library.openFd(descriptor_, SFM_READ, &info, SF_FALSE));
    }
    if (!file_) {
      info = SF_INFO{};
      file_ = openSndfile(library, path, info);
    }
  }
  ~SourceReader() {
    file_.reset();
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  SourceReader(const SourceReader&) = delete;
  SourceReader& operator=(const SourceReader&) = delete;

  SNDFILE* get() const { return file_.get(); }
  explicit operator bool() const { return bool(file_); }
  // How much of the file has been read (0..1); 0 when opened by name.
  double fractionRead() const {
    if (bytes_ == 0 || !file_) return 0.0;
    const off_t at = ::lseek(descriptor_, 0, SEEK_CUR);
    return at <= 0 ? 0.0 : std::min(1.0, double(at) / double(bytes_));
  }

 private:
  int descriptor_ = -1;
  uint64_t bytes_ = 0;
  Sndfile file_;
};

// The source as its copy shows it: the decoded count, or only the first part of it.
void showCopyContents(SourceFormat& f, const CopyContents& copy, const DecodeCache& cache) {
  if (!copy.sourceGoesOn) {
    f.frames = copy.frames;
    f.lengthKnown = true;
    return;
  }
  f.shownFrames = copy.frames;
  f.copyLimitBytes = copyBytesLimit(cache);
  // A count that does not reach past the copy was an estimate.
  if (f.lengthKnown && f.frames <= copy.frames) f.lengthKnown = false;
}

// Where each channel sits when the file names no positions: the WAV order (which FLAC shares),
// or Vorbis's for Ogg streams.
std::vector<int> defaultPositions(const SourceFormat& f) {
  static constexpr int kWaveOrder[] = {
      SF_CHANNEL_MAP_FRONT_LEFT,
      SF_CHANNEL_MAP_FRONT_RIGHT,
      SF_CHANNEL_MAP_FRONT_CENTER,
      SF_CHANNEL_MAP_LFE,
      SF_CHANNEL_MAP_REAR_LEFT,
      SF_CHANNEL_MAP_REAR_RIGHT,
      SF_CHANNEL_MAP_FRONT_LEFT_OF_CENTER,
      SF_CHANNEL_MAP_FRONT_RIGHT_OF_CENTER,
      SF_CHANNEL_MAP_REAR_CENTER,
      SF_CHANNEL_MAP_SIDE_LEFT,
      SF_CHANNEL_MAP_SIDE_RIGHT,
      SF_CHANNEL_MAP_TOP_CENTER,
      SF_CHANNEL_MAP_TOP_FRONT_LEFT,
      SF_CHANNEL_MAP_TOP_FRONT_CENTER,
      SF_CHANNEL_MAP_TOP_FRONT_RIGHT,
      SF_CHANNEL_MAP_TOP_REAR_LEFT,
      SF_CHANNEL_MAP_TOP_REAR_CENTER,
      SF_CHANNEL_MAP_TOP_REAR_RIGHT,
  };
  constexpr int L = SF_CHANNEL_MAP_FRONT_LEFT, R = SF_CHANNEL_MAP_FRONT_RIGHT,
                C = SF_CHANNEL_MAP_FRONT_CENTER, RL = SF_CHANNEL_MAP_REAR_LEFT,
                RR = SF_CHANNEL_MAP_REAR_RIGHT, SL = SF_CHANNEL_MAP_SIDE_LEFT,
                SR = SF_CHANNEL_MAP_SIDE_RIGHT, RC = SF_CHANNEL_MAP_REAR_CENTER,
                LFE = SF_CHANNEL_MAP_LFE;
  // Vorbis's orders for 3 to 8 channels, each padded to eight.
  constexpr int kVorbisOrder[6][8] = {
      {L, C, R},
      {L, R, RL, RR},
      {L, C, R, RL, RR},
      {L, C, R, RL, RR, LFE},
      {L, C, R, SL, SR, RC, LFE},
      {L, C, R, SL, SR, RL, RR, LFE},
  };
  const int n = f.channels;
  if (f.container == "OGG" && n >= 3 && n <= 8)
    return std::vector<int>(kVorbisOrder[n - 3], kVorbisOrder[n - 3] + n);
  std::vector<int> positions(size_t(n), SF_CHANNEL_MAP_INVALID);
  for (int i = 0; i < n && i < int(std::size(kWaveOrder)); ++i)
    positions[size_t(i)] = kWaveOrder[i];
  return positions;
}

// Rounds a sample of full scale ±1.0 to the nearest 16-bit value, clamping what lies beyond.
inline int16_t toPcm16(double x) {
  const double y = std::floor(x * 32768.0 + 0.5);
  if (!(y > -32768.0)) return std::isnan(y) ? 0 : -32768;
  if (y > 32767.0) return 32767;
  return int16_t(y);
}

// The copy being written: a temporary file in the cache folder, renamed into place when whole and
// removed otherwise. It stays locked while it is written, so that a trim in another process
// tells it from one left by a decode that was killed; once in place the same open file is the
// copy's hold.
class PartFile {
 public:
  explicit PartFile(const fs::path& folder) {
    std::string pattern = (folder / ".part-XXXXXX").string();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
      error_ = errno;
      return;
    }
    path_ = pattern;
    ::flock(fd, LOCK_EX | LOCK_NB);
    // Shares the open file (and its lock) with the stream, and outlives it.
    held_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    file_ = held_ >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!file_) {
      error_ = errno;
      ::close(fd);
    }
  }
  ~PartFile() {
    if (file_) std::fclose(file_);
    if (held_ >= 0) ::close(held_);
    std::error_code ec;
    if (!published_ && !path_.empty()) fs::remove(path_, ec);
  }
  PartFile(const PartFile&) = delete;
  PartFile& operator=(const PartFile&) = delete;

  bool ok() const { return file_ != nullptr; }
  bool write(const void* data, size_t bytes) {
    if (std::fwrite(data, 1, bytes, file_) == bytes) return true;
    error_ = errno;
    return false;
  }
  bool finish(uint32_t rate, int channels, uint32_t dataBytes, uint64_t checksum,
              bool sourceGoesOn) {
    uint8_t header[kCopyHeaderBytes], trailer[kCopyTrailerBytes];
    writeCopyHeader(header, rate, channels, dataBytes);
    writeCopyTrailer(trailer, checksum, sourceGoesOn);
    const bool written = write(trailer, sizeof trailer) && std::fseek(file_, 0, SEEK_SET) == 0 &&
                         write(header, sizeof header);
    // A full disk often shows only when the buffered rest is flushed.
    const bool closed = std::fclose(file_) == 0;
    if (!closed && error_ == 0) error_ = errno;
    file_ = nullptr;
    return written && closed;
  }
  bool publishAs(const fs::path& copy) {
    std::error_code ec;
    fs::rename(path_, copy, ec);
    if (ec) error_ = ec.value();
    published_ = !ec;
    return published_;
  }
  // The published copy, held from here on. Should a trim take it in the moment its lock turns
  // shared, the hold still reads it.
  std::shared_ptr<const CopyHold> hold() {
    if (!published_ || held_ < 0) return nullptr;
    ::flock(held_, LOCK_SH);
    auto copy = std::make_shared<const CopyHold>(held_);
    held_ = -1;
    return copy;
  }
  // The system's reason the copy could not be made.
  std::string failure() const { return std::strerror(error_ != 0 ? error_ : EIO); }

 private:
  fs::path path_;
  int held_ = -1;
  std::FILE* file_ = nullptr;
  bool published_ = false;
  int error_ = 0;
};

DecodeResult failed(DecodeResult result, std::string why) {
  result.status = DecodeStatus::kFailed;
  result.failure = std::move(why);
  return result;
}

DecodeResult unwritable(DecodeResult result, std::string why) {
  result.status = DecodeStatus::kUnwritable;
  result.failure = std::move(why);
  return result;
}

// Why a source that opens but holds nothing is refused.
constexpr char kNoSamples[] = "no samples decode: the file holds none";

// The decode buffer's bytes: what one read of the source may take, whatever its channel count.
constexpr size_t kDecodeBufferBytes = size_t(256) << 10;

// Decodes the open source into `part`, at most `maxFrames` of it; returns what the copy holds (and
// the checksum of its samples), or nothing when cancelled or the copy cannot be written.
std::optional<CopyContents> decodeInto(const SndfileLibrary& library, const SourceReader& source,
                                       const SourceFormat& f, uint64_t maxFrames, PartFile& part,
                                       DecodeProgress& progress, CopyChecksum& checksum,
                                       std::string& why) {
  SNDFILE* in = source.get();
  const int inChannels = f.channels;
  const int outChannels = f.decodedChannels();
  StereoMix mix;
  if (inChannels > 2) {
    std::vector<int> positions(size_t(inChannels), SF_CHANNEL_MAP_INVALID);
    if (library.command(in, SFC_GET_CHANNEL_MAP_INFO, positions.data(),
                        int(positions.size() * sizeof(int))) != SF_TRUE)
      positions = defaultPositions(f);
    mix = stereoMix(positions);
  }
  // Progress counts frames where the source says how many it holds, else the bytes read of it.
  const uint64_t expectedFrames = f.lengthKnown ? std::min(f.frames, maxFrames) : 0;
  const sf_count_t chunkFrames = std::max<sf_count_t>(
      1, sf_count_t(kDecodeBufferBytes / (sizeof(double) * size_t(inChannels))));
  std::vector<double> in64(size_t(chunkFrames * inChannels));
  std::vector<int16_t> out16(size_t(chunkFrames * outChannels));
  const uint8_t zeros[kCopyHeaderBytes] = {};
  if (!part.write(zeros, sizeof zeros)) {
    why = "cannot write the decoded copy";
    return std::nullopt;
  }
  uint64_t done = 0;
  while (done < maxFrames) {
    if (progress.cancelled()) return std::nullopt;
    const sf_count_t want = sf_count_t(std::min<uint64_t>(uint64_t(chunkFrames), maxFrames - done));
    const sf_count_t got = library.readfDouble(in, in64.data(), want);
    if (got <= 0) break;
    const size_t samples = size_t(got) * size_t(outChannels);
    if (inChannels <= 2) {
      for (size_t i = 0; i < samples; ++i) out16[i] = toPcm16(in64[i]);
    } else {
      for (sf_count_t frame = 0; frame < got; ++frame) {
        const double* s = &in64[size_t(frame * inChannels)];
        double left = 0, right = 0;
        for (int c = 0; c < inChannels; ++c) {
          left += mix.left[size_t(c)] * s[c];
          right += mix.right[size_t(c)] * s[c];
        }
        out16[size_t(frame) * 2] = toPcm16(left);
        out16[size_t(frame) * 2 + 1] = toPcm16(right);
      }
    }
    // The copy is little-endian, as is every machine this runs on.
    checksum.add(out16.data(), samples * 2);
    if (!part.write(out16.data(), samples * 2)) {
      why = "cannot write the decoded copy";
      return std::nullopt;
    }
    done += uint64_t(got);
    progress.advanced(expectedFrames > 0 ? std::min(1.0, double(done) / double(expectedFrames))
                                         : source.fractionRead());
  }
  // A copy that is full while the source goes on shows only the source's first part.
  const bool goesOn = done == maxFrames && library.readfDouble(in, in64.data(), 1) > 0;
  return CopyContents{done, goesOn};
}

}  // namespace

DecodeCache defaultDecodeCache() {
  DecodeCache cache;
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  fs::path base;
  if (xdg && xdg[0] == '/') {
    base = xdg;
  } else {
    const fs::path home = homeFolder();
    if (home.empty()) return cache;
    base = home / ".cache";
  }
  cache.folder = base / "korimu" / "decoded";
  return cache;
}

std::optional<SourceFormat> probeSource(const std::string& path) {
  const SndfileLibrary library;
  if (!library.loaded()) return std::nullopt;
  SF_INFO info{};
  const Sndfile file = openSndfile(library, path, info);
  if (!file || info.channels <= 0 || info.samplerate <= 0) return std::nullopt;
  SourceFormat f = formatOf(info);
  // A header may promise samples the file does not hold, or not say how many: one must decode.
  std::vector<double> frame(size_t(info.channels));
  if (library.readfDouble(file.get(), frame.data(), 1) <= 0) {
    f.frames = 0;
    f.lengthKnown = true;
  }
  return f;
}

std::string decoderProblem() {
  const SndfileLibrary library;
  return library.loaded() ? std::string() : library.problem();
}

uint64_t copyBytesLimit(const DecodeCache& cache) {
  return std::min(cache.copyLimitBytes, uint64_t{0xFFFFFFFF});
}

uint64_t copyFramesLimit(const DecodeCache& cache, int decodedChannels) {
  const uint64_t bytes = copyBytesLimit(cache);
  const uint64_t frameBytes = uint64_t(decodedChannels) * 2;
  return bytes > kCopyHeaderBytes + kCopyTrailerBytes
             ? (bytes - kCopyHeaderBytes - kCopyTrailerBytes) / frameBytes
             : 0;
}

SourceFormat plannedCopy(SourceFormat source, const DecodeCache& cache) {
  const uint64_t most = copyFramesLimit(cache, source.decodedChannels());
  if (source.lengthKnown && source.frames > most) {
    source.shownFrames = most;
    source.copyLimitBytes = copyBytesLimit(cache);
  }
  return source;
}

std::string unusableSourceReason(const SourceFormat& source) {
  if (source.lengthKnown && source.frames == 0) return kNoSamples;
  if (source.rate >= 1000 && source.rate <= kHighestSampleRate) return {};
  return formatText("a rate of %u Hz; KORIMU reads 1000 to %u Hz", source.rate, kHighestSampleRate);
}

StereoMix stereoMix(const std::vector<int>& positions) {
  constexpr double kSide = 0.7071067811865476;  // -3 dB
  StereoMix mix;
  for (int p : positions) {
    double l = 0, r = 0;
    switch (p) {
      case SF_CHANNEL_MAP_FRONT_LEFT:
      case SF_CHANNEL_MAP_LEFT:
      case SF_CHANNEL_MAP_FRONT_LEFT_OF_CENTER:
        l = 1;
        break;
      case SF_CHANNEL_MAP_FRONT_RIGHT:
      case SF_CHANNEL_MAP_RIGHT:
      case SF_CHANNEL_MAP_FRONT_RIGHT_OF_CENTER:
        r = 1;
        break;
      case SF_CHANNEL_MAP_MONO:
      case SF_CHANNEL_MAP_CENTER:
      case SF_CHANNEL_MAP_FRONT_CENTER:
        l = r = kSide;
        break;
      case SF_CHANNEL_MAP_REAR_LEFT:
      case SF_CHANNEL_MAP_SIDE_LEFT:
      case SF_CHANNEL_MAP_TOP_FRONT_LEFT:
      case SF_CHANNEL_MAP_TOP_REAR_LEFT:
        l = kSide;
        break;
      case SF_CHANNEL_MAP_REAR_RIGHT:
      case SF_CHANNEL_MAP_SIDE_RIGHT:
      case SF_CHANNEL_MAP_TOP_FRONT_RIGHT:
      case SF_CHANNEL_MAP_TOP_REAR_RIGHT:
        r = kSide;
        break;
      case SF_CHANNEL_MAP_LFE:
        break;  // the low-frequency effects channel is left out, as downmixes do
      default:  // centred behind or above, ambisonic or unknown: half into each side
        l = r = 0.5;
        break;
    }
    mix.left.push_back(l);
    mix.right.push_back(r);
  }
  // Scaled together so that no side can exceed full scale and the balance stays.
  double sumLeft = 0, sumRight = 0;
  for (size_t i = 0; i < positions.size(); ++i) {
    sumLeft += mix.left[i];
    sumRight += mix.right[i];
  }
  const double scale = std::max({1.0, sumLeft, sumRight});
  for (size_t i = 0; i < positions.size(); ++i) {
    mix.left[i] /= scale;
    mix.right[i] /= scale;
  }
  return mix;
}

DecodeResult decodedCopy(const std::string& sourcePath, const DecodeCache& cache,
                         DecodeProgress& progress) {
  DecodeResult result;
  const SndfileLibrary library;
  if (!library.loaded()) {
    result.status = DecodeStatus::kNoDecoder;
    result.failure = library.problem();
    return result;
  }
  SF_INFO info{};
  const SourceReader in(library, sourcePath, info);
  if (!in || info.channels <= 0 || info.samplerate <= 0)
    return failed(result, in ? "no channels or no rate" : library.strerror(nullptr));
  result.source = formatOf(info);
  const SourceFormat& f = result.source;
  const uint64_t maxFrames = copyFramesLimit(cache, f.decodedChannels());
  if (std::string reason = unusableSourceReason(f); !reason.empty()) {
    result.status = DecodeStatus::kUnusable;
    result.failure = std::move(reason);
    return result;
  }

  const std::string name = cacheNameFor(sourcePath);
  if (name.empty()) return failed(result, "cannot look at the source");
  result.copy = cache.folder / name;
  if (std::string refusal = prepareCacheFolder(cache.folder); !refusal.empty()) {
    result.status = DecodeStatus::kUnwritable;
    result.failure = std::move(refusal);
    return result;
  }
  if (maxFrames == 0)
    return unwritable(result, formatText("the cache's limit of %llu bytes holds no copy",
                                         static_cast<unsigned long long>(copyBytesLimit(cache))));
  std::shared_ptr<CopyHold> hold = holdCopy(result.copy);
  if (const std::optional<CopyContents> contents =
          hold ? wholeCopyContents(hold->descriptor(), f.rate, f.decodedChannels())
               : std::nullopt) {
    showCopyContents(result.source, *contents, cache);
    // Used now: the copy is the newest, the last to go when the cache is trimmed.
    touchCopy(*hold);
    result.hold = std::move(hold);
    result.status = DecodeStatus::kCached;
    return result;
  }
  // Only root could have put another user's file here; it is not ours to replace.
  if (struct stat there{}; ::lstat(result.copy.c_str(), &there) == 0 && there.st_uid != ::geteuid())
    return unwritable(result, formatText("'%s' belongs to another user", result.copy.c_str()));

  PartFile part(cache.folder);
  if (!part.ok()) return unwritable(result, part.failure());
  std::string why;
  CopyChecksum checksum;
  const std::optional<CopyContents> contents =
      decodeInto(library, in, f, maxFrames, part, progress, checksum, why);
  if (!contents) {
    if (why.empty()) {
      result.status = DecodeStatus::kCancelled;
      return result;
    }
    return unwritable(result, part.failure());
  }
  if (contents->frames == 0) {
    result.status = DecodeStatus::kUnusable;
    result.failure = kNoSamples;
    return result;
  }
  const auto dataBytes = uint32_t(contents->frames * uint64_t(f.decodedChannels()) * 2);
  if (!part.finish(f.rate, f.decodedChannels(), dataBytes, checksum.value(),
                   contents->sourceGoesOn) ||
      !part.publishAs(result.copy))
    return unwritable(result, part.failure());
  showCopyContents(result.source, *contents, cache);
  result.hold = part.hold();
  trimCache(cache.folder, cache.limitBytes, result.copy);
  result.status = DecodeStatus::kDecoded;
  return result;
}

}  // namespace korimu

// Files the WAV reader refuses for their format, made readable: libsndfile decodes them once into a
// 16-bit PCM WAV in a cache folder, and the unchanged reader opens that copy. Mono stays mono,
// stereo stays stereo, more channels are mixed to stereo (stereoMix). Samples are rounded to the
// nearest 16-bit value without dither, so a copy is the same on every run.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/source_format.h"

namespace korimu {

// Follows a long decode: how much is done (0..1), and whether the user wants it stopped.
class DecodeProgress {
 public:
  virtual ~DecodeProgress() = default;
  virtual void advanced(double /*fraction*/) {}
  virtual bool cancelled() { return false; }
};

// Where decoded copies are kept, and how many bytes they may take together (a trim keeps the copy
// just made or used whatever its size). One copy takes at most `copyLimitBytes`, as much as the
// whole cache may, and never more than the reader's 32-bit sizes allow: a longer source is
// decoded only as far as its copy may go, and what is shown says so.
struct DecodeCache {
  std::filesystem::path folder;
  uint64_t limitBytes = uint64_t(2) << 30;
  uint64_t copyLimitBytes = uint64_t(2) << 30;
};

// The bytes one copy may take, and the frames of `decodedChannels` it may hold.
uint64_t copyBytesLimit(const DecodeCache& cache);
uint64_t copyFramesLimit(const DecodeCache& cache, int decodedChannels);
// The source as its copy will show it: only its first part when it is longer than a copy may be.
SourceFormat plannedCopy(SourceFormat source, const DecodeCache& cache);
// $XDG_CACHE_HOME/korimu/decoded, or ~/.cache/korimu/decoded when that variable is not set or not
// an absolute path (a relative one would follow the current folder). Empty without a home folder.
DecodeCache defaultDecodeCache();

// Why libsndfile cannot be loaded (missing, not a library, lacking an entry point); "" when it can.
std::string decoderProblem();

// What libsndfile reports of the file; nothing when it cannot open it.
std::optional<SourceFormat> probeSource(const std::string& path);

// Why the copy of a source of this format could not be analysed (a rate outside what the reader
// takes, no frames at all), so that it is not decoded at all; "" when it could.
std::string unusableSourceReason(const SourceFormat& source);

// The weight of each source channel in the left and the right of a stereo mix. `positions` are
// libsndfile's channel-map values (SF_CHANNEL_MAP_...), one per channel.
struct StereoMix {
  std::vector<double> left, right;
};
StereoMix stereoMix(const std::vector<int>& positions);

// kUnwritable: the source decodes, but its copy cannot be written (the cache folder is missing,
// not writable, full, or not the user's alone). kUnusable: libsndfile reads the source, but
// nothing could read its copy (a rate the reader does not take, no samples). kNoDecoder:
// libsndfile cannot be loaded, so nothing is known of the source. kFailed: libsndfile does not
// read it either.
enum class DecodeStatus {
  kDecoded,
  kCached,
  kCancelled,
  kFailed,
  kUnwritable,
  kUnusable,
  kNoDecoder
};

class CopyHold;

struct DecodeResult {
  DecodeStatus status = DecodeStatus::kFailed;
  std::filesystem::path copy;  // the 16-bit WAV's name in the cache (kDecoded, kCached)
  // The copy as it was verified, held open and locked (kDecoded, kCached): read it through this,
  // and keep it while the copy is in use so that no trim removes it.
  std::shared_ptr<const CopyHold> hold;
  SourceFormat source;  // what the source holds (all but an unopenable source)
  std::string failure;  // why there is no copy (kFailed, kUnusable; the system's reason or the
                        // folder's fault: kUnwritable)
};

// The decoded copy of `sourcePath`: the cached one when it is whole and made from the file as it
// is now (same path, size, times and file number), else a fresh decode.
DecodeResult decodedCopy(const std::string& sourcePath, const DecodeCache& cache,
                         DecodeProgress& progress);

}  // namespace korimu

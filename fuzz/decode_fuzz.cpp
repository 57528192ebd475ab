// The open of a file of any kind as `korimu --render` opens it: the reader first, then, for a file
// it refuses, libsndfile's decode into a cache folder of this process's own, and a short run on
// what opened. A copy that was made must be whole, must open, must be found again unchanged, and
// must be the only file the decode leaves.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "core/layout.h"
#include "core/settings.h"
#include "display/chart.h"
#include "display/client_area.h"
#include "display/display_state.h"
#include "display/overview.h"
#include "fuzz_support.h"
#include "run/run_driver.h"
#include "run/run_listener.h"
#include "run/session.h"
#include "wave/decode_cache.h"
#include "wave/source_opening.h"

using namespace korimu;

namespace {

namespace fs = std::filesystem;

// Stops a decode after a few MB of copy: a small input may hold hours of constant samples.
struct DecodeBudget : DecodeProgress {
  bool cancelled() override { return ++reads > 64; }
  int reads = 0;
};

struct StopAfter : RunListener {
  explicit StopAfter(int budget) : budget(budget) {}
  bool cancelled() override { return ++asked >= budget; }
  int budget;
  int asked = 0;
};

const DecodeCache& privateCache() {
  static const DecodeCache cache = [] {
    const fs::path input = fuzz::writeInput(nullptr, 0);
    return DecodeCache{input.parent_path() / "cache" / "korimu" / "decoded", uint64_t(64) << 20};
  }();
  return cache;
}

std::vector<fs::path> filesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) files.push_back(e.path());
  return files;
}

void checkCopy(const DecodeResult& decoded, const WaveOpenResult& opened) {
  const SourceFormat& f = decoded.source;
  fuzz::check(decoded.hold && isWholeCopy(decoded.hold->descriptor(), f.rate, f.decodedChannels()),
              "the copy is whole");
  fuzz::check(opened.opened, "a decoded copy opens");
  const std::vector<fs::path> left = filesIn(privateCache().folder);
  fuzz::check(left.size() == 1 && left[0] == decoded.copy, "the copy is the only file left");
  struct stat st {};
  fuzz::check(::stat(privateCache().folder.c_str(), &st) == 0 && (st.st_mode & 077) == 0,
              "the folder is private");
}

// The bytes of the samples of a held copy.
std::vector<uint8_t> copyData(const DecodeResult& decoded) {
  std::vector<uint8_t> bytes;
  struct stat st {};
  if (!decoded.hold || ::fstat(decoded.hold->descriptor(), &st) != 0) return bytes;
  const auto size = uint64_t(st.st_size);
  if (size < kCopyHeaderBytes + kCopyTrailerBytes) return bytes;
  bytes.resize(size - kCopyHeaderBytes - kCopyTrailerBytes);
  const ssize_t got =
      ::pread(decoded.hold->descriptor(), bytes.data(), bytes.size(), off_t(kCopyHeaderBytes));
  bytes.resize(got > 0 ? size_t(got) : 0);
  return bytes;
}

// The same source into a cache whose copies hold at most a few hundred frames: the copy is the
// whole copy's first part, and what the source says of its length tells how much is shown.
void checkFirstPart(const std::string& path, const DecodeResult& whole) {
  DecodeCache small = privateCache();
  small.folder = small.folder.parent_path() / "small";
  small.copyLimitBytes = kCopyHeaderBytes + kCopyTrailerBytes + 1000;
  DecodeBudget budget;
  const DecodeResult part = decodedCopy(path, small, budget);
  fuzz::check(part.status == DecodeStatus::kDecoded, "a copy with a small limit is made");
  const std::vector<uint8_t> all = copyData(whole), first = copyData(part);
  const uint64_t frameBytes = uint64_t(whole.source.decodedChannels()) * 2;
  const uint64_t most = copyFramesLimit(small, whole.source.decodedChannels());
  const uint64_t frames = all.size() / frameBytes;
  fuzz::check(first.size() == std::min(frames, most) * frameBytes &&
                  std::equal(first.begin(), first.end(), all.begin()),
              "a copy with a small limit holds the first frames of the whole");
  fuzz::check(part.source.cut() == (frames > most) &&
                  (!part.source.cut() || part.source.shownFrames == most),
              "the source says how much of it a copy with a small limit shows");
  std::error_code ec;
  fs::remove(part.copy, ec);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const DecodeCache& cache = privateCache();
  Session session;
  session.wave.messages = fuzz::quietMessages();
  AppSettings& settings = session.settings;
  // The view and method follow from the length, so that every byte is the file's.
  settings.method = AnalysisMethod(size % 5);
  settings.display = ViewMode(kWaveZoom + int(size / 5 % 5));
  if (settings.method == kWt) settings.display = kTimeFrequencyChart;
  settings.framesPerColumn = 8;

  Document& document = session.document;
  document.fileName = fuzz::writeInput(data, size);
  document.fileSelected = true;
  DecodeResult decoded;
  const SourceDecoder decoder = [&](const std::string& path) {
    DecodeBudget budget;
    decoded = decodedCopy(path, cache, budget);
    return decoded;
  };
  WaveSession& wave = session.wave;
  const SourceOpenResult source =
      openSource(wave, WaveOpenRequest{document.fileName, 0, false}, settings, decoder);
  rememberSource(document, source);
  const bool made = decoded.status == DecodeStatus::kDecoded;
  if (made) {
    checkCopy(decoded, source.wave);
    checkFirstPart(document.fileName, decoded);
  }
  if (decoded.status == DecodeStatus::kUnusable || decoded.status == DecodeStatus::kFailed ||
      decoded.status == DecodeStatus::kCancelled)
    fuzz::check(filesIn(cache.folder).empty(), "a decode that made no copy leaves nothing");

  if (source.wave.opened) {
    followFileRate(session.display, source.wave, wave.source);
    DisplayState& display = session.display;
    display.surfaces.window = Canvas(kLayout.layoutWidth, kLayout.clientHeight, 24);
    Canvas& window = display.surfaces.window;
    window.clear(kButtonFace);
    prepareAnalysis(display, settings.musicalKey);
    Canvas strip(kPlotWidth, kLayout.overviewHeight, 24);
    drawOverviewOfOpenFile(strip, wave.source, 0, settings.framesPerColumn, settings.amplitudeZoom,
                           wave.messages);
    composeClientArea(display, settings, window, wave.source, document, &strip);
    StopAfter listener(settings.method == kWt ? 3 : 6);
    runAnalysis(session, listener);
    fuzz::check(!session.busy, "the run ends idle");
  }
  closeWave(wave, true);
  releaseFormatCopy(wave.source);

  if (made) {
    // The same file again is found in the cache, byte for byte what was written.
    const DecodeResult again = decoder(document.fileName);
    fuzz::check(again.status == DecodeStatus::kCached && again.copy == decoded.copy,
                "a second open finds the copy");
    std::error_code ec;
    fs::remove(decoded.copy, ec);
  }
  return 0;
}

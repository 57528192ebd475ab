// `korimu --check FILE`: the reader's verdict on one file, as one line; for a file the reader
// refuses but libsndfile decodes, a second line names what the decoded copy would be. A source
// whose copy could not be analysed gets the message an open gives, without being decoded.
#include <cstdio>
#include <optional>
#include <string>

#include "cli/command_line.h"
#include "core/settings.h"
#include "wave/decoded_copy.h"
#include "wave/source_opening.h"
#include "wave/wave_session.h"

namespace korimu {

int runCheck(const std::string& fileName, const DecodeCache& cache) {
  // The start-up defaults, not the user's: the verdict must not depend on the settings file.
  const AppSettings settings;
  // As at an analysis start: the device is not asked.
  WaveSession wave;
  const WaveOpenResult opened = openWave(wave, WaveOpenRequest{fileName, 0, false}, settings);
  closeWave(wave, false);
  releaseFormatCopy(wave.source);
  if (!opened.opened) {
    DecodeResult unusable;
    std::optional<SourceFormat> source;
    if (opened.formatRefused) {
      unusable.failure = decoderProblem();
      if (!unusable.failure.empty()) {
        unusable.status = DecodeStatus::kNoDecoder;
      } else if ((source = probeSource(fileName))) {
        unusable.failure = unusableSourceReason(*source);
        if (!unusable.failure.empty()) unusable.status = DecodeStatus::kUnusable;
      }
    }
    if (!source || !unusable.failure.empty()) {
      // Told as --render tells it, before anything is decoded.
      WaveOpenResult refused = opened;
      if (!unusable.failure.empty()) {
        refused.failure = decodeFailureMessage(fileName, unusable);
        refused.reason = decodeFailureReason(unusable);
      }
      std::fprintf(stderr, "%s\n", openFailureMessage(refused, FailureLine::kCommandLine).c_str());
      return 1;
    }
    // The file does open, through its decoded copy: the reader's refusal is only a remark, and
    // so is a copy that can hold only the file's first part.
    const SourceFormat copied = plannedCopy(*source, cache);
    std::fprintf(stderr, "%s\n", opened.failure.c_str());
    if (copied.cut())
      std::fprintf(stderr, "%s\n",
                   decodedInPartNotice(fileName, copied, FailureLine::kCommandLine).c_str());
    std::fflush(stderr);
    std::printf("DECODES %s -> 16bit %s\n", copied.description().c_str(),
                copied.decodedChannels() == 1 ? "MONO" : "STEREO");
    std::fflush(stdout);
    return 0;
  }
  const WaveSource& w = wave.source;
  const std::string cutShort = cutShortNotice(opened, w, FailureLine::kCommandLine);
  if (!cutShort.empty()) {
    std::fprintf(stderr, "%s\n", cutShort.c_str());
    std::fflush(stderr);
  }
  std::printf(
      "OK %dkHz %dbit %s dataSize=%u blockAlign=%u bytesPerSecond=%u readMode=%d "
      "bufferBytes=%u\n",
      w.srKHz, w.bitsPerSample, (w.sampleKind & 2) ? "STEREO" : "MONO", w.dataSize, w.blockAlign,
      w.bytesPerSecond, w.readMode, wave.bufferBytes);
  std::fflush(stdout);
  return 0;
}

}  // namespace korimu

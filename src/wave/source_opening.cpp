#include "wave/source_opening.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <utility>

#include "platform/message.h"
#include "platform/tick_clock.h"
#include "wave/decode_cache.h"
#include "wave/wave_session.h"

namespace korimu {

SourceOpenResult openSource(WaveSession& wave, const WaveOpenRequest& request,
                            const AppSettings& settings, const SourceDecoder& decode) {
  SourceOpenResult result;
  result.wave = openWave(wave, request, settings);
  if (result.wave.opened || !result.wave.formatRefused) return result;
  return openDecodedSource(wave, request, settings, result.wave, decode(request.fileName));
}

SourceOpenResult openDecodedSource(WaveSession& wave, const WaveOpenRequest& request,
                                   const AppSettings& settings, const WaveOpenResult& refused,
                                   const DecodeResult& decoded) {
  SourceOpenResult result;
  result.wave = refused;
  switch (decoded.status) {
    case DecodeStatus::kFailed:
      return result;  // the reader's message stands
    case DecodeStatus::kCancelled:
      result.cancelled = true;
      return result;
    case DecodeStatus::kUnwritable:
    case DecodeStatus::kUnusable:
    case DecodeStatus::kNoDecoder:
      result.wave.failure = decodeFailureMessage(request.fileName, decoded, wave.messages.texts);
      result.wave.reason = decodeFailureReason(decoded);
      return result;
    case DecodeStatus::kDecoded:
    case DecodeStatus::kCached:
      break;
  }
  WaveOpenRequest copy = request;
  // Read through the descriptor that was verified, never again by the copy's name.
  copy.fileName = decoded.hold ? decoded.hold->readPath() : decoded.copy.string();
  result.wave = openWave(wave, copy, settings);
  result.decodedFrom = decoded.source;
  result.decodedCopy = copy.fileName;
  result.copyHold = decoded.hold;
  return result;
}

std::string decodeFailureMessage(const std::string& fileName, const DecodeResult& decoded,
                                 const TextCatalogue& texts) {
  switch (decoded.status) {
    case DecodeStatus::kUnwritable:
      // The file is fine; the reader's refusal would blame it for the cache's fault.
      return formatText(
          texts.translate("Message", "%s を変換できません。変換したコピーを %s に書けません。(%s)")
              .c_str(),
          fileName.c_str(), decoded.copy.parent_path().string().c_str(), decoded.failure.c_str());
    case DecodeStatus::kUnusable:
      return formatText(texts.translate("Message", "%s を変換できません。(%s)").c_str(),
                        fileName.c_str(), decoded.failure.c_str());
    case DecodeStatus::kNoDecoder:
      return formatText(
          texts.translate("Message", "%s を変換できません。libsndfile を読み込めません。(%s)")
              .c_str(),
          fileName.c_str(), decoded.failure.c_str());
    default:
      return {};
  }
}

std::string decodeFailureReason(const DecodeResult& decoded) {
  switch (decoded.status) {
    case DecodeStatus::kUnwritable:
      return formatText("cannot write its decoded copy into '%s': %s",
                        decoded.copy.parent_path().string().c_str(), decoded.failure.c_str());
    case DecodeStatus::kUnusable:
      return decoded.failure;
    case DecodeStatus::kNoDecoder:
      // The reader's refusal alone would blame the file; every kind but plain WAV needs the
      // library.
      return "not a WAVE file the reader takes, and libsndfile, which decodes the other kinds, "
             "cannot be loaded: " +
             decoded.failure;
    default:
      return {};
  }
}

std::string decodedInPartNotice(const std::string& fileName, const SourceFormat& source,
                                FailureLine line, const TextCatalogue& texts) {
  if (!source.cut()) return {};
  const auto shown = static_cast<unsigned long long>(source.shownFrames);
  const auto total = static_cast<unsigned long long>(source.frames);
  const auto limit = static_cast<unsigned long long>(source.copyLimitBytes);
  const char* name = fileName.c_str();
  if (line == FailureLine::kCommandLine) {
    const std::string shownPart =
        source.lengthKnown
            ? formatText("the first %llu of %llu frames (%.2f of %.2f s)", shown, total,
                         source.shownSeconds(), source.seconds())
            : formatText("the first %llu frames (%.2f s) of more", shown, source.shownSeconds());
    return formatText(
        "korimu: '%s' is longer than a decoded copy may be (%llu bytes): %s are shown", name, limit,
        shownPart.c_str());
  }
  const std::string shownPart =
      source.lengthKnown
          ? formatText(texts.translate("Message", "%llu / %llu フレーム, %.2f / %.2f秒").c_str(),
                       shown, total, source.shownSeconds(), source.seconds())
          : formatText(texts.translate("Message", "先頭 %llu フレーム, %.2f秒").c_str(), shown,
                       source.shownSeconds());
  return formatText(texts
                        .translate("Message",
                                   "ファイルが長すぎるため、先頭の部分だけを変換しました。"
                                   "変換したコピーは %llu バイトまでです。\n%s (%s)")
                        .c_str(),
                    limit, name, shownPart.c_str());
}

void rememberSource(Document& document, const SourceOpenResult& opened) {
  document.decodedFrom = opened.decodedFrom;
  document.decodedCopy = opened.decodedCopy;
  document.decodedCopyHold = opened.copyHold;
}

namespace {

class StderrDecodeProgress : public DecodeProgress {
 public:
  explicit StderrDecodeProgress(std::string name);
  ~StderrDecodeProgress() override;
  void advanced(double fraction) override;

 private:
  std::string name_;
  unsigned long startMs_;
  int shownPercent_ = -1;
};

StderrDecodeProgress::StderrDecodeProgress(std::string name)
    : name_(std::move(name)), startMs_(tickCountMs()) {}

StderrDecodeProgress::~StderrDecodeProgress() {
  if (shownPercent_ >= 0 && ::isatty(STDERR_FILENO)) std::fprintf(stderr, "\n");
}

void StderrDecodeProgress::advanced(double fraction) {
  if (tickCountMs() - startMs_ < kDecodeQuietMs) return;
  const int percent = int(fraction * 100.0);
  // A terminal shows one line that counts up; a log gets a line every tenth.
  const bool terminal = ::isatty(STDERR_FILENO) != 0;
  if (terminal ? percent == shownPercent_ : percent / 10 == shownPercent_ / 10) return;
  shownPercent_ = percent;
  std::fprintf(stderr, terminal ? "\rdecoding %s: %d%%" : "decoding %s: %d%%\n", name_.c_str(),
               percent);
  std::fflush(stderr);
}

}  // namespace

DecodeResult decodeTellingStderr(const std::string& source, const DecodeCache& cache) {
  StderrDecodeProgress progress(std::filesystem::path(source).filename().string());
  return decodedCopy(source, cache, progress);
}

}  // namespace korimu

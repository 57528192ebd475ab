// How long a decoded source is, told alike by the decode, --check, the CSV's header and the Info
// dialog's texts: a copy that may hold only the first part of its source (limits injected small),
// and a source that does not say how long it is (a FLAC written to a pipe).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/render.h"
#include "cli/render_test_support.h"
#include "dialogs/wave_info.h"
#include "export/csv_export.h"
#include "wave/decode_cache.h"
#include "wave/decoded_copy.h"
#include "wave/sndfile_writer.h"

namespace korimu {
namespace {

namespace fs = std::filesystem;
using testing::RenderScope;

constexpr uint32_t kRate = 8000;
constexpr uint64_t kCopyOverhead = kCopyHeaderBytes + kCopyTrailerBytes;
constexpr uint64_t kNoLimit = 0;  // the default limit stands

// Records the fractions a decode reports.
struct Fractions : DecodeProgress {
  std::vector<double> seen;
  void advanced(double fraction) override { seen.push_back(fraction); }
};

// Everything that tells how long the source is, from one cache.
struct Told {
  DecodeResult decoded;
  DecodeResult again;  // the second open, from the cache
  std::vector<double> progress;
  int checkExit = -1;
  std::string checkOut, checkErr;
  int renderExit = -1;
  std::string renderErr;
  std::map<std::string, std::string> csv;  // the CSV's header fields
  std::map<int, std::string> infoBefore;   // the Info texts of what --check sees
  std::map<int, std::string> infoAfter;    // and of what the decode found
};

Told tell(const RenderScope& scope, const std::string& path, const DecodeCache& cache) {
  Told t;
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  t.checkExit = runCheck(path, cache);
  t.checkOut = ::testing::internal::GetCapturedStdout();
  t.checkErr = ::testing::internal::GetCapturedStderr();
  if (const std::optional<SourceFormat> probed = probeSource(path))
    t.infoBefore = sourceFormatTexts(*probed);

  Fractions fractions;
  t.decoded = decodedCopy(path, cache, fractions);
  t.progress = fractions.seen;
  Fractions quiet;
  t.again = decodedCopy(path, cache, quiet);
  t.infoAfter = sourceFormatTexts(t.decoded.source);

  const std::string csv = scope.out("numbers.csv");
  RenderSetup setup;
  EXPECT_TRUE(prepareRender({{"view", "spectrum-linear"}, {"span", "whole"}, {"csv", csv}}, setup));
  setup.decodeCache = cache;
  Messages messages;
  messages.sink = [&t](std::string_view text, MessageKind) {
    t.renderErr += std::string(text) + '\n';
  };
  t.renderExit = renderFile(setup, path, "", csv, nullptr, messages);
  if (fs::exists(csv)) {
    const std::vector<uint8_t> bytes = testing::readFile(csv);
    for (auto& [key, value] : csvHeaderFields(std::string(bytes.begin(), bytes.end())))
      t.csv[key] = value;
  }
  return t;
}

std::vector<int16_t> copySamples(const DecodeResult& r) {
  const std::vector<uint8_t> bytes = testing::readFile(r.copy);
  std::vector<int16_t> samples;
  for (size_t i = kCopyHeaderBytes; i + 1 < bytes.size() - kCopyTrailerBytes; i += 2)
    samples.push_back(int16_t(bytes[i] | bytes[i + 1] << 8));
  return samples;
}

struct LimitRow {
  const char* name;
  int channels;
  bool throughPipe;
  uint64_t copyLimit;  // bytes, or kNoLimit
  uint64_t shown;      // the frames the copy holds of the 16000; 0: none (refused)
  const char* frames;  // what every output says of the source's length, once decoded
};

void PrintTo(const LimitRow& row, std::ostream* out) {
  *out << row.name;
}

class CopyLimits : public ::testing::TestWithParam<LimitRow> {};

// A source longer than a copy may be is decoded as far as the copy goes: the copy holds exactly
// the source's first frames; the decode, its cached open, --check, the CSV and the Info texts
// name the same counts; --check and the render say why on stderr; the whole span is the copy.
TEST_P(CopyLimits, TheCopyHoldsTheFirstPartAndEveryOutputSaysHowMuch) {
  const LimitRow& row = GetParam();
  RenderScope scope;
  const std::string path = scope.out("long.flac");
  const std::vector<int16_t> samples = testing::multiTone16(kRate, row.channels, 2.0);
  const int format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  ASSERT_TRUE(row.throughPipe
                  ? testing::writeSndfileThroughPipe(path, format, kRate, row.channels, samples)
                  : testing::writeSndfile(path, format, kRate, row.channels, samples));
  DecodeCache cache = defaultDecodeCache();
  // The user's copies are never larger than the whole cache may be.
  EXPECT_LE(copyBytesLimit(cache), cache.limitBytes);
  if (row.copyLimit != kNoLimit) cache.copyLimitBytes = row.copyLimit;
  const Told t = tell(scope, path, cache);
  const bool cut = row.shown != 0 && row.shown < 16000;

  if (row.shown == 0) {
    EXPECT_EQ(t.decoded.status, DecodeStatus::kUnwritable);
    EXPECT_NE(t.decoded.failure.find("limit"), std::string::npos) << t.decoded.failure;
    EXPECT_EQ(t.renderExit, 1);
    EXPECT_NE(t.renderErr.find("limit"), std::string::npos) << t.renderErr;
    return;
  }
  ASSERT_EQ(t.decoded.status, DecodeStatus::kDecoded) << t.decoded.failure;
  const std::string described =
      "FLAC PCM_16 8000Hz " + std::to_string(row.channels) + "ch " + row.frames;
  EXPECT_EQ(t.decoded.source.description(), described);
  EXPECT_EQ(t.decoded.source.shownFrames, cut ? row.shown : 0);
  const std::vector<int16_t> held = copySamples(t.decoded);
  ASSERT_EQ(held.size(), row.shown * size_t(row.channels));
  EXPECT_TRUE(std::equal(held.begin(), held.end(), samples.begin()));

  ASSERT_EQ(t.again.status, DecodeStatus::kCached);
  EXPECT_EQ(t.again.source.description(), described);

  EXPECT_EQ(t.checkExit, 0);
  // --check decodes nothing: a pipe's FLAC is not counted yet.
  const std::string checked = row.throughPipe ? "unknown frames" : row.frames;
  EXPECT_NE(t.checkOut.find(checked + " -> 16bit"), std::string::npos) << t.checkOut;
  const bool checkSaysCut = cut && !row.throughPipe;
  EXPECT_EQ(t.checkErr.find("is longer than a decoded copy may be") != std::string::npos,
            checkSaysCut)
      << t.checkErr;

  ASSERT_EQ(t.renderExit, 0) << t.renderErr;
  EXPECT_EQ(t.csv.at("format").rfind(described + " decoded;", 0), 0u) << t.csv.at("format");
  EXPECT_EQ(t.csv.at("span"), std::to_string(row.shown));
  EXPECT_EQ(t.renderErr.find("is longer than a decoded copy may be") != std::string::npos, cut)
      << t.renderErr;
  if (cut) {
    EXPECT_NE(t.renderErr.find(std::to_string(copyBytesLimit(cache)) + " bytes"), std::string::npos)
        << t.renderErr;
  }
  // The Info dialog's row says the same without the unit.
  std::string infoFrames = row.frames;
  infoFrames.erase(infoFrames.find(" frames"), 7);
  EXPECT_EQ(t.infoAfter.at(kInfoSourceFrames), infoFrames);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, CopyLimits,
    ::testing::Values(
        LimitRow{"wholeAtTheDefaults", 1, false, kNoLimit, 16000, "16000 frames"},
        LimitRow{"exactlyTheLimit", 1, false, kCopyOverhead + 32000, 16000, "16000 frames"},
        LimitRow{"oneFrameOverTheLimit", 1, false, kCopyOverhead + 31999, 15999,
                 "16000 frames (the first 15999 shown)"},
        LimitRow{"overTheLimit", 1, false, kCopyOverhead + 20000, 10000,
                 "16000 frames (the first 10000 shown)"},
        LimitRow{"stereoOverTheLimit", 2, false, kCopyOverhead + 40003, 10000,
                 "16000 frames (the first 10000 shown)"},
        LimitRow{"pipeExactlyTheLimit", 1, true, kCopyOverhead + 32000, 16000, "16000 frames"},
        LimitRow{"pipeOverTheLimit", 1, true, kCopyOverhead + 20000, 10000,
                 "more than 10000 frames (the first 10000 shown)"},
        LimitRow{"noRoomForAFrame", 1, false, kCopyOverhead + 1, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct UnknownRow {
  const char* name;
  int channels;
  bool throughPipe;
};

void PrintTo(const UnknownRow& row, std::ostream* out) {
  *out << row.name;
}

class UnknownLengths : public ::testing::TestWithParam<UnknownRow> {};

// A FLAC written to a pipe does not say how long it is: --check and the Info texts of what it
// sees say "unknown"; its decode's progress counts the bytes read, rising to the end; once
// decoded, the decode, the CSV and the Info texts give the decoded count, as for the same samples
// written to a file.
TEST_P(UnknownLengths, AreUnknownUntilDecodedThenTheDecodedCount) {
  const UnknownRow& row = GetParam();
  RenderScope scope;
  const std::string path = scope.out("stream.flac");
  constexpr double kSeconds = 30.0;
  const std::vector<int16_t> samples = testing::multiTone16(kRate, row.channels, kSeconds);
  const int format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  ASSERT_TRUE(row.throughPipe
                  ? testing::writeSndfileThroughPipe(path, format, kRate, row.channels, samples)
                  : testing::writeSndfile(path, format, kRate, row.channels, samples));
  const Told t = tell(scope, path, defaultDecodeCache());
  const std::string count = "240000";
  const std::string before = row.throughPipe ? "unknown" : count;

  EXPECT_EQ(t.checkExit, 0);
  EXPECT_NE(t.checkOut.find(" " + before + " frames -> 16bit"), std::string::npos) << t.checkOut;
  EXPECT_EQ(t.infoBefore.at(kInfoSourceFrames), before);
  EXPECT_EQ(t.infoBefore.at(kInfoSourceDuration), row.throughPipe ? "unknown" : "30.000000 sec");

  ASSERT_EQ(t.decoded.status, DecodeStatus::kDecoded) << t.decoded.failure;
  const std::string described =
      "FLAC PCM_16 8000Hz " + std::to_string(row.channels) + "ch " + count + " frames";
  EXPECT_EQ(t.decoded.source.description(), described);
  EXPECT_EQ(t.again.source.description(), described);
  ASSERT_GE(t.progress.size(), 3u);
  EXPECT_TRUE(std::is_sorted(t.progress.begin(), t.progress.end()));
  EXPECT_GT(t.progress.front(), 0.0);
  EXPECT_LT(t.progress.front(), 0.9);
  EXPECT_GE(t.progress.back(), 0.9);
  EXPECT_LE(t.progress.back(), 1.0);

  ASSERT_EQ(t.renderExit, 0) << t.renderErr;
  EXPECT_EQ(t.csv.at("format").rfind(described + " decoded;", 0), 0u) << t.csv.at("format");
  EXPECT_EQ(t.csv.at("span"), count);
  EXPECT_EQ(t.infoAfter.at(kInfoSourceFrames), count);
  EXPECT_EQ(t.infoAfter.at(kInfoSourceDuration), "30.000000 sec");
}

INSTANTIATE_TEST_SUITE_P(Sources, UnknownLengths,
                         ::testing::Values(UnknownRow{"pipeMono", 1, true},
                                           UnknownRow{"pipeStereo", 2, true},
                                           UnknownRow{"pipeSixChannels", 6, true},
                                           UnknownRow{"fileMono", 1, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korimu

#include "wave/decoded_copy.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <ostream>
#include <string>
#include <vector>

#include "wave/decode_cache.h"
#include "wave/sndfile_writer.h"
#include "wave/sound_kinds.h"
#include "wave/wav_builder.h"

namespace korimu {
namespace {

namespace fs = std::filesystem;
using testing::multiTone16;
using testing::readFile;
using testing::TempDir;
using testing::writeSndfile;

// The samples of a decoded copy (the 44-byte header skipped, as many as its header counts).
std::vector<int16_t> copySamples(const fs::path& copy) {
  const std::vector<uint8_t> bytes = readFile(copy);
  std::vector<int16_t> samples;
  if (bytes.size() < 44) return samples;
  const size_t end = std::min<size_t>(bytes.size(), 44 + testing::le32(bytes, 40));
  for (size_t i = 44; i + 1 < end; i += 2) samples.push_back(int16_t(bytes[i] | bytes[i + 1] << 8));
  return samples;
}

struct Stops : DecodeProgress {
  int advances = 0;
  int stopAfter = -1;  // advances before the decode is to stop; -1: never
  void advanced(double) override { ++advances; }
  bool cancelled() override { return stopAfter >= 0 && advances >= stopAfter; }
};

class DecodedCopyTest : public ::testing::Test {
 protected:
  DecodeCache cache() const { return {dir_.path() / "cache", uint64_t(2) << 30}; }
  std::string source(const std::string& name) const { return (dir_.path() / name).string(); }
  DecodeResult decode(const std::string& path) {
    Stops quiet;
    return decodedCopy(path, cache(), quiet);
  }
  TempDir dir_;
};

struct LosslessKind {
  const char* name;
  int format;
  int channels;
};

// Printed by its name: the test's name then reads the same in every run.
void PrintTo(const LosslessKind& value, std::ostream* out) {
  *out << value.name;
}

class LosslessKinds : public DecodedCopyTest, public ::testing::WithParamInterface<LosslessKind> {};

// 16-bit values in a wider, float or compressed lossless container come back exactly.
TEST_P(LosslessKinds, SixteenBitValuesComeBackExactly) {
  const LosslessKind& k = GetParam();
  const std::vector<int16_t> samples = multiTone16(22050, k.channels, 0.5);
  const std::string path = source(std::string(k.name) + ".snd");
  ASSERT_TRUE(writeSndfile(path, k.format, 22050, k.channels, samples));
  const DecodeResult r = decode(path);
  ASSERT_EQ(r.status, DecodeStatus::kDecoded) << r.failure;
  EXPECT_EQ(r.source.rate, 22050u);
  EXPECT_EQ(r.source.channels, k.channels);
  EXPECT_EQ(r.source.frames, samples.size() / size_t(k.channels));
  ASSERT_NE(r.hold, nullptr);
  EXPECT_TRUE(isWholeCopy(r.hold->descriptor(), 22050, k.channels));
  EXPECT_EQ(copySamples(r.copy), samples);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, LosslessKinds,
    ::testing::Values(LosslessKind{"wav24", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2},
                      LosslessKind{"wav32", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 1},
                      LosslessKind{"float", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2},
                      LosslessKind{"double", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 1},
                      LosslessKind{"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2},
                      LosslessKind{"aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2},
                      LosslessKind{"caf24", SF_FORMAT_CAF | SF_FORMAT_PCM_24, 1},
                      LosslessKind{"w64", SF_FORMAT_W64 | SF_FORMAT_PCM_16, 2}),
    [](const auto& info) { return std::string(info.param.name); });

// Wider samples round to the nearest 16-bit value; floats beyond full scale are clamped.
TEST_F(DecodedCopyTest, RoundsToNearestAndClamps) {
  const std::vector<double> wide = {
      0x7F / 8388608.0, 0x80 / 8388608.0, -0x81 / 8388608.0, 1.5, -1.5, 0.999999, 1.0};
  const std::string path = source("float.wav");
  ASSERT_TRUE(writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 8000, 1, wide));
  const DecodeResult r = decode(path);
  ASSERT_EQ(r.status, DecodeStatus::kDecoded) << r.failure;
  // 0x7F/0x100 of a step rounds down, 0x80 up, -0x81 away; ±1.5 and 1.0 clamp.
  EXPECT_EQ(copySamples(r.copy), (std::vector<int16_t>{0, 1, -1, 32767, -32768, 32767, 32767}));
}

// More channels mix to stereo: the front sides fully, centre and surrounds at -3 dB, no LFE,
// scaled so that full scale everywhere stays within full scale.
TEST_F(DecodedCopyTest, SixChannelsMixToStereo) {
  const StereoMix mix =
      stereoMix({SF_CHANNEL_MAP_FRONT_LEFT, SF_CHANNEL_MAP_FRONT_RIGHT, SF_CHANNEL_MAP_FRONT_CENTER,
                 SF_CHANNEL_MAP_LFE, SF_CHANNEL_MAP_REAR_LEFT, SF_CHANNEL_MAP_REAR_RIGHT});
  const double k = 1.0 / (1.0 + 2 * 0.7071067811865476);
  const std::vector<double> left = {k, 0, 0.7071067811865476 * k, 0, 0.7071067811865476 * k, 0};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_NEAR(mix.left[i], left[i], 1e-12) << i;
    // The right side mirrors the left: FL<->FR, RL<->RR.
    const size_t mirror[] = {1, 0, 2, 3, 5, 4};
    EXPECT_NEAR(mix.right[i], left[mirror[i]], 1e-12) << i;
  }
  EXPECT_NEAR(std::accumulate(mix.left.begin(), mix.left.end(), 0.0), 1.0, 1e-12);

  // A six-channel WAV holding full scale in every channel decodes to full scale, not beyond.
  std::vector<int16_t> loud(6 * 100, 32767);
  const std::string path = source("six.wav");
  ASSERT_TRUE(writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 6, loud));
  const DecodeResult r = decode(path);
  ASSERT_EQ(r.status, DecodeStatus::kDecoded) << r.failure;
  const std::vector<int16_t> stereo = copySamples(r.copy);
  ASSERT_EQ(stereo.size(), 200u);
  for (int16_t s : stereo) EXPECT_NEAR(s, 32767, 1);
}

// A second open uses the copy; a damaged copy or a changed source is decoded again.
TEST_F(DecodedCopyTest, CacheIsUsedOnlyWhenWholeAndCurrent) {
  const std::vector<int16_t> samples = multiTone16(16000, 2, 0.3);
  const std::string path = source("take.flac");
  ASSERT_TRUE(writeSndfile(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 16000, 2, samples));
  const DecodeResult first = decode(path);
  ASSERT_EQ(first.status, DecodeStatus::kDecoded) << first.failure;
  const DecodeResult second = decode(path);
  EXPECT_EQ(second.status, DecodeStatus::kCached);
  EXPECT_EQ(second.copy, first.copy);

  const std::vector<uint8_t> whole = readFile(first.copy);
  const auto damage = [&](std::vector<uint8_t> bytes) {
    testing::writeFile(first.copy, bytes);
    const DecodeResult again = decode(path);
    EXPECT_EQ(again.status, DecodeStatus::kDecoded);
    EXPECT_EQ(readFile(again.copy), whole);
  };
  damage(std::vector<uint8_t>(whole.begin(), whole.end() - 2));  // cut short
  std::vector<uint8_t> wrongRate = whole;
  wrongRate[24] ^= 1;
  damage(wrongRate);
  damage({});

  // A source written again (another time) gets a copy of its own.
  fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(5));
  const DecodeResult changed = decode(path);
  EXPECT_EQ(changed.status, DecodeStatus::kDecoded);
  EXPECT_NE(changed.copy, first.copy);
}

// The cache keeps at most its limit, oldest copies going first, never the one just made.
TEST_F(DecodedCopyTest, CacheDropsOldestCopiesBeyondItsLimit) {
  DecodeCache small = cache();
  std::vector<fs::path> copies;
  for (int i = 0; i < 3; ++i) {
    const std::string path = source("take" + std::to_string(i) + ".flac");
    ASSERT_TRUE(
        writeSndfile(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000, 1, multiTone16(8000, 1, 1.0)));
    small.limitBytes = 2 * (44 + 16000) + 100;  // room for two copies
    Stops quiet;
    const DecodeResult r = decodedCopy(path, small, quiet);
    ASSERT_EQ(r.status, DecodeStatus::kDecoded) << r.failure;
    fs::last_write_time(r.copy, fs::file_time_type::clock::now() - std::chrono::hours(3 - i));
    copies.push_back(r.copy);
  }
  EXPECT_FALSE(fs::exists(copies[0]));
  EXPECT_TRUE(fs::exists(copies[1]));
  EXPECT_TRUE(fs::exists(copies[2]));
  small.limitBytes = 1;  // even then the copy in use stays
  trimCache(small.folder, small.limitBytes, copies[2]);
  EXPECT_TRUE(fs::exists(copies[2]));
  EXPECT_FALSE(fs::exists(copies[1]));
}

// Cancelling leaves no copy and no partial file behind; progress runs from 0 to 1.
TEST_F(DecodedCopyTest, CancelLeavesNothing) {
  const std::string path = source("long.flac");
  ASSERT_TRUE(
      writeSndfile(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, multiTone16(44100, 2, 3.0)));
  Stops stop;
  stop.stopAfter = 2;
  const DecodeResult r = decodedCopy(path, cache(), stop);
  EXPECT_EQ(r.status, DecodeStatus::kCancelled);
  EXPECT_TRUE(fs::is_empty(cache().folder));

  Stops count;
  EXPECT_EQ(decodedCopy(path, cache(), count).status, DecodeStatus::kDecoded);
  EXPECT_GE(count.advances, 8);  // 132300 frames in steps of 16384
}

// A FLAC cut short gives the frames it holds (exactly) or a failure; a file that is no audio
// gives a failure and no copy.
TEST_F(DecodedCopyTest, TruncatedAndUndecodableFiles) {
  const std::vector<int16_t> samples = multiTone16(22050, 1, 1.0);
  const std::string path = source("cut.flac");
  ASSERT_TRUE(writeSndfile(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1, samples));
  fs::resize_file(path, fs::file_size(path) / 2);
  const DecodeResult cut = decode(path);
  if (cut.status == DecodeStatus::kDecoded) {
    const std::vector<int16_t> held = copySamples(cut.copy);
    ASSERT_LT(held.size(), samples.size());
    EXPECT_TRUE(std::equal(held.begin(), held.end(), samples.begin()));
  } else {
    EXPECT_EQ(cut.status, DecodeStatus::kFailed);
    EXPECT_FALSE(cut.failure.empty());
  }

  const std::string text = testing::writeFile(
      dir_.path() / "notes.wav", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
  EXPECT_FALSE(probeSource(text));
  EXPECT_EQ(decode(text).status, DecodeStatus::kFailed);
  const auto copies = std::distance(fs::directory_iterator(cache().folder), {});
  EXPECT_EQ(copies, cut.status == DecodeStatus::kDecoded ? 1 : 0);
}

// A file that holds no samples is refused, and leaves no copy behind: as a file libsndfile does not
// read (its FLAC writer leaves no bytes at all), or, where the header opens, as one that decodes
// nothing.
TEST_F(DecodedCopyTest, ASourceWithoutSamplesIsRefused) {
  const std::pair<int, DecodeStatus> kinds[] = {
      {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, DecodeStatus::kFailed},
      {SF_FORMAT_WAV | SF_FORMAT_FLOAT, DecodeStatus::kUnusable}};
  for (const auto& [format, status] : kinds) {
    SCOPED_TRACE(format);
    const std::string path = source("empty");
    ASSERT_TRUE(writeSndfile(path, format, 44100, 2, std::vector<int16_t>{}));
    const DecodeResult r = decode(path);
    EXPECT_EQ(r.status, status);
    if (status == DecodeStatus::kUnusable) {
      EXPECT_EQ(r.failure.find("no samples decode"), 0u) << r.failure;
    }
    EXPECT_FALSE(r.failure.empty());
    EXPECT_TRUE(!fs::exists(cache().folder) || fs::is_empty(cache().folder));
  }
}

// Every kind that decodes here is named, by the extension its files carry, among the kinds the
// Open dialog lists; raw headerless data is not.
TEST(OpenableKinds, EveryKindThatDecodesIsListed) {
  TempDir dir;
  const struct {
    const char* extension;
    int format;
  } kinds[] = {
      {"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
      {"ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
      {"opus", SF_FORMAT_OGG | SF_FORMAT_OPUS},
      {"aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
      {"aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
      {"caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16},
      {"w64", SF_FORMAT_W64 | SF_FORMAT_PCM_16},
      {"au", SF_FORMAT_AU | SF_FORMAT_PCM_16},
      {"rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_16},
      {"mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
      {"wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
  };
  const std::vector<std::string> listed = openableExtensions();
  int decoded = 0;
  for (const auto& kind : kinds) {
    const std::string path = (dir.path() / (std::string("take.") + kind.extension)).string();
    // A kind this libsndfile cannot write is not tested here.
    if (!writeSndfile(path, kind.format, 48000, 1, multiTone16(48000, 1, 0.2))) continue;
    if (!probeSource(path)) continue;
    ++decoded;
    EXPECT_NE(std::find(listed.begin(), listed.end(), kind.extension), listed.end())
        << kind.extension;
  }
  EXPECT_GE(decoded, 6);
  EXPECT_EQ(std::find(listed.begin(), listed.end(), "raw"), listed.end());
  EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end()));
}

}  // namespace
}  // namespace korimu

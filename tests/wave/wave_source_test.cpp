#include "wave/wave_source.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/settings.h"
#include "platform/message.h"
#include "wave/wav_builder.h"
#include "wave/wave_session.h"

namespace korimu {
namespace {

using testing::ByteWriter;
using testing::FormatFields;
using testing::TempDir;

class WaveSourceTest : public ::testing::Test {
 protected:
  // The settings the code under test is given: the test's own.
  AppSettings settings;

  void SetUp() override {
    // The reader's sentence is the first line of each message; the whole message is kept too.
    wave_.messages.sink = [this](std::string_view text, MessageKind) {
      messages_.emplace_back(text.substr(0, text.find('\n')));
      told_.emplace_back(text);
    };
    wave_.volumeQuery = [this](const std::filesystem::path&, VolumeInfo* info) {
      info->totalCapacity = volumeCapacity_;
      return true;
    };
  }
  void TearDown() override {
    closeWave(wave_, true);
    releaseFormatCopy(wave_.source);
  }

  // Opens request_ and shows its failure, as the window does.
  WaveOpenResult open() {
    const WaveOpenResult result = openWave(wave_, request_, settings);
    reportOpenFailure(result, wave_.messages);
    return result;
  }

  // Opens bytes written to a file; returns the one message shown, or "" on success.
  std::string openBytes(const std::vector<uint8_t>& bytes) {
    request_.fileName = dir_.write("test.wav", bytes);
    messages_.clear();
    const bool ok = open().opened;
    EXPECT_EQ(ok, messages_.empty());
    EXPECT_LE(messages_.size(), 1u);
    return messages_.empty() ? "" : messages_.front();
  }

  TempDir dir_;
  WaveSession wave_;
  WaveOpenRequest request_;
  std::vector<std::string> messages_;
  std::vector<std::string> told_;
  uint64_t volumeCapacity_ = uint64_t(500) << 30;
};

TEST_F(WaveSourceTest, EachBrokenFileGetsItsOwnMessage) {
  request_.fileName.clear();
  messages_.clear();
  EXPECT_FALSE(open().opened);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "ファイル名が未入力。");

  request_.fileName = (dir_.path() / "missing.wav").string();
  messages_.clear();
  EXPECT_FALSE(open().opened);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "ファイルを開けません。");

  const std::string notWave = "指定したファイルは、WAVEファイルではありません。";
  EXPECT_EQ(openBytes({'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'}), notWave);
  EXPECT_EQ(openBytes({}), notWave);
  ByteWriter avi;
  avi.id("RIFF").u32(4).id("AVI ");
  EXPECT_EQ(openBytes(avi.bytes()), notWave);

  ByteWriter noFmt;
  noFmt.chunk("data", std::vector<uint8_t>(16, 1));
  EXPECT_EQ(openBytes(testing::riffWave(noFmt.bytes())), "WAVEファイルが壊れています。");

  ByteWriter dataFirst;
  dataFirst.chunk("data", std::vector<uint8_t>(16, 1)).chunk("fmt ", testing::fmtData({}));
  EXPECT_EQ(openBytes(testing::riffWave(dataFirst.bytes())),
            "WAVEファイルにデータ チャンクがありません。");

  FormatFields adpcm;
  adpcm.tag = 2;
  adpcm.bits = 4;
  adpcm.blockAlign = 1024;
  EXPECT_EQ(openBytes(testing::simpleWave(adpcm, 64)),
            "指定したファイルは、PCMファイルではありません。");
  EXPECT_FALSE(wave_.source.hasFormat);

  EXPECT_EQ(openBytes(testing::simpleWave({}, 0)), "データ チャンクが空です。");
  EXPECT_FALSE(wave_.source.hasFormat);
}

// Every failure names the file and says why in English on a second line: the window's box as
// "PATH (REASON)", the command line as "korimu: cannot open 'PATH': REASON".
TEST_F(WaveSourceTest, EveryFailureNamesThePathAndItsReasonOnASecondLine) {
  FormatFields adpcm;
  adpcm.tag = 2;
  adpcm.bits = 4;
  adpcm.blockAlign = 1024;
  FormatFields f24;
  f24.bits = 24;
  ByteWriter noFmt;
  noFmt.chunk("data", std::vector<uint8_t>(16, 1));
  ByteWriter dataFirst;
  dataFirst.chunk("data", std::vector<uint8_t>(16, 1)).chunk("fmt ", testing::fmtData({}));
  const struct {
    std::vector<uint8_t> bytes;
    const char* reason;
  } rows[] = {
      {{'n', 'o', 't', 'e', 's'}, "not a WAVE file"},
      {testing::riffWave(noFmt.bytes()), "broken WAVE file: no format chunk"},
      {testing::riffWave(dataFirst.bytes()), "broken WAVE file: no data chunk"},
      {testing::simpleWave(adpcm, 64), "not a PCM file (format tag 2)"},
      {testing::simpleWave(f24, 60), "24-bit 2-channel PCM is not read"},
      {testing::simpleWave({}, 0), "the data chunk is empty"},
  };
  for (const auto& row : rows) {
    told_.clear();
    const std::string first = openBytes(row.bytes);
    ASSERT_EQ(told_.size(), 1u) << row.reason;
    EXPECT_EQ(told_[0], first + "\n" + request_.fileName + " (" + row.reason + ")");
    const WaveOpenResult again = openWave(wave_, request_, settings);
    EXPECT_EQ(openFailureMessage(again, FailureLine::kCommandLine),
              first + "\nkorimu: cannot open '" + request_.fileName + "': " + row.reason);
  }
  // A file that cannot be opened at all gets the system's words.
  request_.fileName = (dir_.path() / "missing.wav").string();
  told_.clear();
  EXPECT_FALSE(open().opened);
  EXPECT_EQ(told_, std::vector<std::string>{"ファイルを開けません。\n" + request_.fileName +
                                            " (No such file or directory)"});
}

TEST_F(WaveSourceTest, FormatChunkLongerThanTheFileCannotBeRead) {
  ByteWriter w;
  w.id("RIFF").u32(100).id("WAVE").id("fmt ").u32(0x7FFFFFF0).raw(testing::fmtData({}));
  EXPECT_EQ(openBytes(w.bytes()), "形式チャンクを読み取れません。");
}

TEST_F(WaveSourceTest, CompressedFileStillShowsItsFormatFirst) {
  FormatFields f;
  f.tag = 0x55;
  f.rate = 22050;
  f.bits = 0;
  f.blockAlign = 1;
  request_.fileName = dir_.write("mp3.wav", testing::simpleWave(f, 32));
  const WaveOpenResult result = openWave(wave_, request_, settings);
  // The format texts are due before the refusal is told.
  EXPECT_TRUE(result.formatRead);
  EXPECT_FALSE(result.dataFound);
  EXPECT_FALSE(result.opened);
  EXPECT_EQ(result.failure, "指定したファイルは、PCMファイルではありません。");
  EXPECT_EQ(wave_.source.srKHz, 22);
  EXPECT_EQ(wave_.source.bitsPerSample, 0);
  EXPECT_EQ(wave_.source.formatTag, 0x55);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(WaveSourceTest, PcmLayoutsNoReaderCanHandleAreRefused) {
  FormatFields f24;
  f24.bits = 24;
  EXPECT_EQ(openBytes(testing::simpleWave(f24, 60)),
            "対応していないPCM形式です。(24ビット 2チャンネル)");
  FormatFields quad;
  quad.channels = 4;
  EXPECT_EQ(openBytes(testing::simpleWave(quad, 64)),
            "対応していないPCM形式です。(16ビット 4チャンネル)");
  FormatFields zeroAlign;
  zeroAlign.zeroBlockAlign = true;
  zeroAlign.bytesPerSecond = 176400;
  EXPECT_EQ(openBytes(testing::simpleWave(zeroAlign, 64)), "WAVEファイルが壊れています。");
  // 16-bit stereo frames are 4 bytes: a block alignment below or above that is refused.
  for (const uint16_t align : {1, 2, 8}) {
    FormatFields wrongAlign;
    wrongAlign.blockAlign = align;
    EXPECT_EQ(openBytes(testing::simpleWave(wrongAlign, 64)), "WAVEファイルが壊れています。")
        << align;
  }
  FormatFields zeroRate;
  zeroRate.bytesPerSecond = 0;
  zeroRate.rate = 0;
  EXPECT_EQ(openBytes(testing::simpleWave(zeroRate, 64)), "WAVEファイルが壊れています。");
  // A format chunk of only 14 bytes has no bit depth.
  ByteWriter shortFmt;
  std::vector<uint8_t> fmt = testing::fmtData({});
  fmt.resize(14);
  shortFmt.chunk("fmt ", fmt).chunk("data", std::vector<uint8_t>(8));
  EXPECT_EQ(openBytes(testing::riffWave(shortFmt.bytes())),
            "対応していないPCM形式です。(0ビット 2チャンネル)");
}

TEST_F(WaveSourceTest, GoodFileFillsTheSourceAndSeeksToThePosition) {
  ByteWriter chunks;
  chunks.chunk("JUNK", {1, 2, 3});  // odd size: a pad byte follows
  chunks.chunk("fmt ", testing::fmtData({}));
  std::vector<uint8_t> samples(400);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = uint8_t(i);
  chunks.chunk("data", samples);
  chunks.chunk("LIST", std::vector<uint8_t>(20, 0xEE));
  request_.position = 100;
  request_.fileName = dir_.write("test.wav", testing::riffWave(chunks.bytes()));
  const WaveOpenResult result = openWave(wave_, request_, settings);
  ASSERT_TRUE(result.opened) << result.failure;
  EXPECT_TRUE(result.formatRead && result.dataFound);

  const WaveSource& w = wave_.source;
  EXPECT_EQ(w.formatTag, 1);
  EXPECT_EQ(w.sampleKind, k16BitStereo);
  EXPECT_EQ(w.srKHz, 44);
  EXPECT_EQ(w.bitsPerSample, 16);
  EXPECT_EQ(w.bytesPerSecond, 176400u);
  EXPECT_EQ(w.blockAlign, 4u);
  EXPECT_EQ(w.dataSize, 400u);
  EXPECT_EQ(w.bytesLeft, 300u);
  EXPECT_EQ(w.readMode, 2);
  EXPECT_TRUE(w.hasFormat);

  // Reading starts at the position and stops at the end of the data chunk, before the LIST.
  std::vector<uint8_t> buffer(1000, 0);
  ASSERT_EQ(readData(wave_.source, buffer.data(), 1000), 300u);
  EXPECT_EQ(buffer[0], 100);
  EXPECT_EQ(buffer[299], uint8_t(399));
  EXPECT_EQ(readData(wave_.source, buffer.data(), 1000), 0u);
  ASSERT_TRUE(seekData(wave_.source, 396));
  EXPECT_EQ(readData(wave_.source, buffer.data(), 8), 4u);
  EXPECT_EQ(buffer[0], uint8_t(396));

  closeWave(wave_, true);
  EXPECT_FALSE(wave_.source.mmio.isOpen());
  EXPECT_EQ(readData(wave_.source, buffer.data(), 8), 0u);
}

TEST_F(WaveSourceTest, EveryKindOfSampleIsRecognised) {
  const struct {
    uint16_t channels, bits;
    int32_t kind;
  } cases[] = {{1, 8, k8BitMono}, {1, 16, k16BitMono}, {2, 8, k8BitStereo}, {2, 16, k16BitStereo}};
  for (const auto& c : cases) {
    FormatFields f;
    f.channels = c.channels;
    f.bits = c.bits;
    f.rate = 11025;
    ASSERT_EQ(openBytes(testing::simpleWave(f, 64)), "");
    EXPECT_EQ(wave_.source.sampleKind, c.kind);
    EXPECT_EQ(wave_.source.srKHz, 11);
  }
}

TEST_F(WaveSourceTest, SmallVolumeOrOnMemUsesOneBuffer) {
  const auto bytes = testing::simpleWave({}, 4000);
  volumeCapacity_ = kDisketteCapacity;
  ASSERT_EQ(openBytes(bytes), "");
  EXPECT_EQ(wave_.source.readMode, 1);
  volumeCapacity_ = kDisketteCapacity + 1;
  ASSERT_EQ(openBytes(bytes), "");
  EXPECT_EQ(wave_.source.readMode, 2);
  settings.onMem = true;
  ASSERT_EQ(openBytes(bytes), "");
  EXPECT_EQ(wave_.source.readMode, 1);
}

TEST_F(WaveSourceTest, DeviceIsAskedOnlyWhenThePlaybackNeedsIt) {
  int asked = 0;
  AudioBackend refusing;
  refusing.outputDeviceCount = [] { return 1; };
  refusing.supportsFormat = [&](const WaveFormat& f) {
    ++asked;
    EXPECT_EQ(f.samplesPerSec, 44100u);
    return false;
  };
  wave_.audio = refusing;
  const auto bytes = testing::simpleWave({}, 64);

  request_.checkPlayable = false;  // an analysis start, or no output device
  EXPECT_EQ(openBytes(bytes), "");
  EXPECT_EQ(asked, 0);

  request_.checkPlayable = true;  // Play
  EXPECT_EQ(openBytes(bytes), "サウンドドライバは、この形式を再生できません。");
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(wave_.source.hasFormat);
}

TEST_F(WaveSourceTest, TruncatedRecordingKeepsWhatIsThere) {
  ByteWriter chunks;
  chunks.chunk("fmt ", testing::fmtData({}));
  chunks.id("data").u32(1000000).raw(std::vector<uint8_t>(66, 9));  // ends inside a frame
  ASSERT_EQ(openBytes(testing::riffWave(chunks.bytes(), 0xFFFFFFFF)), "");
  EXPECT_EQ(wave_.source.dataSize, 64u);
  std::vector<uint8_t> buffer(128);
  EXPECT_EQ(readData(wave_.source, buffer.data(), 128), 64u);
}

// A file shorter than its header claims opens with what is there and is named as such, once, for
// the window and for the command line; a whole file, one that ends inside a frame it does not
// claim, and an unfinalised recording are not.
TEST_F(WaveSourceTest, AFileShorterThanItsHeaderSaysHowMuchIsThere) {
  const struct {
    const char* name;
    uint32_t declared;
    size_t present;
    uint32_t claimed;  // what the open reports the header claimed; 0 for a whole file
    const char* window;
    const char* commandLine;
  } rows[] = {
      {"cut short", 1764000, 99956, 1764000, "(99956 / 1764000 バイト, 0.57秒)",
       "is shorter than its header claims: 99956 of 1764000 data bytes (0.57 s) are there"},
      {"one byte short", 4003, 4002, 4003, "(4000 / 4003 バイト, 0.02秒)", "4000 of 4003"},
      {"whole", 4000, 4000, 0, "", ""},
      {"a partial frame it claims", 4003, 4003, 0, "", ""},
      {"unfinalised", 0xFFFFFFFF, 4000, 0, "", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ByteWriter chunks;
    chunks.chunk("fmt ", testing::fmtData({}));
    chunks.id("data").u32(row.declared).raw(std::vector<uint8_t>(row.present, 7));
    ASSERT_EQ(openBytes(testing::riffWave(chunks.bytes())), "");
    const WaveOpenResult opened = openWave(wave_, request_, settings);
    EXPECT_EQ(opened.claimedDataBytes, row.claimed);
    EXPECT_EQ(wave_.source.dataSize, row.present - row.present % 4);
    const std::string window = cutShortNotice(opened, wave_.source, FailureLine::kWindow);
    const std::string line = cutShortNotice(opened, wave_.source, FailureLine::kCommandLine);
    EXPECT_EQ(window.empty(), row.claimed == 0);
    EXPECT_EQ(line.empty(), row.claimed == 0);
    EXPECT_NE(window.find(row.window), std::string::npos) << window;
    if (row.claimed != 0) {
      EXPECT_NE(window.find(request_.fileName), std::string::npos) << window;
    }
    EXPECT_NE(line.find(row.commandLine), std::string::npos) << line;
  }
}

// A streaming writer that never finalised its recording leaves placeholder sizes in the RIFF and
// data headers: the data runs to the end of the file, in whole frames.
TEST_F(WaveSourceTest, UnfinalisedRecordingsOpenWithTheirDataToTheEndOfTheFile) {
  const std::vector<uint8_t> samples(4003, 0x11);  // 1000 stereo 16-bit frames and 3 bytes
  for (const uint32_t riffSize : {0u, 0xFFFFFFFFu}) {
    for (const uint32_t dataSize : {0u, 0xFFFFFFFFu}) {
      SCOPED_TRACE(::testing::Message() << std::hex << "RIFF " << riffSize << " data " << dataSize);
      ByteWriter w;
      w.id("RIFF").u32(riffSize).id("WAVE").chunk("fmt ", testing::fmtData({}));
      w.id("data").u32(dataSize).raw(samples);
      ASSERT_EQ(openBytes(w.bytes()), "");
      EXPECT_EQ(wave_.source.dataSize, 4000u);
      std::vector<uint8_t> buffer(8192);
      EXPECT_EQ(readData(wave_.source, buffer.data(), 8192), 4000u);
    }
  }
  // A finalised file whose data chunk is empty stays empty.
  ByteWriter empty;
  empty.chunk("fmt ", testing::fmtData({})).chunk("data", {}).raw(samples);
  EXPECT_EQ(openBytes(testing::riffWave(empty.bytes())), "データ チャンクが空です。");
}

TEST_F(WaveSourceTest, ATrailingPartialFrameIsNotCounted) {
  ASSERT_EQ(openBytes(testing::simpleWave({}, 4003)), "");  // stereo 16-bit: 4-byte frames
  EXPECT_EQ(wave_.source.dataSize, 4000u);
  EXPECT_EQ(wave_.source.bytesLeft, 4000u);
  std::vector<uint8_t> buffer(8192);
  EXPECT_EQ(readData(wave_.source, buffer.data(), 8192), 4000u);
  FormatFields mono8;
  mono8.channels = 1;
  mono8.bits = 8;
  ASSERT_EQ(openBytes(testing::simpleWave(mono8, 3)), "");  // single bytes are whole frames
  EXPECT_EQ(wave_.source.dataSize, 3u);
  EXPECT_EQ(openBytes(testing::simpleWave({}, 3)), "データ チャンクが空です。");
}

// Header rates beyond the documented limit are broken files; the limit itself opens.
TEST_F(WaveSourceTest, SampleRatesAboveTheLimitAreRefused) {
  for (const uint32_t rate : {768001u, 2147484000u, 0xFFFFFFFFu}) {
    FormatFields f;
    f.rate = rate;
    f.bytesPerSecond = 4;
    EXPECT_EQ(openBytes(testing::simpleWave(f, 64)), "WAVEファイルが壊れています。") << rate;
  }
  FormatFields top;
  top.rate = kHighestSampleRate;
  EXPECT_EQ(openBytes(testing::simpleWave(top, 64)), "");
  EXPECT_EQ(wave_.source.srKHz, 768);
}

TEST_F(WaveSourceTest, PositionBeyondTheDataLeavesNothingToRead) {
  request_.position = 5000;
  ASSERT_EQ(openBytes(testing::simpleWave({}, 400)), "");
  EXPECT_EQ(wave_.source.bytesLeft, 0u);
  uint8_t buffer[16];
  EXPECT_EQ(readData(wave_.source, buffer, 16), 0u);
}

TEST_F(WaveSourceTest, RealRecordingsOpen) {
  const char* fromEnvironment = std::getenv("KORIMU_SHARED_WAV");
  const std::string folder = fromEnvironment ? fromEnvironment : KORIMU_SHARED_WAV_DIR;
  if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no recordings folder";
  const struct {
    const char* name;
    int32_t srKHz, kind;
  } files[] = {
      {"11025_8_stereo_cpython-pluck-pcm8_LIST-INFO.wav", 11, k8BitStereo},
      {"16000_16_stereo_conv-espeak-en-L_ja-R.wav", 16, k16BitStereo},
      {"22050_16_mono_espeak-ja.wav", 22, k16BitMono},
      {"48000_16_mono_alsa-Front_Center.wav", 48, k16BitMono},
  };
  for (const auto& f : files) {
    request_.fileName = (std::filesystem::path(folder) / f.name).string();
    messages_.clear();
    ASSERT_TRUE(open().opened) << f.name << ": " << (messages_.empty() ? "" : messages_[0]);
    EXPECT_EQ(wave_.source.srKHz, f.srKHz) << f.name;
    EXPECT_EQ(wave_.source.sampleKind, f.kind) << f.name;
    EXPECT_GT(wave_.source.dataSize, 0u);
    EXPECT_EQ(wave_.source.dataSize % wave_.source.blockAlign, 0u) << f.name;
  }
}

}  // namespace
}  // namespace korimu

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>
#include <set>

#include "dialogs/wave_info.h"
#include "platform/message.h"
#include "wav_bytes.h"

namespace korimu {
namespace {

using testing::ByteWriter;
using testing::pcmHeader;
using testing::processFolder;
using testing::writeTempFile;

// The dialog's texts for `bytes` written as the file `name`.
std::map<int, std::string> infoOf(const std::string& name, const ByteWriter& bytes) {
  return readWaveInfo(writeTempFile(name, bytes).string());
}

std::string textOf(const std::map<int, std::string>& texts, int id) {
  auto it = texts.find(id);
  return it == texts.end() ? "<kept>" : it->second;
}

TEST(WaveInfo, CanonicalHeaderListsEveryField) {
  // 22050 Hz, 16-bit mono: 44100 bytes per second, 441000 bytes of data.
  ByteWriter b = pcmHeader(441036, 16, 1, 1, 22050, 16);
  b.id("data").u32(441000).zeros(441000);
  const auto t = infoOf("canonical.wav", b);
  EXPECT_EQ(textOf(t, kInfoFileSize), "441044");
  EXPECT_EQ(textOf(t, kInfoRiffId), "RIFF");
  EXPECT_EQ(textOf(t, kInfoRiffSize), "441036");
  EXPECT_EQ(textOf(t, kInfoRiffType), "WAVE");
  EXPECT_EQ(textOf(t, kInfoChunkId), "fmt ");
  EXPECT_EQ(textOf(t, kInfoChunkSize), "16");
  EXPECT_EQ(textOf(t, kInfoFormatTag), "1");
  EXPECT_EQ(textOf(t, kInfoTagName), "PCM");
  EXPECT_EQ(textOf(t, kInfoChannels), "1");
  EXPECT_EQ(textOf(t, kInfoSampleRate), "22050");
  EXPECT_EQ(textOf(t, kInfoSamplePeriod), "0.000045 sec");
  EXPECT_EQ(textOf(t, kInfoByteRate), "44100");
  EXPECT_EQ(textOf(t, kInfoBlockAlign), "2");
  EXPECT_EQ(textOf(t, kInfoBits), "16");
  EXPECT_EQ(textOf(t, kInfoExtraSize), "");
  EXPECT_EQ(textOf(t, kInfoSecondId), "data");
  EXPECT_EQ(textOf(t, kInfoSecondSize), "441000");
  EXPECT_EQ(textOf(t, kInfoThirdId), "<kept>");
  EXPECT_EQ(textOf(t, kInfoThirdSize), "<kept>");
  EXPECT_EQ(textOf(t, kInfoTotalTime), "10.000000 sec");
}

TEST(WaveInfo, EighteenByteFormatShowsCbSizeAndFindsDataAt38) {
  ByteWriter b = pcmHeader(46 + 4, 18, 1, 2, 44100, 16, 0);
  b.id("data").u32(4).u16(1).u16(2);
  const auto t = infoOf("f18.wav", b);
  EXPECT_EQ(textOf(t, kInfoChunkSize), "18");
  EXPECT_EQ(textOf(t, kInfoExtraSize), "0");
  EXPECT_EQ(textOf(t, kInfoSecondId), "data");
  EXPECT_EQ(textOf(t, kInfoSecondSize), "4");
  EXPECT_EQ(textOf(t, kInfoTotalTime), formatText("%f sec", 4.0 / 176400));
}

TEST(WaveInfo, FactChunkMovesTheDataToTheThirdRow) {
  // IMA-ADPCM writes a fact chunk between the format and the data chunk.
  ByteWriter b = pcmHeader(0, 20, 0x0011, 1, 22050, 4, 2);
  b.id("fact").u32(4).u32(16000);
  b.id("data").u32(8000).zeros(8000);
  b.patch32(28, 4055);  // average bytes per second
  const auto t = infoOf("fact.wav", b);
  EXPECT_EQ(textOf(t, kInfoFormatTag), "17");
  EXPECT_EQ(textOf(t, kInfoTagName), "IMA-ADPCM");
  EXPECT_EQ(textOf(t, kInfoExtraSize), "2");
  EXPECT_EQ(textOf(t, kInfoSecondId), "fact");
  EXPECT_EQ(textOf(t, kInfoSecondSize), "4");
  EXPECT_EQ(textOf(t, kInfoThirdId), "data");
  EXPECT_EQ(textOf(t, kInfoThirdSize), "8000");
  EXPECT_EQ(textOf(t, kInfoByteRate), "4055");
  EXPECT_EQ(textOf(t, kInfoTotalTime), formatText("%f sec", 8000.0 / 4055));
}

TEST(WaveInfo, TotalTimeUsesTheThirdChunkSize) {
  ByteWriter b = pcmHeader(0, 16, 1, 1, 8000, 8);
  b.id("LIST").u32(6).id("INFO").u16(0);
  b.id("data").u32(16000).zeros(16000);
  const auto t = infoOf("list.wav", b);
  EXPECT_EQ(textOf(t, kInfoSecondId), "LIST");
  EXPECT_EQ(textOf(t, kInfoThirdId), "data");
  EXPECT_EQ(textOf(t, kInfoTotalTime), "2.000000 sec");
}

TEST(WaveInfo, SignedTagsAndTagsOutsideTheTable) {
  ByteWriter b = pcmHeader(36, 16, 0xFFFE, 2, 48000, 24);
  b.id("data").u32(0);
  auto t = infoOf("extensible.wav", b);
  EXPECT_EQ(textOf(t, kInfoFormatTag), "-2");
  EXPECT_EQ(textOf(t, kInfoTagName), "unknown");

  ByteWriter z = pcmHeader(36, 16, 0, 1, 8000, 8);
  z.id("data").u32(0);
  t = infoOf("tag0.wav", z);
  EXPECT_EQ(textOf(t, kInfoTagName), "?");
}

TEST(WaveInfo, ZeroRatesGiveInfiniteAndUnknownTimes) {
  ByteWriter b = pcmHeader(40, 16, 1, 1, 0, 16);
  b.id("data").u32(4).u32(0);
  const auto t = infoOf("zero.wav", b);
  EXPECT_EQ(textOf(t, kInfoSampleRate), "0");
  EXPECT_EQ(textOf(t, kInfoSamplePeriod), "∞ sec");
  EXPECT_EQ(textOf(t, kInfoTotalTime), "不明 sec");
}

TEST(WaveInfo, TruncatedFileShowsZeroForMissingFields) {
  ByteWriter b = pcmHeader(1000, 16, 1, 1, 11025, 8);
  b.truncate(30);  // ends in the middle of the byte rate
  auto t = infoOf("short30.wav", b);
  EXPECT_EQ(textOf(t, kInfoFileSize), "30");
  EXPECT_EQ(textOf(t, kInfoSampleRate), "11025");
  EXPECT_EQ(textOf(t, kInfoByteRate), "0");
  EXPECT_EQ(textOf(t, kInfoBlockAlign), "0");
  EXPECT_EQ(textOf(t, kInfoBits), "0");
  EXPECT_EQ(textOf(t, kInfoExtraSize), "");
  EXPECT_EQ(textOf(t, kInfoSecondId), "");
  EXPECT_EQ(textOf(t, kInfoSecondSize), "0");
  EXPECT_EQ(textOf(t, kInfoThirdId), "");
  EXPECT_EQ(textOf(t, kInfoThirdSize), "0");
  EXPECT_EQ(textOf(t, kInfoTotalTime), "不明 sec");

  ByteWriter c = pcmHeader(1000, 16, 1, 1, 11025, 8);
  c.id("data").u32(100);
  c.truncate(38);  // the data identifier is cut after "da"
  t = infoOf("short38.wav", c);
  EXPECT_EQ(textOf(t, kInfoSecondId), "da");
  EXPECT_EQ(textOf(t, kInfoSecondSize), "0");
  EXPECT_EQ(textOf(t, kInfoByteRate), "11025");

  t = infoOf("empty.wav", ByteWriter{});
  EXPECT_EQ(textOf(t, kInfoFileSize), "0");
  EXPECT_EQ(textOf(t, kInfoRiffId), "");
  EXPECT_EQ(textOf(t, kInfoRiffSize), "0");
  EXPECT_EQ(textOf(t, kInfoTagName), "?");
}

TEST(WaveInfo, SizeFieldsAboveTwoGiBPointPastTheEndAndReadNothing) {
  ByteWriter b = pcmHeader(0, 16, 1, 1, 8000, 8);
  b.id("data").u32(0);
  b.patch32(16, uint32_t(-100));  // an unsigned size: the second chunk is 4 GiB further on
  const auto t = infoOf("negative.wav", b);
  EXPECT_EQ(textOf(t, kInfoChunkSize), "4294967196");
  EXPECT_EQ(textOf(t, kInfoSecondId), "");
  EXPECT_EQ(textOf(t, kInfoSecondSize), "0");
  EXPECT_EQ(textOf(t, kInfoThirdId), "");
}

// A 5 GB recording (sparse, so it takes no room) whose 32-bit sizes are above 2 GiB.
TEST(WaveInfo, SizesAboveTwoGiBAreShownUnsigned) {
  ByteWriter b = pcmHeader(0xFFFFFFF7u, 16, 1, 2, 44100, 16);
  b.id("data").u32(0xFFFFFFD3u);
  const auto path = writeTempFile("five-gigabytes.wav", b);
  const uint64_t size = uint64_t(5) << 30;
  std::filesystem::resize_file(path, size);
  const auto t = readWaveInfo(path.string());
  std::filesystem::remove(path);
  EXPECT_EQ(textOf(t, kInfoFileSize), "5368709120");
  EXPECT_EQ(textOf(t, kInfoRiffSize), "4294967287");
  EXPECT_EQ(textOf(t, kInfoSecondSize), "4294967251");
  EXPECT_EQ(textOf(t, kInfoTotalTime), "24347.886910 sec");  // 4294967251 / 176400
  b.patch32(24, 0x80000000u).patch32(28, 0xFFFFFFFFu);       // rates above 2^31 too
  const auto r = infoOf("rates.wav", b);
  EXPECT_EQ(textOf(r, kInfoSampleRate), "2147483648");
  EXPECT_EQ(textOf(r, kInfoByteRate), "4294967295");
}

// A FIFO (or any file that is not a regular one) is not opened: reading it would wait for a
// writer forever.
TEST(WaveInfo, AFifoIsNotOpenedAndDoesNotBlock) {
  const auto path = processFolder("dialog-tests") / "pipe.wav";
  std::filesystem::remove(path);
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  auto pending = std::async(std::launch::async, [&path] { return readWaveInfo(path.string()); });
  const bool finished = pending.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  if (!finished) {
    // Release the blocked reader so the test can end and report.
    const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) ::close(writer);
  }
  const auto t = pending.get();
  std::filesystem::remove(path);
  EXPECT_TRUE(finished) << "reading a FIFO blocked";
  EXPECT_EQ(t.size(), 1u);
  EXPECT_EQ(textOf(t, kInfoFileSize), "0");
}

TEST(WaveInfo, SizeFieldsPointingFarPastTheEndReadNothing) {
  ByteWriter b = pcmHeader(0, 16, 1, 1, 8000, 8);
  b.id("data").u32(0);
  b.patch32(16, 0x7FFFFFF0u);
  const auto t = infoOf("far.wav", b);
  EXPECT_EQ(textOf(t, kInfoChunkSize), "2147483632");
  EXPECT_EQ(textOf(t, kInfoExtraSize), "24932");  // the two bytes after the PCM fields ("da")
  EXPECT_EQ(textOf(t, kInfoSecondId), "");
  EXPECT_EQ(textOf(t, kInfoSecondSize), "0");
  EXPECT_EQ(textOf(t, kInfoThirdId), "");
  EXPECT_EQ(textOf(t, kInfoThirdSize), "0");
}

TEST(WaveInfo, FileThatCannotBeOpenedFillsOnlyItsSize) {
  EXPECT_TRUE(readWaveInfo("/nonexistent/korimu/none.wav").empty());
  // A socket has a status (size 0) but cannot be opened for reading, whoever runs the test.
  const auto path = writeTempFile("socket.wav", ByteWriter{});
  std::filesystem::remove(path);
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.string().size(), sizeof(address.sun_path));
  std::strcpy(address.sun_path, path.c_str());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  const auto t = readWaveInfo(path.string());
  close(fd);
  std::filesystem::remove(path);
  EXPECT_EQ(t.size(), 1u);
  EXPECT_EQ(textOf(t, kInfoFileSize), "0");
}

TEST(WaveInfo, RealRecordingWithAListChunk) {
  const char* dir = std::getenv("KORIMU_SHARED_WAV");
  if (!dir) dir = KORIMU_SHARED_WAV_DIR;
  const auto path = std::filesystem::path(dir) / "11025_8_stereo_cpython-pluck-pcm8_LIST-INFO.wav";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "recording not found: " << path;
  const auto t = readWaveInfo(path.string());
  EXPECT_EQ(textOf(t, kInfoFileSize), std::to_string(std::filesystem::file_size(path)));
  EXPECT_EQ(textOf(t, kInfoRiffSize), std::to_string(std::filesystem::file_size(path) - 8));
  EXPECT_EQ(textOf(t, kInfoSampleRate), "11025");
  EXPECT_EQ(textOf(t, kInfoChannels), "2");
  EXPECT_EQ(textOf(t, kInfoBits), "8");
  EXPECT_EQ(textOf(t, kInfoSecondId), "LIST");
  EXPECT_EQ(textOf(t, kInfoSecondSize), "90");
  EXPECT_EQ(textOf(t, kInfoThirdId), "data");
}

TEST(FormatTags, TableNamesRegistryTagsOnly) {
  EXPECT_EQ(formatTagCount(), 127);
  EXPECT_STREQ(formatTagName(1), "PCM");
  EXPECT_STREQ(formatTagName(0x11), "IMA-ADPCM");
  EXPECT_STREQ(formatTagName(85), "MPEG Layer3");
  EXPECT_STREQ(formatTagName(5376), "soundspace musicompress");
  EXPECT_STREQ(formatTagName(8192), "DVM");
  EXPECT_EQ(formatTagName(9), nullptr);
  EXPECT_EQ(formatTagName(-2), nullptr);
  EXPECT_EQ(formatTagName(int16_t(0x8001)), nullptr);
  EXPECT_EQ(formatTagText(0x0161), "unknown");
}

}  // namespace
}  // namespace korimu

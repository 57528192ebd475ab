#include "wave/sample_buffers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "core/settings.h"
#include "platform/message.h"
#include "wave/wav_builder.h"
#include "wave/wave_session.h"

namespace korimu {
namespace {

class SampleBuffersTest : public ::testing::Test {
 protected:
  // The settings the code under test is given: the test's own.
  AppSettings settings;

  void SetUp() override {
    wave_.messages.sink = [this](std::string_view text, MessageKind) {
      messages_.emplace_back(text);
    };
    wave_.source.readMode = 2;
  }
  void TearDown() override {
    freeSlot(wave_, 0);
    freeSlot(wave_, 1);
  }
  // The format numbers sizing looks at.
  void setFormat(uint32_t bytesPerSecond, uint32_t blockAlign, uint32_t dataSize, int readMode) {
    wave_.source.bytesPerSecond = bytesPerSecond;
    wave_.source.blockAlign = blockAlign;
    wave_.source.dataSize = dataSize;
    wave_.source.bytesLeft = dataSize;
    wave_.source.readMode = readMode;
  }

  WaveSession wave_;
  std::vector<std::string> messages_;
};

TEST_F(SampleBuffersTest, StreamingHoldsTheBufferTimeAtTheFamilyRate) {
  setFormat(16 * 11025, 4, 10000000, 2);  // 44.1 kHz 16-bit stereo
  sizeBuffers(wave_, settings, false);
  EXPECT_EQ(wave_.bufferBytes, 32768u);
  EXPECT_EQ(wave_.markerFrames, 512 * 512 - 32768 / 4);
  sizeBuffers(wave_, settings, true);
  EXPECT_EQ(wave_.bufferBytes, 32768u);

  setFormat(8000, 1, 10000000, 2);  // 8 kHz 8-bit mono
  sizeBuffers(wave_, settings, false);
  EXPECT_EQ(wave_.bufferBytes, 2048u);
  EXPECT_EQ(wave_.markerFrames, 512 * 512 - 2048);

  setFormat(96000, 2, 10000000, 2);  // 48 kHz 16-bit mono: 12 x 8000
  sizeBuffers(wave_, settings, false);
  EXPECT_EQ(wave_.bufferBytes, 12u * 2048);

  setFormat(6000, 2, 10000000, 2);  // neither family: 6000 / 8000 x 2048 = 1536
  sizeBuffers(wave_, settings, false);
  EXPECT_EQ(wave_.bufferBytes, 1536u);
  EXPECT_EQ(wave_.markerFrames, 512 * 512 - 768);
}

TEST_F(SampleBuffersTest, SingleBufferFollowsMemSize) {
  // Whole file: a 3 MB data chunk with MemSize 2 is cut to 2 MB - 4.
  settings.memSize = 2;
  setFormat(176400, 4, 3 << 20, 1);
  sizeBuffers(wave_, settings, false);
  EXPECT_EQ(wave_.bufferBytes, (2u << 20) - 4);
  // A small file fits whole.
  setFormat(176400, 4, 40000, 1);
  sizeBuffers(wave_, settings, false);
  EXPECT_EQ(wave_.bufferBytes, 40000u);
  // Rounded up to whole frames.
  settings.memSize = 2;
  setFormat(3 * 11025, 3, 3 << 20, 1);
  sizeBuffers(wave_, settings, false);
  EXPECT_EQ(wave_.bufferBytes % 3, 0u);
  EXPECT_EQ(wave_.bufferBytes, (2u << 20) - 4 + 2);
}

TEST_F(SampleBuffersTest, PartialSingleBufferTakesTheOverviewSpan) {
  settings.memSize = 15;
  settings.framesPerColumn = 512;
  setFormat(176400, 4, 50 << 20, 1);
  sizeBuffers(wave_, settings, true);
  EXPECT_EQ(wave_.bufferBytes, 1048572u);  // 1 048 576 - 4, already whole frames

  settings.framesPerColumn = 1024;  // span 2 MB, capped by MemSize 1
  settings.memSize = 1;
  sizeBuffers(wave_, settings, true);
  EXPECT_EQ(wave_.bufferBytes, (1u << 20) - 4);

  settings.framesPerColumn = 1;  // span 2048 bytes: small spans keep every byte
  sizeBuffers(wave_, settings, true);
  EXPECT_EQ(wave_.bufferBytes, 2048u);

  settings.framesPerColumn = 512;
  setFormat(176400, 4, 1000, 1);  // the data is shorter than the span
  sizeBuffers(wave_, settings, true);
  EXPECT_EQ(wave_.bufferBytes, 1000u);
}

TEST_F(SampleBuffersTest, SizesNeverCollapseOrOverflow) {
  settings.playBufferSeconds = 256;
  setFormat(10, 1, 1000, 2);  // 10 / 8000 x 256 truncates to 0
  sizeBuffers(wave_, settings, false);
  EXPECT_EQ(wave_.bufferBytes, 1u);
  setFormat(0xFFFFFFFFu, 4, 0xFFFFFFF0u, 2);
  sizeBuffers(wave_, settings, false);
  EXPECT_EQ(wave_.bufferBytes, 137438956u);  // 0xFFFFFFFF / 8000 x 256, truncated
  settings.playBufferSeconds = 32768;        // more than 32 bits' worth: held at the data
  sizeBuffers(wave_, settings, false);
  EXPECT_EQ(wave_.bufferBytes, 0xFFFFFFF0u);
  EXPECT_EQ(wave_.markerFrames, std::numeric_limits<int32_t>::min());
  setFormat(176400, 0, 1000, 1);  // no frame size: nothing divides by it
  settings.framesPerColumn = 512;
  sizeBuffers(wave_, settings, true);
  EXPECT_EQ(wave_.bufferBytes, 0u);
  EXPECT_EQ(wave_.markerFrames, 512 * 512);
}

// An 8 KB file whose header claims 4 GB per second: every way of playing it gets buffers no
// larger than the data after the position (whole frames, at least one).
TEST_F(SampleBuffersTest, ALyingByteRateGetsBuffersNoLargerThanTheData) {
  testing::TempDir dir;
  testing::FormatFields f;
  f.channels = 1;
  f.bits = 16;
  f.rate = 44100;
  f.bytesPerSecond = 0xFFFFFFFF;
  const std::string fileName = dir.write("liar.wav", testing::simpleWave(f, 8192));
  for (const int onMem : {0, 1}) {
    for (const uint32_t position : {0u, 8000u, 8192u}) {
      for (const bool partial : {false, true}) {
        SCOPED_TRACE(::testing::Message() << "OnMem " << onMem << " position " << position
                                          << (partial ? " partial" : " whole"));
        settings.onMem = onMem;
        ASSERT_TRUE(openWave(wave_, WaveOpenRequest{fileName, position, false}, settings).opened);
        sizeBuffers(wave_, settings, partial);
        EXPECT_LE(wave_.bufferBytes, std::max(8192u - position, 2u));
        EXPECT_EQ(wave_.bufferBytes % 2, 0u);
        EXPECT_GT(wave_.bufferBytes, 0u);
        ASSERT_TRUE(allocSampleBuffers(wave_));
        EXPECT_EQ(wave_.sampleBuffer[0].size(), wave_.bufferBytes);
        freeSampleBuffers(wave_);
      }
    }
  }
  closeWave(wave_, true);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(SampleBuffersTest, AllocationMatchesTheReadMode) {
  setFormat(176400, 4, 1 << 20, 2);
  sizeBuffers(wave_, settings, false);
  ASSERT_TRUE(allocSampleBuffers(wave_));
  EXPECT_EQ(wave_.sampleBuffer[0].size(), 32768u);
  EXPECT_EQ(wave_.sampleBuffer[1].size(), 32768u);
  const void* headers = &messages_;
  InstanceBlock* instance = makeInstanceBlock(wave_, headers);
  ASSERT_NE(instance, nullptr);
  EXPECT_EQ(instance->self, instance);
  EXPECT_EQ(instance->headerBlock, headers);
  EXPECT_EQ(instance->firstBuffer, wave_.sampleBuffer[0].data());
  releaseInstance(wave_, instance);
  EXPECT_TRUE(wave_.sampleBuffer[0].empty());
  EXPECT_TRUE(wave_.sampleBuffer[1].empty());

  wave_.source.readMode = 1;
  ASSERT_TRUE(allocSampleBuffers(wave_));
  EXPECT_FALSE(wave_.sampleBuffer[0].empty());
  EXPECT_TRUE(wave_.sampleBuffer[1].empty());
  freeSampleBuffers(wave_);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(SampleBuffersTest, OutOfMemoryLeavesNoBufferBehind) {
  setFormat(176400, 4, 1 << 20, 2);
  sizeBuffers(wave_, settings, false);
  wave_.sampleMemoryLimit = 1000;
  EXPECT_FALSE(allocSampleBuffers(wave_));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "メモリ不足です。");
  EXPECT_TRUE(wave_.sampleBuffer[0].empty());
  EXPECT_TRUE(wave_.sampleBuffer[1].empty());

  // The second buffer does not fit: the first one is given back.
  wave_.sampleMemoryLimit = 40000;
  messages_.clear();
  EXPECT_FALSE(allocSampleBuffers(wave_));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "メモリ不足です。");
  EXPECT_TRUE(wave_.sampleBuffer[0].empty());
  EXPECT_TRUE(wave_.sampleBuffer[1].empty());

  wave_.sampleMemoryLimit = 0;
  ASSERT_TRUE(allocSampleBuffers(wave_));
  wave_.sampleMemoryLimit = 16;  // too small for the instance record
  messages_.clear();
  EXPECT_EQ(makeInstanceBlock(wave_, nullptr), nullptr);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "インスタンス データのためのメモリが足りません。");
  EXPECT_TRUE(wave_.sampleBuffer[0].empty());
}

}  // namespace
}  // namespace korimu

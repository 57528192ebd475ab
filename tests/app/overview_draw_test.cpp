#include "display/overview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "wave/wav_builder.h"

namespace korimu {
namespace {

constexpr int kG = 64;

// A source over bytes in memory, limited like the data chunk.
struct MemorySource {
  std::vector<uint8_t> bytes;
  size_t at = 0;
  OverviewSource make(int32_t formatTag, int32_t sampleKind) {
    OverviewSource s;
    s.formatTag = formatTag;
    s.sampleKind = sampleKind;
    s.dataBytesLeft = bytes.size();
    s.read = [this](uint8_t* buffer, size_t n) {
      const size_t got = std::min(n, bytes.size() - at);
      std::memcpy(buffer, bytes.data() + at, got);
      at += got;
      return got;
    };
    return s;
  }
};

bool black(const Canvas& c, int x, int y) {
  return c.getPixel(x, y) == kBlack;
}

// Rows holding black pixels in one column.
std::vector<int> blackRows(const Canvas& c, int x) {
  std::vector<int> rows;
  for (int y = 0; y < c.height(); ++y)
    if (black(c, x, y)) rows.push_back(y);
  return rows;
}

TEST(OverviewStrip, EightBitSilenceIsALineAtHalfHeightForBothZooms) {
  for (int zoom : {1, 2}) {
    MemorySource src{std::vector<uint8_t>(512 * 4, 128)};
    Canvas strip(512, kG);
    strip.clear(kBlack);  // the strip must be whitened first
    ASSERT_TRUE(drawOverview(strip, src.make(1, 0), 4, zoom));
    for (int x : {0, 1, 100, 511}) EXPECT_EQ(blackRows(strip, x), std::vector<int>{kG / 2}) << zoom;
  }
}

TEST(OverviewStrip, SixteenBitSilenceSitsAtHalfHeight) {
  MemorySource src{std::vector<uint8_t>(512 * 2 * 2 * 2, 0)};  // stereo, F = 2
  Canvas strip(512, kG);
  ASSERT_TRUE(drawOverview(strip, src.make(1, 3), 2, 1));
  EXPECT_EQ(blackRows(strip, 300), std::vector<int>{kG / 2});
}

TEST(OverviewStrip, EnvelopeCoversMinimumToMaximumOfEachColumn) {
  // 8-bit mono, F = 4: values 0 and 252 in every column; larger values lie lower.
  std::vector<uint8_t> data;
  for (int i = 0; i < 512; ++i) data.insert(data.end(), {0, 252, 0, 252});
  MemorySource src{data};
  Canvas strip(512, kG);
  ASSERT_TRUE(drawOverview(strip, src.make(1, 0), 4, 1));
  // y(0) = 0, y(252) = 252 * 64 / 256 = 63; the bar reaches y(max) + 1 exclusive.
  const std::vector<int> rows = blackRows(strip, 10);
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.front(), 0);
  EXPECT_EQ(rows.back(), 63);
  EXPECT_EQ(rows.size(), 64u);
}

TEST(OverviewStrip, ZoomedSquareWaveIsClippedAtTheEdges) {
  std::vector<uint8_t> data;
  for (int i = 0; i < 512; ++i) data.insert(data.end(), {0, 0, 255, 255});
  MemorySource src{data};
  Canvas strip(512, kG);
  ASSERT_TRUE(drawOverview(strip, src.make(1, 0), 4, 2));
  // Extremes at y(0) = -32 and y(255) = 95 lie outside; the bar fills the strip.
  EXPECT_EQ(blackRows(strip, 200).size(), size_t(kG));
}

TEST(OverviewStrip, DataEndingMidStripLeavesTheRestWhite) {
  // 100 columns of F = 8 frames of 16-bit mono noise-like data, then nothing.
  std::vector<uint8_t> data;
  for (int i = 0; i < 100 * 8; ++i) {
    testing::appendPcm16(data, (i % 2 == 0) ? 12000 : -12000);
  }
  MemorySource src{data};
  Canvas strip(512, kG);
  ASSERT_TRUE(drawOverview(strip, src.make(1, 1), 8, 1));
  EXPECT_FALSE(blackRows(strip, 99).empty());
  for (int x = 100; x < 512; ++x) ASSERT_TRUE(blackRows(strip, x).empty()) << x;
}

TEST(OverviewStrip, BytesAfterTheDataChunkAreNeverDrawn) {
  // The data holds 10 columns of silence; a trailing chunk of full-scale bytes follows in the
  // file but lies beyond the data chunk.
  std::vector<uint8_t> file(10 * 4, 128);
  file.insert(file.end(), 400, 255);
  MemorySource src{file};
  OverviewSource s = src.make(1, 0);
  s.dataBytesLeft = 10 * 4;
  Canvas strip(512, kG);
  ASSERT_TRUE(drawOverview(strip, s, 4, 1));
  EXPECT_EQ(blackRows(strip, 9), std::vector<int>{kG / 2});
  for (int x = 10; x < 512; ++x) ASSERT_TRUE(blackRows(strip, x).empty()) << x;
}

TEST(OverviewStrip, CompressedWaveLeavesTheStripWhite) {
  MemorySource src{std::vector<uint8_t>(4096, 0)};
  Canvas strip(512, kG);
  strip.clear(kBlack);
  ASSERT_TRUE(drawOverview(strip, src.make(2, 1), 4, 1));
  for (int x = 0; x < 512; x += 37) EXPECT_TRUE(blackRows(strip, x).empty());
  EXPECT_EQ(src.at, 0u);  // nothing was read
}

TEST(OverviewStrip, TraceJoinsTheLastSampleOfOneColumnToTheFirstOfTheNext) {
  // Column 0 ends at value 0 (top); column 1 starts at 252 (bottom): the joining line runs down
  // column 0 from y(0) towards y(252) and reaches column 1.
  std::vector<uint8_t> data = {128, 0, 252, 252};
  MemorySource src{data};
  Canvas strip(512, kG);
  ASSERT_TRUE(drawOverview(strip, src.make(1, 0), 2, 1));
  EXPECT_TRUE(black(strip, 1, 63));
  EXPECT_TRUE(black(strip, 0, 0));
}

}  // namespace
}  // namespace korimu

#include "platform/riff_file.h"

#include <gtest/gtest.h>

#include "wave/wav_builder.h"

namespace korimu {
namespace {

using testing::ByteWriter;

TEST(RiffFile, WalksFormsChunksAndPadBytes) {
  testing::TempDir dir;
  ByteWriter inner;
  inner.chunk("abc ", {1, 2, 3}).chunk("LIST", {'I', 'N', 'F', 'O'}).chunk("dat2", {9, 8});
  ByteWriter file;
  file.chunk("JUNK", {0, 0, 0, 0, 0});  // a chunk before the form, odd size
  file.id("RIFF").u32(uint32_t(inner.bytes().size() + 4)).id("TEST").raw(inner.bytes());
  RiffFile riff;
  ASSERT_TRUE(riff.open(dir.write("a.riff", file.bytes())));

  ChunkInfo form;
  ASSERT_TRUE(riff.descendRiff(&form, fourCc("TEST")));
  EXPECT_EQ(form.formType, fourCc("TEST"));
  EXPECT_EQ(form.dataOffset, 14u + 8u);
  EXPECT_EQ(riff.tell(), 14u + 12u);

  ChunkInfo chunk;
  ASSERT_TRUE(riff.findChunk(&chunk, form, fourCc("abc ")));
  EXPECT_EQ(chunk.size, 3u);
  uint8_t bytes[8] = {};
  EXPECT_EQ(riff.read(bytes, 3), 3u);
  EXPECT_EQ(bytes[2], 3);
  ASSERT_TRUE(riff.ascend(chunk));
  EXPECT_EQ(riff.tell(), chunk.dataOffset + 4);  // past the pad byte

  ChunkInfo data;
  ASSERT_TRUE(riff.findChunk(&data, form, fourCc("dat2")));  // skips LIST
  EXPECT_EQ(riff.read(bytes, 8), 2u);                        // the file ends here
  EXPECT_EQ(bytes[0], 9);

  // Searching again from here finds nothing; "abc " lies behind.
  ASSERT_TRUE(riff.seek(data.dataOffset + 2));
  EXPECT_FALSE(riff.findChunk(&chunk, form, fourCc("abc ")));

  ChunkInfo other;
  EXPECT_FALSE(riff.descendRiff(&other, fourCc("WAVE")));
  riff.close();
  EXPECT_FALSE(riff.isOpen());
  EXPECT_EQ(riff.read(bytes, 1), 0u);
}

TEST(RiffFile, SizesPastTheEndAreHarmless) {
  testing::TempDir dir;
  ByteWriter file;
  file.id("RIFF").u32(0xFFFFFFF0).id("WAVE").id("huge").u32(0xFFFFFFFF).u8(1).u8(2);
  RiffFile riff;
  ASSERT_TRUE(riff.open(dir.write("b.riff", file.bytes())));
  ChunkInfo form, chunk;
  ASSERT_TRUE(riff.descendRiff(&form, fourCc("WAVE")));
  EXPECT_FALSE(riff.findChunk(&chunk, form, fourCc("data")));
  ASSERT_TRUE(riff.seek(12));
  ASSERT_TRUE(riff.findChunk(&chunk, form, fourCc("huge")));
  EXPECT_TRUE(riff.ascend(chunk));  // held at the end of the file
  EXPECT_EQ(riff.tell(), riff.fileSize());
  EXPECT_FALSE(riff.seek(riff.fileSize() + 1));
  uint8_t byte = 0;
  EXPECT_EQ(riff.read(&byte, 1), 0u);
}

TEST(RiffFile, TruncatedHeadersAndFoldersDoNotOpenAsForms) {
  testing::TempDir dir;
  RiffFile riff;
  EXPECT_FALSE(riff.open(dir.path()));  // a folder is not a file
  EXPECT_FALSE(riff.open(dir.path() / "none"));
  ASSERT_TRUE(riff.open(dir.write("c.riff", {'R', 'I', 'F', 'F', 4, 0})));
  ChunkInfo form;
  EXPECT_FALSE(riff.descendRiff(&form, fourCc("WAVE")));
}

}  // namespace
}  // namespace korimu

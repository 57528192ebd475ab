#include "platform/fixed_font.h"

#include <gtest/gtest.h>

#include "platform/canvas.h"

namespace korimu {
namespace {

TEST(FixedFont, CellsCountLikeTheJapaneseCodePage) {
  EXPECT_EQ(textCells("表示ﾃﾞｰﾀ数"), 10);
  EXPECT_EQ(textCells("中断要求受付"), 12);
  EXPECT_EQ(textCells("%2dkHz"), 6);
  EXPECT_EQ(textCells(""), 0);
}

TEST(FixedFont, GlyphWidthsFollowTheCells) {
  const FixedFont& font = fixedFont();
  ASSERT_TRUE(font.loaded());
  EXPECT_EQ(font.glyph(U'A').width, 8);
  EXPECT_EQ(font.glyph(U'ｶ').width, 8);
  EXPECT_EQ(font.glyph(U'解').width, 16);
  EXPECT_EQ(font.glyph(U'あ').width, 16);
}

TEST(FixedFont, TextOutDrawsOpaqueCells) {
  Canvas c(40, 20);
  c.clear(kWhite);
  const int drawn = c.textOut(0, 0, "A解", TextStyle{kBlack, Rgb{192, 192, 192}, true});
  EXPECT_EQ(drawn, 24);
  EXPECT_EQ(c.getPixel(0, 0), (Rgb{192, 192, 192}));  // background of the first cell row
  int black = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 8; ++x) black += c.getPixel(x, y) == kBlack;
  EXPECT_GT(black, 10);                  // the letter's strokes
  EXPECT_EQ(c.getPixel(30, 5), kWhite);  // beyond the text
}

TEST(FixedFont, MalformedUtf8DecodesAsReplacement) {
  const auto cps = decodeUtf8(std::string("a\xE3\x81", 3));
  ASSERT_EQ(cps.size(), 2u);
  EXPECT_EQ(cps[1], char32_t(0xFFFD));
}

TEST(FixedFont, MissingFileIsReported) {
  FixedFont font;
  std::string error;
  EXPECT_FALSE(font.load("/nonexistent/font.hex", &error));
  EXPECT_NE(error.find("/nonexistent/font.hex"), std::string::npos);
}

}  // namespace
}  // namespace korimu

#include "platform/canvas.h"

#include <gtest/gtest.h>

#include <functional>

namespace korimu {
namespace {

TEST(Canvas, LineExcludesItsLastPixelAndMovesThePen) {
  Canvas c(20, 10);
  c.clear(kWhite);
  c.setPen(kBlack);
  c.moveTo(2, 3);
  c.lineTo(8, 3);
  for (int x = 2; x < 8; ++x) EXPECT_EQ(c.getPixel(x, 3), kBlack) << x;
  EXPECT_EQ(c.getPixel(8, 3), kWhite);
  EXPECT_EQ(c.penX(), 8);
  c.lineTo(8, 7);  // vertical, continuing from the pen
  EXPECT_EQ(c.getPixel(8, 3), kBlack);
  EXPECT_EQ(c.getPixel(8, 6), kBlack);
  EXPECT_EQ(c.getPixel(8, 7), kWhite);
}

TEST(Canvas, WidePenCoversTwoPixels) {
  Canvas c(10, 10);
  c.clear(kWhite);
  c.setPen(kBlack, 2);
  c.moveTo(1, 1);
  c.lineTo(1, 5);
  EXPECT_EQ(c.getPixel(2, 3), kBlack);
  EXPECT_EQ(c.getPixel(3, 3), kWhite);
}

TEST(Canvas, FillInvertAndClipping) {
  Canvas c(8, 8);
  c.clear(kWhite);
  c.fillRect(-2, -2, 4, 4, Rgb{10, 20, 30});  // clipped to (0,0)-(2,2)
  EXPECT_EQ(c.getPixel(1, 1), (Rgb{10, 20, 30}));
  EXPECT_EQ(c.getPixel(2, 2), kWhite);
  c.invertRect(0, 0, 3, 3);
  EXPECT_EQ(c.getPixel(1, 1), (Rgb{245, 235, 225}));
  EXPECT_EQ(c.getPixel(2, 2), kBlack);
  c.invertRect(0, 0, 3, 3);  // inverting twice restores
  EXPECT_EQ(c.getPixel(2, 2), kWhite);
  EXPECT_EQ(c.getPixel(100, 100), kBlack);  // outside reads black
  c.setPixel(-1, 0, kBlack);                // outside writes nothing
}

TEST(Canvas, DepthModesQuantiseStoredColours) {
  Canvas c16(2, 2, 16);
  c16.setPixel(0, 0, Rgb{255, 255, 255});
  EXPECT_EQ(c16.getPixel(0, 0), (Rgb{248, 252, 248}));
  Canvas c4(2, 2, 4);
  c4.setPixel(0, 0, Rgb{191, 191, 0});  // dark yellow shows as olive on a VGA display
  EXPECT_EQ(c4.getPixel(0, 0), (Rgb{128, 128, 0}));
  c4.setPixel(1, 0, Rgb{250, 250, 250});
  EXPECT_EQ(c4.getPixel(1, 0), kWhite);
  Canvas c8(2, 2, 8);
  c8.setPixel(0, 0, Rgb{77, 77, 77});  // the grey palette keeps every grey
  EXPECT_EQ(c8.getPixel(0, 0), (Rgb{77, 77, 77}));
}

TEST(Canvas, CopyFromClipsToBothSurfaces) {
  Canvas src(4, 4), dst(6, 6);
  src.clear(Rgb{1, 2, 3});
  dst.clear(kWhite);
  dst.copyFrom(src, 2, 2, 4, 4, 1, 1);  // only a 2 x 2 part of the source exists
  EXPECT_EQ(dst.getPixel(1, 1), (Rgb{1, 2, 3}));
  EXPECT_EQ(dst.getPixel(2, 2), (Rgb{1, 2, 3}));
  EXPECT_EQ(dst.getPixel(3, 3), kWhite);
}

// Pixel by pixel, as the display of the destination's depth would show the source.
TEST(Canvas, CopyFromMatchesAPixelByPixelCopyAtEveryDepthAndOffset) {
  struct Case {
    int sx, sy, w, h, dx, dy;
  };
  const Case cases[] = {{0, 0, 9, 7, 0, 0},   {3, 2, 9, 7, 0, 0},   {-2, -3, 6, 5, 1, 1},
                        {1, 1, 4, 4, -2, -1}, {0, 0, 20, 20, 5, 4}, {8, 6, 3, 3, 0, 0},
                        {9, 0, 2, 2, 0, 0},   {0, 0, 3, 3, 10, 1},  {2, 1, 0, 4, 0, 0}};
  for (int depth : {24, 16, 8, 4}) {
    Canvas src(9, 7, 24);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 9; ++x) src.setPixel(x, y, Rgb{uint8_t(29 * x), uint8_t(37 * y), 77});
    for (const Case& c : cases) {
      Canvas dst(10, 6, depth);
      dst.clear(kWhite);
      Canvas expected = dst;
      for (int row = 0; row < c.h; ++row)
        for (int col = 0; col < c.w; ++col) {
          const int x = c.sx + col, y = c.sy + row;
          if (x >= 0 && y >= 0 && x < 9 && y < 7)
            expected.setPixel(c.dx + col, c.dy + row, src.getPixel(x, y));
        }
      dst.copyFrom(src, c.sx, c.sy, c.w, c.h, c.dx, c.dy);
      EXPECT_EQ(dst.pixels(), expected.pixels())
          << depth << " bits, from " << c.sx << "," << c.sy << " to " << c.dx << "," << c.dy;
    }
  }
}

TEST(Canvas, FillWhollyOutsideTheSurfaceDrawsNothing) {
  Canvas c(8, 8);
  c.clear(kWhite);
  c.fillRect(20, 2, 4, 4, kBlack);  // right of the surface
  c.fillRect(2, 20, 4, 4, kBlack);  // below it
  c.fillRect(-9, 2, 4, 4, kBlack);  // left of it
  for (uint32_t p : c.pixels()) EXPECT_EQ(p, packRgb(kWhite));
}

// A canvas that keeps only a part takes every drawing operation as the whole one does inside that
// part, and reads black outside it.
TEST(Canvas, AKeptPartDrawsAsTheWholeSurfaceDoesThereAndIsBlackElsewhere) {
  Canvas source(30, 20, 24);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) source.setPixel(x, y, Rgb{uint8_t(8 * x), uint8_t(12 * y), 99});
  const uint32_t row[5] = {1, 2, 3, 4, 5};
  const std::function<void(Canvas&)> operations[] = {
      [](Canvas& c) {
        c.fillRect(-3, 2, 20, 9, Rgb{10, 20, 30});
      },
      [](Canvas& c) { c.invertRect(4, -2, 30, 12); },
      [](Canvas& c) {
        c.setPen(kBlack, 2);
        c.moveTo(-5, -4);
        c.lineTo(31, 19);
      },
      [](Canvas& c) {
        c.textOut(-3, 3, "Ａt 1/2", TextStyle{kBlack, kWhite, true});
      },
      [](Canvas& c) {
        c.textOut(8, -5, "dB", TextStyle{kWhite, kBlack, false});
      },
      [&](Canvas& c) { c.copyFrom(source, 3, 1, 25, 18, 1, 2); },
      [&](Canvas& c) { c.putRow(5, 6, row, 5); },
      [&](Canvas& c) { c.putRow(-2, 12, row, 5); },
  };
  const CanvasArea parts[] = {{6, 4, 12, 9}, {0, 0, 30, 20}, {-4, 15, 12, 40}, {25, 2, 0, 5}};
  for (int depth : {24, 4}) {
    Canvas whole(30, 20, depth, kButtonFace);
    for (const auto& operation : operations) operation(whole);
    for (const CanvasArea& part : parts) {
      Canvas kept(30, 20, depth, kButtonFace, part);
      for (const auto& operation : operations) operation(kept);
      const CanvasArea k = kept.kept();
      for (int y = -1; y <= 20; ++y)
        for (int x = -1; x <= 30; ++x) {
          const bool inside = x >= k.x && y >= k.y && x < k.x + k.w && y < k.y + k.h;
          ASSERT_EQ(kept.getPixel(x, y), inside ? whole.getPixel(x, y) : kBlack)
              << depth << " bits, part " << part.x << "," << part.y << " at " << x << "," << y;
        }
      EXPECT_EQ(kept.part(0, 0, 30, 20).pixels(), whole.part(k.x, k.y, k.w, k.h).pixels());
    }
  }
}

}  // namespace
}  // namespace korimu

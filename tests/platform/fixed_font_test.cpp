#include "platform/fixed_font.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/canvas.h"
#include "wave/wav_builder.h"

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

// Text that runs over every edge of the surface, opaque and not, narrow and wide: each pixel is
// the glyph bit's colour where it lands inside, and the rest of the surface is left alone.
TEST(FixedFont, TextOutClipsAtEveryEdgeLikeAPixelByPixelDrawing) {
  const FixedFont& font = fixedFont();
  const std::u32string text = U"A9解g";
  const TextStyle styles[] = {{kBlack, Rgb{192, 192, 192}, true}, {Rgb{255, 0, 0}, kBlack, false}};
  for (const TextStyle& style : styles) {
    for (int y : {-15, -3, 0, 5, 17}) {
      for (int x : {-30, -9, -1, 0, 3, 14}) {
        SCOPED_TRACE(::testing::Message() << "x " << x << " y " << y << " opaque " << style.opaque);
        Canvas c(26, 21);
        c.clear(kWhite);
        EXPECT_EQ(c.textOut(x, y, "A9解g", style), 40);
        Canvas expected(26, 21);
        expected.clear(kWhite);
        int cx = x;
        for (char32_t cp : text) {
          const Glyph& glyph = font.glyph(cp);
          for (int row = 0; row < FixedFont::kCellHeight; ++row)
            for (int col = 0; col < glyph.width; ++col)
              if (glyph.bit(row, col) || style.opaque)
                expected.setPixel(cx + col, y + row,
                                  glyph.bit(row, col) ? style.text : style.background);
          cx += glyph.width;
        }
        EXPECT_EQ(c.pixels(), expected.pixels());
      }
    }
  }
}

TEST(FixedFont, MalformedUtf8DecodesAsReplacement) {
  const auto cps = decodeUtf8(std::string("a\xE3\x81", 3));
  ASSERT_EQ(cps.size(), 2u);
  EXPECT_EQ(cps[1], char32_t(0xFFFD));
}

// A .hex line for a code point, its rows made from the code point so every glyph differs.
std::string hexLine(char32_t cp, bool wide) {
  char head[16];
  std::snprintf(head, sizeof head, "%04X:", unsigned(cp));
  std::string line = head;
  for (int row = 0; row < 16; ++row) {
    char digits[8];
    const unsigned value = (unsigned(cp) * 31u + unsigned(row) * 7u) & (wide ? 0xFFFFu : 0xFFu);
    std::snprintf(digits, sizeof digits, wide ? "%04X" : "%02X", value);
    line += digits;
  }
  return line;
}

// Glyphs are parsed as they are drawn: in a sorted file, with comments and broken lines between
// the glyphs, and in a shuffled one, every glyph is the one its line holds, on every thread.
TEST(FixedFont, EveryGlyphIsFoundInSortedShuffledAndNoisyFiles) {
  std::vector<char32_t> points;
  for (char32_t cp = 0x20; cp < 0x7F; ++cp) points.push_back(cp);
  for (char32_t cp : {0x3042, 0x4E2D, 0x6590, 0x89E3, 0xFF76, 0x10000}) points.push_back(cp);
  const auto wide = [](char32_t cp) { return cp >= 0x3000 && cp != 0xFF76; };
  std::vector<std::string> lines;
  for (char32_t cp : points) lines.push_back(hexLine(cp, wide(cp)));

  std::vector<std::string> noisy;
  for (size_t i = 0; i < lines.size(); ++i) {
    noisy.push_back(lines[i]);
    if (i % 3 == 0) noisy.push_back("# a comment line");
    if (i % 5 == 0) noisy.push_back("12G4:00");
  }
  std::vector<std::string> shuffled = lines;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));

  testing::TempDir dir;
  for (const auto& [name, content] :
       {std::pair{"sorted.hex", lines}, {"noisy.hex", noisy}, {"shuffled.hex", shuffled}}) {
    std::string text;
    for (const std::string& line : content) text += line + "\n";
    const std::string path = dir.write(name, std::vector<uint8_t>(text.begin(), text.end()));
    FixedFont font;
    std::string error;
    ASSERT_TRUE(font.load(path, &error)) << error;
    // Renders on several threads draw with one font: four threads look every glyph up at once,
    // each in its own order (a shuffled file makes one of them parse every line meanwhile).
    const auto glyphsFound = [&](unsigned seed) {
      std::vector<char32_t> order = points;
      std::shuffle(order.begin(), order.end(), std::mt19937(seed));
      std::vector<std::pair<char32_t, Glyph>> found;
      for (int pass = 0; pass < 2; ++pass)
        for (char32_t cp : order) found.emplace_back(cp, font.glyph(cp));
      return found;
    };
    std::vector<std::future<std::vector<std::pair<char32_t, Glyph>>>> lookups;
    for (unsigned seed = 0; seed < 4; ++seed)
      lookups.push_back(std::async(std::launch::async, glyphsFound, seed));
    for (auto& lookup : lookups) {
      for (const auto& [cp, g] : lookup.get()) {
        ASSERT_EQ(g.width, wide(cp) ? 16 : 8) << name << " " << unsigned(cp);
        for (int row = 0; row < 16; ++row) {
          const unsigned value =
              (unsigned(cp) * 31u + unsigned(row) * 7u) & (wide(cp) ? 0xFFFFu : 0xFFu);
          ASSERT_EQ(g.rows[size_t(row)], wide(cp) ? value : value << 8)
              << name << " " << unsigned(cp);
        }
      }
    }
    // Not in the file: a box of the cell's width.
    EXPECT_EQ(font.glyph(0x3044).width, 16) << name;
    EXPECT_EQ(font.glyph(0x3044).rows[2], 0xFFFE) << name;
    EXPECT_EQ(font.glyph(0x7F).rows[2], 0xFE00) << name;
  }
}

TEST(FixedFont, AFileWithoutGlyphsIsReported) {
  testing::TempDir dir;
  const std::string text = "# no glyphs here\n0041:12\n";
  const std::string path = dir.write("empty.hex", std::vector<uint8_t>(text.begin(), text.end()));
  FixedFont font;
  std::string error;
  EXPECT_FALSE(font.load(path, &error));
  EXPECT_FALSE(font.loaded());
  EXPECT_NE(error.find("no glyphs"), std::string::npos);
}

// A font path that names no font file is reported at once with its name; a named pipe with no
// writer (reading it would wait for ever) and a folder are not read.
TEST(FixedFont, APathThatIsNoFontFileIsReported) {
  testing::TempDir dir;
  const std::string pipe = (dir.path() / "pipe.hex").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  struct Case {
    std::string path;
    const char* reason;
  };
  const Case cases[] = {{"/nonexistent/font.hex", "cannot open"},
                        {pipe, "not a regular file"},
                        {dir.path().string(), "not a regular file"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    auto loading = std::async(std::launch::async, [&] {
      FixedFont font;
      std::string error;
      const bool loaded = font.load(c.path, &error);
      return std::make_pair(loaded, error);
    });
    if (loading.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
      ADD_FAILURE() << "the load waits for a writer";
      // A writer lets the waiting open return, so the test can end.
      const int writer = ::open(c.path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (writer >= 0) ::close(writer);
    }
    const auto [loaded, error] = loading.get();
    EXPECT_FALSE(loaded);
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_NE(error.find(c.path), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace korimu

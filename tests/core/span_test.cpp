#include "core/span.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace korimu {
namespace {

TEST(SpanList, OffersTheElevenAndAboveThemWhatTheFileNeedsToBeSeenWhole) {
  const std::vector<std::string> eleven{"524288", "262144", "131072", " 65536", " 32768", " 16384",
                                        "  8192", "  4096", "  2048", "  1024", "   512"};
  struct Case {
    uint64_t fileFrames;
    std::vector<std::string> above;
  };
  EXPECT_EQ(spanLabels(0), eleven);  // no file
  for (const Case& c :
       {Case{1, {}}, Case{524288, {}}, Case{524289, {"    1M"}},
        Case{26460000, {"   32M", "   16M", "    8M", "    4M", "    2M", "    1M"}},
        Case{uint64_t{1} << 40, {}}}) {
    std::vector<std::string> labels = spanLabels(c.fileFrames);
    ASSERT_GE(labels.size(), 12u);
    EXPECT_EQ(labels.front(), "  全体");
    EXPECT_EQ(std::vector<std::string>(labels.end() - 11, labels.end()), eleven);
    if (c.fileFrames < (uint64_t{1} << 31))
      EXPECT_EQ(std::vector<std::string>(labels.begin() + 1, labels.end() - 11), c.above);
    else
      EXPECT_EQ(labels[1], "    1G");  // never wider than 2^30 frames
    // Every label reads back as the span it shows, the widest first.
    for (size_t i = 1; i < labels.size(); ++i) {
      const SpanChoice choice = spanOfLabel(labels[i]);
      ASSERT_TRUE(choice.valid && !choice.whole) << labels[i];
      EXPECT_EQ(spanLabel(choice.frames), labels[i]);
      if (i > 1) {
        EXPECT_EQ(choice.frames * 2, spanOfLabel(labels[i - 1]).frames);
      }
    }
    // The widest holds the file; the one below it would not (unless it is 524288 or 2^30).
    const int64_t widest = spanOfLabel(labels[1]).frames;
    EXPECT_TRUE(uint64_t(widest) >= c.fileFrames || widest == int64_t{1} << 30);
    EXPECT_TRUE(uint64_t(widest / 2) < c.fileFrames || widest == 524288);
  }
}

TEST(SpanList, ReadsTheCommandLineWordsAndRefusesTheRest) {
  EXPECT_TRUE(spanOfLabel("whole").whole);
  EXPECT_TRUE(spanOfLabel("全体").whole);
  EXPECT_EQ(spanOfLabel("1073741824").frames, int64_t{1} << 30);
  EXPECT_EQ(spanOfLabel("2M").frames, int64_t{1} << 21);
  for (const char* bad : {"", "   ", "511", "1000", "2147483648", "2G", "-512", "1e6", "M", "512k"})
    EXPECT_FALSE(spanOfLabel(bad).valid) << bad;
}

TEST(SpanList, TheWholeSpanFitsTheFramesLeftIntoTheColumns) {
  EXPECT_EQ(wholeSpanFramesPerColumn(0), 1);
  EXPECT_EQ(wholeSpanFramesPerColumn(512), 1);
  EXPECT_EQ(wholeSpanFramesPerColumn(513), 2);
  EXPECT_EQ(wholeSpanFramesPerColumn(26460000), 51680);  // 512 x 51680 >= 26460000
}

// The count after 表示ﾃﾞｰﾀ数 keeps its digits where they fit the cells up to the window's edge; a
// longer one (a whole file's span of nine or ten digits) is given in M or G, to a tenth, and
// within the cells.
TEST(SpanList, AWholeSpanCountFitsTheCellsItHas) {
  struct Case {
    int64_t frames;
    int cells;
    const char* label;
  };
  for (const Case& c :
       {Case{512, 8, "   512"}, Case{26460160, 8, "26460160"}, Case{99999744, 8, "99999744"},
        Case{345600000, 9, "345600000"}, Case{345600000, 8, "329.6M"},
        Case{1073741824, 8, "    1G"}, Case{1073742336, 8, "  1.0G"}, Case{4294966784, 9, "  4.0G"},
        Case{1072693760, 8, "1023.0M"}, Case{345600000, 5, "  330M"}}) {
    SCOPED_TRACE(c.frames);
    SCOPED_TRACE(c.cells);
    const std::string label = spanLabelWithin(c.frames, c.cells);
    EXPECT_EQ(label, c.label);
    EXPECT_LE(int(label.size()), std::max(c.cells, 6));
    if (int(spanLabel(c.frames).size()) <= c.cells) {
      EXPECT_EQ(label, spanLabel(c.frames));
    }
    // Whatever its unit, the label reads within half a shown step of the count.
    const double unit = label.back() == 'G'   ? double(int64_t{1} << 30)
                        : label.back() == 'M' ? double(int64_t{1} << 20)
                                              : 1.0;
    const double step = label.find('.') != std::string::npos ? 0.1 : 1.0;
    EXPECT_NEAR(std::stod(label) * unit, double(c.frames), step * unit / 2 + 1);
  }
}

}  // namespace
}  // namespace korimu

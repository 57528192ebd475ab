#include "control/navigation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>

#include "resources/menu_table.h"

namespace korimu {
namespace {

// 16-bit stereo at 44.1 kHz: 4-byte frames, 176400 bytes per second, 10 seconds of data.
constexpr DataExtent kStereo{4, 1764000, 176400};

TEST(Navigation, StepBackWrapsFromStartToLastFrame) {
  EXPECT_EQ(navigatedPosition(kStepBack, 0, kStereo), 1764000u - 4u);
  EXPECT_EQ(navigatedPosition(kStepBack, 8, kStereo), 4u);
  EXPECT_EQ(navigatedPosition(kStepBack, 4, kStereo), 0u);
}

TEST(Navigation, StepForwardWrapsFromLastFrameToStart) {
  EXPECT_EQ(navigatedPosition(kStepForward, 1764000 - 4, kStereo), 0u);
  EXPECT_EQ(navigatedPosition(kStepForward, 1764000 - 8, kStereo), 1764000u - 4u);
  EXPECT_EQ(navigatedPosition(kStepForward, 0, kStereo), 4u);
}

TEST(Navigation, BackwardStepsStopAtZero) {
  EXPECT_EQ(navigatedPosition(kFastBack, 176399, kStereo), 0u);
  EXPECT_EQ(navigatedPosition(kFastBack, 176400, kStereo), 0u);
  EXPECT_EQ(navigatedPosition(kFastBack, 176404, kStereo), 4u);
  EXPECT_EQ(navigatedPosition(kBack, 839, kStereo), 0u);
  EXPECT_EQ(navigatedPosition(kBack, 840, kStereo), 0u);  // 210 frames of 4 bytes
  EXPECT_EQ(navigatedPosition(kBack, 844, kStereo), 4u);
}

TEST(Navigation, ForwardStepsStopAtLastFrame) {
  EXPECT_EQ(navigatedPosition(kFastForward, 1764000 - 176400, kStereo), 1764000u - 4u);
  EXPECT_EQ(navigatedPosition(kFastForward, 1764000 - 176404, kStereo), 1764000u - 4u);
  EXPECT_EQ(navigatedPosition(kFastForward, 0, kStereo), 176400u);
  EXPECT_EQ(navigatedPosition(kForward, 1764000 - 840, kStereo), 1764000u - 4u);
  EXPECT_EQ(navigatedPosition(kForward, 0, kStereo), 840u);
}

TEST(Navigation, AStripClickGoesToTheFrameUnderThePointerInsideTheData) {
  struct Case {
    double x;
    uint32_t position;
    int64_t framesPerColumn;
    uint32_t expected;
  };
  for (const Case& c : {
           Case{0, 400, 512, 400},                      // the strip's first frame
           Case{1, 0, 512, 512 * 4},                    // one column on
           Case{100.25, 8, 1024, 8 + 102656 * 4},       // 100.25 x 1024 frames
           Case{2.0004, 0, 1, 2 * 4},                   // rounded to the nearest frame
           Case{2.6, 0, 1, 3 * 4},                      //
           Case{511.9, 0, 1024, 1764000 - 4},           // past the data: its last frame
           Case{3, 4294967000u, 1 << 21, 1764000 - 4},  // no 32-bit wrap on the way
           Case{-1, 40, 512, 40},                       // left of the strip: nothing moves
       })
    EXPECT_EQ(positionUnderStripX(c.x, c.position, c.framesPerColumn, kStereo), c.expected)
        << c.x << " " << c.position << " " << c.framesPerColumn;
}

TEST(Navigation, DataShorterThanOneFrameKeepsPositionAtZero) {
  const DataExtent tiny{4, 2, 176400};
  EXPECT_EQ(navigatedPosition(kStepBack, 0, tiny), 0u);
  EXPECT_EQ(navigatedPosition(kForward, 0, tiny), 0u);
  EXPECT_EQ(navigatedPosition(kFastForward, 0, tiny), 0u);
  EXPECT_EQ(navigatedPosition(kStepForward, 0, tiny), 0u);
}

TEST(Navigation, LargeStepsDoNotWrapAround32Bits) {
  const DataExtent huge{4, 0xFFFFFFF0u, 0xFFFFFF00u};
  EXPECT_EQ(navigatedPosition(kFastForward, 0x100, huge), 0xFFFFFFF0u - 4u);
}

// Home, End, PageUp, PageDown and the wheel on a 10 s file of 441000 frames, with spans shorter
// than the file, as long as it, and longer.
TEST(Navigation, SpanMovesStayInsideTheDataAndStopAtTheLastSpan) {
  struct Case {
    const char* name;
    SpanMove move;
    int count;
    uint32_t position;
    int64_t spanFrames;
    uint32_t expected;
  };
  constexpr uint32_t kEnd = 1764000;  // bytes of data
  for (const Case& c : {
           Case{"home", SpanMove::kToStart, 0, 4000, 1024, 0},
           Case{"end: the last span ends with the data", SpanMove::kToEnd, 0, 0, 1024,
                kEnd - 1024 * 4},
           Case{"end with a span of the whole file", SpanMove::kToEnd, 0, 400, 441000, 0},
           Case{"end with a span above the file", SpanMove::kToEnd, 0, 400, 1 << 20, 0},
           Case{"page down", SpanMove::kBySpans, 1, 8, 1024, 8 + 4096},
           Case{"page down stops at the last span", SpanMove::kBySpans, 1, kEnd - 6000, 1024,
                kEnd - 4096},
           Case{"page down beyond the last span stays", SpanMove::kBySpans, 1, kEnd - 8, 1024,
                kEnd - 8},
           Case{"page down with a span above the file", SpanMove::kBySpans, 1, 0, 1 << 20, 0},
           Case{"page up", SpanMove::kBySpans, -1, 10000, 1024, 10000 - 4096},
           Case{"page up stops at the start", SpanMove::kBySpans, -1, 4000, 1024, 0},
           Case{"page up with a span above the file", SpanMove::kBySpans, -1, kEnd - 4, 1 << 20, 0},
           Case{"a wheel notch is a tenth, in whole frames", SpanMove::kByTenths, 1, 0, 1024,
                102 * 4},
           Case{"three notches back", SpanMove::kByTenths, -3, 40000, 10240, 40000 - 3 * 4096},
           Case{"a tenth of a tiny span is one frame", SpanMove::kByTenths, 2, 0, 5, 8},
           Case{"no 32-bit wrap", SpanMove::kBySpans, 1000, 4, int64_t{1} << 30, 4},
       }) {
    SCOPED_TRACE(c.name);
    const uint32_t moved =
        positionAfterSpanMove(c.move, c.count, c.position, c.spanFrames, kStereo);
    EXPECT_EQ(moved, c.expected);
    EXPECT_EQ(moved % kStereo.blockAlign, c.position % kStereo.blockAlign);
    EXPECT_LT(moved, kStereo.dataSize);
  }
}

// A page down and a page up (or n notches each way) come back where they started unless an end
// stopped them; a right click undoes the left click at the same place.
TEST(Navigation, MovesThereAndBackReturnToTheStart) {
  for (uint32_t start : {0u, 4096u, 800000u, 1764000u - 40000u}) {
    for (int n : {1, 3}) {
      SCOPED_TRACE(::testing::Message() << start << " " << n);
      for (SpanMove move : {SpanMove::kBySpans, SpanMove::kByTenths}) {
        const uint32_t there = positionAfterSpanMove(move, n, start, 4096, kStereo);
        const uint32_t back = positionAfterSpanMove(move, -n, there, 4096, kStereo);
        const uint32_t limit = 1764000 - 4096 * 4;
        if (there < limit) {
          EXPECT_EQ(back, start);
        }
      }
      for (double x : {0.0, 17.5, 300.0}) {
        const uint32_t there = positionUnderStripX(x, start, 16, kStereo);
        if (there < 1764000 - 4) {
          EXPECT_EQ(positionBackByStripX(x, there, 16, kStereo), start);
        }
      }
    }
  }
  EXPECT_EQ(positionBackByStripX(500, 400, 512, kStereo), 0u);  // stops at the start
}

TEST(Navigation, GoToTakesMinutesAndSecondsOrSeconds) {
  const struct {
    const char* text;
    std::optional<double> seconds;
  } rows[] = {
      {"83.5", 83.5},           {"1:23.5", 83.5},
      {" 0:01:23.5 ", 83.5},    {"0", 0.0},
      {"2:00", 120.0},          {"61", 61.0},
      {"1:60", std::nullopt},   {"-1", std::nullopt},
      {"1.5:00", std::nullopt}, {"", std::nullopt},
      {"abc", std::nullopt},    {"1:2:3:4", std::nullopt},
      {"1::3", std::nullopt},   {"1e400", std::nullopt},
      {"+3", std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(secondsOfTimeText(row.text), row.seconds);
  }
  // The box's starting text reads back as the same time.
  for (double seconds : {0.0, 0.5, 83.25, 3599.999, 7200.0})
    EXPECT_NEAR(*secondsOfTimeText(timeTextOfSeconds(seconds)), seconds, 0.0005);
  EXPECT_EQ(timeTextOfSeconds(83.5), "1:23.500");
  // A time is the nearest frame, inside the data.
  EXPECT_EQ(positionAtSeconds(1.0, kStereo), 176400u);
  EXPECT_EQ(positionAtSeconds(1.00001, kStereo), 176400u);
  EXPECT_EQ(positionAtSeconds(0.0000114, kStereo), 4u);  // half a frame and more rounds up
  EXPECT_EQ(positionAtSeconds(10.0, kStereo), 1764000u - 4u);
  EXPECT_EQ(positionAtSeconds(1e12, kStereo), 1764000u - 4u);
}

TEST(MenuCaptions, MnemonicGroupsBecomeQtMnemonics) {
  std::vector<std::string> captions;
  for (const MenuEntry& e : korimuMenu())
    if (e.kind == MenuEntry::kPopup || e.kind == MenuEntry::kItem)
      captions.push_back(menuCaption(e));
  ASSERT_GE(captions.size(), 4u);
  EXPECT_EQ(captions[0], "ファイル(&F)");
  EXPECT_EQ(captions[1], "開く(&O)...");
  EXPECT_EQ(captions[2], "画像を保存(&S)...");
  EXPECT_EQ(captions[3], "数値を保存(&E)...");
  EXPECT_EQ(captions[4], "クリップボードにコピー(&C)");
  EXPECT_EQ(captions[5], "&Info...");
  EXPECT_NE(std::find(captions.begin(), captions.end(), "ヘルプの表示(&H)...\tF1"), captions.end());
  EXPECT_NE(std::find(captions.begin(), captions.end(), "ｵﾌﾟｼｮﾝ(&O)..."), captions.end());
}

TEST(MenuCaptions, ResourceFormKeepsTheKatakanaGroup) {
  const MenuEntry& file = korimuMenu()[0];
  EXPECT_EQ(resourceCaption(file),
            "ファイル(\x1e"
            "F\x1fﾌ)");
}

TEST(MenuCaptions, EveryCommandIdAppearsOnceWithItsInitialGraying) {
  std::map<int, bool> grayed;
  int popups = 0;
  for (const MenuEntry& e : korimuMenu()) {
    if (e.kind == MenuEntry::kPopup) ++popups;
    if (e.kind != MenuEntry::kItem) continue;
    EXPECT_EQ(grayed.count(e.id), 0u) << e.id;
    grayed[e.id] = e.grayed;
  }
  EXPECT_EQ(popups, 4);
  EXPECT_EQ(grayed.size(), 24u);
  for (int id : {1102, 1203, 1201, 1213, 1202, 1123, 1120, 1121, 1122})
    EXPECT_TRUE(grayed[id]) << id;
  for (int id : {1101, 1103, 1200, 1106, 1110, 1111, 1115, 1113, 1114, 1116, 1105, 1104})
    EXPECT_FALSE(grayed[id]) << id;
}

}  // namespace
}  // namespace korimu

#include <fstream>
#include <sstream>

namespace korimu {
namespace {

TEST(HelpPage, DescribesEveryMenuItemAndControl) {
  std::ifstream in(KORIMU_HELP_PAGE);
  ASSERT_TRUE(in.good()) << KORIMU_HELP_PAGE;
  std::stringstream page;
  page << in.rdbuf();
  const std::string text = page.str();
  EXPECT_NE(text.find("lang=\"ja\""), std::string::npos);
  for (const MenuEntry& e : korimuMenu()) {
    if (e.kind != MenuEntry::kItem && e.kind != MenuEntry::kPopup) continue;
    std::string caption = e.caption;
    if (caption == "&Info...") caption = "Info...";
    EXPECT_NE(text.find(caption), std::string::npos) << caption;
  }
  for (const char* control :
       {"解析", "再生", "部分", "停止", "中断", "表示ﾃﾞｰﾀ数", "振幅", "標準", "２倍", "ﾊﾟﾜｰ", "Ａt",
        "1倍", "2倍", "4倍", "&lt;&lt;&lt;", "&gt;&gt;&gt;", "F1", "Esc"})
    EXPECT_NE(text.find(control), std::string::npos) << control;
}

}  // namespace
}  // namespace korimu

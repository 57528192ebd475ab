#include <gtest/gtest.h>

#include <algorithm>

#include "dialogs/options_layout.h"

namespace korimu {
namespace {

ControlPlacement placementOf(const std::vector<ControlPlacement>& all, int id) {
  auto it = std::find_if(all.begin(), all.end(), [id](const auto& p) { return p.id == id; });
  EXPECT_NE(it, all.end()) << "no placement for " << id;
  return it == all.end() ? ControlPlacement{} : *it;
}

TEST(OptionsLayout, UnifontUnitsWithANarrowScrollBar) {
  // unitW 8, unitH 7: w = max(16, 2*8+1) = 17, d = 18.
  const auto all = optionsLayoutPlacements(8, 7, 16, 0);
  EXPECT_EQ(all.size(), 13u);
  const auto dialog = placementOf(all, 0);
  EXPECT_FALSE(dialog.move);
  EXPECT_EQ(dialog.w, 168 * 8 / 4 + 51);
  EXPECT_EQ(dialog.h, 171 * 7 / 4 + 28 + 2 + 17);
  const auto freq = placementOf(all, 104);
  EXPECT_TRUE(freq.move && freq.resize);
  EXPECT_EQ(freq.x, 69 * 2 + 17);
  EXPECT_EQ(freq.y, 39 * 7 / 4);
  EXPECT_EQ(freq.w, 66 + 17);
  EXPECT_EQ(freq.h, 87);
  const auto window = placementOf(all, 109);
  EXPECT_EQ(window.x, 232 + 34);
  const auto box = placementOf(all, 1107);
  EXPECT_EQ(box.w, 179 * 2);  // w is not above 60
  const auto check = placementOf(all, 1113);
  EXPECT_EQ(check.x, 264 + 17);
  EXPECT_EQ(check.y, 161 * 7 / 4);
  EXPECT_EQ(check.w, 86);
  EXPECT_EQ(check.h, 70 / 4);
  const auto bar = placementOf(all, 302);
  EXPECT_FALSE(bar.move);
  EXPECT_EQ(bar.w, 152 + 51);
  EXPECT_EQ(bar.h, 19);
  const auto readout = placementOf(all, 303);
  EXPECT_TRUE(readout.move);
  EXPECT_FALSE(readout.resize);
  EXPECT_EQ(readout.x, 268 + 51);
  EXPECT_EQ(readout.y, 176 * 7 / 4);
}

TEST(OptionsLayout, SmallFontUsesTheShorterDropAndTheScrollBarWidth) {
  // unitW 6, unitH 6, a 20-pixel scroll bar and an 18-pixel caption: w = 20, d = 14.
  const auto all = optionsLayoutPlacements(6, 6, 20, 18);
  EXPECT_EQ(placementOf(all, 0).h, 171 * 6 / 4 + 18 + 24 + 2 + 20);
  EXPECT_EQ(placementOf(all, 1113).y, (14 + 143) * 6 / 4);
  EXPECT_EQ(placementOf(all, 303).y, (14 + 158) * 6 / 4);
  EXPECT_EQ(placementOf(all, 103).x, 61 * 6 / 4 + 20);
  EXPECT_EQ(placementOf(all, 108).x, 124 * 6 / 4 + 40);
  EXPECT_EQ(placementOf(all, 1112).w, 81 * 6 / 4 + 20);
}

TEST(OptionsLayout, WideScrollBarNarrowsTheDisplayFrameRule) {
  const auto all = optionsLayoutPlacements(8, 7, 61, 0);
  EXPECT_EQ(placementOf(all, 1107).w, 170 * 8 / 4 + 61);
}

}  // namespace
}  // namespace korimu

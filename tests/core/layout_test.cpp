#include <gtest/gtest.h>

#include "core/layout.h"

namespace korimu {
namespace {

TEST(LayoutGeometry, BuiltInFontGivesTheFamiliarWindow) {
  const LayoutUnits u = computeUnits(14, 8);  // ascent 14, average width 8: H = 7, W = 8
  EXPECT_EQ(u.unitH, 7);
  EXPECT_EQ(u.unitW, 8);
  EXPECT_EQ(u.overviewHeight, 64);
  EXPECT_EQ(u.smallFontPad, 2);
  EXPECT_EQ(u.layoutWidth, 640);

  const ControlSizes s = computeControlSizes(u);
  EXPECT_EQ(s.buttonHeight, 28);
  EXPECT_EQ(s.amplitudeRadioH, 17);
  EXPECT_EQ(s.powerRadioH, 21);
  EXPECT_EQ(s.buttonWidth, 52);
  EXPECT_EQ(s.baseLine, 358);

  const ChildLayout lay = computeChildLayout(u, 17);
  const auto& c = lay.children;
  EXPECT_EQ(lay.clientHeight, 383);
  EXPECT_EQ(lay.clientWidth, 640);
  EXPECT_EQ(lay.extraWidth, 0);
  EXPECT_EQ(c[kOverviewChild], (Rect{8, 21, 512, 64}));
  EXPECT_EQ(c[kAnalyzeButton], (Rect{584, 246, 52, 28}));
  EXPECT_EQ(c[kPlayButton], (Rect{584, 274, 52, 28}));
  EXPECT_EQ(c[kPartialButton], (Rect{584, 302, 52, 28}));
  EXPECT_EQ(c[kStopButton], (Rect{584, 330, 52, 28}));
  const int navX[6] = {236, 268, 300, 332, 364, 396};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(c[size_t(kNavFastBack + i)], (Rect{navX[i], 1, 32, 17}));
  EXPECT_EQ(c[kSpanCombo], (Rect{566, 0, 72, 91}));
  EXPECT_EQ(c[kAmplitudeGroup], (Rect{578, 24, 57, 60}));
  EXPECT_EQ(c[kAmplitudePanel], c[kAmplitudeGroup]);
  EXPECT_EQ(c[kAmplitudeNormal], (Rect{579, 45, 54, 17}));
  EXPECT_EQ(c[kAmplitudeDouble], (Rect{579, 62, 54, 17}));
  EXPECT_EQ(c[kPowerGroup], (Rect{582, 137, 50, 106}));
  EXPECT_EQ(c[kPowerPanel], c[kPowerGroup]);
  const int radioY[4] = {155, 176, 197, 218};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(c[size_t(kPowerAt + i)], (Rect{583, radioY[i], 47, 21}));
  EXPECT_EQ(lay.plotArea, (Rect{8, 102, 512, 256}));
}

TEST(LayoutGeometry, LargerFontGrowsTheOverview) {
  const LayoutUnits u = computeUnits(18, 8);  // H = 9
  EXPECT_EQ(u.overviewHeight, 72);
  EXPECT_EQ(u.smallFontPad, 0);
  const ControlSizes s = computeControlSizes(u);
  EXPECT_EQ(s.buttonHeight, 30);
  EXPECT_EQ(s.amplitudeRadioH, 18);
  EXPECT_EQ(s.powerRadioH, 20);
  EXPECT_EQ(s.baseLine, 377);

  const ChildLayout lay = computeChildLayout(u, 17);
  const auto& c = lay.children;
  EXPECT_EQ(lay.clientHeight, 409);
  EXPECT_EQ(c[kOverviewChild], (Rect{8, 27, 512, 72}));
  EXPECT_EQ(c[kAnalyzeButton], (Rect{584, 257, 52, 30}));
  EXPECT_EQ(c[kStopButton], (Rect{584, 347, 52, 30}));
  EXPECT_EQ(c[kNavFastBack], (Rect{236, 1, 32, 22}));
  EXPECT_EQ(c[kSpanCombo], (Rect{566, 0, 72, 117}));
  EXPECT_EQ(c[kAmplitudeGroup], (Rect{578, 29, 57, 69}));
  EXPECT_EQ(c[kAmplitudeNormal], (Rect{579, 56, 54, 18}));
  EXPECT_EQ(c[kAmplitudeDouble], (Rect{579, 74, 54, 18}));
  EXPECT_EQ(c[kPowerGroup], (Rect{582, 145, 50, 109}));
  EXPECT_EQ(c[kPowerAt], (Rect{583, 168, 47, 20}));
  EXPECT_EQ(c[kPowerX4], (Rect{583, 228, 47, 20}));
  EXPECT_EQ(lay.plotArea, (Rect{8, 121, 512, 256}));
}

TEST(LayoutGeometry, NarrowFontWidensTheCombobox) {
  const LayoutUnits u = computeUnits(14, 7);  // W < 8: C = 10 W
  EXPECT_EQ(u.layoutWidth, 624);
  const ChildLayout lay = computeChildLayout(u, 15);
  EXPECT_EQ(lay.children[kSpanCombo], (Rect{552, 0, 70, 91}));
}

TEST(LayoutGeometry, TheWindowsFontRemeasureKeepsTheBuiltInUnits) {
  for (const int vscroll : {15, 17, 20}) {
    const ChildLayout created = computeChildLayout(kLayout, vscroll);
    EXPECT_EQ(created.units, kLayout) << vscroll;
    const ChildLayout again = adjustForNewShell(
        created, FixedFont::kAscent, FixedFont::kAverageWidth, vscroll, created.extraWidth);
    EXPECT_EQ(again.units, kLayout) << vscroll;
  }
  EXPECT_EQ(kLayout, LayoutUnits{});
}

TEST(LayoutGeometry, WideScrollBarWidensWindowAndCombobox) {
  const LayoutUnits u = computeUnits(14, 8);
  const ChildLayout lay = computeChildLayout(u, 20);  // 20 - (2 * 8 + 1) = 3
  EXPECT_EQ(lay.extraWidth, 3);
  EXPECT_EQ(lay.clientWidth, 643);
  EXPECT_EQ(lay.clientHeight, 383);
  EXPECT_EQ(lay.children[kSpanCombo], (Rect{566, 0, 75, 91}));

  // A second adjustment with the same extra width leaves the combobox where it is.
  ChildLayout moved = lay;
  moved.children[kSpanCombo].x = 1;
  const ChildLayout again = adjustForNewShell(moved, 14, 8, 20, 3);
  EXPECT_EQ(again.children[kSpanCombo].x, 1);
  EXPECT_EQ(again.clientWidth, 643);
}

TEST(LayoutGeometry, RemeasuredFontKeepsTheOverviewHeight) {
  const ChildLayout created = computeChildLayout(computeUnits(14, 8), 17);
  const ChildLayout lay = adjustForNewShell(created, 20, 8, 17, 0);  // H becomes 10
  EXPECT_EQ(lay.units.unitH, 10);
  EXPECT_EQ(lay.units.overviewHeight, 64);
  EXPECT_EQ(lay.clientHeight, 9 * 10 + 64 + 256);
  EXPECT_EQ(lay.children[kOverviewChild], (Rect{8, 21, 512, 64}));
}

}  // namespace
}  // namespace korimu

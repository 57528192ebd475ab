#include "display/cross_section.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "cross_section_test_support.h"
#include "display/chart.h"

namespace korimu {
namespace {

using testing::countColour;
using testing::CrossSection;
using testing::kPurple;
using testing::kUntouched;
using testing::textAt;
using testing::transparentTextAt;

TEST_F(CrossSection, FftPeakReadout) {
  setOpenRateKHz(44);
  document_.lastRunMethod = kFft;
  settings.blockOrder = 9;  // 256 bins: one per row
  EXPECT_EQ(crossSectionPeakText(display.fileRate, document_.lastRunMethod, settings.blockOrder, 0),
            "    0 Hz ");
  EXPECT_EQ(
      crossSectionPeakText(display.fileRate, document_.lastRunMethod, settings.blockOrder, 255),
      "21964 Hz ");  // 255 * 22050 / 256
  settings.blockOrder = 10;
  EXPECT_EQ(
      crossSectionPeakText(display.fileRate, document_.lastRunMethod, settings.blockOrder, 100),
      " 4307 Hz ");         // 100 * 11025 / 256
  settings.blockOrder = 8;  // short blocks still span 256 rows
  EXPECT_EQ(
      crossSectionPeakText(display.fileRate, document_.lastRunMethod, settings.blockOrder, 255),
      "21964 Hz ");
  setOpenRateKHz(48);
  document_.lastRunMethod = kDct;
  settings.blockOrder = 9;
  EXPECT_EQ(
      crossSectionPeakText(display.fileRate, document_.lastRunMethod, settings.blockOrder, 128),
      "12000 Hz ");
}

TEST_F(CrossSection, LogChartPeakReadouts) {
  setOpenRateKHz(44);
  document_.lastRunMethod = kWt;  // the wavelet chart's top row is 20000 Hz at 44.1 kHz
  EXPECT_EQ(
      crossSectionPeakText(display.fileRate, document_.lastRunMethod, settings.blockOrder, 255),
      "20000 Hz ");
  EXPECT_EQ(crossSectionPeakText(display.fileRate, document_.lastRunMethod, settings.blockOrder,
                                 255 - 24),
            "10000 Hz ");  // one octave per 24 rows
  document_.lastRunMethod = kMem;
  settings.blockOrder = 9;  // 256 log-spaced bins
  EXPECT_EQ(crossSectionPeakText(display.fileRate, document_.lastRunMethod, settings.blockOrder, 0),
            "   86 Hz ");  // 22050 / 256
  EXPECT_EQ(
      crossSectionPeakText(display.fileRate, document_.lastRunMethod, settings.blockOrder, 255),
      "22050 Hz ");
  document_.lastRunMethod = kDtft;
  settings.blockOrder = 10;  // 512 bins: every second one per row
  EXPECT_EQ(
      crossSectionPeakText(display.fileRate, document_.lastRunMethod, settings.blockOrder, 128),
      "  980 Hz ");  // bin 256 of 512: 43.07 * 512^(256/511)
}

TEST_F(CrossSection, WideFftLabelsAt44kHzWithN512) {
  setOpenRateKHz(44);
  document_.lastRunMethod = kFft;
  settings.blockOrder = 9;
  newClient(512);
  drawCrossSectionLabels(client, display.fileRate, settings, 512, document_.lastRunMethod);
  const TextStyle style = crossSectionTextStyle(settings.dialog3d);
  const int w = kLayout.unitW;
  EXPECT_TRUE(textAt(client, 464 - w, labelY(), "20000", style));
  EXPECT_TRUE(textAt(client, 348 - w, labelY(), "15000", style));
  EXPECT_TRUE(textAt(client, 232 - w, labelY(), "10000", style));
  EXPECT_TRUE(textAt(client, 116 - w, labelY(), "5000", style));
  EXPECT_TRUE(textAt(client, w, labelY(), "0", style));
  EXPECT_TRUE(textAt(client, 512 - w, 3 * kLayout.unitH + 260, "Hz", style));
}

TEST_F(CrossSection, WideFftLabelsOfOtherRates) {
  setOpenRateKHz(48);
  document_.lastRunMethod = kFft;
  settings.blockOrder = 10;  // 512 bins: labels of the 512 shown
  newClient(512);
  drawCrossSectionLabels(client, display.fileRate, settings, 512, document_.lastRunMethod);
  const TextStyle style = crossSectionTextStyle(settings.dialog3d);
  const int w = kLayout.unitW;
  EXPECT_TRUE(textAt(client, 512 - 4 * w, labelY(), "12000", style));
  EXPECT_TRUE(textAt(client, 384 - w, labelY(), "9000", style));
  EXPECT_TRUE(textAt(client, 256 - w, labelY(), "6000", style));
  EXPECT_TRUE(textAt(client, 128 - w, labelY(), "3000", style));
}

TEST_F(CrossSection, NarrowLabelsShowOnlyTheEnds) {
  const TextStyle style = crossSectionTextStyle(settings.dialog3d);
  const int w = kLayout.unitW;
  setOpenRateKHz(44);
  document_.lastRunMethod = kFft;
  settings.blockOrder = 10;
  drawCrossSectionLabels(client, display.fileRate, settings, 256, document_.lastRunMethod);
  EXPECT_TRUE(textAt(client, 256 - 7 * w, labelY(), "11025 Hz ", style));
  EXPECT_TRUE(textAt(client, w, labelY(), "0 Hz ", style));

  document_.lastRunMethod = kWt;
  client.clear(kUntouched);
  drawCrossSectionLabels(client, display.fileRate, settings, 256, document_.lastRunMethod);
  EXPECT_TRUE(textAt(client, 256 - 7 * w, labelY(), "20000 Hz ", style));
  // 20000 / 2^(255/24)
  EXPECT_TRUE(textAt(client, w, labelY(), " 12.7 Hz ", style));
}

TEST_F(CrossSection, WideWaveletLabelsAreCentredOnTheOctaves) {
  setOpenRateKHz(44);
  document_.lastRunMethod = kWt;
  newClient(512);
  drawCrossSectionLabels(client, display.fileRate, settings, 512, document_.lastRunMethod);
  const TextStyle style = crossSectionTextStyle(settings.dialog3d);
  const int w = kLayout.unitW;
  EXPECT_TRUE(textAt(client, w + 512 - (3 * w) / 2, labelY(), "20k", style));
  EXPECT_TRUE(textAt(client, w + 512 - 48 - (3 * w) / 2, labelY(), "10k", style));
  EXPECT_TRUE(textAt(client, w + 512 - 48 * 3 - (4 * w) / 2, labelY(), "2500", style));
}

TEST_F(CrossSection, WideLogLabelsFollowTheOctaves) {
  setOpenRateKHz(44);
  document_.lastRunMethod = kMem;
  settings.blockOrder = 9;  // 256 bins
  newClient(512);
  drawCrossSectionLabels(client, display.fileRate, settings, 512, document_.lastRunMethod);
  const TextStyle style = crossSectionTextStyle(settings.dialog3d);
  // Centred on ln(g * 256 / 22050) / ln 256 * 512 + unitW.
  EXPECT_TRUE(textAt(client, 498, labelY(), "20k", style));
  EXPECT_TRUE(textAt(client, 178, labelY(), "625", style));

  // The fixed font labels every octave of the longest blocks (only a wider one skips some).
  document_.lastRunMethod = kDtft;
  settings.blockOrder = 13;
  newClient(512);
  drawCrossSectionLabels(client, display.fileRate, settings, 512, document_.lastRunMethod);
  EXPECT_TRUE(textAt(client, 501, labelY(), "20k", style));
  EXPECT_TRUE(textAt(client, 459, labelY(), "10k", style));
  EXPECT_TRUE(textAt(client, 412, labelY(), "5000", style));
  EXPECT_TRUE(textAt(client, 369, labelY(), "2500", style));
}

TEST_F(CrossSection, NoFileLeavesOnlyAClearedLabelRow) {
  document_.lastRunMethod = kFft;
  newClient(512);
  drawCrossSectionLabels(client, display.fileRate, settings, 512, document_.lastRunMethod);
  const TextStyle style = crossSectionTextStyle(settings.dialog3d);
  EXPECT_TRUE(textAt(client, kLayout.unitW, labelY(), std::string(86, ' '), style));
  // Nothing but the cleared row: the "Hz" below it is not drawn.
  EXPECT_EQ(countColour(client, 0, labelY() + 16, client.width(), 14, kUntouched),
            client.width() * 14);
}

}  // namespace
}  // namespace korimu

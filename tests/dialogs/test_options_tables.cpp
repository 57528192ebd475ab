#include <gtest/gtest.h>

#include "dialogs/options_tables.h"

namespace korimu {
namespace {

TEST(OptionsLists, FrequencyTextsAreSpectralLinesRightAlignedToFive) {
  EXPECT_EQ(blockOrderText(0, false), "  128");
  EXPECT_EQ(blockOrderText(2, false), "  512");
  EXPECT_EQ(blockOrderText(3, false), " 1024");
  EXPECT_EQ(blockOrderText(7, false), "16384");
  EXPECT_EQ(blockOrderText(8, false), "32768");
  EXPECT_EQ(blockOrderText(0, true), "1.0oct");
  EXPECT_EQ(blockOrderText(2, true), "1/2oct");
  EXPECT_EQ(blockOrderText(8, true), "1/16oct");
  EXPECT_EQ(blockOrderText(9, false), "");
}

TEST(OptionsLists, TimeAndBufferRowsMapValuesToIndices) {
  EXPECT_EQ(timeRowOfValue(32768, 11), 0);
  EXPECT_EQ(timeRowOfValue(1024, 11), 5);
  EXPECT_EQ(timeRowOfValue(32, 11), 10);
  EXPECT_EQ(timeRowOfValue(2048, kPlayBufferRowCount), 4);
  EXPECT_EQ(timeRowOfValue(256, kPlayBufferRowCount), 7);
  // The buffer list stops at 1/43 s, and unknown values leave no selection.
  EXPECT_EQ(timeRowOfValue(128, kPlayBufferRowCount), -1);
  EXPECT_EQ(timeRowOfValue(1000, 11), -1);
  EXPECT_STREQ(kTimeResolutionRows[0].text, "３秒");
  EXPECT_STREQ(kTimeResolutionRows[10].text, "1/345秒");
}

TEST(OptionsSpeed, ReadoutIsTwoToTheSpeedOver120) {
  EXPECT_EQ(speedReadout(0), "100.0%");
  EXPECT_EQ(speedReadout(-120), "50.0%");
  EXPECT_EQ(speedReadout(-240), "25.0%");
  EXPECT_EQ(speedReadout(-12), "93.3%");  // one semitone down
}

TEST(OptionsSpeed, ScrollCodesStepAndClamp) {
  EXPECT_EQ(speedAfterScroll(-100, ScrollCode::kLineLeft, 0), -101);
  EXPECT_EQ(speedAfterScroll(-100, ScrollCode::kLineRight, 0), -99);
  EXPECT_EQ(speedAfterScroll(-100, ScrollCode::kPageLeft, 0), -110);
  EXPECT_EQ(speedAfterScroll(-100, ScrollCode::kPageRight, 0), -90);
  EXPECT_EQ(speedAfterScroll(0, ScrollCode::kLineRight, 0), 0);
  EXPECT_EQ(speedAfterScroll(-5, ScrollCode::kPageRight, 0), 0);
  EXPECT_EQ(speedAfterScroll(-235, ScrollCode::kPageLeft, 0), -240);
  EXPECT_EQ(speedAfterScroll(-240, ScrollCode::kLineLeft, 0), -240);
  // The thumb's position arrives as an unsigned 16-bit number.
  EXPECT_EQ(speedAfterScroll(0, ScrollCode::kThumbTrack, 0xFF88), -120);
  EXPECT_EQ(speedAfterScroll(0, ScrollCode::kThumbPosition, -60), -60);
  EXPECT_EQ(speedAfterScroll(0, ScrollCode::kThumbPosition, -1000), -240);
  EXPECT_EQ(speedAfterScroll(-30, ScrollCode::kOther, -200), -30);
}

TEST(OptionsMemSize, LeadingDigitsOfThreeCharactersClamped) {
  EXPECT_EQ(memSizeFromText("1", 0x400), 2);
  EXPECT_EQ(memSizeFromText("999", 0x400), 255);
  EXPECT_EQ(memSizeFromText("", 0x400), 2);
  EXPECT_EQ(memSizeFromText("x5", 0x400), 2);
  EXPECT_EQ(memSizeFromText("64", 0x400), 64);
  EXPECT_EQ(memSizeFromText("12x", 0x400), 12);
  EXPECT_EQ(memSizeFromText("1234", 0x400), 123);
  EXPECT_EQ(memSizeFromText("100", 0x30A), 15);
  EXPECT_EQ(memSizeFromText("100", 0x30B), 15);
  EXPECT_EQ(memSizeFromText("100", 0x30C), 100);
}

OptionsChoice fullChoice() {
  OptionsChoice c;
  c.spectrumType = SpectrumScale::kPower;
  c.autocorrelation = true;
  c.keyIndex = 5;
  c.windowIndex = 4;
  c.blockOrderIndex = 2;
  c.timeResolutionIndex = 0;
  c.playBufferIndex = 7;
  c.onMem = true;
  c.memSizeText = "64";
  c.method = kDct;
  return c;
}

TEST(OptionsAccept, WritesEveryFieldFromTheControls) {
  AppSettings s;
  s.display = kSpectrumLog;
  ViewMode previous = kWaveZoom;
  EXPECT_FALSE(applyOptionsChoice(fullChoice(), s, 0x400, &previous));
  EXPECT_EQ(s.spectrumType, SpectrumScale::kPower);
  EXPECT_TRUE(s.autocorrelation);
  EXPECT_EQ(s.musicalKey, 5);
  EXPECT_EQ(s.windowFunction, WindowFunction::kRectangle);
  EXPECT_EQ(s.blockOrder, 10);
  EXPECT_EQ(s.timeResolution, 32768);
  EXPECT_EQ(s.playBufferSeconds, 256);
  EXPECT_TRUE(s.onMem);
  EXPECT_EQ(s.memSize, 64);
  EXPECT_EQ(s.method, kDct);
  EXPECT_EQ(s.display, kSpectrumLog);
}

TEST(OptionsAccept, WaveletForcesTheChartAndReportsThePreviousView) {
  AppSettings s;
  s.display = kLevelMeter;
  OptionsChoice c = fullChoice();
  c.method = kWt;
  ViewMode previous = kWaveZoom;
  EXPECT_TRUE(applyOptionsChoice(c, s, 0x400, &previous));
  EXPECT_EQ(previous, kLevelMeter);
  EXPECT_EQ(s.display, kTimeFrequencyChart);
  EXPECT_EQ(s.method, kWt);
  EXPECT_EQ(s.blockOrder, 10);  // index 2 is "1/2oct" for WT, "  512" otherwise
}

TEST(OptionsAccept, ListsWithoutSelectionKeepStoredValues) {
  AppSettings s;
  s.timeResolution = 1000;
  s.playBufferSeconds = 3000;
  s.windowFunction = WindowFunction::kTriangle;
  s.musicalKey = 7;
  s.blockOrder = 12;
  OptionsChoice c;  // every list without a selection
  c.memSizeText = "";
  applyOptionsChoice(c, s, 0x400, nullptr);
  EXPECT_EQ(s.timeResolution, 1000);
  EXPECT_EQ(s.playBufferSeconds, 3000);
  EXPECT_EQ(s.windowFunction, WindowFunction::kTriangle);
  EXPECT_EQ(s.musicalKey, 7);
  EXPECT_EQ(s.blockOrder, 12);
  EXPECT_EQ(s.memSize, 2);
  EXPECT_FALSE(s.autocorrelation);
  EXPECT_FALSE(s.onMem);
  EXPECT_EQ(s.method, kFft);
}

}  // namespace
}  // namespace korimu

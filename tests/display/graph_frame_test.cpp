#include "display/graph_frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

#include "display/chart.h"
#include "display/display_state.h"
#include "display/frame_parts.h"
#include "display/octave_sequence.h"
#include "display/status_texts.h"
#include "display_test_support.h"

namespace korimu {
namespace {

using testing::countColour;
using testing::DisplayTest;
using testing::kUntouched;
using testing::textAt;

using DisplayFrame = DisplayTest;

TEST_F(DisplayFrame, NoFileClearsOnlyRowsMarginsAndPlot) {
  settings.display = kSpectrumLinear;
  drawGraphFrame(display, settings, canvas);
  // The expected picture: label row (100 spaces from x = 4), title row (9 spaces at 228),
  // margins, white plot; the range band, legend and everything else untouched.
  Canvas expected = blankLike();
  expected.textOut(4, labelRowY(), std::string(100, ' '));
  expected.textOut(228, titleRowY(), std::string(9, ' '));
  expected.fillRect(0, 102, 8, 256, kButtonFace);
  expected.fillRect(520, 102, 8, 256, kButtonFace);
  expected.fillRect(8, 102, 512, 256, kWhite);
  EXPECT_EQ(canvas.pixels(), expected.pixels());
  EXPECT_EQ(canvas.getPixel(8, 85), kUntouched);     // range band
  EXPECT_EQ(canvas.getPixel(530, 150), kUntouched);  // legend area
}

// Rates that headers once brought in (the reader now stops at 768 kHz) must not overflow anything
// that draws, in every view and method; nor may a fill as wide as the largest int.
TEST_F(DisplayFrame, HugeRatesAndWidthsDrawWithoutOverflow) {
  EXPECT_EQ(SampleRate(2147484).hz(), 2147483647);
  EXPECT_EQ(SampleRate(768).hz(), 768000);
  for (const int kHz : {768, 16778, 2147484}) {
    setOpenRateKHz(kHz);
    for (const AnalysisMethod method : {kFft, kMem, kWt, kDct, kDtft}) {
      for (const ViewMode view :
           {kWaveZoom, kLevelMeter, kSpectrumLinear, kSpectrumLog, kTimeFrequencyChart}) {
        settings.method = method;
        settings.display = view;
        drawGraphFrame(display, settings, canvas);
        drawChartLabels(canvas, display.fileRate, settings);
      }
    }
  }
  canvas.clear(kButtonFace);
  canvas.fillRect(8, 102, 2147483647, 2147483647, kWhite);
  EXPECT_EQ(countColour(canvas, 8, 102, canvas.width() - 8, canvas.height() - 102, kWhite),
            (canvas.width() - 8) * (canvas.height() - 102));
  canvas.invertRect(2147483647, 0, 2147483647, 10);  // wholly outside: nothing to do
}

TEST_F(DisplayFrame, NoFileChartKeepsItsPicture) {
  settings.display = kTimeFrequencyChart;
  drawGraphFrame(display, settings, canvas);
  EXPECT_EQ(countColour(canvas, 8, 102, 512, 256, kUntouched), 512 * 256);
  EXPECT_EQ(countColour(canvas, 0, 102, 8, 256, kButtonFace), 8 * 256);
}

TEST_F(DisplayFrame, LinearSpectrumLabelsAt48kHz) {
  setOpenRateKHz(48);
  settings.display = kSpectrumLinear;
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 504, labelRowY(), "24000"));
  EXPECT_TRUE(textAt(canvas, 248, labelRowY(), "12000"));
  EXPECT_TRUE(textAt(canvas, 120, labelRowY(), "6000"));
  EXPECT_TRUE(textAt(canvas, 376, labelRowY(), "18000"));
  EXPECT_TRUE(textAt(canvas, 8, labelRowY(), "0"));
  EXPECT_TRUE(textAt(canvas, 4 * 8 + 513, labelRowY(), "Hz"));
  // Colours off: the legend area is cleared.
  EXPECT_EQ(countColour(canvas, 528, 102, 48, 256, kButtonFace), 48 * 256);
  EXPECT_EQ(countColour(canvas, 8, 102, 512, 256, kWhite), 512 * 256);
}

TEST_F(DisplayFrame, LinearSpectrumFixedLabelsOfTheElevenFamily) {
  settings.display = kSpectrumLinear;
  setOpenRateKHz(44);
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 108, labelRowY(), " 5k "));
  EXPECT_TRUE(textAt(canvas, 456, labelRowY(), "20k "));
  setOpenRateKHz(22);
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 108, labelRowY(), "2.5k"));
  setOpenRateKHz(33);  // every other multiple of 11 takes the 11 kHz column
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 340, labelRowY(), "3750"));
}

TEST_F(DisplayFrame, FftChartLabelsAt44kHz) {
  setOpenRateKHz(44);
  settings.display = kTimeFrequencyChart;
  settings.blockOrder = 9;
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 228, titleRowY(), "22050 Hz "));
  EXPECT_TRUE(textAt(canvas, 244, labelRowY(), "0 Hz "));
  EXPECT_TRUE(textAt(canvas, 528, 102 + 24 - 7, "20000"));
  EXPECT_TRUE(textAt(canvas, 528, 102 + 82 - 7, "15000"));
  EXPECT_TRUE(textAt(canvas, 528, 102 + 140 - 7, "10000"));
  EXPECT_TRUE(textAt(canvas, 528, 102 + 198 - 7, "5000"));
  // Grid ticks in the side strips at the label rows, the chart itself untouched.
  for (int row : {24, 82, 140, 198}) {
    EXPECT_EQ(canvas.getPixel(0, 102 + row), kButtonText) << row;
    EXPECT_EQ(canvas.getPixel(527, 102 + row), kButtonText) << row;
  }
  EXPECT_EQ(canvas.getPixel(3, 102 + 25), kButtonFace);
  EXPECT_EQ(canvas.getPixel(100, 150), kUntouched);
  EXPECT_EQ(canvas.getPixel(8, 85), kUntouched);  // no range marker in the chart view

  settings.blockOrder = 11;
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 228, titleRowY(), " 5512 Hz "));
  EXPECT_TRUE(textAt(canvas, 528, 102 + 24 - 7, "5000"));
  EXPECT_TRUE(textAt(canvas, 528, 102 + 82 - 7, "3750"));
  EXPECT_TRUE(textAt(canvas, 528, 102 + 140 - 7, "2500"));
  EXPECT_TRUE(textAt(canvas, 528, 102 + 198 - 7, "1250"));

  settings.blockOrder = 12;  // the chart then shows bins 0 .. 255, up to 2756 Hz
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 228, titleRowY(), " 2756 Hz "));
}

TEST_F(DisplayFrame, FftChartLabelsOfOtherRates) {
  setOpenRateKHz(16);
  settings.display = kTimeFrequencyChart;
  settings.blockOrder = 9;  // b = 16 * 128000 / 256 = 8000
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 228, titleRowY(), " 8000 Hz "));
  EXPECT_TRUE(textAt(canvas, 528, 102 + 64 - 7, "6000"));
  EXPECT_TRUE(textAt(canvas, 528, 102 + 128 - 7, "4000"));
  EXPECT_TRUE(textAt(canvas, 528, 102 + 192 - 7, "2000"));
  EXPECT_EQ(canvas.getPixel(0, 102 + 64), kButtonText);
}

TEST_F(DisplayFrame, MemChartLabelsFollowTheRowScale) {
  setOpenRateKHz(44);
  settings.display = kTimeFrequencyChart;
  settings.method = kMem;
  settings.blockOrder = 10;  // 512 bins: 22050 / 512 = 43.07 Hz at the bottom
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 228, titleRowY(), "22050 Hz "));
  EXPECT_TRUE(textAt(canvas, 228, labelRowY(), " 43.1 Hz "));
  // The first octave label: 20000 Hz at p = 20000 * 512 / 22050.
  const double p = 20000.0 * 512 / 22050;
  const int y = int(102 + 256 - std::log(p) / std::log(512.0) * 256 - 7);
  EXPECT_TRUE(textAt(canvas, 528, y, "20k"));
}

TEST_F(DisplayFrame, WaveletChartLabels) {
  setOpenRateKHz(44);
  settings.display = kTimeFrequencyChart;
  settings.method = kWt;
  // The top row is 20000 Hz at 44.1 kHz.
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 228, titleRowY(), "20000 Hz "));
  EXPECT_TRUE(textAt(canvas, 528, 102 - 7, "20k"));
  EXPECT_TRUE(textAt(canvas, 528, 102 + 48 - 7, "5000"));
  EXPECT_TRUE(textAt(canvas, 528, 102 + 240 - 7, "20"));
}

TEST_F(DisplayFrame, LevelMeterLabelsAt48kHz) {
  setOpenRateKHz(48);
  settings.display = kLevelMeter;
  drawGraphFrame(display, settings, canvas);
  const char* labels[] = {"16k", "8400", "4200", "2100", "1050", "525", "262", "131", "65", "32"};
  for (int k = 0; k < 10; ++k) {
    EXPECT_TRUE(textAt(canvas, 485 - 50 * k - 8, labelRowY(), labels[k])) << k;
  }
  EXPECT_TRUE(textAt(canvas, 2 * 8 + 513, labelRowY(), "Hz"));
}

TEST_F(DisplayFrame, LevelMeterLabelsAt44kHz) {
  setOpenRateKHz(44);
  settings.display = kLevelMeter;
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 30 - 8, labelRowY(), " 30 "));
  EXPECT_TRUE(textAt(canvas, 480 - 8, labelRowY(), "16k "));
  setOpenRateKHz(88);
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 480 - 8, labelRowY(), "31k "));
}

TEST_F(DisplayFrame, WaveZoomLabels) {
  setOpenRateKHz(44);
  settings.display = kWaveZoom;
  drawGraphFrame(display, settings, canvas);  // m = 1024: 92.9 ms
  EXPECT_TRUE(textAt(canvas, 4, labelRowY(), "0"));
  EXPECT_TRUE(textAt(canvas, 512, labelRowY(), "93 msec"));
  EXPECT_TRUE(textAt(canvas, 413, labelRowY(), "75"));
  EXPECT_TRUE(textAt(canvas, 276, labelRowY(), "50"));
  EXPECT_TRUE(textAt(canvas, 138, labelRowY(), "25"));

  settings.timeResolution = 512;  // 46.4 ms, labels every 10 ms
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 512, labelRowY(), "46 msec"));
  EXPECT_TRUE(textAt(canvas, 441, labelRowY(), "40"));
  EXPECT_TRUE(textAt(canvas, 331, labelRowY(), "30"));
  EXPECT_TRUE(textAt(canvas, 220, labelRowY(), "20"));
  EXPECT_TRUE(textAt(canvas, 110, labelRowY(), "10"));

  settings.timeResolution = 128;  // 11.6 ms
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 512, labelRowY(), "12 msec"));
  EXPECT_TRUE(textAt(canvas, 353, labelRowY(), "8"));
  EXPECT_TRUE(textAt(canvas, 176, labelRowY(), "4"));
  settings.timeResolution = 1024;

  setOpenRateKHz(48);
  drawGraphFrame(display, settings, canvas);  // other rates: m / 8 = 128 ms
  EXPECT_TRUE(textAt(canvas, 512, labelRowY(), "128 msec"));
  EXPECT_TRUE(textAt(canvas, 480, labelRowY(), "120"));
  EXPECT_TRUE(textAt(canvas, 80, labelRowY(), "20"));

  settings.timeResolution = 4096;
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 3 * 8 + 512, labelRowY(), "512 msec"));
  EXPECT_TRUE(textAt(canvas, 500 - 8, labelRowY(), "500"));

  settings.autocorrelation = true;  // halves the span
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 3 * 8 + 512, labelRowY(), "256 msec"));
  settings.timeResolution = 256;  // 128 after halving: 16 ms
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 512, labelRowY(), "16 msec"));
  EXPECT_TRUE(textAt(canvas, 384, labelRowY(), "12"));
}

TEST_F(DisplayFrame, RangeBarWidthsAndTexts) {
  setOpenRateKHz(44);
  settings.display = kSpectrumLinear;
  settings.timeResolution = 1024;
  settings.framesPerColumn = 8;  // 4 * 1024 / 8 = 512
  EXPECT_EQ(rangeBarWidth(display.fileRate, settings), 512);
  drawGraphFrame(display, settings, canvas);
  EXPECT_EQ(countColour(canvas, 8, 88, 512, 7, kBlack), 512 * 7);
  EXPECT_EQ(canvas.getPixel(7, 88), kUntouched);
  EXPECT_TRUE(textAt(canvas, 520, 85, "←範囲"));

  settings.framesPerColumn = 1;  // 4096, clamped to 850
  EXPECT_EQ(rangeBarWidth(display.fileRate, settings), 850);
  canvas.clear(kUntouched);
  drawGraphFrame(display, settings, canvas);
  EXPECT_EQ(countColour(canvas, 8, 88, 632, 7, kBlack), 632 * 7);
  // No text: below the bar the band and the area right of it are plain button face down to the
  // plot's top edge (row 102).
  EXPECT_EQ(countColour(canvas, 8, 95, 632, 7, kButtonFace), 632 * 7);
  EXPECT_EQ(canvas.getPixel(7, 96), kUntouched);

  settings.framesPerColumn = 16;  // 256: the longer text follows the bar
  canvas.clear(kUntouched);
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 8 + 256, 85, " ←解析範囲"));

  setOpenRateKHz(48);
  settings.framesPerColumn = 512;  // truncate(1024 * 6 / 512) = 12
  EXPECT_EQ(rangeBarWidth(display.fileRate, settings), 12);
  settings.timeResolution = 32;
  settings.framesPerColumn = 1024;  // below one pixel: at least 1
  EXPECT_EQ(rangeBarWidth(display.fileRate, settings), 1);
}

TEST_F(DisplayFrame, RangeMarkerLeavesNoRowsOfWhatWasAboveThePlot) {
  // Whatever the rows between the overview and the plot held (an older range text, the chart's
  // title), the marker leaves the same picture there as on a clean window.
  setOpenRateKHz(44);
  settings.timeResolution = 1024;
  for (int framesPerColumn : {8, 16, 1}) {
    settings.framesPerColumn = framesPerColumn;
    Canvas clean = blankLike();
    clean.fillRect(0, 85, clean.width(), 17, kButtonFace);
    drawRangeMarker(clean, display.fileRate, settings, false);
    canvas.fillRect(0, 85, canvas.width(), 17, kBlack);
    drawRangeMarker(canvas, display.fileRate, settings, false);
    EXPECT_EQ(countColour(canvas, 0, 85, 8, 17, kBlack), 8 * 17) << "left margin untouched";
    for (int y = 85; y < 102; ++y)
      for (int x = 8; x < canvas.width(); ++x)
        ASSERT_EQ(canvas.getPixel(x, y), clean.getPixel(x, y))
            << framesPerColumn << " " << x << "," << y;
  }
  clearRangeBand(canvas);
  EXPECT_EQ(countColour(canvas, 8, 85, 560, 17, kButtonFace), 560 * 17);
}

TEST_F(DisplayFrame, RangeBarIsWhiteOnADarkScheme) {
  setOpenRateKHz(44);
  drawRangeMarker(canvas, display.fileRate, settings, true);
  EXPECT_EQ(canvas.getPixel(8, 88), kWhite);
  EXPECT_EQ(canvas.getPixel(8, 86), kButtonFace);
}

TEST_F(DisplayFrame, OctaveLabelsSkipEverySecondOnlyWithLongBlocksAndAWideFont) {
  const int wideW = computeUnits(14, 9).unitW;
  for (const int order : {12, 13}) {
    settings.blockOrder = order;
    for (int k = 0; k < 6; ++k) {
      EXPECT_FALSE(octaveLabelSkipped(k, settings.blockOrder)) << order << " " << k;
      EXPECT_EQ(octaveLabelSkipped(k, settings.blockOrder, wideW), order > 12 && k % 2 == 1)
          << order << " " << k;
    }
  }
  // The fixed font draws every label of the longest blocks.
  setOpenRateKHz(44);
  settings.display = kSpectrumLog;
  settings.blockOrder = 13;  // 4096 bins
  drawGraphFrame(display, settings, canvas);
  const std::pair<double, std::string> labels[] = {
      {20000, "20k"}, {10000, "10k"}, {5000, "5000"}, {2500, "2500"}};
  for (const auto& [g, text] : labels) {
    const double p = g * 4096 / 22050;
    const int x = int(std::log(p) / std::log(4096.0) * 512 + 8 - (int(text.size()) * 8) / 2);
    EXPECT_TRUE(textAt(canvas, x, labelRowY(), text)) << text;
  }
}

TEST_F(DisplayFrame, LogSpectrumLabelsRunDownToTheLastOctave) {
  setOpenRateKHz(8);
  settings.display = kSpectrumLog;
  settings.blockOrder = 8;  // 128 bins, g0 = fN = 4000 Hz
  drawGraphFrame(display, settings, canvas);
  // p = 128 / 2^k: 128, 64, ..., 2 (k = 6, g = 62.5 Hz, still drawn).
  auto labelX = [](double p, int cells) {
    return int(std::log(p) / std::log(128.0) * 512 + 8 - (cells * 8) / 2);
  };
  EXPECT_TRUE(textAt(canvas, labelX(128, 4), labelRowY(), "4000"));
  EXPECT_TRUE(textAt(canvas, labelX(2, 2), labelRowY(), "62"));
  EXPECT_TRUE(textAt(canvas, 4 * 8 + 513, labelRowY(), "Hz"));
}

TEST_F(DisplayFrame, NoteLegendForColouredBars) {
  setOpenRateKHz(44);
  settings.display = kSpectrumLinear;
  settings.colorScale = true;
  settings.graphStyle = kBarGraph;
  drawGraphFrame(display, settings, canvas);
  // lx = 3W + 512 - W/2 = 532, ly = plotTop + 6H = 144, rows every (256 - 9H) / 7.
  EXPECT_TRUE(textAt(canvas, 540, 147, "赤", TextStyle{kWhite, Rgb{255, 0, 0}, true}));
  EXPECT_TRUE(textAt(canvas, 556, 147, "ド", TextStyle{Rgb{255, 0, 0}, kWhite, true}));
  EXPECT_TRUE(
      textAt(canvas, 540, 147 + (193 * 3) / 7, "灰", TextStyle{kWhite, Rgb{128, 128, 128}, true}));
  EXPECT_TRUE(
      textAt(canvas, 556, 147 + (193 * 3) / 7, "ﾌｧ", TextStyle{Rgb{128, 128, 128}, kWhite, true}));
  EXPECT_TRUE(textAt(canvas, 556, 147 + 193, "#b", TextStyle{kBlack, kWhite, true}));
  EXPECT_EQ(canvas.getPixel(530, 110), kButtonFace);

  settings.graphStyle = kLineGraph;  // no legend for the line graph
  drawGraphFrame(display, settings, canvas);
  EXPECT_EQ(countColour(canvas, 528, 102, 48, 256, kButtonFace), 48 * 256);
}

TEST_F(DisplayFrame, ChartLegendsByDisplayDepth) {
  setOpenRateKHz(44);
  settings.display = kTimeFrequencyChart;
  settings.colorScale = true;
  drawGraphFrame(display, settings, canvas);  // 24 bits: the note legend
  EXPECT_TRUE(textAt(canvas, 540, 147, "赤", TextStyle{kWhite, Rgb{255, 0, 0}, true}));

  // Sixteen colours: the volume legend with the device's own scale.
  display.surfaces.window = Canvas(kLayout.layoutWidth, kLayout.clientHeight, 4);
  prepareAnalysis(display, settings.musicalKey);
  canvas = Canvas(kLayout.layoutWidth, kLayout.clientHeight, 4);
  canvas.clear(kUntouched);
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 540, 147, "音量", TextStyle{kBlack, kWhite, true}));
  const int ly = 144, step = 193;
  for (int i = 0; i < 16; ++i) {
    const int top = ly + step - (step * i) / 16 + 10;
    EXPECT_EQ(canvas.getPixel(540, top), canvas.quantise(display.chartColours16[size_t(i)])) << i;
    EXPECT_EQ(canvas.getPixel(540 + 31, top + 7),
              canvas.quantise(display.chartColours16[size_t(i)]))
        << i;
  }
  // Colours off: the volume legend stays on a 16-colour display.
  settings.colorScale = false;
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 540, 147, "音量", TextStyle{kBlack, kWhite, true}));
  display.surfaces.window = Canvas();
  releaseDisplaySurfaces(display);
}

TEST_F(DisplayFrame, ChartWithColoursOffOnAFullColourDisplayLeavesTheLegendToTheLabels) {
  setOpenRateKHz(44);
  settings.display = kTimeFrequencyChart;
  settings.blockOrder = 9;
  drawGraphFrame(display, settings, canvas);
  EXPECT_TRUE(textAt(canvas, 528, 102 + 24 - 7, "20000"));
  EXPECT_EQ(canvas.getPixel(575, 300), kButtonFace);
}

TEST_F(DisplayFrame, ChartSideStripsShowNoteRowsWhenColoured) {
  setOpenRateKHz(44);
  settings.display = kTimeFrequencyChart;
  settings.colorScale = true;
  settings.blockOrder = 9;  // row i from the bottom is i * 44100 / 512 Hz
  drawGraphFrame(display, settings, canvas);
  for (int x : {0, 7, 520, 527}) {
    EXPECT_EQ(canvas.getPixel(x, 102 + 255), kBlack) << x;                  // bin 0
    EXPECT_EQ(canvas.getPixel(x, 102 + 255 - 5), (Rgb{255, 0, 255})) << x;  // 430.7 Hz, la
    EXPECT_EQ(canvas.getPixel(x, 102 + 255 - 6), (Rgb{255, 0, 0})) << x;    // 516.8 Hz, do
  }
  EXPECT_EQ(canvas.getPixel(8, 102 + 250), kUntouched);  // the chart keeps its picture

  settings.method = kWt;  // 256 rows of 1/24 octave below the top frequency
  drawGraphFrame(display, settings, canvas);
  const double fBottom = 20000.0 / std::pow(2.0, 255 / 24.0);
  for (int row : {1, 100, 255}) {
    const Rgb expected =
        noteColour(noteClassOf(fBottom * std::pow(2.0, row / 24.0), display.referenceLa));
    EXPECT_EQ(canvas.getPixel(0, 102 + 255 - row), expected) << row;
  }
}

}  // namespace
}  // namespace korimu

namespace korimu {
namespace {

TEST(SpanText, KeepsFourCellsBeforeItsUnitFromHalfASecondToAWholeDay) {
  struct Case {
    double seconds;
    const char* text;
  };
  for (const Case& c : {Case{5.944, "5.94秒"}, Case{23.78, "23.8秒"}, Case{99.9, "99.9秒"},
                        Case{100.0, " 1.7分"}, Case{600.0, "10.0分"}, Case{5996.0, "99.9分"},
                        Case{5997.0, " 100分"}, Case{86400.0, "1440分"}})
    EXPECT_EQ(spanDurationText(c.seconds), c.text) << c.seconds;
}

}  // namespace
}  // namespace korimu

#include "display/chart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "display_test_support.h"

namespace korimu {
namespace {

using testing::countColour;
using testing::DisplayTest;
using testing::kUntouched;

class DisplayChart : public DisplayTest {
 protected:
  void TearDown() override {
    display.surfaces.window = Canvas();
    releaseDisplaySurfaces(display);
    DisplayTest::TearDown();
  }
  Rgb at(int column, int rowFromBottom) const {
    return canvas.getPixel(plotX(column), plotY(255 - rowFromBottom));
  }
};

TEST_F(DisplayChart, ShadesOnASixteenBitDisplay) {
  EXPECT_EQ(chartShade(0, 16, display.chartColours16), (Rgb{248, 255, 248}));
  EXPECT_EQ(chartShade(3, 16, display.chartColours16), (Rgb{248, 255, 248}));
  EXPECT_EQ(chartShade(4, 16, display.chartColours16), (Rgb{248, 248, 248}));
  EXPECT_EQ(chartShade(255, 16, display.chartColours16), kBlack);
  EXPECT_EQ(chartShade(0, 15, display.chartColours16), (Rgb{248, 255, 248}));
}

// A wavelet row (row 7 from the top) of eight samples in four columns from column 5: each column
// shows the loudest of its two samples; a row shorter than the columns spreads each sample.
TEST_F(DisplayChart, WaveletRowsGroupSamplesIntoColumnsByTheLoudest) {
  const uint8_t depths[] = {200, 10, 255, 255, 30, 40, 100, 90};
  const Rect painted = drawWaveletRow(display, canvas, depths, 8, 5, 4, 7);
  EXPECT_EQ(painted, (Rect{plotX(5), plotY(7), 4, 1}));
  const uint8_t shown[] = {10, 255, 30, 90};
  for (int c = 0; c < 4; ++c)
    EXPECT_EQ(canvas.getPixel(plotX(5 + c), plotY(7)), chartShade(display, shown[c]));
  EXPECT_EQ(canvas.getPixel(plotX(9), plotY(7)), kUntouched);
  EXPECT_EQ(canvas.getPixel(plotX(5), plotY(8)), kUntouched);

  const uint8_t shortRow[] = {1, 2, 3, 4};
  drawWaveletRow(display, canvas, shortRow, 4, 0, 8, 0);
  for (int c = 0; c < 8; ++c)
    EXPECT_EQ(canvas.getPixel(plotX(c), plotY(0)), chartShade(display, shortRow[c / 2])) << c;
}

TEST_F(DisplayChart, ShadesAreGreysOnOtherDisplays) {
  EXPECT_EQ(chartShade(0, 24, display.chartColours16), kWhite);
  EXPECT_EQ(chartShade(255, 24, display.chartColours16), kBlack);
  EXPECT_EQ(chartShade(100, 24, display.chartColours16), (Rgb{155, 155, 155}));
  EXPECT_EQ(chartShade(100, 8, display.chartColours16), (Rgb{155, 155, 155}));
}

TEST_F(DisplayChart, SixteenColourScaleIsReadBackAndSortedByLuminance) {
  display.surfaces.window = Canvas(kLayout.layoutWidth, kLayout.clientHeight, 4);
  prepareAnalysis(display, settings.musicalKey);
  ASSERT_TRUE(display.chartColours16Built);
  const Canvas& buffer = display.surfaces.backBuffer;
  EXPECT_EQ(buffer.depthBits(), 4);
  for (size_t i = 1; i < 16; ++i) {
    const Rgb a = display.chartColours16[i - 1], b = display.chartColours16[i];
    EXPECT_LE(luminance(a.r, a.g, a.b), luminance(b.r, b.g, b.b)) << i;
  }
  // Every entry is a colour the display can show, and the ends are black and white.
  for (const Rgb& c : display.chartColours16) EXPECT_EQ(buffer.quantise(c), c);
  EXPECT_EQ(display.chartColours16.front(), kBlack);
  EXPECT_EQ(display.chartColours16.back(), kWhite);
  EXPECT_EQ(chartShade(display, 0), kWhite);
  EXPECT_EQ(chartShade(display, 255), kBlack);
  EXPECT_EQ(chartShade(display, 17), display.chartColours16[14]);
}

TEST_F(DisplayChart, BackBufferIsCreatedOnceWithAWhitePlot) {
  prepareAnalysis(display, settings.musicalKey);
  Canvas& buffer = display.surfaces.backBuffer;
  EXPECT_EQ(buffer.width(), kLayout.layoutWidth);
  EXPECT_EQ(buffer.height(), 9 * kLayout.unitH + kLayout.overviewHeight + 256);
  EXPECT_EQ(countColour(buffer, plotX(0), plotY(0), 512, 256, kWhite), 512 * 256);
  EXPECT_FALSE(display.chartColours16Built);  // only 16-colour displays need the table
  buffer.setPixel(plotX(5), plotY(5), kBlack);
  prepareAnalysis(display, settings.musicalKey);  // a later preparation keeps the picture
  EXPECT_EQ(display.surfaces.backBuffer.getPixel(plotX(5), plotY(5)), kBlack);
}

TEST_F(DisplayChart, KeyAndGainCaption) {
  settings.musicalKey = 7;  // "ト長調・ホ短調"
  prepareAnalysis(display, settings.musicalKey);
  EXPECT_NEAR(display.referenceLa, 1760 * std::pow(2.0, 7 / 12.0), 1e-6);
  EXPECT_NEAR(display.referenceLa, 2637.02, 0.01);
  EXPECT_STREQ(gainButtonCaption(WindowFunction::kRectangle), "1/2");
  // E is la (purple) and G is do (red) in G major.
  EXPECT_EQ(noteClassOf(659.255, display.referenceLa), 0);
  EXPECT_EQ(noteClassOf(783.991, display.referenceLa), 3);
  EXPECT_EQ(noteColour(noteClassOf(783.991, display.referenceLa)), (Rgb{255, 0, 0}));
  for (WindowFunction window :
       {WindowFunction::kHanning, WindowFunction::kHamming, WindowFunction::kBlackman,
        WindowFunction::kTriangle, WindowFunction::kGauss424, WindowFunction::kGauss650})
    EXPECT_STREQ(gainButtonCaption(window), "Ａt") << int(window);
  settings.musicalKey = 0;
  prepareAnalysis(display, settings.musicalKey);
  EXPECT_DOUBLE_EQ(display.referenceLa, 1760.0);
  EXPECT_EQ(noteClassOf(440.0, display.referenceLa), 0);
  EXPECT_EQ(noteClassOf(523.25, display.referenceLa), 3);
  EXPECT_EQ(noteClassOf(0.0, display.referenceLa), 12);
}

TEST_F(DisplayChart, ShortBlocksFillTwoRowsPerBin) {
  std::vector<uint8_t> depths(128, 255);
  depths[0] = 0;
  depths[127] = 100;
  drawChartColumn(display, canvas, depths.data(), 128, 10, 3);
  EXPECT_EQ(at(10, 0), kWhite);
  EXPECT_EQ(at(12, 1), kWhite);
  EXPECT_EQ(at(10, 2), kBlack);
  EXPECT_EQ(at(11, 254), (Rgb{155, 155, 155}));
  EXPECT_EQ(at(11, 255), (Rgb{155, 155, 155}));
  EXPECT_EQ(at(9, 0), kUntouched);
  EXPECT_EQ(at(13, 0), kUntouched);
}

TEST_F(DisplayChart, LongBlocksShowTheLowest256Bins) {
  std::vector<uint8_t> depths(2048, 0);
  for (int i = 0; i < 256; ++i) depths[size_t(i)] = uint8_t(255 - i);
  drawChartColumn(display, canvas, depths.data(), 2048, 0, 1);
  for (int row = 0; row < 256; row += 17)
    EXPECT_EQ(at(0, row), chartShade(255 - row, 24, display.chartColours16)) << row;
  EXPECT_EQ(canvas.getPixel(plotX(0), plotY(-1)), kUntouched);
}

TEST_F(DisplayChart, WideBlocksAreDrawn512ColumnsWide) {
  std::vector<uint8_t> depths(256, 0);
  drawChartColumn(display, canvas, depths.data(), 256, 0, 600);
  EXPECT_EQ(countColour(canvas, plotX(0), plotY(0), 512, 256, kWhite), 512 * 256);
  EXPECT_EQ(canvas.getPixel(plotX(512), plotY(100)), kUntouched);
  drawChartColumnLog(display, canvas, depths.data(), 256, 0, 600);
  EXPECT_EQ(canvas.getPixel(plotX(512), plotY(100)), kUntouched);
}

TEST_F(DisplayChart, LogBinsShowTheLoudestOfEachGroupOnEveryDepth) {
  for (int bits : {24, 16, 8, 4}) {
    display.surfaces.window = Canvas(kLayout.layoutWidth, kLayout.clientHeight, bits);
    releaseDisplaySurfaces(display);
    prepareAnalysis(display, settings.musicalKey);
    canvas = Canvas(kLayout.layoutWidth, kLayout.clientHeight, bits);
    std::vector<uint8_t> depths(2048, 255);
    depths[8 * 5 + 7] = 0;   // loudest bin of group 5
    depths[8 * 9 + 0] = 40;  // group 9
    depths[8 * 9 + 3] = 90;
    drawChartColumnLog(display, canvas, depths.data(), 2048, 0, 1);
    EXPECT_EQ(at(0, 5), canvas.quantise(chartShade(0, bits, display.chartColours16))) << bits;
    EXPECT_EQ(at(0, 9), canvas.quantise(chartShade(40, bits, display.chartColours16))) << bits;
    EXPECT_EQ(at(0, 4), canvas.quantise(chartShade(255, bits, display.chartColours16))) << bits;
    EXPECT_EQ(at(0, 6), canvas.quantise(chartShade(255, bits, display.chartColours16))) << bits;
  }
}

TEST_F(DisplayChart, LogBinsOfShortBlocksTakeSeveralRows) {
  std::vector<uint8_t> depths(128, 255);
  depths[1] = 0;
  drawChartColumnLog(display, canvas, depths.data(), 128, 0, 1);
  EXPECT_EQ(at(0, 1), kBlack);
  EXPECT_EQ(at(0, 2), kWhite);
  EXPECT_EQ(at(0, 3), kWhite);
  EXPECT_EQ(at(0, 4), kBlack);
}

TEST_F(DisplayChart, RowScales) {
  setOpenRateKHz(44);
  const ChartRowScale mem = chartRowScale(display.fileRate, 1024, kMem);
  EXPECT_DOUBLE_EQ(mem.fTop, 22050.0);
  EXPECT_DOUBLE_EQ(mem.fBottom, 22050.0 / 1024);
  EXPECT_NEAR(mem.fBottom * std::pow(mem.ratio, 1023), 22050.0, 1e-6);
  setOpenRateKHz(11);
  EXPECT_DOUBLE_EQ(chartRowScale(display.fileRate, 512, kDtft).fTop, 5512.5);
  setOpenRateKHz(44);
  const ChartRowScale wt = chartRowScale(display.fileRate, 256, kWt);
  EXPECT_NEAR(wt.fTop, 20000.0, 1e-9);
  EXPECT_NEAR(wt.ratio, std::pow(2.0, 1 / 24.0), 1e-15);
  EXPECT_NEAR(wt.fTop / wt.fBottom, std::pow(2.0, 10.625), 1e-6);
}

TEST_F(DisplayChart, ClearWithColoursOffDrawsBlackGridLinesOnWhite) {
  setOpenRateKHz(44);
  settings.blockOrder = 9;
  clearChart(display, settings, canvas);
  for (int row : {24, 82, 140, 198}) {
    EXPECT_EQ(countColour(canvas, plotX(0), plotY(row), 512, 1, kBlack), 512) << row;
  }
  EXPECT_EQ(countColour(canvas, plotX(0), plotY(0), 512, 256, kWhite), 512 * 252);
  setOpenRateKHz(48);
  clearChart(display, settings, canvas);
  EXPECT_EQ(countColour(canvas, plotX(0), plotY(128), 512, 1, kBlack), 512);
  EXPECT_EQ(countColour(canvas, plotX(0), plotY(0), 512, 256, kBlack), 512 * 3);
  settings.method = kWt;
  clearChart(display, settings, canvas);
  EXPECT_EQ(countColour(canvas, plotX(0), plotY(0), 512, 256, kBlack), 512 * 11);
  EXPECT_EQ(canvas.getPixel(plotX(0), plotY(240)), kBlack);
}

TEST_F(DisplayChart, ClearWithColoursOnPaintsNoteRows) {
  setOpenRateKHz(44);
  settings.colorScale = true;
  settings.blockOrder = 9;  // N = 512: row i is i * 44100 / 512 Hz
  clearChart(display, settings, canvas);
  EXPECT_EQ(at(0, 0), kBlack);                // bin 0
  EXPECT_EQ(at(100, 5), (Rgb{255, 0, 255}));  // 430.7 Hz, la
  EXPECT_EQ(at(511, 6), (Rgb{255, 0, 0}));    // 516.8 Hz, do
  EXPECT_EQ(canvas.getPixel(plotX(512), plotY(250)), kUntouched);
}

TEST_F(DisplayChart, NoteRowsFollowTheTrueRowScaleOfShortBlocks) {
  setOpenRateKHz(44);
  settings.colorScale = true;
  settings.blockOrder = 8;  // 128 bins of 172.3 Hz, two rows each
  clearChart(display, settings, canvas);
  EXPECT_EQ(at(0, 0), kBlack);  // both rows of bin 0
  EXPECT_EQ(at(0, 1), kBlack);
  EXPECT_EQ(at(0, 10), (Rgb{255, 0, 255}));  // bin 5, 861.3 Hz: la
  EXPECT_EQ(at(0, 11), (Rgb{255, 0, 255}));
  EXPECT_DOUBLE_EQ(linearChartRowFrequency(display.fileRate, settings.blockOrder, 11),
                   5 * 44100.0 / 256);
}

TEST_F(DisplayChart, LogNoteRowsCoverEachBinsRowsInsideThePlot) {
  setOpenRateKHz(44);
  settings.colorScale = true;
  settings.method = kMem;
  settings.blockOrder = 8;  // 128 log bins, two rows each
  clearChart(display, settings, canvas);
  EXPECT_EQ(at(0, 0), kBlack);  // bin 0 on rows 0 and 1
  EXPECT_EQ(at(0, 1), kBlack);
  EXPECT_NE(at(0, 255), kUntouched);  // the top row belongs to the top bin
  EXPECT_EQ(canvas.getPixel(plotX(0), plotY(256)), kUntouched);
  const ChartRowScale scale = chartRowScale(display.fileRate, 128, kMem);
  EXPECT_EQ(at(0, 255), noteColour(noteClassOf(scale.fBottom * std::pow(scale.ratio, 127),
                                               display.referenceLa)));
}

}  // namespace
}  // namespace korimu

#include "display/level_meter.h"

#include <gtest/gtest.h>

#include <vector>

#include "display/frame_parts.h"
#include "display_test_support.h"

namespace korimu {
namespace {

using testing::countColour;
using testing::DisplayTest;

class DisplayMeter : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    setOpenRateKHz(44);
  }
  // Height of the black bar whose left edge is at window x (0 when there is none).
  int barHeight(int x) const { return countColour(canvas, x, kLayout.plotTop, 1, 256, kBlack); }
  bool fullBarAt(int x, int height) const {
    return countColour(canvas, x, kLayout.plotTop + 256 - height, 40, height, kBlack) ==
           40 * height;
  }
};

TEST_F(DisplayMeter, BandCountsFollowTheBlockOrder) {
  EXPECT_EQ(octaveBandCount(8), 8);
  EXPECT_EQ(octaveBandCount(9), 8);
  EXPECT_EQ(octaveBandCount(10), 9);
  EXPECT_EQ(octaveBandCount(11), 10);
  EXPECT_EQ(octaveBandCount(16), 10);
}

TEST_F(DisplayMeter, TenOctaveBarsAt2048Points) {
  settings.blockOrder = 11;
  std::vector<uint8_t> depths(1024, 255);
  depths[0] = 0;      // bin 0 belongs to no band
  depths[1] = 50;     // the lowest band, bin 1 alone, at x = 20
  depths[700] = 100;  // the highest band, bins 512 .. 1023, at x = 470
  depths[3] = 200;    // bins 2 .. 3 at x = 70
  drawOctaveMeter(canvas, settings, depths.data(), 1024);
  EXPECT_TRUE(fullBarAt(470, 156));
  EXPECT_EQ(barHeight(470), 156);
  EXPECT_EQ(barHeight(20), 206);
  EXPECT_EQ(barHeight(59), 206);
  EXPECT_EQ(barHeight(60), 0);  // gap between bars
  EXPECT_EQ(barHeight(70), 56);
  for (int x = 120; x <= 420; x += 50) EXPECT_EQ(barHeight(x), 1) << x;  // silent bands
}

TEST_F(DisplayMeter, NineBarsAt1024Points) {
  settings.blockOrder = 10;
  std::vector<uint8_t> depths(512, 0);
  drawOctaveMeter(canvas, settings, depths.data(), 512);
  EXPECT_EQ(barHeight(70), 256);
  EXPECT_EQ(barHeight(20), 0);
}

TEST_F(DisplayMeter, EightBarsAt256PointsEndWithBinZero) {
  settings.blockOrder = 8;
  std::vector<uint8_t> depths(128, 255);
  depths[0] = 30;
  drawOctaveMeter(canvas, settings, depths.data(), 128);
  EXPECT_EQ(barHeight(120), 226);  // the eighth band is bin 0
  EXPECT_EQ(barHeight(70), 0);
  EXPECT_EQ(barHeight(470), 1);
  settings.pinkNoiseFlat = true;  // the bar graph keeps the bin-0 band
  drawOctaveMeter(canvas, settings, depths.data(), 128);
  EXPECT_EQ(barHeight(120), 226);
}

TEST_F(DisplayMeter, LineGraphThroughTheBandMeans) {
  settings.blockOrder = 8;
  settings.graphStyle = kLineGraph;
  std::vector<uint8_t> depths(128, 100);
  depths[0] = 30;
  drawOctaveMeter(canvas, settings, depths.data(), 128);
  // Points at x = 490, 440, ..., 190 on row 100, then bin 0 alone at (140, row 30): row 100 is
  // black from 490 down to 190, where the last segment starts.
  EXPECT_EQ(countColour(canvas, 100, kLayout.plotTop + 100, 400, 1, kBlack), 301);
  EXPECT_EQ(canvas.getPixel(490, kLayout.plotTop + 100), kBlack);
  EXPECT_EQ(canvas.getPixel(491, kLayout.plotTop + 100), kWhite);
  EXPECT_GT(countColour(canvas, 141, kLayout.plotTop + 31, 49, 69, kBlack), 40);

  settings.pinkNoiseFlat = true;  // 7 points: the line stops at x = 190
  drawOctaveMeter(canvas, settings, depths.data(), 128);
  // A line leaves out its last pixel: the run ends one short of the leftmost point.
  EXPECT_EQ(countColour(canvas, 100, kLayout.plotTop + 100, 400, 1, kBlack), 300);
  EXPECT_EQ(canvas.getPixel(191, kLayout.plotTop + 100), kBlack);
  EXPECT_EQ(canvas.getPixel(190, kLayout.plotTop + 100), kWhite);
  EXPECT_EQ(countColour(canvas, 100, kLayout.plotTop, 91, 256, kBlack), 0);
}

TEST_F(DisplayMeter, LineGraphUsesTheMeanDepthOfABand) {
  settings.blockOrder = 11;
  settings.graphStyle = kLineGraph;
  std::vector<uint8_t> depths(1024, 0);
  for (int i = 512; i < 1024; ++i) depths[size_t(i)] = i % 2 == 0 ? 100 : 200;  // mean 150
  for (int i = 256; i < 512; ++i) depths[size_t(i)] = 150;
  drawOctaveMeter(canvas, settings, depths.data(), 1024);
  EXPECT_EQ(canvas.getPixel(490, kLayout.plotTop + 150), kBlack);
  EXPECT_EQ(canvas.getPixel(460, kLayout.plotTop + 150), kBlack);
}

TEST_F(DisplayMeter, SilentBandIsOneRowOnTheBottom) {
  settings.blockOrder = 11;
  std::vector<uint8_t> depths(1024, 255);
  drawOctaveMeter(canvas, settings, depths.data(), 1024);
  EXPECT_EQ(countColour(canvas, 470, kLayout.plotTop + 255, 40, 1, kBlack), 40);
  EXPECT_EQ(countColour(canvas, 470, kLayout.plotTop + 254, 40, 1, kBlack), 0);
}

TEST_F(DisplayMeter, EqualCountBandsOfFiftyBins) {
  std::vector<uint8_t> depths(500, 255);
  depths[25] = 40;   // the lowest band, bins 0 .. 49, at x = 20
  depths[50] = 120;  // bins 50 .. 99 at x = 70
  depths[499] = 0;   // the highest band at x = 470
  drawEqualCountMeter(canvas, settings, depths.data(), 500);
  EXPECT_EQ(barHeight(20), 216);
  EXPECT_EQ(barHeight(70), 136);
  EXPECT_EQ(barHeight(470), 256);
  EXPECT_EQ(barHeight(420), 1);

  settings.graphStyle = kLineGraph;
  std::vector<uint8_t> flat(500, 80);
  drawEqualCountMeter(canvas, settings, flat.data(), 500);
  EXPECT_EQ(countColour(canvas, 41, kLayout.plotTop + 80, 450, 1, kBlack), 450);
  EXPECT_EQ(canvas.getPixel(40, kLayout.plotTop + 80), kWhite);
}

TEST_F(DisplayMeter, EqualCountMeterWithTooFewBinsOnlyClears) {
  std::vector<uint8_t> depths(9, 0);
  drawEqualCountMeter(canvas, settings, depths.data(), 9);
  EXPECT_EQ(countColour(canvas, kLayout.unitW, kLayout.plotTop, 512, 256, kWhite), 512 * 256);
}

using DisplayWaveZoom = DisplayMeter;

TEST_F(DisplayWaveZoom, ScalesAt44And48kHz) {
  settings.timeResolution = 1024;
  EXPECT_DOUBLE_EQ(waveZoomScale(display.fileRate, waveSpanFrames(settings)),
                   0.125);  // 4096 samples across the plot
  settings.autocorrelation = true;
  EXPECT_DOUBLE_EQ(waveZoomScale(display.fileRate, waveSpanFrames(settings)), 0.25);
  settings.autocorrelation = false;
  setOpenRateKHz(48);
  EXPECT_DOUBLE_EQ(waveZoomScale(display.fileRate, waveSpanFrames(settings)),
                   512.0 / (1024 * 6));  // 6144 samples, 128 ms
  EXPECT_NEAR(waveZoomScale(display.fileRate, waveSpanFrames(settings)), 0.0833, 1e-4);
  setOpenRateKHz(22);
  EXPECT_DOUBLE_EQ(waveZoomScale(display.fileRate, waveSpanFrames(settings)), 0.25);
  setOpenRateKHz(0);
  EXPECT_EQ(waveZoomScale(display.fileRate, waveSpanFrames(settings)), 0.0);
}

TEST_F(DisplayWaveZoom, SamplesSpanThePlot) {
  std::vector<uint8_t> depths(4096, 20);
  for (size_t i = 2048; i < depths.size(); ++i) depths[i] = 200;
  drawWaveZoom(canvas, display.fileRate, settings, depths.data(), 4096);
  EXPECT_EQ(canvas.getPixel(plotX(100), plotY(20)), kBlack);
  EXPECT_EQ(canvas.getPixel(plotX(255), plotY(20)), kBlack);
  EXPECT_EQ(canvas.getPixel(plotX(256), plotY(120)), kBlack);  // the step at sample 2048
  EXPECT_EQ(canvas.getPixel(plotX(400), plotY(200)), kBlack);
  EXPECT_EQ(canvas.getPixel(plotX(400), plotY(201)), kWhite);
  // Centre line and time grid (75, 50, 25 ms at 413, 276, 138) in the grid colour.
  EXPECT_EQ(canvas.getPixel(plotX(50), plotY(127)), kGridColour);
  for (int c : {413, 276, 138}) EXPECT_EQ(canvas.getPixel(plotX(c), plotY(60)), kGridColour) << c;

  settings.lineWidth = LineWidth::kThick;  // thick: each segment doubled one pixel lower
  drawWaveZoom(canvas, display.fileRate, settings, depths.data(), 4096);
  EXPECT_EQ(canvas.getPixel(plotX(100), plotY(21)), kBlack);
  EXPECT_EQ(canvas.getPixel(plotX(100), plotY(22)), kWhite);
}

TEST_F(DisplayWaveZoom, AutocorrelationHalvesTheSpan) {
  settings.autocorrelation = true;
  std::vector<uint8_t> depths(2048, 127);
  depths[1024] = 0;
  drawWaveZoom(canvas, display.fileRate, settings, depths.data(), 2048);
  EXPECT_EQ(canvas.getPixel(plotX(256), plotY(0)), kBlack);
}

}  // namespace
}  // namespace korimu

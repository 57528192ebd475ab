#include "display/spectrum_graph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "display/frame_parts.h"
#include "display_test_support.h"

namespace korimu {
namespace {

using testing::countColour;
using testing::DisplayTest;
using testing::kUntouched;

constexpr Rgb kPurple{255, 0, 255};
constexpr Rgb kRed{255, 0, 0};

class DisplaySpectrum : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    setOpenRateKHz(44);
  }
  Rgb at(int column, int row) const { return canvas.getPixel(plotX(column), plotY(row)); }
  int blackInColumn(int column) const {
    return countColour(canvas, plotX(column), plotY(0), 1, 256, kBlack);
  }
};

TEST_F(DisplaySpectrum, SilentFrameDrawsOneRowBarsOnTheBottomRow) {
  settings.blockOrder = 10;
  std::vector<uint8_t> depths(512, 255);
  drawLinearSpectrum(canvas, display, settings, depths.data(), 512);
  EXPECT_EQ(countColour(canvas, plotX(0), plotY(255), 512, 1, kBlack), 512);
  EXPECT_EQ(countColour(canvas, plotX(0), plotY(0), 512, 255, kBlack), 0);
  // Grid lines of the 11-family, full height behind the data.
  for (int c : {116, 232, 348, 464}) EXPECT_EQ(at(c, 100), kGridColour) << c;
  EXPECT_EQ(at(117, 100), kWhite);

  settings.graphStyle = kLineGraph;
  drawLinearSpectrum(canvas, display, settings, depths.data(), 512);
  EXPECT_EQ(countColour(canvas, plotX(0), plotY(255), 511, 1, kBlack), 511);
  EXPECT_EQ(countColour(canvas, plotX(0), plotY(0), 512, 255, kBlack), 0);
}

TEST_F(DisplaySpectrum, FullScaleFrameDrawsFullHeightBars) {
  std::vector<uint8_t> depths(512, 0);
  drawLinearSpectrum(canvas, display, settings, depths.data(), 512);
  EXPECT_EQ(countColour(canvas, plotX(0), plotY(0), 512, 256, kBlack), 512 * 256);
  EXPECT_EQ(canvas.getPixel(plotX(0), plotY(-1)), kUntouched);
}

TEST_F(DisplaySpectrum, ShortBlocksWithThickAndThinBars) {
  settings.blockOrder = 8;  // 128 bins, one every 4 pixels
  std::vector<uint8_t> depths(128, 0);
  settings.lineWidth = LineWidth::kThick;
  drawLinearSpectrum(canvas, display, settings, depths.data(), 128);
  EXPECT_EQ(countColour(canvas, plotX(0), plotY(0), 512, 256, kBlack), 512 * 256);  // touching
  settings.lineWidth = LineWidth::kThin;
  drawLinearSpectrum(canvas, display, settings, depths.data(), 128);
  for (int column = 0; column < 512; ++column) {
    EXPECT_EQ(blackInColumn(column), column % 4 == 0 ? 256 : 0) << column;
  }
}

TEST_F(DisplaySpectrum, ThickLinesAreDoubledToTheRight) {
  settings.blockOrder = 8;
  settings.graphStyle = kLineGraph;
  settings.lineWidth = LineWidth::kThick;
  std::vector<uint8_t> depths(128, 200);
  drawLinearSpectrum(canvas, display, settings, depths.data(), 128);
  EXPECT_EQ(at(0, 200), kBlack);
  EXPECT_EQ(at(508, 200), kBlack);
  EXPECT_EQ(at(509, 200), kBlack);  // x of the last bin + 1, from the doubled segment
  EXPECT_EQ(at(510, 200), kWhite);
  EXPECT_EQ(at(100, 201), kWhite);
  settings.lineWidth = LineWidth::kThin;
  drawLinearSpectrum(canvas, display, settings, depths.data(), 128);
  EXPECT_EQ(at(508, 200), kWhite);  // the last point itself is not drawn
  EXPECT_EQ(at(507, 200), kBlack);
}

TEST_F(DisplaySpectrum, LongBlocksShareColumnsAndBarsShowTheTallest) {
  settings.blockOrder = 12;  // 2048 bins, four per column
  std::vector<uint8_t> depths(2048, 200);
  for (int column = 0; column < 512; ++column) depths[size_t(4 * column + (column % 4))] = 10;
  drawLinearSpectrum(canvas, display, settings, depths.data(), 2048);
  for (int column = 0; column < 512; column += 37) {
    EXPECT_EQ(blackInColumn(column), 246) << column;
  }
}

TEST_F(DisplaySpectrum, PlacementRules) {
  const BinPlacement half = placeBins(256, 512);
  EXPECT_EQ(half.x(3) - kLayout.unitW, 6);
  const BinPlacement pairs = placeBins(1024, 512);
  EXPECT_EQ(pairs.x(7) - kLayout.unitW, 3);
  const BinPlacement quarter = placeBins(128, 512);
  EXPECT_EQ(quarter.x(127) - kLayout.unitW, 508);
}

TEST_F(DisplaySpectrum, NoteColoursOfA4096PointBlock) {
  settings.colorScale = true;
  std::vector<uint8_t> depths(2048, 0);
  // One pixel per bin, so each bin's colour stays visible.
  drawNoteBars(canvas, display, 2048, 1, 1, depths.data(), kLayout.plotTop, 1);
  EXPECT_EQ(at(0, 100), kBlack);  // bin 0
  EXPECT_EQ(at(40, 100), kPurple);
  EXPECT_EQ(at(41, 100), kPurple);
  EXPECT_EQ(at(48, 100), kRed);
  EXPECT_EQ(at(49, 100), kRed);
  EXPECT_NE(at(44, 100), kPurple);

  // The same bins in the log-axis view.
  settings.blockOrder = 12;
  drawLogSpectrum(canvas, display, settings, depths.data(), 2048);
  auto column = [](int i) { return int(std::log(double(i)) / std::log(2048.0) * 512); };
  EXPECT_EQ(at(column(40), 100), kPurple);
  EXPECT_EQ(at(column(41), 100), kPurple);
  EXPECT_EQ(at(column(48), 100), kRed);
  EXPECT_EQ(at(column(49), 100), kRed);
}

TEST_F(DisplaySpectrum, BinZeroIsDrawnLinearlyButNeverAsALogBar) {
  settings.colorScale = true;
  settings.blockOrder = 10;
  std::vector<uint8_t> depths(512, 255);
  depths[0] = 0;
  drawLinearSpectrum(canvas, display, settings, depths.data(), 512);
  EXPECT_EQ(blackInColumn(0), 256);  // black: class 12
  drawLogSpectrum(canvas, display, settings, depths.data(), 512);
  // Only bin 1's one-row bar, in the colour of 43.1 Hz, stands in the first column.
  EXPECT_EQ(countColour(canvas, plotX(0), plotY(0), 1, 255, kWhite), 255);
  EXPECT_EQ(at(0, 255), noteColour(noteClassOf(44100.0 / 1024, display.referenceLa)));
  settings.colorScale = false;
  drawLogSpectrum(canvas, display, settings, depths.data(), 512);
  EXPECT_EQ(blackInColumn(0), 1);
}

TEST_F(DisplaySpectrum, ThickLogBars) {
  settings.blockOrder = 10;
  settings.lineWidth = LineWidth::kThick;
  std::vector<uint8_t> depths(512, 0);
  auto axis = [](double v) { return int(std::log(v) / std::log(512.0) * 512); };
  drawLogSpectrum(canvas, display, settings, depths.data(), 512);
  // Black bars leave a one-pixel gap where they are wide: bar 2 spans [X(1.5), X(2.5) - 1).
  const int left = axis(1.5), right = axis(2.5);
  ASSERT_GT(right - left, 2);
  EXPECT_EQ(blackInColumn(left), 256);
  EXPECT_EQ(blackInColumn(right - 2), 256);
  EXPECT_EQ(blackInColumn(right - 1), 0);
  // Coloured bars touch.
  settings.colorScale = true;
  drawLogSpectrum(canvas, display, settings, depths.data(), 512);
  EXPECT_NE(at(right - 1, 100), kWhite);
  EXPECT_NE(at(right - 1, 100), kGridColour);
}

TEST_F(DisplaySpectrum, LogGridFollowsTheOctaves) {
  settings.blockOrder = 10;
  std::vector<uint8_t> depths(512, 255);
  drawLogSpectrum(canvas, display, settings, depths.data(), 512);
  const double p0 = 20000.0 * 512 / 22050;
  EXPECT_EQ(at(int(std::log(p0) / std::log(512.0) * 512), 10), kGridColour);
  EXPECT_EQ(at(int(std::log(p0 / 2) / std::log(512.0) * 512), 10), kGridColour);
}

TEST_F(DisplaySpectrum, LogBinnedBarsAndLines) {
  settings.method = kMem;
  settings.blockOrder = 10;
  std::vector<uint8_t> depths(512, 0);
  drawLogBinnedSpectrum(canvas, display, settings, depths.data(), 512, kLayout.plotTop, 512);
  EXPECT_EQ(countColour(canvas, plotX(0), plotY(0), 512, 256, kBlack), 512 * 256);

  settings.colorScale = true;
  std::vector<uint8_t> quiet(512, 255);
  drawLogBinnedSpectrum(canvas, display, settings, quiet.data(), 512, kLayout.plotTop, 512);
  // Bin i stands for fLow * r^i with fLow = 22050 / 512 and r = 512^(1/511).
  const double fLow = 22050.0 / 512, r = std::pow(512.0, 1.0 / 511);
  EXPECT_EQ(at(0, 255), kBlack);
  for (int i : {1, 100, 300, 511}) {
    EXPECT_EQ(at(i, 255), noteColour(noteClassOf(fLow * std::pow(r, i), display.referenceLa))) << i;
  }
  settings.graphStyle = kLineGraph;
  drawLogBinnedSpectrum(canvas, display, settings, quiet.data(), 512, kLayout.plotTop, 512);
  EXPECT_EQ(countColour(canvas, plotX(0), plotY(255), 511, 1, kBlack), 511);
}

}  // namespace
}  // namespace korimu

#include "display/cross_section.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "cross_section_test_support.h"
#include "display/chart.h"
#include "display/frame_parts.h"
#include "platform/message.h"

namespace korimu {
namespace {

using testing::countColour;
using testing::CrossSection;
using testing::kPurple;
using testing::kUntouched;
using testing::textAt;
using testing::transparentTextAt;

TEST_F(CrossSection, WhiteClearedChartReadsBackAsFullScale) {
  std::array<uint8_t, 256> depths{};
  depths.fill(77);
  EXPECT_EQ(readChartColumn(display, chart, kLayout.unitW + 300, depths.data()), 0);
  for (uint8_t e : depths) EXPECT_EQ(e, 0);

  // Drawn as a bar graph, that is a full-height graph across the whole width.
  setOpenRateKHz(48);
  drawCrossSectionGraph(display, settings, client, depths.data(), kLayout.unitH, 256,
                        document_.lastRunMethod);
  EXPECT_EQ(countColour(client, kLayout.unitW, kLayout.unitH, 256, 256, kBlack), 256 * 256);
  newClient(512);
  drawCrossSectionGraph(display, settings, client, depths.data(), kLayout.unitH, 512,
                        document_.lastRunMethod);
  EXPECT_EQ(countColour(client, kLayout.unitW, kLayout.unitH, 512, 256, kBlack), 512 * 256);
}

TEST_F(CrossSection, ChartShadesReadBackAsTheirDepths) {
  std::vector<uint8_t> painted(256);
  for (int i = 0; i < 256; ++i) painted[size_t(i)] = uint8_t(1 + (i * 37 + 11) % 255);
  painted[200] = 0;  // the loudest row, high up
  paintColumn(42, painted);
  std::array<uint8_t, 256> depths{};
  EXPECT_EQ(readChartColumn(display, chart, kLayout.unitW + 42, depths.data()), 200);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(depths[size_t(i)], painted[size_t(i)]) << i;
  // The neighbouring column is untouched white.
  EXPECT_EQ(readChartColumn(display, chart, kLayout.unitW + 43, depths.data()), 0);
}

TEST_F(CrossSection, LowestOfEqualLoudestRowsWins) {
  std::vector<uint8_t> painted(256, 200);
  painted[30] = 10;
  painted[31] = 10;
  painted[180] = 10;
  painted[181] = 11;
  paintColumn(7, painted);
  std::array<uint8_t, 256> depths{};
  EXPECT_EQ(readChartColumn(display, chart, kLayout.unitW + 7, depths.data()), 30);
}

TEST_F(CrossSection, SixteenColourDisplayReadsTheTableIndex) {
  display.surfaces.window = Canvas(kLayout.layoutWidth, kLayout.clientHeight, 4);
  prepareAnalysis(display, settings.musicalKey);
  ASSERT_TRUE(display.chartColours16Built);
  Canvas& buffer = display.surfaces.backBuffer;
  ASSERT_EQ(buffer.depthBits(), 4);
  std::vector<uint8_t> painted(256, 255);
  painted[0] = 0;
  painted[1] = 100;
  painted[2] = 16;
  drawChartColumn(display, buffer, painted.data(), 256, 5, 1);
  std::array<uint8_t, 256> depths{};
  EXPECT_EQ(readChartColumn(display, buffer, kLayout.unitW + 5, depths.data()), 0);
  EXPECT_EQ(depths[0], 15);   // white: the last of 16 colours
  EXPECT_EQ(depths[1], 111);  // 255 - 16 * (15 - 100 / 16)
  EXPECT_EQ(depths[2], 31);
  EXPECT_EQ(depths[3], 255);  // black: the first colour

  // A colour the table does not hold reads as full scale.
  EXPECT_EQ(depthOfChartColour(display, Rgb{1, 2, 3}, 4), 0);
  EXPECT_EQ(depthOfChartColour(display, display.chartColours16[3], 4), 255 - 48);
  buffer.setDepthBits(24);
  buffer.setPixel(kLayout.unitW + 5, kLayout.plotTop + 255 - 4, Rgb{10, 200, 77});
  buffer.setDepthBits(4);
  readChartColumn(display, buffer, kLayout.unitW + 5, depths.data());
  EXPECT_EQ(depths[4], 0);
  EXPECT_EQ(depths[5], 255);
}

TEST_F(CrossSection, GridsPerMethod) {
  std::array<uint8_t, 256> silent{};
  silent.fill(255);
  setOpenRateKHz(48);
  document_.lastRunMethod = kFft;
  drawCrossSectionGraph(display, settings, client, silent.data(), kLayout.unitH, 256,
                        document_.lastRunMethod);
  EXPECT_EQ(graphAt(128, 10), kGridColour);
  EXPECT_EQ(graphAt(127, 10), kWhite);
  EXPECT_EQ(graphAt(10, 255), kBlack);  // silence: one-row bars
  EXPECT_EQ(graphAt(10, 254), kWhite);
  newClient(512);
  drawCrossSectionGraph(display, settings, client, silent.data(), kLayout.unitH, 512,
                        document_.lastRunMethod);
  for (int x : {128, 256, 384}) EXPECT_EQ(graphAt(x, 10), kGridColour) << x;

  setOpenRateKHz(44);
  newClient(256);
  drawCrossSectionGraph(display, settings, client, silent.data(), kLayout.unitH, 256,
                        document_.lastRunMethod);
  for (int x : {116, 232}) EXPECT_EQ(graphAt(x, 10), kGridColour) << x;
  EXPECT_EQ(graphAt(128, 10), kWhite);

  document_.lastRunMethod = kWt;
  newClient(512);
  drawCrossSectionGraph(display, settings, client, silent.data(), kLayout.unitH, 512,
                        document_.lastRunMethod);
  for (int k = 1; k <= 10; ++k) EXPECT_EQ(graphAt(512 - 48 * k, 10), kGridColour) << k;
  EXPECT_EQ(graphAt(512 - 24, 10), kWhite);

  document_.lastRunMethod = kMem;
  settings.blockOrder = 9;  // C = 256: 20 kHz at ln(232.2) / ln(256) of the width
  newClient(256);
  drawCrossSectionGraph(display, settings, client, silent.data(), kLayout.unitH, 256,
                        document_.lastRunMethod);
  EXPECT_EQ(graphAt(251, 10), kGridColour);
  EXPECT_EQ(graphAt(219, 10), kGridColour);  // 10 kHz
  EXPECT_EQ(graphAt(220, 10), kWhite);
}

TEST_F(CrossSection, NoteColouredBars) {
  std::array<uint8_t, 256> full{};
  setOpenRateKHz(44);
  settings.colorScale = true;
  document_.lastRunMethod = kFft;
  drawCrossSectionGraph(display, settings, client, full.data(), kLayout.unitH, 256,
                        document_.lastRunMethod);
  EXPECT_EQ(graphAt(0, 100), kBlack);    // the zero-frequency row
  EXPECT_EQ(graphAt(5, 100), kPurple);   // 431 Hz, la
  EXPECT_EQ(graphAt(10, 100), kPurple);  // 861 Hz, la an octave up
  document_.lastRunMethod = kMem;
  settings.blockOrder = 9;
  drawCrossSectionGraph(display, settings, client, full.data(), kLayout.unitH, 256,
                        document_.lastRunMethod);
  EXPECT_EQ(graphAt(0, 100), kBlack);
  EXPECT_EQ(graphAt(75, 100), kPurple);  // 86 Hz * 256^(75/255) = 440 Hz
}

TEST_F(CrossSection, LineGraphAndThickBarsOfTheNarrowGraph) {
  std::array<uint8_t, 256> depths{};
  depths.fill(100);
  setOpenRateKHz(48);
  document_.lastRunMethod = kFft;
  settings.graphStyle = kLineGraph;
  drawCrossSectionGraph(display, settings, client, depths.data(), kLayout.unitH, 256,
                        document_.lastRunMethod);
  EXPECT_EQ(countColour(client, kLayout.unitW, kLayout.unitH + 100, 256, 1, kBlack), 255);
  EXPECT_EQ(graphAt(50, 101), kWhite);

  settings.graphStyle = kBarGraph;
  settings.lineWidth = LineWidth::kThick;
  chart.whiteness(kLayout.unitW, kLayout.plotTop, 512, 256);
  document_.crossSectionX = kLayout.unitW + 3;
  paintCrossSection(display, settings, client, chart, file_, document_);
  EXPECT_EQ(client.getPixel(kLayout.unitW + 255, kLayout.unitH + 10), kBlack);
  EXPECT_EQ(client.getPixel(kLayout.unitW + 256, kLayout.unitH + 10),
            crossSectionBackground(settings.dialog3d));
}

TEST_F(CrossSection, PaintShowsColumnPositionAndPeak) {
  setOpenRateKHz(44);
  file_.blockAlign = 4;
  file_.bytesPerSecond = 176400;
  document_.position = 1000;
  document_.lastRunMethod = kFft;
  settings.blockOrder = 9;
  std::vector<uint8_t> painted(256, 250);
  painted[40] = 3;
  paintColumn(10, painted);
  document_.crossSectionX = kLayout.unitW + 10;
  ASSERT_TRUE(allocateCrossSectionBuffer(display.crossSection, Messages{}));
  newClient(512);
  EXPECT_EQ(paintCrossSection(display, settings, client, chart, file_, document_), 40);
  EXPECT_EQ(display.crossSection.column[40], 3);
  EXPECT_EQ(display.crossSection.column[41], 250);

  const TextStyle style = crossSectionTextStyle(settings.dialog3d);
  const int w = kLayout.unitW;
  const int h = kLayout.unitH;
  EXPECT_TRUE(textAt(client, int(w * 23.5), 5 * h + 256, " 10", style));
  // 1000 + 10 columns * 512 frames * 4 bytes; seconds from the bytes per second.
  EXPECT_EQ(crossSectionBytePosition(file_, document_, settings.framesPerColumn), 21480u);
  EXPECT_TRUE(textAt(client, w + 256, int(h * 5.5 + 256), "     21480pos      0.121769秒", style));
  EXPECT_TRUE(transparentTextAt(client, w, h, " 3445 Hz ", kBlack));  // 40 * 22050 / 256
  EXPECT_TRUE(textAt(client, w, h + 260, "0", style));
  releaseCrossSectionBuffer(display.crossSection);
  EXPECT_TRUE(display.crossSection.column.empty());
}

TEST_F(CrossSection, PositionTextFormatsPerFontWidth) {
  document_.position = 44100;
  file_.blockAlign = 1;
  file_.bytesPerSecond = 0;
  EXPECT_EQ(crossSectionPositionText(file_, document_, settings.framesPerColumn),
            "     44100pos      0.000000秒");
  file_.bytesPerSecond = 22050;
  document_.crossSectionX = 9;
  EXPECT_EQ(crossSectionPositionText(file_, document_, settings.framesPerColumn, 9),
            "     44100pos      2.0000秒");
  document_.crossSectionX = 12 + 511;
  settings.framesPerColumn = 100;
  EXPECT_EQ(crossSectionPositionText(file_, document_, settings.framesPerColumn, 12),
            "     95200pos     4.3秒");
  EXPECT_EQ(crossSectionColumnText(document_, 12), "511");
}

TEST_F(CrossSection, ArrowsStepOneBlockAndStopAtTheEdges) {
  setOpenRateKHz(44);
  document_.lastRunMethod = kFft;
  settings.timeResolution = 1024;
  settings.framesPerColumn = 512;
  EXPECT_EQ(crossSectionStep(display.fileRate, document_.lastRunMethod, settings),
            8);  // (44 div 11) * 1024 div 512
  setOpenRateKHz(48);
  EXPECT_EQ(crossSectionStep(display.fileRate, document_.lastRunMethod, settings),
            12);  // 48 / 8 * 1024 / 512
  settings.framesPerColumn = 65536;
  EXPECT_EQ(crossSectionStep(display.fileRate, document_.lastRunMethod, settings),
            1);  // less than a column still moves one

  settings.framesPerColumn = 512;
  const int w = kLayout.unitW;
  document_.crossSectionX = w;
  stepCrossSection(document_, display.fileRate, settings, -1);
  EXPECT_EQ(document_.crossSectionX, w);
  stepCrossSection(document_, display.fileRate, settings, +1);
  EXPECT_EQ(document_.crossSectionX, w + 12);
  document_.crossSectionX = w + 505;
  stepCrossSection(document_, display.fileRate, settings, +1);
  EXPECT_EQ(document_.crossSectionX, w + 511);
  stepCrossSection(document_, display.fileRate, settings, +1);
  EXPECT_EQ(document_.crossSectionX, w + 511);

  document_.lastRunMethod = kWt;
  EXPECT_EQ(crossSectionStep(display.fileRate, document_.lastRunMethod, settings), 1);
  stepCrossSection(document_, display.fileRate, settings, -1);
  EXPECT_EQ(document_.crossSectionX, w + 510);
}

TEST_F(CrossSection, LayoutPerFontWidth) {
  LayoutUnits u;
  u.unitW = 8;
  u.unitH = 7;
  CrossSectionLayout l = crossSectionLayout(u, 256);
  EXPECT_EQ(l.clientWidth, 272);
  EXPECT_EQ(l.close, (Rect{8, 284, 72, 28}));
  EXPECT_EQ(l.zoom, (Rect{80, 284, 72, 28}));
  EXPECT_EQ(l.left, (Rect{160, 284, 24, 28}));
  EXPECT_EQ(l.right, (Rect{216, 284, 24, 28}));
  EXPECT_EQ(crossSectionLayout(u, 512).clientWidth, 528);
  EXPECT_EQ(crossSectionLayout(u, 512).clientHeight, l.clientHeight);

  u.unitW = 10;
  u.unitH = 8;
  l = crossSectionLayout(u, 512);
  EXPECT_EQ(l.clientWidth, 532);
  EXPECT_EQ(l.zoom, (Rect{80, 288, 70, 32}));
  EXPECT_EQ(l.right, (Rect{230, 288, 30, 32}));
  u.unitW = 11;
  l = crossSectionLayout(u, 256);
  EXPECT_EQ(l.close, (Rect{11, 288, 77, 32}));
  EXPECT_EQ(l.left, (Rect{154, 288, 22, 32}));
  EXPECT_EQ(l.right, (Rect{220, 288, 22, 32}));

  EXPECT_STREQ(crossSectionZoomText(256), "拡大");
  EXPECT_STREQ(crossSectionZoomText(512), "縮小");
}

TEST_F(CrossSection, UnobtainableBufferIsFatal) {
  std::vector<std::pair<std::string, MessageKind>> shown;
  int exitCode = -1;
  const Messages recorder{
      [&](std::string_view text, MessageKind kind) { shown.emplace_back(text, kind); },
      [&](int code) { exitCode = code; }};
  EXPECT_FALSE(allocateCrossSectionBuffer(display.crossSection, recorder, size_t(PTRDIFF_MAX) + 1));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].first, "mem s2");
  EXPECT_EQ(shown[0].second, MessageKind::kFatal);
  EXPECT_EQ(exitCode, 1);
  EXPECT_TRUE(display.crossSection.column.empty());
}

}  // namespace
}  // namespace korimu

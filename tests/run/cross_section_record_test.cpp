// The cross-section's graph drawn from the chart's numbers is the graph read back from the chart's
// picture, on every display depth, for drawn columns and for columns no block reached: so the
// window can draw it while another run has the picture.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "display/cross_section.h"
#include "run/chart_column.h"
#include "run/chart_description.h"
#include "run/run_driver_test_support.h"

namespace korimu {
namespace {

using testing::mono16Format;
using testing::pcm16;
using testing::RecordingScope;
using testing::waveFile;

struct GraphCase {
  int depthBits;
  AnalysisMethod method;
  bool colorScale;
  int gain = 1;  // x4 clips the loudest cells to depth 0, whose 16-bit shade the display changes
};

TEST(CrossSectionFromRecord, EqualsTheColumnReadBackFromThePicture) {
  // 0.7 s of two tones: the chart ends before the plot's right edge, so some columns stay clear.
  std::vector<int> samples(30870);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = int(std::lround(12000 * std::sin(2 * M_PI * 1000.0 * double(i) / 44100) +
                                 3000 * std::sin(2 * M_PI * 6000.0 * double(i) / 44100)));
  const std::vector<uint8_t> file = waveFile(mono16Format(44100), pcm16(samples));
  for (const GraphCase c :
       {GraphCase{24, kFft, false}, GraphCase{16, kFft, true}, GraphCase{8, kMem, false},
        GraphCase{4, kFft, false}, GraphCase{4, kDtft, true}, GraphCase{16, kWt, false},
        GraphCase{16, kFft, false, 3}, GraphCase{24, kDct, true}}) {
    SCOPED_TRACE(::testing::Message() << c.depthBits << " bits, method " << c.method);
    RecordingScope scope;
    Session& session = scope.session;
    session.display.surfaces.window =
        Canvas(kLayout.layoutWidth, kLayout.clientHeight, c.depthBits, kButtonFace);
    session.settings.display = kTimeFrequencyChart;
    session.settings.method = c.method;
    session.settings.blockOrder = 10;
    session.settings.timeResolution = 1024;
    session.settings.colorScale = c.colorScale;
    session.settings.displayGain = c.gain;
    scope.useFile(file);
    runAnalysis(session, scope);
    const RunRecord& record = scope.numbers;
    ASSERT_GT(record.chartColumns, 0);
    ASSERT_LT(record.chartColumns, kChartColumns - 10) << "some columns stay clear";
    const CrossSectionChart chart = crossSectionChartOf(record);
    for (const int column : {0, 3, record.chartColumns - 1, record.chartColumns + 5, 511}) {
      session.document.crossSectionX = kLayout.unitW + column;
      std::array<uint8_t, kCrossSectionRows> fromPicture{}, fromNumbers{};
      const int loudestPixel = readChartColumn(session.display, session.display.surfaces.backBuffer,
                                               session.document.crossSectionX, fromPicture.data());
      const int loudestShade =
          chartColumnGraphDepths(record, session.display, c.depthBits, column, fromNumbers.data());
      ASSERT_EQ(fromNumbers, fromPicture) << "column " << column;
      EXPECT_EQ(loudestShade, loudestPixel) << "column " << column;
      // And the whole window drawn both ways.
      Canvas a(300, 400, c.depthBits), b(300, 400, c.depthBits);
      paintCrossSection(session.display, session.settings, a, session.display.surfaces.backBuffer,
                        chart, session.document, -1);
      paintCrossSection(session.display, session.settings, b, fromNumbers.data(), chart,
                        session.document, loudestShade);
      EXPECT_EQ(a.pixels(), b.pixels()) << "column " << column;
    }
  }
}

}  // namespace
}  // namespace korimu

// The readout names what the plot shows with the numbers the CSV gives: for every view, pixel
// columns across the whole plot map to an item whose values are its CSV row (and, for the chart,
// its column), and the item is the one the painter drew there, checked against the picture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "control/plot_readout.h"
#include "display/spectrum_graph.h"
#include "export/csv_export.h"
#include "run/chart_column.h"
#include "run/run_driver_test_support.h"
#include "run/run_steps.h"

namespace korimu {
namespace {

using testing::mono16Format;
using testing::pcm16;
using testing::RecordingScope;
using testing::waveFile;

// Tones over noise, loud enough that some points clip and tie.
std::vector<int> tones(size_t frames, double rate) {
  std::vector<int> samples(frames);
  uint32_t seed = 7;
  for (size_t i = 0; i < frames; ++i) {
    const double t = double(i) / rate;
    const double sound = 9000 * std::sin(2 * M_PI * 440 * t) * (1 + std::sin(2 * M_PI * 3 * t)) +
                         5000 * std::sin(2 * M_PI * 3150 * t);
    seed = seed * 1664525u + 1013904223u;
    samples[i] = int(std::lround(sound)) + int(seed >> 21) - 1024;
  }
  return samples;
}

// A CSV as its rows of fields, the header block left out.
struct Csv {
  std::vector<std::vector<std::string>> rows;
  explicit Csv(const std::string& text) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("# ", 0) == 0) continue;
      std::vector<std::string> fields;
      std::string field;
      std::istringstream cells(line);
      while (std::getline(cells, field, ',')) fields.push_back(field);
      if (!line.empty() && line.back() == ',') fields.emplace_back();
      rows.push_back(fields);
    }
  }
  // Row `row` after the column names, field `field` as a number (-inf for an empty field: the
  // CSV leaves out the dB of no power).
  double at(size_t row, size_t field) const {
    const std::string& text = rows.at(row + 1).at(field);
    return text.empty() ? -INFINITY : std::strtod(text.c_str(), nullptr);
  }
};

struct RunCase {
  const char* name;
  ViewMode view;
  AnalysisMethod method;
  int blockOrder = 10;
  uint32_t rate = 44100;
  GraphStyle style = kBarGraph;
  bool autocorrelation = false;
  int framesPerColumn = 16;
  bool wholeSpan = false;
  int timeResolution = 1024;
};
// Printed as its name: ctest's test names carry the parameter, and a name can be run again.
void PrintTo(const RunCase& c, std::ostream* out) {
  *out << c.name;
}

RunRecord runOf(const RunCase& c, Canvas* picture = nullptr) {
  RecordingScope scope;
  AppSettings& s = scope.session.settings;
  s.display = c.view;
  s.method = c.method;
  s.blockOrder = c.blockOrder;
  s.graphStyle = c.style;
  s.autocorrelation = c.autocorrelation;
  s.framesPerColumn = c.framesPerColumn;
  s.wholeSpan = c.wholeSpan;
  s.timeResolution = c.timeResolution;
  s.colorScale = false;
  scope.useFile(waveFile(mono16Format(c.rate), pcm16(tones(c.rate * 2, double(c.rate)))));
  runAnalysis(scope.session, scope);
  if (picture != nullptr) *picture = scope.session.display.surfaces.backBuffer;
  return scope.numbers;
}

// The topmost black pixel of plot column x in the picture (the plot's height when none).
int topBlackRow(const Canvas& picture, int x) {
  for (int y = 0; y < kPlotHeight; ++y)
    if (picture.getPixel(kLayout.unitW + x, kLayout.plotTop + y) == kBlack) return y;
  return kPlotHeight;
}

// The plot x of spectrum index i as the painters place it.
int spectrumX(const RunRecord& r, int i) {
  const int bins = r.spectrum.bins();
  if (r.run.analysis.view == kSpectrumLog && !r.spectrumPoints)
    return int(kLayout.unitW + logSpectrumOffset(i, bins)) - kLayout.unitW;
  return placeBins(bins, kPlotWidth).x(i) - kLayout.unitW;
}

class SpectrumReadout : public ::testing::TestWithParam<RunCase> {};

TEST_P(SpectrumReadout, EveryColumnNamesTheDrawnPointWithItsCsvRow) {
  Canvas picture;
  const RunRecord r = runOf(GetParam(), &picture);
  const Csv csv(runCsv(r));
  const bool barsOfBins = r.run.analysis.view == kSpectrumLog && !r.spectrumPoints;
  const int first = barsOfBins && !r.run.lineGraph ? 1 : 0;  // bin 0 is no bar on the log axis
  ASSERT_GT(r.spectrum.bins(), 1);
  for (int x = 0; x < kPlotWidth; ++x) {
    SCOPED_TRACE(x);
    const ReadoutValues v = readoutValues(r, readoutPlaceAt(r, x, 128), {});
    ASSERT_EQ(v.kind, ReadoutKind::kSpectrumPoint);
    // The loudest point drawn in the column, else in the nearest column with points (the left
    // of two), found by looking at every point.
    int column = -1;
    for (int i = first; i < r.spectrum.bins(); ++i)
      if (column < 0 || std::abs(spectrumX(r, i) - x) < std::abs(column - x))
        column = spectrumX(r, i);
    const bool pointHere = column == x;
    int expected = -1;
    for (int i = first; i < r.spectrum.bins(); ++i) {
      if (spectrumX(r, i) != column) continue;
      if (expected < 0 || r.spectrum.powers[size_t(i)] > r.spectrum.powers[size_t(expected)])
        expected = i;
    }
    ASSERT_EQ(v.index, expected);
    EXPECT_EQ(v.frequency, csv.at(size_t(v.index), 1));
    EXPECT_EQ(v.power, csv.at(size_t(v.index), 2));
    EXPECT_EQ(v.decibels, csv.at(size_t(v.index), 3));
    // Thin black bars: the tallest bar in the column is the point named.
    if (pointHere && !r.run.lineGraph) {
      EXPECT_EQ(topBlackRow(picture, x), r.spectrum.depths[size_t(v.index)]);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Views, SpectrumReadout,
    ::testing::Values(RunCase{"LinearFft512Bins", kSpectrumLinear, kFft, 10},
                      RunCase{"LinearFft128Bins", kSpectrumLinear, kFft, 8},
                      RunCase{"LinearFft2048Bins", kSpectrumLinear, kFft, 12},
                      RunCase{"LinearDctAt48k", kSpectrumLinear, kDct, 10, 48000},
                      RunCase{"LogFftBars", kSpectrumLog, kFft, 10},
                      RunCase{"LogFftLine", kSpectrumLog, kFft, 11, 44100, kLineGraph},
                      RunCase{"LogMemPoints", kSpectrumLog, kMem, 10},
                      RunCase{"LinearMemPoints", kSpectrumLinear, kMem, 10},
                      RunCase{"LogDtftPoints", kSpectrumLog, kDtft, 9}),
    [](const auto& info) { return std::string(info.param.name); });

class MeterReadout : public ::testing::TestWithParam<RunCase> {};

TEST_P(MeterReadout, EachBarAndHalfOfEachGapNamesItsBand) {
  const RunRecord r = runOf(GetParam());
  const Csv csv(runCsv(r));
  const int bands = int(r.bands.size());
  ASSERT_GT(bands, 0);
  for (int x = 0; x < kPlotWidth; ++x) {
    SCOPED_TRACE(x);
    const ReadoutValues v = readoutValues(r, readoutPlaceAt(r, x, 200), {});
    // Band k's bar covers client x 470 - 50 k .. 509 - 50 k; the gaps split between neighbours.
    const int clientX = x + kLayout.unitW;
    int expected = -1;
    for (int k = 0; k < bands; ++k)
      if (clientX >= 465 - 50 * k && clientX < 515 - 50 * k) expected = k;
    if (expected < 0) {
      EXPECT_FALSE(v.shown());
      continue;
    }
    ASSERT_EQ(v.kind, ReadoutKind::kMeterBand);
    ASSERT_EQ(v.index, expected);
    EXPECT_EQ(v.fromHz, csv.at(size_t(expected), 1));
    EXPECT_EQ(v.toHz, csv.at(size_t(expected), 2));
    EXPECT_EQ(v.power, csv.at(size_t(expected), 3));
    EXPECT_EQ(v.decibels, csv.at(size_t(expected), 4));
  }
}

INSTANTIATE_TEST_SUITE_P(Views, MeterReadout,
                         ::testing::Values(RunCase{"OctavesOfFft", kLevelMeter, kFft, 11},
                                           RunCase{"OctavesLine", kLevelMeter, kFft, 8, 22050,
                                                   kLineGraph},
                                           RunCase{"EqualCountsOfMem", kLevelMeter, kMem, 10}),
                         [](const auto& info) { return std::string(info.param.name); });

class WaveReadout : public ::testing::TestWithParam<RunCase> {};

TEST_P(WaveReadout, EachColumnNamesTheSampleNearestItsMiddle) {
  const RunRecord r = runOf(GetParam());
  const Csv csv(runCsv(r));
  const int span = r.run.analysis.autocorrelation ? r.run.timeResolution / 2 : r.run.timeResolution;
  const double scale = double(kPlotWidth) / (r.run.rate().framesPerBaseStep() * span);
  for (int x = 0; x < kPlotWidth; ++x) {
    SCOPED_TRACE(x);
    const ReadoutPlace place = readoutPlaceAt(r, x, 0);
    const ReadoutValues v = readoutValues(r, place, {});
    ASSERT_EQ(v.kind, ReadoutKind::kWaveSample);
    // No sample drawn lies nearer the pixel's middle (on the time axis) than the one named.
    const double middle = (x + 0.5) / scale;
    const int last = readoutItems(r) - 1;
    EXPECT_LE(std::abs(v.index - middle), 0.5 + 1e-9 + std::max(0.0, middle - last));
    EXPECT_EQ(v.milliseconds, csv.at(size_t(v.index), 1));
    EXPECT_EQ(v.value, csv.at(size_t(v.index), 2));
    EXPECT_EQ(readoutPixel(r, place).y, int(csv.at(size_t(v.index), 3)));
    EXPECT_LT(readoutPixel(r, place).x, kPlotWidth);
  }
}

INSTANTIATE_TEST_SUITE_P(Views, WaveReadout,
                         ::testing::Values(RunCase{"At44k", kWaveZoom, kFft, 10},
                                           RunCase{"At48k", kWaveZoom, kFft, 10, 48000},
                                           RunCase{"ShortAt8k", kWaveZoom, kFft, 10, 8000,
                                                   kBarGraph, false, 16, false, 64},
                                           RunCase{"Autocorrelation", kWaveZoom, kFft, 10, 44100,
                                                   kBarGraph, true}),
                         [](const auto& info) { return std::string(info.param.name); });

class ChartReadout : public ::testing::TestWithParam<RunCase> {};

// Plot points across both axes, corners included.
std::vector<std::pair<int, int>> chartPoints() {
  std::vector<std::pair<int, int>> points;
  for (int x : {0, 1, 17, 100, 255, 256, 300, 510, 511})
    for (int y : {0, 1, 64, 127, 128, 200, 254, 255}) points.emplace_back(x, y);
  return points;
}

TEST_P(ChartReadout, EachCellNamesItsCsvColumnRowAndLevel) {
  const RunRecord r = runOf(GetParam());
  const Csv csv(runCsv(r));
  ASSERT_GT(r.chartColumns, 0);
  for (const auto& [x, y] : chartPoints()) {
    SCOPED_TRACE(::testing::Message() << x << ", " << y);
    const ReadoutValues v = readoutValues(r, readoutPlaceAt(r, x, y), {});
    if (x >= r.chartColumns) {
      EXPECT_FALSE(v.shown());  // the run ended before this column
      continue;
    }
    const std::string& cell = csv.rows.at(size_t(y) + 1).at(size_t(x) + 1);
    ASSERT_EQ(v.kind, ReadoutKind::kChartCell);
    EXPECT_EQ(v.index, x);
    EXPECT_EQ(v.chartRow, y);
    EXPECT_EQ(v.seconds, std::strtod(csv.rows.at(0).at(size_t(x) + 1).c_str(), nullptr));
    EXPECT_EQ(v.frequency, csv.at(size_t(y), 0));
    EXPECT_EQ(v.decibels, cell.empty() ? -INFINITY : std::strtod(cell.c_str(), nullptr));
    EXPECT_EQ(readoutPixel(r, readoutPlaceAt(r, x, y)).x, x);
    EXPECT_EQ(readoutPixel(r, readoutPlaceAt(r, x, y)).y, y);
  }
  const Csv powers(runCsv(r, CsvValues::kPower));
  const ReadoutValues v = readoutValues(r, readoutPlaceAt(r, 0, 40), {});
  EXPECT_EQ(v.power, powers.at(40, 1));
}

INSTANTIATE_TEST_SUITE_P(Spans, ChartReadout,
                         ::testing::Values(RunCase{"FftLinearRows", kTimeFrequencyChart, kFft, 9},
                                           RunCase{"MemLogRows", kTimeFrequencyChart, kMem, 10},
                                           RunCase{"DtftLogRows", kTimeFrequencyChart, kDtft, 9},
                                           RunCase{"DctPartOfTheSpan", kTimeFrequencyChart, kDct, 9,
                                                   44100, kBarGraph, false, 512},
                                           RunCase{"FftWholeRecording", kTimeFrequencyChart, kFft,
                                                   9, 22050, kBarGraph, false, 16, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlotReadout, NothingBeforeARunOrOutsideThePlot) {
  const RunRecord none;
  EXPECT_FALSE(readoutPlaceAt(none, 10, 10).valid());
  EXPECT_EQ(readoutText(readoutValues(none, {10, 10}, {})), "");
  const RunRecord chart = runOf({"Chart", kTimeFrequencyChart, kFft, 9});
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{
           {-1, 0}, {0, -1}, {kPlotWidth, 0}, {0, kPlotHeight}, {-5, 300}})
    EXPECT_FALSE(readoutPlaceAt(chart, x, y).valid()) << x << ", " << y;
  EXPECT_TRUE(readoutPlaceAt(chart, 0, 0).valid());
}

// The keyboard's steps stop at the picture's edges and Home/End reach them.
TEST(PlotReadout, StepsStayInsideThePicture) {
  const RunRecord chart = runOf({"Chart", kTimeFrequencyChart, kFft, 9});
  const RunRecord meter = runOf({"Meter", kLevelMeter, kFft, 10});
  struct StepCase {
    const RunRecord* record;
    ReadoutPlace from;
    ReadoutStep step;
    ReadoutPlace to;
  };
  const int bands = int(meter.bands.size());
  const StepCase cases[] = {
      {&chart, {0, 0}, ReadoutStep::kLeft, {0, 0}},
      {&chart, {0, 0}, ReadoutStep::kUp, {0, 0}},
      {&chart, {0, 0}, ReadoutStep::kRight, {1, 0}},
      {&chart, {0, 0}, ReadoutStep::kDown, {0, 1}},
      {&chart, {511, 255}, ReadoutStep::kRight, {511, 255}},
      {&chart, {511, 255}, ReadoutStep::kDown, {511, 255}},
      {&chart, {200, 30}, ReadoutStep::kFirst, {0, 30}},
      {&chart, {200, 30}, ReadoutStep::kLast, {511, 30}},
      {&chart, {}, ReadoutStep::kFirst, {0, 128}},
      {&meter, {0, 0}, ReadoutStep::kLeft, {0, 0}},
      {&meter, {0, 0}, ReadoutStep::kDown, {0, 0}},
      {&meter, {0, 0}, ReadoutStep::kLast, {bands - 1, 0}},
      {&meter, {bands - 1, 0}, ReadoutStep::kRight, {bands - 1, 0}},
  };
  for (const StepCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.from.item << ", " << c.from.row);
    EXPECT_EQ(steppedPlace(*c.record, c.from, c.step), c.to);
  }
  // Left of the lowest band is the band below it in frequency; the rightmost is band 0.
  EXPECT_EQ(readoutValues(meter, {bands - 1, 0}, {}).index, 0);
  EXPECT_EQ(readoutValues(meter, {0, 0}, {}).index, bands - 1);
}

// A running chart's columns reach the window as the run's steps; a record made of the steps
// handed over so far reads as the finished record does, and the columns not yet handed over read
// as nothing.
TEST(PlotReadout, HandedOverColumnsReadAsTheRunsOwn) {
  struct StepScope : RecordingScope, RunStepSink {
    std::vector<RunStep> steps;
    RunStepSink* stepSink() override { return this; }
    void add(RunStep step) override { steps.push_back(std::move(step)); }
  } scope;
  AppSettings& s = scope.session.settings;
  s.display = kTimeFrequencyChart;
  s.method = kDtft;
  s.blockOrder = 9;
  s.framesPerColumn = 16;
  s.colorScale = false;
  scope.useFile(waveFile(mono16Format(44100), pcm16(tones(44100 * 2, 44100.0))));
  runAnalysis(scope.session, scope);
  RunRecord r;
  for (const RunStep& step : scope.steps) applyRunStep(r, step);
  ASSERT_EQ(r.chartColumns, kChartColumns);

  // The steps up to the last block; that block never comes.
  int cut = 0;
  for (const RunStep& step : scope.steps)
    if (const auto* block = std::get_if<ChartBlockStep>(&step)) cut = block->block.column;
  ASSERT_GT(cut, 0);
  RunRecord soFar;
  for (const RunStep& step : scope.steps) {
    const auto* block = std::get_if<ChartBlockStep>(&step);
    if (block != nullptr && block->block.column == cut) break;
    applyRunStep(soFar, step);
  }
  for (const auto& [x, y] : chartPoints()) {
    SCOPED_TRACE(::testing::Message() << x << ", " << y);
    const ReadoutValues mine = readoutValues(soFar, {x, y}, {});
    if (x >= cut) {
      EXPECT_FALSE(mine.shown());
      continue;
    }
    const ReadoutValues theirs = readoutValues(r, {x, y}, {});
    EXPECT_EQ(readoutText(mine), readoutText(theirs));
    EXPECT_EQ(mine.power, theirs.power);
    EXPECT_EQ(mine.decibels, theirs.decibels);
  }
}

// The cross-section names its rows as its own CSV does, at both widths.
TEST(PlotReadout, CrossSectionRowsAreTheColumnsCsvRows) {
  const RunRecord r = runOf({"Chart", kTimeFrequencyChart, kMem, 10});
  for (int column : {0, 77, 511}) {
    const Csv csv(crossSectionCsv(r, column));
    for (int width : {kNarrowSectionWidth, kWideSectionWidth}) {
      for (int x = 0; x < width; x += 3) {
        SCOPED_TRACE(::testing::Message() << column << " " << width << " " << x);
        const ReadoutValues v = sectionReadout(r, column, width, x, {});
        const size_t element = size_t(x / (width / kChartRows));
        ASSERT_EQ(v.kind, ReadoutKind::kSectionRow);
        EXPECT_EQ(v.frequency, csv.at(element, 0));
        EXPECT_EQ(v.power, csv.at(element, 1));
        EXPECT_EQ(v.decibels, csv.at(element, 2));
      }
      EXPECT_FALSE(sectionReadout(r, column, width, width, {}).shown());
    }
  }
}

// The cross-section's keyboard cursor: each element is drawn where the pointer names it, its
// crosshair stands at the level the CSV gives, and the steps stay inside the graph.
TEST(PlotReadout, CrossSectionCursorStepsAlongTheGraphsRows) {
  const RunRecord r = runOf({"Chart", kTimeFrequencyChart, kFft, 9});
  const int column = 40;
  const Csv csv(crossSectionCsv(r, column));
  for (int width : {kNarrowSectionWidth, kWideSectionWidth}) {
    SCOPED_TRACE(width);
    EXPECT_EQ(sectionElementAt(width, -1), -1);
    EXPECT_EQ(sectionElementAt(width, width), -1);
    for (int element : {0, 1, 127, 254, 255}) {
      const PlotPixel at = sectionElementPixel(r, column, width, element);
      // The pixel the cursor stands on names the same element back, and its level row.
      EXPECT_EQ(sectionElementAt(width, at.x), element);
      EXPECT_EQ(sectionElementAt(width, at.x + width / kChartRows - 1), element);
      EXPECT_EQ(at.y, int(csv.at(size_t(element), 3))) << element;
    }
  }
  struct Step {
    int from;
    ReadoutStep step;
    int to;
  };
  const Step steps[] = {
      {0, ReadoutStep::kLeft, 0},      {0, ReadoutStep::kRight, 1},
      {255, ReadoutStep::kRight, 255}, {255, ReadoutStep::kLeft, 254},
      {100, ReadoutStep::kFirst, 0},   {100, ReadoutStep::kLast, 255},
      {100, ReadoutStep::kUp, 100},    {100, ReadoutStep::kDown, 100},
  };
  for (const Step& s : steps) EXPECT_EQ(steppedSectionElement(s.from, s.step), s.to) << s.from;
  // A record without a chart draws no level: the cursor crosses the graph's middle.
  const RunRecord meter = runOf({"Meter", kLevelMeter, kFft, 10});
  EXPECT_EQ(sectionElementPixel(meter, 0, kNarrowSectionWidth, 5).y, kPlotHeight / 2);
}

TEST(PlotReadout, TextNamesTheNotesWhereTheKeyColouringIsOn) {
  const RunRecord r = runOf({"Spectrum", kSpectrumLinear, kFft, 10});
  // 440 Hz is la in C major (la 1760 Hz two octaves up); a semitone higher is la#.
  EXPECT_EQ(noteName(noteClassOf(440.0, 1760.0)), "ラ");
  EXPECT_EQ(noteName(noteClassOf(440.0 * kSemitone, 1760.0)), "ラ#");
  EXPECT_EQ(noteName(noteClassOf(261.63, 1760.0)), "ド");
  const ReadoutValues off = readoutValues(r, readoutPlaceAt(r, 5, 0), {false, 1760.0});
  EXPECT_EQ(off.noteClass, -1);
  EXPECT_EQ(readoutText(off).find("音名"), std::string::npos);
  const ReadoutValues on = readoutValues(r, readoutPlaceAt(r, 5, 0), {true, 1760.0});
  EXPECT_EQ(on.noteClass, noteClassOf(on.frequency, 1760.0));
  EXPECT_NE(readoutText(on).find("音名 " + noteName(on.noteClass)), std::string::npos);
}

}  // namespace
}  // namespace korimu

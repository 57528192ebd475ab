// The numbers a run keeps are the picture's: each view's level column is what the picture shows
// at 24 bits, the files are the same whatever the display's depth, and the dB column gives the
// level back through the scale's own rule.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/level_map.h"
#include "cli/render.h"
#include "cli/render_test_support.h"
#include "core/layout.h"
#include "display/chart.h"
#include "display/spectrum_graph.h"
#include "export/csv_export.h"

namespace korimu {
namespace {

using testing::loadPng;
using testing::RenderScope;
using testing::ToneFile;

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Table {
  std::map<std::string, std::string> header;
  std::vector<std::vector<std::string>> rows;  // the column names first
  size_t column(const std::string& name) const {
    const auto& names = rows.at(0);
    return size_t(std::find(names.begin(), names.end(), name) - names.begin());
  }
};

Table readTable(const std::string& path) {
  const std::string text = contents(path);
  Table t;
  for (auto& [key, value] : csvHeaderFields(text)) t.header[key] = value;
  std::stringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("# ", 0) == 0) continue;
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
      fields.push_back(line.substr(start, comma - start));
    fields.push_back(line.substr(start));
    t.rows.push_back(fields);
  }
  return t;
}

// A 16-bit tone of 1.5 s: it fills the chart at the span the tests choose.
std::string recording(RenderScope& scope) {
  ToneFile tone;
  tone.bits = 16;
  tone.seconds = 1.5;
  tone.frequency = 1200.0;
  return scope.file("tone.wav", tone);
}

// The depth of the bar in plot column x: 256 less its black run up from the bottom row.
int barDepth(const QImage& image, int x) {
  int run = 0;
  while (run < 256 && image.pixel(x, kLayout.plotTop + 255 - run) == qRgb(0, 0, 0)) ++run;
  return 256 - run;
}

// Where the spectrum views draw row i of n as a one-pixel bar (-1: not drawn).
int barColumn(const std::string& view, bool points, int i, int n) {
  if (view == "spectrum-log" && !points) {
    if (i == 0) return -1;
    return int(kLayout.unitW + std::log(double(i)) / std::log(double(n)) * kPlotWidth);
  }
  return placeBins(n, kPlotWidth).x(i);
}

struct Case {
  std::string view, method;
};

std::vector<Case> everyViewAndMethod() {
  std::vector<Case> cases;
  for (const char* view : {"spectrum-linear", "spectrum-log", "level-meter", "chart"})
    for (const char* method : {"fft", "dct", "dtft", "mem"}) cases.push_back({view, method});
  cases.push_back({"chart", "wt"});
  return cases;
}

RenderOptions optionsOf(const Case& c) {
  // 64 frames a column: the tone fills the chart.
  return {{"view", c.view}, {"method", c.method}, {"span", "32768"}, {"block-order", "10"}};
}

// Each row's level is the bar the picture shows where the row is drawn (the loudest of the rows
// drawn into one pixel column); each chart cell's level is the shade of its pixel.
TEST(CsvNumbers, LevelColumnIsThePictureInEveryViewAndMethod) {
  RenderScope scope;
  const std::string wav = recording(scope);
  for (const Case& c : everyViewAndMethod()) {
    SCOPED_TRACE(c.view + " " + c.method);
    const std::string png = scope.out("picture.png"), csv = scope.out("numbers.csv");
    RenderOptions options = optionsOf(c);
    options.emplace_back("csv", csv);
    options.emplace_back("csv-values", "level");
    ASSERT_EQ(runRender(png, options, wav), 0);
    const QImage image = loadPng(png);
    const Table t = readTable(csv);
    if (c.view == "chart") {
      EXPECT_EQ(t.header.at("values"), "level");
      ASSERT_EQ(t.rows.size(), size_t{kPlotHeight} + 1);
      ASSERT_EQ(t.rows[0].size(), size_t{kPlotWidth} + 1);
      for (int y = 0; y < kPlotHeight; ++y)
        for (int x = 0; x < kPlotWidth; ++x) {
          const std::string& cell = t.rows[size_t(y) + 1][size_t(x) + 1];
          ASSERT_FALSE(cell.empty()) << x << "," << y;
          const Rgb shade = chartShade(std::stoi(cell), 24, {});
          ASSERT_EQ(image.pixel(kLayout.unitW + x, kLayout.plotTop + y),
                    qRgb(shade.r, shade.g, shade.b))
              << x << "," << y;
        }
      continue;
    }
    const size_t level = t.rows[0].size() - 1;
    ASSERT_EQ(t.rows[0][level], "level");
    const int n = int(t.rows.size()) - 1;
    ASSERT_GE(n, 8);
    std::map<int, int> expected;  // pixel column -> the smallest level drawn there
    const bool points = c.method == "mem" || (c.method == "dtft" && c.view == "spectrum-log");
    for (int i = 0; i < n; ++i) {
      const int x = c.view == "level-meter" ? 470 - 50 * i + 20 : barColumn(c.view, points, i, n);
      if (x < 0) continue;
      const int d = std::stoi(t.rows[size_t(i) + 1][level]);
      expected[x] = expected.contains(x) ? std::min(expected[x], d) : d;
    }
    for (const auto& [x, d] : expected) ASSERT_EQ(barDepth(image, x), d) << "x " << x;
  }
}

// The numbers come from the run, not from the pixels: the same file on every display depth.
TEST(CsvNumbers, SameFileOnEveryDisplayDepth) {
  RenderScope scope;
  const std::string wav = recording(scope);
  for (const Case& c :
       {Case{"chart", "fft"}, Case{"chart", "mem"}, Case{"chart", "wt"},
        Case{"spectrum-log", "dtft"}, Case{"level-meter", "mem"}, Case{"spectrum-linear", "dct"}}) {
    SCOPED_TRACE(c.view + " " + c.method);
    std::string first;
    for (const char* bits : {"24", "16", "8", "4"}) {
      setenv("KORIMU_DISPLAY_BITS", bits, 1);
      const std::string csv = scope.out(std::string("numbers-") + bits + ".csv");
      RenderOptions options = optionsOf(c);
      options.emplace_back("csv", csv);
      const int status = runRender("", options, wav);
      unsetenv("KORIMU_DISPLAY_BITS");
      ASSERT_EQ(status, 0) << bits;
      const std::string text = contents(csv);
      if (first.empty()) first = text;
      EXPECT_TRUE(text == first) << bits << " bits";
    }
  }
}

// depthOfLevel's rule, from a level given in dB: the row's level lies between the rule's depths
// for powers just above and just below it (the dB text rounds the last bit either way).
void expectRuleGivesLevel(const std::string& db, int level, SpectrumScale scale, int gain) {
  const double power = std::pow(10.0, std::stod(db) / 10.0);
  EXPECT_LE(depthOfLevel(power * (1 + 1e-9), scale, gain), level) << db;
  EXPECT_GE(depthOfLevel(power * (1 - 1e-9), scale, gain), level) << db;
}

// FFT, DCT and DTFT draw by one rule: the level's depth under the scale and gain, 0 dB the power
// their divisor stands for.
TEST(CsvNumbers, DecibelsGiveTheLevelThroughTheScalesRule) {
  RenderScope scope;
  const std::string wav = recording(scope);
  const struct {
    const char* word;
    SpectrumScale scale;
  } scales[] = {{"log", SpectrumScale::kLog},
                {"amplitude", SpectrumScale::kAmplitude},
                {"power", SpectrumScale::kPower}};
  for (const auto& s : scales)
    for (int gain = 0; gain <= 3; ++gain)
      for (const Case& c : {Case{"spectrum-linear", "fft"}, Case{"spectrum-linear", "dct"},
                            Case{"spectrum-log", "dtft"}}) {
        SCOPED_TRACE(c.view + " " + c.method + " " + s.word + " " + std::to_string(gain));
        const std::string csv = scope.out("numbers.csv");
        RenderOptions options = optionsOf(c);
        options.insert(options.end(),
                       {{"scale", s.word}, {"gain", std::to_string(gain)}, {"csv", csv}});
        ASSERT_EQ(runRender("", options, wav), 0);
        const Table t = readTable(csv);
        const size_t db = t.column("db"), level = t.column("level");
        ASSERT_EQ(db + 1, level);
        for (size_t r = 1; r < t.rows.size(); ++r)
          expectRuleGivesLevel(t.rows[r][db], std::stoi(t.rows[r][level]), s.scale, gain);
      }

  // The chart's cells by the same rule: one file of levels, one of dB.
  const std::string levels = scope.out("levels.csv"), decibels = scope.out("db.csv");
  RenderOptions options = optionsOf({"chart", "fft"});
  options.emplace_back("gain", "2");
  for (const auto& [file, values] : {std::pair{levels, "level"}, std::pair{decibels, "db"}}) {
    RenderOptions withCsv = options;
    withCsv.insert(withCsv.end(), {{"csv", file}, {"csv-values", values}});
    ASSERT_EQ(runRender("", withCsv, wav), 0);
  }
  const Table l = readTable(levels), d = readTable(decibels);
  EXPECT_EQ(d.header.at("values"), "db");
  ASSERT_EQ(l.rows.size(), d.rows.size());
  EXPECT_EQ(d.rows[0], l.rows[0]);
  for (size_t r = 1; r < l.rows.size(); ++r)
    for (size_t c = 1; c < l.rows[r].size(); ++c)
      expectRuleGivesLevel(d.rows[r][c], std::stoi(l.rows[r][c]), SpectrumScale::kLog, 2);
}

// Digital silence has no level in dB: the field is empty (a spreadsheet reads "-inf" as text),
// exactly where the power is zero, in every view and method and whatever the chart's cells hold.
TEST(CsvNumbers, SilenceLeavesTheDecibelFieldEmpty) {
  RenderScope scope;
  ToneFile silence;
  silence.bits = 16;
  silence.seconds = 1.5;
  silence.amplitude = 0.0;
  const std::string wav = scope.file("silence.wav", silence);
  for (const Case& c : everyViewAndMethod()) {
    SCOPED_TRACE(c.view + " " + c.method);
    const std::string csv = scope.out("silence.csv");
    RenderOptions options = optionsOf(c);
    options.emplace_back("csv", csv);
    ASSERT_EQ(runRender("", options, wav), 0);
    const std::string text = contents(csv);
    EXPECT_EQ(text.find("inf"), std::string::npos);
    EXPECT_EQ(text.find("nan"), std::string::npos);
    const Table t = readTable(csv);
    if (c.view == "chart") {
      // Every cell is drawn and says no power: every dB cell is empty.
      for (size_t r = 1; r < t.rows.size(); ++r)
        for (size_t col = 1; col < t.rows[r].size(); ++col)
          ASSERT_EQ(t.rows[r][col], "") << r << "," << col;
      continue;
    }
    const size_t power = t.column("power"), db = t.column("db");
    ASSERT_GT(t.rows.size(), 8u);
    for (size_t r = 1; r < t.rows.size(); ++r)
      EXPECT_EQ(t.rows[r][db].empty(), std::stod(t.rows[r][power]) == 0.0) << r;
  }
}

// A chart cell's dB is against the power its own block draws at 0 dB. MEM at gain 0 and MEM with
// the rectangle window draw each block from its loudest point down, so every drawn column's
// loudest cell is 0 dB, however loud the block, on a recording that grows louder column by column.
TEST(CsvNumbers, EachChartColumnIsAgainstItsOwnBlocksReference) {
  RenderScope scope;
  // A tone rising from 1/1000 of full scale to 0.9 over the chart's 1.5 s.
  const uint32_t rate = 22050;
  std::vector<uint8_t> data;
  const int frames = int(rate * 3 / 2);
  for (int i = 0; i < frames; ++i) {
    const double gain = 0.001 * std::pow(900.0, double(i) / frames);
    testing::appendPcm16(data,
                         int(std::lround(32767 * gain * std::sin(2 * M_PI * 1200.0 * i / rate))));
  }
  testing::FormatFields format;
  format.channels = 1;
  format.rate = rate;
  const std::string wav = scope.dir.write("rising.wav", testing::waveFile(format, data));
  const RenderOptions cases[] = {{{"gain", "0"}}, {{"gain", "2"}, {"window", "4"}}};
  for (const RenderOptions& chosen : cases) {
    SCOPED_TRACE(chosen.front().second);
    const std::string csv = scope.out("mem.csv");
    RenderOptions options = optionsOf({"chart", "mem"});
    options.insert(options.end(), chosen.begin(), chosen.end());
    options.emplace_back("csv", csv);
    ASSERT_EQ(runRender("", options, wav), 0);
    const Table t = readTable(csv);
    ASSERT_EQ(t.rows.size(), size_t{kPlotHeight} + 1);
    for (size_t col = 1; col < t.rows[0].size(); ++col) {
      double loudest = -HUGE_VAL;
      for (size_t r = 1; r < t.rows.size(); ++r)
        if (!t.rows[r][col].empty()) loudest = std::max(loudest, std::stod(t.rows[r][col]));
      ASSERT_NEAR(loudest, 0.0, 1e-9) << "column " << col;
    }
  }
}

// The three kinds of chart cell are one analysis: power cells through the method's fixed 0 dB
// reference (the one the spectrum's rows of the same recording use) are the dB cells, and the
// level cells are the depths the log scale's rule gives those powers.
TEST(CsvNumbers, ChartPowerDbAndLevelCellsAreOneAnalysis) {
  RenderScope scope;
  const std::string wav = recording(scope);
  std::map<std::string, Table> chart;
  for (const char* values : {"power", "db", "level"}) {
    const std::string csv = scope.out(std::string(values) + ".csv");
    RenderOptions options = optionsOf({"chart", "fft"});
    options.insert(options.end(), {{"csv", csv}, {"csv-values", values}, {"gain", "1"}});
    ASSERT_EQ(runRender("", options, wav), 0);
    chart[values] = readTable(csv);
    EXPECT_EQ(chart[values].header.at("values"), values);
  }
  const std::string spectrumCsv = scope.out("spectrum.csv");
  RenderOptions spectrum = optionsOf({"spectrum-linear", "fft"});
  spectrum.emplace_back("csv", spectrumCsv);
  ASSERT_EQ(runRender("", spectrum, wav), 0);
  const Table bins = readTable(spectrumCsv);
  const size_t binPower = bins.column("power"), binDb = bins.column("db");
  double reference = 0.0;  // 10 log10 of the power drawn at 0 dB
  for (size_t r = 1; r < bins.rows.size() && reference == 0.0; ++r)
    if (!bins.rows[r][binDb].empty())
      reference =
          10 * std::log10(std::stod(bins.rows[r][binPower])) - std::stod(bins.rows[r][binDb]);
  ASSERT_NE(reference, 0.0);

  const Table &power = chart["power"], &db = chart["db"], &level = chart["level"];
  ASSERT_EQ(power.rows.size(), size_t{kPlotHeight} + 1);
  ASSERT_EQ(power.rows[0], db.rows[0]);
  for (size_t r = 1; r < power.rows.size(); ++r)
    for (size_t c = 1; c < power.rows[r].size(); ++c) {
      const double p = std::stod(power.rows[r][c]);
      ASSERT_GE(p, 0.0) << r << "," << c;
      if (p == 0.0) {
        ASSERT_EQ(db.rows[r][c], "") << r << "," << c;
        continue;
      }
      ASSERT_NEAR(std::stod(db.rows[r][c]), 10 * std::log10(p) - reference, 1e-9) << r << "," << c;
      EXPECT_EQ(std::stoi(level.rows[r][c]),
                depthOfLevel(std::pow(10.0, std::stod(db.rows[r][c]) / 10), SpectrumScale::kLog, 1))
          << r << "," << c;
    }
}

// The line graph's meter draws each band's point at its mean depth: the level column is the mean
// of the band's bins as the spectrum of the same block gives them, and the polyline passes
// through each band's point.
TEST(CsvNumbers, LineMeterLevelsAreItsDrawnPoints) {
  RenderScope scope;
  const std::string wav = recording(scope);
  for (const char* method : {"fft", "dct", "mem"}) {
    SCOPED_TRACE(method);
    const std::string png = scope.out("meter.png"), meterCsv = scope.out("meter.csv"),
                      spectrumCsv = scope.out("spectrum.csv");
    RenderOptions meter = optionsOf({"level-meter", method});
    meter.insert(meter.end(), {{"line", ""}, {"csv", meterCsv}});
    ASSERT_EQ(runRender(png, meter, wav), 0);
    // MEM's meter splits the log-spaced points, the others' the linear bins.
    RenderOptions spectrum =
        optionsOf({std::string(method) == "mem" ? "spectrum-log" : "spectrum-linear", method});
    spectrum.emplace_back("csv", spectrumCsv);
    ASSERT_EQ(runRender("", spectrum, wav), 0);
    const QImage image = loadPng(png);
    const Table bands = readTable(meterCsv), bins = readTable(spectrumCsv);
    EXPECT_EQ(bands.header.at("band-values"), "mean depth and mean power of the band's bins");
    std::map<std::string, size_t> binAt;  // frequency text -> the bin's row
    for (size_t r = 1; r < bins.rows.size(); ++r) binAt[bins.rows[r][1]] = r;
    ASSERT_GT(bands.rows.size(), 8u);
    for (size_t r = 1; r < bands.rows.size(); ++r) {
      const std::vector<std::string>& band = bands.rows[r];
      ASSERT_TRUE(binAt.contains(band[1]) && binAt.contains(band[2])) << r;
      double depthSum = 0.0, powerSum = 0.0;
      const size_t from = binAt[band[1]], to = binAt[band[2]];
      for (size_t b = from; b <= to; ++b) {
        depthSum += std::stod(bins.rows[b][bins.column("level")]);
        powerSum += std::stod(bins.rows[b][bins.column("power")]);
      }
      const double count = double(to - from + 1);
      const int level = std::stoi(band[5]);
      EXPECT_EQ(level, int(depthSum / count)) << r;
      EXPECT_NEAR(std::stod(band[3]), powerSum / count, 1e-9 * powerSum) << r;
      // Each segment starts at a band's point (the last point only ends one, and is not drawn).
      if (r + 1 < bands.rows.size()) {
        EXPECT_EQ(image.pixel(490 - 50 * int(r - 1), kLayout.plotTop + level), qRgb(0, 0, 0)) << r;
      }
    }
  }
}

}  // namespace
}  // namespace korimu

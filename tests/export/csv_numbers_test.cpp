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

}  // namespace
}  // namespace korimu

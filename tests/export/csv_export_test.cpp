// The CSV beside a rendered picture: its levels are the depths the picture shows, the chart's
// table rebuilds the plot, and its header block gives back the settings of the run.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/render.h"
#include "cli/render_test_support.h"
#include "core/layout.h"
#include "core/settings.h"
#include "display/chart.h"
#include "export/csv_export.h"
#include "export/export_names.h"

namespace korimu {
namespace {

using testing::loadPng;
using testing::RenderScope;
using testing::ToneFile;

struct Table {
  std::map<std::string, std::string> header;
  std::vector<std::vector<std::string>> rows;  // the header row first
};

std::vector<std::string> splitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  for (std::string f; std::getline(in, f, ',');) fields.push_back(f);
  return fields;
}

Table readTable(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  Table t;
  for (auto& [key, value] : csvHeaderFields(text)) t.header[key] = value;
  std::stringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("# ", 0) != 0) t.rows.push_back(splitFields(line));
  return t;
}

// The 16-bit tone of two partials, long enough to fill the chart at the default span.
std::string recording(RenderScope& scope, const std::string& name) {
  ToneFile tone;
  tone.bits = 16;
  tone.seconds = 1.5;
  tone.frequency = 1200.0;
  return scope.file(name, tone);
}

bool black(const QImage& image, int x, int y) {
  return image.pixel(x, y) == qRgb(0, 0, 0);
}

// The depth a bar shows in plot column x: 256 less the black run from the plot's bottom row.
int barDepth(const QImage& image, int x) {
  int run = 0;
  while (run < 256 && black(image, x, kLayout.plotTop + 255 - run)) ++run;
  return 256 - run;
}

struct ViewCase {
  const char* view;
  const char* method;
  // Where row i of the table is drawn in the picture.
  int (*column)(int row);
};

TEST(CsvExport, LevelsAreTheDepthsThePictureShows) {
  const ViewCase cases[] = {
      // 1024-point FFT: 512 bins, one per plot column.
      {"spectrum-linear", "fft", [](int i) { return kLayout.unitW + i; }},
      // MEM: 512 log-spaced points, one per plot column.
      {"spectrum-log", "mem", [](int i) { return kLayout.unitW + i; }},
      // The meter's bars are 40 pixels wide, the highest band on the right.
      {"level-meter", "fft", [](int band) { return 470 - 50 * band + 20; }},
  };
  RenderScope scope;
  const std::string wav = recording(scope, "声 の 録音.wav");
  for (const ViewCase& c : cases) {
    SCOPED_TRACE(c.view);
    const std::string png = scope.out(std::string(c.view) + " 画像.png");
    const std::string csv = scope.out(std::string(c.view) + " 数値.csv");
    ASSERT_EQ(runRender(png, {{"view", c.view}, {"method", c.method}, {"csv", csv}}, wav), 0);
    const QImage image = loadPng(png);
    const Table t = readTable(csv);
    ASSERT_GT(t.rows.size(), 9u);
    const size_t level = t.rows[0].size() - 1;
    ASSERT_EQ(t.rows[0][level], "level");
    ASSERT_EQ(t.rows[0][level - 1], "db");
    ASSERT_EQ(t.rows[0][level - 2], "power");
    double loudest = -1.0, loudestFrequency = 0.0;
    for (size_t r = 1; r < t.rows.size(); ++r) {
      ASSERT_EQ(std::stoi(t.rows[r][level]), barDepth(image, c.column(int(r - 1)))) << r;
      const double power = std::stod(t.rows[r][level - 2]);
      if (power > loudest) {
        loudest = power;
        loudestFrequency = std::stod(t.rows[r][1]);
      }
    }
    // The peak readout names the strongest row (the meter's bands have no single frequency).
    if (std::string(c.view) != "level-meter") {
      EXPECT_DOUBLE_EQ(std::stod(t.header.at("peak-frequency-hz")), loudestFrequency);
    }
  }
}

TEST(CsvExport, WaveZoomRowsLieOnTheDrawnLine) {
  RenderScope scope;
  const std::string wav = recording(scope, "wave.wav");
  const std::string png = scope.out("wave.png"), csv = scope.out("wave.csv");
  ASSERT_EQ(runRender(png, {{"view", "wave-zoom"}, {"csv", csv}}, wav), 0);
  const QImage image = loadPng(png);
  const Table t = readTable(csv);
  ASSERT_EQ(t.rows[0], (std::vector<std::string>{"index", "time_ms", "value", "level"}));
  ASSERT_GT(t.rows.size(), 100u);
  // The tone at 0.7 of full scale: the values are the samples themselves.
  EXPECT_NEAR(std::stod(t.rows[1 + 5][2]), 32767 * 0.7 * std::sin(2 * M_PI * 1200 * 5 / 22050.0),
              1.0);
  const double pixelsPerSample = 512.0 / (double(t.rows.size()) - 1);
  for (size_t r = 1; r + 1 < t.rows.size(); ++r) {
    const int x = int(kLayout.unitW + pixelsPerSample * double(r - 1));
    ASSERT_TRUE(black(image, x, kLayout.plotTop + std::stoi(t.rows[r][3]))) << r;
  }
}

TEST(CsvExport, ChartTableRebuildsThePlot) {
  RenderScope scope;
  const std::string wav = recording(scope, "chart.wav");
  for (const char* method : {"fft", "wt"}) {
    SCOPED_TRACE(method);
    const std::string png = scope.out("chart.png"), csv = scope.out("chart.csv");
    // 32 frames per column: the tone fills the whole chart.
    ASSERT_EQ(runRender(png,
                        {{"view", "chart"},
                         {"method", method},
                         {"span", "16384"},
                         {"csv", csv},
                         {"csv-values", "level"}},
                        wav),
              0);
    const QImage image = loadPng(png);
    const Table t = readTable(csv);
    ASSERT_EQ(t.rows.size(), 257u);
    ASSERT_EQ(t.rows[0].size(), 513u);
    EXPECT_EQ(t.header.at("values"), "level");
    EXPECT_EQ(t.rows[0][0], "frequency_hz\\time_s");
    EXPECT_EQ(t.rows[0][1], "0");
    // The columns' times rise by the span's frames per column.
    EXPECT_NEAR(std::stod(t.rows[0][2]), 32.0 / 22050.0, 1e-12);
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 512; ++x) {
        const Rgb shade = chartShade(std::stoi(t.rows[size_t(y) + 1][size_t(x) + 1]), 24, {});
        ASSERT_EQ(image.pixel(kLayout.unitW + x, kLayout.plotTop + y),
                  qRgb(shade.r, shade.g, shade.b))
            << x << "," << y;
      }
    }
    // Rows run from the top of the chart down.
    EXPECT_GT(std::stod(t.rows[1][0]), std::stod(t.rows[256][0]));
  }
}

TEST(CsvExport, HeaderGivesBackTheSettings) {
  RenderScope scope;
  const std::string wav = recording(scope, "設定 テスト, 1.wav");
  const RenderOptions chosen = {
      {"view", "spectrum-log"}, {"method", "dtft"}, {"block-order", "11"}, {"window", "2"},
      {"scale", "power"},       {"gain", "3"},      {"position", "2000"},  {"span", "4096"},
      {"autocorr", ""},         {"pink", ""}};
  RenderOptions withCsv = chosen;
  const std::string csv = scope.out("設定 テスト.csv");
  withCsv.emplace_back("csv", csv);
  ASSERT_EQ(runRender("", withCsv, wav), 0);
  RenderSetup setup;
  ASSERT_TRUE(prepareRender(withCsv, setup));
  const AppSettings& rendered = setup.settings;
  const Table t = readTable(csv);
  EXPECT_EQ(t.header.at("file"), wav);
  EXPECT_EQ(t.header.at("format"), "PCM 22050 Hz 16 bit mono");
  EXPECT_DOUBLE_EQ(std::stod(t.header.at("seconds")), 1000.0 / 22050.0);
  EXPECT_EQ(t.header.at("version"), "0.10");

  RenderOptions back;
  for (const char* key :
       {"view", "method", "block-order", "window", "scale", "gain", "position", "span"})
    back.emplace_back(key, t.header.at(key));
  for (const char* key : {"autocorr", "pink"})
    if (t.header.at(key) == "1") back.emplace_back(key, "");
  AppSettings settings;
  RenderChoices choices;

  std::string error;
  ASSERT_TRUE(applyRenderOptions(back, settings, choices, error)) << error;
  EXPECT_EQ(choices.position, 2000u);
  EXPECT_EQ(settings.display, rendered.display);
  EXPECT_EQ(settings.method, rendered.method);
  EXPECT_EQ(settings.blockOrder, rendered.blockOrder);
  EXPECT_EQ(settings.windowFunction, rendered.windowFunction);
  EXPECT_EQ(settings.spectrumType, rendered.spectrumType);
  EXPECT_EQ(settings.displayGain, rendered.displayGain);
  EXPECT_EQ(settings.framesPerColumn, rendered.framesPerColumn);
  EXPECT_EQ(settings.autocorrelation, rendered.autocorrelation);
  EXPECT_EQ(settings.pinkNoiseFlat, rendered.pinkNoiseFlat);
}

// The header's file field read as a strict CSV field: quoted, every quote inside doubled.
std::optional<std::string> strictField(const std::string& line) {
  if (line.size() < 2 || line.front() != '"' || line.back() != '"') return std::nullopt;
  std::string text;
  for (size_t i = 1; i + 1 < line.size(); ++i) {
    if (line[i] == '"' && line[++i] != '"') return std::nullopt;  // a lone quote ends the field
    text += line[i];
  }
  return text;
}

// Any file name stays one field of a UTF-8 header and is given back whole: quotes and commas as
// they are, UTF-8 as it is, bytes of another encoding (or a character cut short) as \xHH.
TEST(CsvExport, FileNamesStayOneFieldOfUtf8) {
  RenderScope scope;
  struct Name {
    const char* name;
    const char* written;  // how the name's own part appears in the header line
  };
  for (const Name& n :
       {Name{"say \"ah\", twice.wav", "say \"\"ah\"\", twice.wav"},
        Name{"\"quoted\".wav", "\"\"quoted\"\".wav"}, Name{"a,b.wav", "a,b.wav"},
        Name{"録音 caf\xC3\xA9.wav", "録音 caf\xC3\xA9.wav"}, Name{"caf\xE9.wav", "caf\\xE9.wav"},
        Name{"cut\xE9\x8C.wav", "cut\\xE9\\x8C.wav"},
        Name{"\xED\xA0\x80\xF5.wav", "\\xED\\xA0\\x80\\xF5.wav"}}) {
    SCOPED_TRACE(n.name);
    const std::string wav = recording(scope, n.name), csv = scope.out("names.csv");
    ASSERT_EQ(runRender("", {{"view", "spectrum-linear"}, {"csv", csv}}, wav), 0);
    std::ifstream in(csv, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t line = text.find("# file,");
    ASSERT_NE(line, std::string::npos);
    const size_t end = text.find('\n', line);
    const std::string field = text.substr(line + 7, end - line - 7);
    EXPECT_NE(field.find(n.written), std::string::npos) << field;
    // Quoted where it must be, and then a strict CSV field.
    if (field.front() == '"') {
      EXPECT_TRUE(strictField(field)) << field;
    }
    std::string file;
    for (const auto& [key, value] : csvHeaderFields(text))
      if (key == "file") file = value;
    EXPECT_EQ(file, wav);
  }
}

// The meter's bands split the spectrum's bins without gap or overlap, highest band first, and
// each bar's power is the loudest bin between its band's edges.
TEST(CsvExport, MeterBandEdgesAreTheBinsOfTheSpectrum) {
  RenderScope scope;
  const std::string wav = recording(scope, "meter.wav");
  const std::string spectrumCsv = scope.out("spectrum.csv"), meterCsv = scope.out("meter.csv");
  for (const char* order : {"9", "12"}) {
    SCOPED_TRACE(order);
    const RenderOptions common = {{"method", "fft"}, {"block-order", order}};
    RenderOptions spectrum = common, meter = common;
    spectrum.insert(spectrum.end(), {{"view", "spectrum-linear"}, {"csv", spectrumCsv}});
    meter.insert(meter.end(), {{"view", "level-meter"}, {"csv", meterCsv}});
    ASSERT_EQ(runRender("", spectrum, wav), 0);
    ASSERT_EQ(runRender("", meter, wav), 0);
    const Table bins = readTable(spectrumCsv), bands = readTable(meterCsv);
    std::map<std::string, size_t> binAt;  // frequency text -> bin index
    for (size_t r = 1; r < bins.rows.size(); ++r) binAt[bins.rows[r][1]] = r - 1;
    ASSERT_EQ(bands.rows[0],
              (std::vector<std::string>{"band", "from_hz", "to_hz", "power", "db", "level"}));
    ASSERT_GT(bands.rows.size(), 8u);
    size_t nextAbove = binAt.size();  // the first bin the band above did not take
    for (size_t r = 1; r < bands.rows.size(); ++r) {
      const std::vector<std::string>& row = bands.rows[r];
      ASSERT_TRUE(binAt.count(row[1]) && binAt.count(row[2])) << r;
      const size_t from = binAt[row[1]], to = binAt[row[2]];
      EXPECT_EQ(to + 1, nextAbove) << r;
      ASSERT_LE(from, to) << r;
      double loudest = 0.0;
      for (size_t b = from; b <= to; ++b)
        loudest = std::max(loudest, std::stod(bins.rows[b + 1][2]));
      EXPECT_DOUBLE_EQ(std::stod(row[3]), loudest) << r;
      nextAbove = from;
    }
  }
}

TEST(CsvExport, ProposedNamesSitBesideTheRecording) {
  EXPECT_EQ(proposedExportName("/home/u/録音 1.wav", kTimeFrequencyChart, kWt, "png"),
            "/home/u/録音 1-chart-wt.png");
  EXPECT_EQ(proposedExportName("take.WAV", kSpectrumLog, kMem, "csv"), "take-spectrum-log-mem.csv");
}

}  // namespace
}  // namespace korimu

// The one table of --render's options against the three that read it: the argument parser, the
// renderer and --help.
#include "cli/render_options.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "cli/command_line.h"

namespace korimu {
namespace {

// A value each option takes, and one it refuses ("" for a switch, which takes none, and for --csv,
// which takes any name).
struct Values {
  const char* good;
  const char* bad;
};

const std::map<std::string, Values>& valuesByOption() {
  static const std::map<std::string, Values> values = {
      {"view", {"spectrum-log", "waterfall"}},
      {"method", {"mem", "lpc"}},
      {"block-order", {"12", "17"}},
      {"time-resolution", {"256", "100"}},
      {"window", {"4", "7"}},
      {"scale", {"power", "db"}},
      {"gain", {"3", "4"}},
      {"color-scale", {"", ""}},
      {"key", {"11", "12"}},
      {"span", {"whole", "1000"}},
      {"zoom", {"2", "3"}},
      {"position", {"4096", "-2"}},
      {"autocorr", {"", ""}},
      {"pink", {"", ""}},
      {"onmem", {"", ""}},
      {"line", {"", ""}},
      {"bar", {"", ""}},
      {"thick", {"", ""}},
      {"plot-only", {"", ""}},
      {"csv", {"n.csv", ""}},
      {"csv-values", {"level", "decibels"}},
      {"jobs", {"3", "0"}},
      {"threads", {"3", "0"}},
      {"progress", {"", ""}},
  };
  return values;
}

// The command line with the option before or after --render; --csv-values needs the table.
std::vector<std::string> commandWith(const RenderOption& option, bool before) {
  std::vector<std::string> given = {std::string("--") + option.name};
  if (option.valueWord != nullptr) given.emplace_back(valuesByOption().at(option.name).good);
  std::vector<std::string> args = {"korimu"};
  if (before) args.insert(args.end(), given.begin(), given.end());
  args.insert(args.end(), {"--render", "r.png"});
  if (std::string(option.name) == "csv-values") args.insert(args.end(), {"--csv", "n.csv"});
  if (!before) args.insert(args.end(), given.begin(), given.end());
  args.emplace_back("d.wav");
  return args;
}

TEST(RenderOptionTable, EveryOptionParsesAppliesAndIsInTheHelp) {
  const std::string usage = usageText();
  size_t rows = 0;
  for (const RenderOption& option : renderOptionTable()) {
    SCOPED_TRACE(option.name);
    ASSERT_EQ(valuesByOption().count(option.name), 1u) << "a row above for every option";
    ++rows;
    const Values values = valuesByOption().at(option.name);
    const std::string value = option.valueWord != nullptr ? values.good : "";

    // --help shows it at the start of a line, with the word of its value when it takes one.
    std::string entry = std::string("\n  --") + option.name;
    if (option.valueWord != nullptr) entry += std::string(" ") + option.valueWord;
    EXPECT_NE(usage.find(entry + " "), std::string::npos) << usage;

    // The parser takes it before and after the command, a value only when it has one, so the
    // file name after a switch stays the file.
    for (const bool before : {true, false}) {
      const CommandLine c = parseArguments(commandWith(option, before));
      ASSERT_EQ(c.mode, HeadlessMode::kRender) << c.error;
      EXPECT_EQ(c.fileName, "d.wav");
      const auto given = std::make_pair(std::string(option.name), value);
      EXPECT_NE(std::find(c.renderOptions.begin(), c.renderOptions.end(), given),
                c.renderOptions.end());
    }

    // The renderer applies the good value, and refuses the bad one naming the option.
    AppSettings settings;
    RenderChoices choices;
    std::string error;
    EXPECT_TRUE(applyRenderOptions({{option.name, value}}, settings, choices, error)) << error;
    if (*values.bad != '\0') {
      EXPECT_FALSE(applyRenderOptions({{option.name, values.bad}}, settings, choices, error));
      EXPECT_NE(error.find(std::string("--") + option.name + ":"), std::string::npos) << error;
    }
    EXPECT_EQ(findRenderOption(option.name), &option);
  }
  EXPECT_EQ(rows, valuesByOption().size()) << "a row above for an option the table lacks";
}

// What an option sets, seen through the settings and the choices: each lands where its name says.
TEST(RenderOptionTable, EachOptionSetsWhatItNames) {
  struct Row {
    RenderOptions options;
    bool (*holds)(const AppSettings&, const RenderChoices&);
  };
  const Row rows[] = {
      {{{"view", "spectrum-log"}},
       [](const AppSettings& s, const RenderChoices&) { return s.display == kSpectrumLog; }},
      {{{"method", "dct"}},
       [](const AppSettings& s, const RenderChoices&) { return s.method == kDct; }},
      {{{"block-order", "13"}},
       [](const AppSettings& s, const RenderChoices&) { return s.blockOrder == 13; }},
      {{{"time-resolution", "64"}},
       [](const AppSettings& s, const RenderChoices&) { return s.timeResolution == 64; }},
      {{{"window", "5"}},
       [](const AppSettings& s, const RenderChoices&) {
         return s.windowFunction == WindowFunction(5);
       }},
      {{{"scale", "amplitude"}},
       [](const AppSettings& s, const RenderChoices&) {
         return s.spectrumType == SpectrumScale::kAmplitude;
       }},
      {{{"gain", "2"}},
       [](const AppSettings& s, const RenderChoices&) { return s.displayGain == 2; }},
      {{{"key", "7"}},
       [](const AppSettings& s, const RenderChoices&) { return s.musicalKey == 7; }},
      {{{"span", "4096"}},
       [](const AppSettings& s, const RenderChoices&) {
         return s.framesPerColumn == 8 && !s.wholeSpan;
       }},
      {{{"span", "whole"}}, [](const AppSettings& s, const RenderChoices&) { return s.wholeSpan; }},
      {{{"zoom", "2"}},
       [](const AppSettings& s, const RenderChoices&) { return s.amplitudeZoom == 2; }},
      {{{"position", "88"}},
       [](const AppSettings&, const RenderChoices& c) {
         return c.hasPosition && c.position == 88;
       }},
      {{{"autocorr", ""}},
       [](const AppSettings& s, const RenderChoices&) { return s.autocorrelation; }},
      {{{"pink", ""}}, [](const AppSettings& s, const RenderChoices&) { return s.pinkNoiseFlat; }},
      {{{"onmem", ""}}, [](const AppSettings& s, const RenderChoices&) { return s.onMem; }},
      {{{"line", ""}},
       [](const AppSettings& s, const RenderChoices&) { return s.graphStyle == kLineGraph; }},
      {{{"line", ""}, {"bar", ""}},
       [](const AppSettings& s, const RenderChoices&) { return s.graphStyle == kBarGraph; }},
      {{{"thick", ""}},
       [](const AppSettings& s, const RenderChoices&) { return s.lineWidth == LineWidth::kThick; }},
      {{{"color-scale", ""}},
       [](const AppSettings& s, const RenderChoices&) { return s.colorScale; }},
      {{{"plot-only", ""}}, [](const AppSettings&, const RenderChoices& c) { return c.plotOnly; }},
      {{{"progress", ""}}, [](const AppSettings&, const RenderChoices& c) { return c.progress; }},
      {{{"csv", "t.csv"}},
       [](const AppSettings&, const RenderChoices& c) { return c.csvPath == "t.csv"; }},
      {{{"csv-values", "power"}},
       [](const AppSettings&, const RenderChoices& c) { return c.csvValues == CsvValues::kPower; }},
      {{{"jobs", "5"}}, [](const AppSettings&, const RenderChoices& c) { return c.jobs == 5; }},
      {{{"threads", "7"}},
       [](const AppSettings&, const RenderChoices& c) { return c.threads == 7; }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.options.back().first + " " + row.options.back().second);
    AppSettings settings;
    RenderChoices choices;
    // The defaults do not hold already what the option sets.
    if (row.options.size() == 1) {
      EXPECT_FALSE(row.holds(settings, choices));
    }
    std::string error;
    ASSERT_TRUE(applyRenderOptions(row.options, settings, choices, error)) << error;
    EXPECT_TRUE(row.holds(settings, choices));
  }
}

}  // namespace
}  // namespace korimu

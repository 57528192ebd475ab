// The --render options: every name, its values and the messages for bad ones.
#include <gtest/gtest.h>

#include <string>

#include "cli/command_line.h"
#include "cli/render.h"
#include "core/settings.h"

namespace korimu {
namespace {

TEST(RenderOptions, EveryOptionSetsItsSetting) {
  AppSettings settings;
  RenderChoices choices;
  std::string error;
  ASSERT_TRUE(applyRenderOptions({{"view", "spectrum-log"},
                                  {"method", "dct"},
                                  {"block-order", "12"},
                                  {"time-resolution", "2048"},
                                  {"window", "6"},
                                  {"scale", "power"},
                                  {"gain", "3"},
                                  {"autocorr", ""},
                                  {"pink", ""},
                                  {"onmem", ""},
                                  {"line", ""},
                                  {"thick", ""},
                                  {"color-scale", ""},
                                  {"key", "11"},
                                  {"span", "524288"},
                                  {"zoom", "2"},
                                  {"position", "4096"},
                                  {"plot-only", ""}},
                                 settings, choices, error))
      << error;
  EXPECT_EQ(settings.display, kSpectrumLog);
  EXPECT_EQ(settings.method, kDct);
  EXPECT_EQ(settings.blockOrder, 12);
  EXPECT_EQ(settings.timeResolution, 2048);
  EXPECT_EQ(settings.windowFunction, WindowFunction::kGauss650);
  EXPECT_EQ(settings.spectrumType, SpectrumScale::kPower);
  EXPECT_EQ(settings.displayGain, 3);
  EXPECT_TRUE(settings.autocorrelation);
  EXPECT_TRUE(settings.pinkNoiseFlat);
  EXPECT_TRUE(settings.onMem);
  EXPECT_EQ(settings.graphStyle, kLineGraph);
  EXPECT_EQ(settings.lineWidth, LineWidth::kThick);
  EXPECT_TRUE(settings.colorScale);
  EXPECT_EQ(settings.musicalKey, 11);
  EXPECT_EQ(settings.framesPerColumn, 1024);
  EXPECT_EQ(settings.amplitudeZoom, 2);
  EXPECT_TRUE(choices.hasPosition);
  EXPECT_EQ(choices.position, 4096u);
  EXPECT_TRUE(choices.plotOnly);
}

TEST(RenderOptions, WordsOfViewsMethodsAndScales) {
  AppSettings settings;
  RenderChoices choices;
  std::string error;
  const std::pair<const char*, int32_t> views[] = {{"wave-zoom", kWaveZoom},
                                                   {"level-meter", kLevelMeter},
                                                   {"spectrum-linear", kSpectrumLinear},
                                                   {"spectrum-log", kSpectrumLog},
                                                   {"chart", kTimeFrequencyChart}};
  for (const auto& [word, view] : views) {
    ASSERT_TRUE(applyRenderOptions({{"view", word}}, settings, choices, error));
    EXPECT_EQ(settings.display, view);
  }
  const std::pair<const char*, int32_t> methods[] = {
      {"fft", kFft}, {"dtft", kDtft}, {"dct", kDct}, {"mem", kMem}, {"wt", kWt}};
  for (const auto& [word, method] : methods) {
    ASSERT_TRUE(applyRenderOptions({{"method", word}}, settings, choices, error));
    EXPECT_EQ(settings.method, method);
  }
  ASSERT_TRUE(applyRenderOptions({{"scale", "amplitude"}, {"bar", ""}}, settings, choices, error));
  EXPECT_EQ(settings.spectrumType, SpectrumScale::kAmplitude);
  EXPECT_EQ(settings.graphStyle, kBarGraph);
  ASSERT_TRUE(applyRenderOptions({{"scale", "log"}, {"span", "512"}}, settings, choices, error));
  EXPECT_EQ(settings.spectrumType, SpectrumScale::kLog);
  EXPECT_EQ(settings.framesPerColumn, 1);
}

struct BadCase {
  const char* name;
  const char* value;
  const char* mustMention;
};

TEST(RenderOptions, BadValuesNameTheOptionAndWhatItAllows) {
  AppSettings settings;
  const BadCase cases[] = {
      {"view", "sonogram", "wave-zoom|level-meter|spectrum-linear|spectrum-log|chart"},
      {"method", "FFT", "fft|dtft|dct|mem|wt"},
      {"block-order", "7", "8..16"},
      {"block-order", "17", "8..16"},
      {"block-order", "ten", "8..16"},
      {"time-resolution", "16", "32..32768, a power of two"},
      {"time-resolution", "1000", "32..32768, a power of two"},
      {"time-resolution", "65536", "32..32768"},
      {"window", "7", "0..6"},
      {"window", "-1", "0..6"},
      {"scale", "db", "amplitude|power|log"},
      {"gain", "4", "0..3"},
      {"key", "12", "0..11"},
      {"span", "256", "512..1073741824, a power of two, or whole"},
      {"span", "1000", "512..1073741824, a power of two, or whole"},
      {"zoom", "3", "1..2"},
      {"position", "-4", "0..4294967295"},
      {"position", "12x", "0..4294967295"},
  };
  for (const BadCase& c : cases) {
    RenderChoices choices;
    std::string error;
    EXPECT_FALSE(applyRenderOptions({{c.name, c.value}}, settings, choices, error))
        << c.name << ' ' << c.value;
    EXPECT_NE(error.find(std::string("--") + c.name), std::string::npos) << error;
    EXPECT_NE(error.find(c.mustMention), std::string::npos) << error;
  }
}

TEST(RenderOptions, UnknownNamesAreRefused) {
  AppSettings settings;
  RenderChoices choices;

  std::string error;
  EXPECT_FALSE(applyRenderOptions({{"colour", "red"}}, settings, choices, error));
  EXPECT_NE(error.find("--colour"), std::string::npos);
}

TEST(RenderOptions, SwitchesTakeNoValueOnTheCommandLine) {
  const CommandLine c = parseArguments(
      {"korimu", "--render", "o.png", "--autocorr", "--view", "chart", "--plot-only", "a.wav"});
  ASSERT_EQ(c.mode, HeadlessMode::kRender);
  EXPECT_EQ(c.fileName, "a.wav");
  EXPECT_EQ(c.renderOptions,
            (RenderOptions{{"autocorr", ""}, {"view", "chart"}, {"plot-only", ""}}));
}

}  // namespace
}  // namespace korimu

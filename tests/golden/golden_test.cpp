// Snapshots of one window picture per view, compared pixel for pixel with the PNGs in this
// folder. KORIMU_UPDATE_GOLDEN=1 rewrites them after a deliberate change (see README.md).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/layout.h"
#include "core/settings.h"
#include "display/chart.h"
#include "display/display_state.h"
#include "display/graph_frame.h"
#include "display/level_meter.h"
#include "display/spectrum_graph.h"
#include "png_file.h"
#include "wave/wave_source.h"

namespace korimu {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Depth of a level in decibels below full scale: 90 dB span the plot.
uint8_t depthOfLevel(double dB) {
  return uint8_t(std::clamp(-dB * 255.0 / 90.0, 0.0, 255.0));
}

// A made-up spectrum: a falling floor with a harmonic tone on 440 Hz and a band near 5 kHz.
double levelAt(double f) {
  double dB = -70 + 12 * std::exp(-f / 3000);
  for (int h = 1; h <= 5; ++h) dB += (50 - 8 * h) * std::exp(-std::pow((f - 440.0 * h) / 25, 2));
  dB += 30 * std::exp(-std::pow((f - 5000) / 600, 2));
  return std::min(dB, 0.0);
}

std::vector<uint8_t> linearFrame(int len, double rate) {
  std::vector<uint8_t> depths(static_cast<size_t>(len));
  for (int i = 0; i < len; ++i) depths[size_t(i)] = depthOfLevel(levelAt(i * rate / (2.0 * len)));
  return depths;
}

std::vector<uint8_t> logFrame(int len, double rate) {
  const double top = rate / 2, low = top / len, ratio = std::exp(std::log(top / low) / (len - 1));
  std::vector<uint8_t> depths(static_cast<size_t>(len));
  for (int i = 0; i < len; ++i) depths[size_t(i)] = depthOfLevel(levelAt(low * std::pow(ratio, i)));
  return depths;
}

struct Scene {
  const char* name;
  int depthBits;
  std::function<void(DisplayState&, AppSettings&, Canvas&)> draw;
};

const std::vector<Scene>& scenes() {
  static const std::vector<Scene> all{
      {"wave_zoom_44k", 24,
       [](DisplayState& display, AppSettings& settings, Canvas& c) {
         display.fileRate = SampleRate(44);
         settings.display = kWaveZoom;
         prepareAnalysis(display, settings.musicalKey);
         drawGraphFrame(display, settings, c);
         std::vector<uint8_t> depths(4096);
         for (int i = 0; i < 4096; ++i) {
           const double t = i / 44100.0;
           const double v = std::exp(-t * 20) *
                            (std::sin(2 * kPi * 440 * t) + 0.4 * std::sin(2 * kPi * 1320 * t));
           depths[size_t(i)] = uint8_t(std::clamp(127 - v * 90, 0.0, 255.0));
         }
         drawWaveZoom(c, display.fileRate, settings, depths.data(), 4096);
       }},
      {"level_meter_48k", 24,
       [](DisplayState& display, AppSettings& settings, Canvas& c) {
         display.fileRate = SampleRate(48);
         settings.display = kLevelMeter;
         prepareAnalysis(display, settings.musicalKey);
         drawGraphFrame(display, settings, c);
         const std::vector<uint8_t> depths = linearFrame(512, 48000);
         drawOctaveMeter(c, settings, depths.data(), 512);
       }},
      {"spectrum_linear_44k_notes", 24,
       [](DisplayState& display, AppSettings& settings, Canvas& c) {
         display.fileRate = SampleRate(44);
         settings.display = kSpectrumLinear;
         settings.colorScale = true;
         settings.blockOrder = 12;
         prepareAnalysis(display, settings.musicalKey);
         drawGraphFrame(display, settings, c);
         const std::vector<uint8_t> depths = linearFrame(2048, 44100);
         drawLinearSpectrum(c, display, settings, depths.data(), 2048);
       }},
      {"spectrum_log_44k_thick", 24,
       [](DisplayState& display, AppSettings& settings, Canvas& c) {
         display.fileRate = SampleRate(44);
         settings.display = kSpectrumLog;
         settings.graphStyle = kLineGraph;
         settings.lineWidth = LineWidth::kThick;
         settings.blockOrder = 11;
         prepareAnalysis(display, settings.musicalKey);
         drawGraphFrame(display, settings, c);
         const std::vector<uint8_t> depths = linearFrame(1024, 44100);
         drawLogSpectrum(c, display, settings, depths.data(), 1024);
       }},
      {"chart_fft_44k", 24,
       [](DisplayState& display, AppSettings& settings, Canvas& c) {
         display.fileRate = SampleRate(44);
         settings.display = kTimeFrequencyChart;
         settings.blockOrder = 9;
         prepareAnalysis(display, settings.musicalKey);
         drawGraphFrame(display, settings, c);
         clearChart(display, settings, c);
         // A tone gliding upwards across the 512 columns, two columns per block.
         for (int column = 0; column < 512; column += 2) {
           std::vector<uint8_t> depths(256);
           const double f0 = 300 + column * 30.0;
           for (int i = 0; i < 256; ++i) {
             const double f = i * 44100.0 / 512;
             depths[size_t(i)] = depthOfLevel(-80 + 75 * std::exp(-std::pow((f - f0) / 150, 2)) +
                                              20 * std::exp(-f / 2000));
           }
           drawChartColumn(display, c, depths.data(), 256, column, 2);
         }
       }},
      {"chart_mem_16k_16colour", 4,
       [](DisplayState& display, AppSettings& settings, Canvas& c) {
         display.fileRate = SampleRate(16);
         settings.display = kTimeFrequencyChart;
         settings.method = kMem;
         settings.blockOrder = 10;
         display.surfaces.window = Canvas(c.width(), c.height(), 4);
         prepareAnalysis(display, settings.musicalKey);
         drawGraphFrame(display, settings, c);
         clearChart(display, settings, c);
         const std::vector<uint8_t> base = logFrame(512, 16000);
         for (int column = 0; column < 512; column += 4) {
           std::vector<uint8_t> depths = base;
           for (auto& d : depths) d = uint8_t(std::min(255, d + column / 8));  // fading out
           drawChartColumnLog(display, c, depths.data(), 512, column, 4);
         }
       }},
      {"chart_dct_44k_notes_16bit", 16,
       [](DisplayState& display, AppSettings& settings, Canvas& c) {
         display.fileRate = SampleRate(44);
         settings.display = kTimeFrequencyChart;
         settings.method = kDct;
         settings.colorScale = true;
         settings.blockOrder = 10;
         display.surfaces.window = Canvas(c.width(), c.height(), 16);
         prepareAnalysis(display, settings.musicalKey);
         drawGraphFrame(display, settings, c);
         clearChart(display, settings, c);
         const std::vector<uint8_t> depths = linearFrame(512, 44100);
         drawChartColumn(display, c, depths.data(), 512, 0, 300);
       }},
  };
  return all;
}

std::string goldenPath(const std::string& name) {
  return std::string(KORIMU_GOLDEN_DIR) + "/" + name + ".png";
}

class DisplayGolden : public ::testing::TestWithParam<size_t> {};

TEST_P(DisplayGolden, MatchesTheSnapshot) {
  const Scene& scene = scenes()[GetParam()];
  Canvas canvas(kLayout.layoutWidth, kLayout.clientHeight, scene.depthBits);
  canvas.clear(kButtonFace);
  DisplayState display;
  AppSettings settings;
  scene.draw(display, settings, canvas);
  const std::string path = goldenPath(scene.name);
  const char* update = std::getenv("KORIMU_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    ASSERT_TRUE(testing::writePng(path, canvas)) << path;
    GTEST_SKIP() << "rewrote " << path;
  }
  testing::RgbImage golden;
  ASSERT_TRUE(testing::readPng(path, &golden)) << "missing or unreadable: " << path;
  ASSERT_EQ(golden.width, canvas.width());
  ASSERT_EQ(golden.height, canvas.height());
  int differing = 0;
  for (size_t i = 0; i < golden.pixels.size(); ++i)
    differing += golden.pixels[i] != canvas.pixels()[i];
  if (differing > 0) {
    const std::string actual =
        (std::filesystem::temp_directory_path() / (std::string(scene.name) + ".actual.png"))
            .string();
    testing::writePng(actual, canvas);
    ADD_FAILURE() << differing << " pixels differ from " << path
                  << "; this run's picture: " << actual;
  }
}

INSTANTIATE_TEST_SUITE_P(Views, DisplayGolden, ::testing::Range(size_t{0}, scenes().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                           return std::string(scenes()[info.param].name);
                         });

}  // namespace
}  // namespace korimu

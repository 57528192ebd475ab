// The batch renderer from a generated file to a PNG: every view and method on four formats, the
// exit codes, and what the picture shows.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "cli/render.h"
#include "cli/render_test_support.h"
#include "core/layout.h"

namespace korimu {
namespace {

using testing::loadPng;
using testing::RenderScope;
using testing::ToneFile;

struct Format {
  const char* name;
  ToneFile tone;
};

// Printed by its name: the test's name then reads the same in every run.
void PrintTo(const Format& value, std::ostream* out) {
  *out << value.name;
}

std::vector<Format> formats() {
  // A few blocks each: short files keep the 20 runs per format quick.
  ToneFile mono8{22050, 1, 8, 0.12, 1000.0, 0.7};
  ToneFile stereo16{48000, 2, 16, 0.12, 1000.0, 0.7};
  ToneFile stereo16at22{22050, 2, 16, 0.12, 1000.0, 0.7};
  ToneFile mono8at48{48000, 1, 8, 0.12, 1000.0, 0.7};
  return {{"mono8_22k", mono8},
          {"stereo16_48k", stereo16},
          {"stereo16_22k", stereo16at22},
          {"mono8_48k", mono8at48}};
}

const char* const kViews[] = {"wave-zoom", "level-meter", "spectrum-linear", "spectrum-log",
                              "chart"};
const char* const kMethods[] = {"fft", "dtft", "dct", "mem"};

// Small blocks keep the runs short.
RenderOptions quick(const std::string& view, const std::string& method) {
  return {{"view", view},   {"method", method}, {"block-order", "8"}, {"time-resolution", "256"},
          {"span", "8192"}, {"plot-only", ""}};
}

bool samePixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return false;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) return false;
  return true;
}

class RenderEveryView : public ::testing::TestWithParam<Format> {};

// Every view and method draws something of the tone that digital silence does not show.
TEST_P(RenderEveryView, EveryViewAndMethodDiffersFromSilence) {
  RenderScope scope;
  const Format& f = GetParam();
  ToneFile silentTone = f.tone;
  silentTone.amplitude = 0.0;
  const std::string tone = scope.file(std::string(f.name) + ".wav", f.tone);
  const std::string silent = scope.file(std::string(f.name) + "-silent.wav", silentTone);
  for (const char* view : kViews) {
    for (const char* method : kMethods) {
      SCOPED_TRACE(std::string(f.name) + " " + view + " " + method);
      const std::string a = scope.out("tone.png");
      const std::string b = scope.out("silent.png");
      ASSERT_EQ(runRender(a, quick(view, method), tone), 0);
      ASSERT_EQ(runRender(b, quick(view, method), silent), 0);
      const QImage toneImage = loadPng(a);
      ASSERT_EQ(toneImage.width(), 512);
      ASSERT_EQ(toneImage.height(), 256);
      EXPECT_FALSE(samePixels(toneImage, loadPng(b)));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, RenderEveryView, ::testing::ValuesIn(formats()),
                         [](const ::testing::TestParamInfo<Format>& info) {
                           return std::string(info.param.name);
                         });

TEST(RenderEndToEnd, WaveletDrawsTheChartFromAnyView) {
  RenderScope scope;
  for (const Format& f : formats()) {
    SCOPED_TRACE(f.name);
    ToneFile shortTone = f.tone;
    shortTone.seconds = 0.1;
    ToneFile silentTone = shortTone;
    silentTone.amplitude = 0.0;
    const std::string tone = scope.file("wt.wav", shortTone);
    const std::string silent = scope.file("wt-silent.wav", silentTone);
    RenderOptions options = quick("spectrum-linear", "wt");
    ASSERT_EQ(runRender(scope.out("wt.png"), options, tone), 0);
    RenderSetup setup;
    ASSERT_TRUE(prepareRender(options, setup));
    EXPECT_EQ(setup.settings.display, kTimeFrequencyChart);
    ASSERT_EQ(runRender(scope.out("wt-silent.png"), options, silent), 0);
    EXPECT_FALSE(samePixels(loadPng(scope.out("wt.png")), loadPng(scope.out("wt-silent.png"))));
  }
}

// The tallest bar of a linear FFT spectrum stands at the tone's bin.
TEST(RenderEndToEnd, LinearSpectrumPeaksAtTheTone) {
  RenderScope scope;
  const ToneFile tone{48000, 2, 16, 0.3, 3000.0, 0.7};
  const std::string file = scope.file("tone3k.wav", tone);
  const RenderOptions options = {
      {"view", "spectrum-linear"}, {"method", "fft"}, {"block-order", "10"},
      {"time-resolution", "1024"}, {"scale", "log"},  {"plot-only", ""}};
  ASSERT_EQ(runRender(scope.out("p.png"), options, file), 0);
  const QImage image = loadPng(scope.out("p.png"));
  int bestX = -1;
  int bestTop = 256;
  for (int x = 0; x < 512; ++x) {
    for (int y = 0; y < 256; ++y) {
      if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF &&
          (image.pixel(x, y) & 0xFFFFFF) != 0xFFFF00) {
        if (y < bestTop) {
          bestTop = y;
          bestX = x;
        }
        break;
      }
    }
  }
  // 3000 Hz is bin 64 of 512 at 48 kHz with N = 1024; one bin per pixel.
  EXPECT_NEAR(bestX, 64, 2);
  EXPECT_LT(bestTop, 40);
}

// A picture of the plot alone builds only the plot's pixels; every view and method, at full
// colour and on a 16-colour display (whose chart colours are read back from the display), gives
// the plot of the whole picture pixel for pixel.
TEST(RenderEndToEnd, ThePlotAloneIsThePlotOfTheWholePictureForEveryViewMethodAndDepth) {
  RenderScope scope;
  const std::string file = scope.file("t.wav", ToneFile{22050, 2, 16, 0.3, 1000.0, 0.7});
  for (const char* bits : {"24", "4"}) {
    setenv("KORIMU_DISPLAY_BITS", bits, 1);
    for (const char* view : kViews)
      for (const char* method : {"fft", "mem", "wt"}) {
        RenderOptions options = {{"view", view}, {"method", method}, {"block-order", "9"}};
        ASSERT_EQ(runRender(scope.out("w.png"), options, file), 0);
        options.push_back({"plot-only", ""});
        ASSERT_EQ(runRender(scope.out("p.png"), options, file), 0);
        EXPECT_EQ(loadPng(scope.out("p.png")),
                  loadPng(scope.out("w.png"))
                      .copy(kLayout.unitW, kLayout.plotTop, kPlotWidth, kPlotHeight))
            << view << " " << method << " at " << bits << " bits";
      }
  }
  unsetenv("KORIMU_DISPLAY_BITS");
}

TEST(RenderEndToEnd, WholeClientAreaByDefaultPixelForPixelAndCompressed) {
  RenderScope scope;
  const std::string file = scope.file("t.wav", ToneFile{});
  ASSERT_EQ(runRender(scope.out("w.png"), {{"view", "chart"}}, file), 0);
  const QImage image = loadPng(scope.out("w.png"));
  ASSERT_EQ(image.width(), kLayout.layoutWidth);
  ASSERT_EQ(image.height(), kLayout.clientHeight);
  // The plot inside it is the picture --plot-only saves, pixel for pixel.
  ASSERT_EQ(runRender(scope.out("p.png"), {{"view", "chart"}, {"plot-only", ""}}, file), 0);
  const QImage plot = loadPng(scope.out("p.png"));
  EXPECT_EQ(plot, image.copy(kLayout.unitW, kLayout.plotTop, kPlotWidth, kPlotHeight));
  // Three bytes a pixel stored plainly would be 735 KB; flat areas and repeated rows compress.
  EXPECT_LT(std::filesystem::file_size(scope.out("w.png")),
            uintmax_t(3 * image.width() * image.height() / 10));
}

TEST(RenderEndToEnd, BadOptionsExitWithTwoAndFileProblemsWithOne) {
  RenderScope scope;
  const std::string file = scope.file("t.wav", ToneFile{});
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(runRender(scope.out("x.png"), {{"block-order", "20"}}, file), 2);
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("--block-order"), std::string::npos) << err;
  EXPECT_NE(err.find("8..16"), std::string::npos) << err;

  // A position must be a frame of the file; the message gives the frames there are.
  const std::string stereo = scope.file("s.wav", ToneFile{22050, 2, 16, 0.3});
  const uint32_t dataBytes = uint32_t(22050 * 0.3) * 4;
  const std::string lastFrame = std::to_string(dataBytes - 4);
  const std::pair<uint32_t, int> positions[] = {{0, 0},
                                                {dataBytes - 4, 0},
                                                {3, 2},  // inside a frame
                                                {dataBytes, 2},
                                                {dataBytes + 4, 2}};
  for (const auto& [position, code] : positions) {
    SCOPED_TRACE(position);
    const std::string png = scope.out("at-" + std::to_string(position) + ".png");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(runRender(png, {{"position", std::to_string(position)}}, stereo), code);
    err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::filesystem::exists(png), code == 0);
    if (code != 0) {
      EXPECT_NE(err.find("--position"), std::string::npos) << err;
      EXPECT_NE(err.find("0.." + lastFrame + " in steps of 4 bytes"), std::string::npos) << err;
    }
  }

  ::testing::internal::CaptureStderr();
  EXPECT_EQ(runRender(scope.out("x.png"), {}, scope.out("missing.wav")), 1);
  err = ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(err.empty());

  const std::string notWave = scope.dir.write("text.wav", {'h', 'e', 'l', 'l', 'o'});
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(runRender(scope.out("x.png"), {}, notWave), 1);
  err = ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(err.empty());
}

TEST(RenderEndToEnd, UnsetOptionsComeFromTheSettingsFile) {
  RenderScope scope;
  // The INI chooses the level meter; a run without --view draws it.
  std::filesystem::create_directories(scope.dir.path() / "korimu");
  scope.dir.write("korimu/KORIMU.INI", std::vector<uint8_t>{});
  {
    std::ofstream ini(scope.dir.path() / "korimu" / "KORIMU.INI");
    ini << "[KORIMU]\ndisplay=1107\n";
  }
  const std::string file = scope.file("t.wav", ToneFile{});
  const std::string csv = scope.out("m.csv");
  ASSERT_EQ(runRender(scope.out("m.png"), {{"csv", csv}}, file), 0);
  RenderSetup setup;
  ASSERT_TRUE(prepareRender({{"csv", csv}}, setup));
  EXPECT_EQ(setup.settings.display, kLevelMeter);

  std::ifstream numbers(csv);
  const std::string text((std::istreambuf_iterator<char>(numbers)), {});
  EXPECT_NE(text.find("# view,level-meter\n"), std::string::npos) << text.substr(0, 300);
}

}  // namespace
}  // namespace korimu

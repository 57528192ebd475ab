// Batch rendering: every file's PNG and CSV are byte for byte those of a single render of it,
// whether rendered one at a time or on two threads; failures are named and the rest go on.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

#include "cli/batch_render.h"
#include "cli/command_line.h"
#include "cli/render.h"
#include "platform/fixed_font.h"
#include "wave/wav_builder.h"

namespace korimu {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

std::string contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A two-tone recording of the given kind; the tones differ per file so no two pictures agree.
std::vector<uint8_t> twoTones(uint32_t rate, int channels, int bits, double f1, double f2) {
  std::vector<uint8_t> data;
  for (int i = 0; i < int(rate * 0.4); ++i) {
    const double t = double(i) / rate;
    const double v = 0.4 * std::sin(2 * std::numbers::pi * f1 * t) +
                     0.3 * std::sin(2 * std::numbers::pi * f2 * t);
    for (int c = 0; c < channels; ++c) {
      if (bits == 16) {
        testing::appendPcm16(data, int(std::lround(v * 32767)));
      } else {
        data.push_back(uint8_t(128 + std::lround(v * 127)));
      }
    }
  }
  testing::FormatFields f;
  f.channels = uint16_t(channels);
  f.bits = uint16_t(bits);
  f.rate = rate;
  return testing::waveFile(f, data);
}

class BatchRenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The settings file of the test's own, so the user's never matters.
    setenv("XDG_CONFIG_HOME", (dir.path() / "config").c_str(), 1);
    files = {dir.write("a.wav", twoTones(44100, 2, 16, 440, 3000)),
             dir.write("b.wav", twoTones(22050, 1, 8, 700, 5000)),
             dir.write("c.wav", twoTones(8000, 1, 16, 300, 1900)),
             dir.write("d.wav", twoTones(11025, 2, 8, 1000, 2500))};
  }
  void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }

  TempDir dir;
  std::vector<std::string> files;
};

TEST_F(BatchRenderTest, EachFileGetsThePictureAndNumbersOfItsSingleRender) {
  for (const RenderOptions& view : {RenderOptions{{"view", "chart"}, {"method", "fft"}},
                                    RenderOptions{{"view", "spectrum-log"}, {"method", "mem"}},
                                    RenderOptions{{"view", "level-meter"}},
                                    RenderOptions{{"view", "spectrum-linear"}, {"method", "wt"}}}) {
    const std::string single = (dir.path() / "single").string() + "/";
    fs::create_directories(single);
    for (const std::string& file : files) {
      const std::string name = fs::path(file).stem().string();
      RenderOptions withCsv = view;
      withCsv.emplace_back("csv", single + name + ".csv");
      ASSERT_EQ(runRender(single + name + ".png", withCsv, file), 0);
    }
    for (const char* jobs : {"1", "2"}) {
      const std::string out = (dir.path() / "batch").string() + jobs + "/";
      RenderOptions options = view;
      options.emplace_back("jobs", jobs);
      options.emplace_back("csv", out);
      ASSERT_EQ(runBatchRender(out, options, files), 0);
      for (const std::string& file : files) {
        const std::string name = fs::path(file).stem().string();
        for (const char* ext : {".png", ".csv"}) {
          const std::string got = contents(out + name + ext);
          EXPECT_FALSE(got.empty()) << name << ext;
          EXPECT_TRUE(got == contents(single + name + ext))
              << name << ext << " with " << jobs << " jobs, " << view.front().second;
        }
      }
      fs::remove_all(out);
    }
    fs::remove_all(single);
  }
}

TEST_F(BatchRenderTest, AFailingFileIsNamedAndTheOthersGoOn) {
  const std::string broken = dir.write("broken.wav", {'j', 'u', 'n', 'k'});
  const std::string missing = (dir.path() / "missing.wav").string();
  const std::string out = (dir.path() / "out").string() + "/";
  ::testing::internal::CaptureStderr();
  const int code = runBatchRender(out, {{"view", "chart"}}, {files[0], broken, missing, files[1]});
  const std::string errors = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(code, 1);
  EXPECT_TRUE(fs::exists(out + "a.png") && fs::exists(out + "b.png"));
  EXPECT_FALSE(fs::exists(out + "broken.png") || fs::exists(out + "missing.png"));
  EXPECT_NE(errors.find("korimu: " + broken + ": 指定したファイルは、WAVEファイルではありません。"),
            std::string::npos)
      << errors;
  EXPECT_NE(errors.find("korimu: " + missing + ": cannot open '" + missing +
                        "': No such file or directory"),
            std::string::npos)
      << errors;
}

// A fatal message fails its file even when its render comes to an end: without its font the
// first file's picture is drawn without text, and the batch exits 1.
TEST_F(BatchRenderTest, AFatalMessageFailsTheBatchThoughTheRenderEnds) {
  // A fresh process: the font is loaded once per process, by the first render that draws text.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string out = (dir.path() / "out").string() + "/";
  const std::string missingFont = (dir.path() / "no-font.hex").string();
  EXPECT_EXIT(
      {
        setenv("KORIMU_FONT", missingFont.c_str(), 1);
        const int code =
            runBatchRender(out, {{"view", "chart"}, {"jobs", "1"}}, {files[0], files[1]});
        // The child's fixture made a folder of its own, which exit() would leave behind.
        fs::remove_all(dir.path());
        std::exit(code);
      },
      ::testing::ExitedWithCode(1), "a.wav: The fixed font could not be loaded");
}

// The data size of this process in bytes (VmData), 0 when the system does not say.
size_t dataBytes() {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("VmData:", 0) == 0) return size_t(std::stoul(line.substr(7))) << 10;
  return 0;
}

// A fatal message fails its file even when the render goes on to the end and writes the picture:
// with the process's data capped a few MB above what it holds, the overview strip of the widest
// span (8 MB of samples a column) finds no memory and says so, the chart is drawn and saved, and
// the batch exits 1.
TEST_F(BatchRenderTest, AFatalMessageFailsTheBatchThoughThePictureIsWritten) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  // (The plain build runs it.)
  GTEST_SKIP() << "a sanitizer's allocator does not give way to a data limit";
#endif
  // A fresh process, whose heap holds no memory freed by other tests to serve the strip from.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto cappedBatch = [this] {
    const std::string out = (dir.path() / "out").string() + "/";
    // The font and the folder before the cap: only the strip is to go without.
    if (!fixedFontProblem().empty()) return 3;
    fs::create_directories(out);
    // Less than the strip's 8 MB of samples (two channels of 16 bits), all of the rest.
    const size_t headroom = (size_t(8) << 20) - (size_t(256) << 10);
    const rlimit cap{dataBytes() + headroom, RLIM_INFINITY};
    if (cap.rlim_cur == headroom || ::setrlimit(RLIMIT_DATA, &cap) != 0) return 4;
    const int code =
        runBatchRender(out, {{"view", "chart"}, {"span", "1073741824"}, {"jobs", "1"}}, {files[0]});
    if (fs::exists(out + "a.png")) std::fprintf(stderr, "the picture is written\n");
    // The child's fixture made a folder of its own, which exit() would leave behind.
    fs::remove_all(dir.path());
    return code;
  };
  EXPECT_EXIT(std::exit(cappedBatch()), ::testing::ExitedWithCode(1),
              "a.wav: dispwave.*the picture is written");
}

// A display depth the program does not know is named once for the whole batch, however many
// files and threads draw, and every file is still drawn (at 24 bits).
TEST_F(BatchRenderTest, ARefusedDisplayDepthIsNamedOnce) {
  const std::string out = (dir.path() / "out").string() + "/";
  setenv("KORIMU_DISPLAY_BITS", "12", 1);
  ::testing::internal::CaptureStderr();
  const int code = runBatchRender(out, {{"view", "chart"}, {"jobs", "2"}}, files);
  const std::string errors = ::testing::internal::GetCapturedStderr();
  unsetenv("KORIMU_DISPLAY_BITS");
  EXPECT_EQ(code, 0);
  const std::string warning =
      "korimu: KORIMU_DISPLAY_BITS=\"12\" is not one of 4, 8, 16 or 24; drawing with 24 bits per "
      "pixel\n";
  EXPECT_EQ(errors, warning);
  for (const std::string& file : files)
    EXPECT_TRUE(fs::exists(out + fs::path(file).stem().string() + ".png")) << file;
}

TEST(BatchRenderPlan, NamesOutputsAfterInputsAndRefusesCollisions) {
  std::vector<BatchItem> items;
  std::string error;
  ASSERT_TRUE(planBatch("out/", "csv/", {"x/a.wav", "y/b.WAV", "c"}, items, error));
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[1].png, "out/b.png");
  EXPECT_EQ(items[1].csv, "csv/b.csv");
  EXPECT_EQ(items[2].png, "out/c.png");
  EXPECT_FALSE(planBatch("out/", "", {"x/a.wav", "y/a.wav"}, items, error));
  EXPECT_EQ(error, "'x/a.wav' and 'y/a.wav' would both be written to 'out/a.png'");
  // The pictures and the numbers may share a folder; their names differ by extension.
  EXPECT_TRUE(planBatch("out/", "out/", {"a.wav"}, items, error));
}

TEST_F(BatchRenderTest, AFolderRendersEveryFileAndAFileOne) {
  const CommandLine batch =
      parseArguments({"korimu", "--render", "out/", "a.wav", "--view", "chart", "b.wav"});
  EXPECT_EQ(batch.mode, HeadlessMode::kBatchRender);
  EXPECT_EQ(batch.files, (std::vector<std::string>{"a.wav", "b.wav"}));
  const CommandLine single = parseArguments({"korimu", "--render", "o.png", "b.wav"});
  EXPECT_EQ(single.mode, HeadlessMode::kRender);
  EXPECT_EQ(single.fileName, "b.wav");
  // Bad values and a CSV that is not a folder stop the batch before any work.
  const std::string out = (dir.path() / "out").string() + "/";
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(runBatchRender(out, {{"jobs", "0"}}, {"a.wav"}), 2);
  EXPECT_EQ(runBatchRender(out, {{"csv", "numbers.csv"}}, {"a.wav"}), 2);
  const std::string errors = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("--jobs: \"0\" is out of range; allowed: 1..256"), std::string::npos);
  EXPECT_NE(errors.find("--csv: \"numbers.csv\" is not a folder"), std::string::npos);
  EXPECT_FALSE(fs::exists(out));
}

}  // namespace
}  // namespace korimu

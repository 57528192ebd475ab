// A file the command line cannot open: the reader's message stays the first line, and a second
// line names the path and the system's reason. An output that cannot be created stops --render
// before anything is analysed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "cli/command_line.h"
#include "cli/render.h"
#include "core/settings.h"
#include "render_test_support.h"

namespace korimu::testing {
namespace {

struct Unopenable {
  const char* name;
  const char* reason;
  // Makes the path unopenable in the folder; false when this user can open it all the same.
  std::function<bool(const std::filesystem::path&)> make;
};

void PrintTo(const Unopenable& u, std::ostream* out) {
  *out << u.name;
}

class FileErrors : public ::testing::TestWithParam<Unopenable> {};

TEST_P(FileErrors, ReadersMessageThenPathAndReason) {
  RenderScope scope;
  const std::filesystem::path path = scope.dir.path() / "take.wav";
  if (!GetParam().make(path)) GTEST_SKIP() << "this user can read a file without read permission";
  const std::string expected = "ファイルを開けません。\nkorimu: cannot open '" + path.string() +
                               "': " + GetParam().reason + "\n";

  ::testing::internal::CaptureStderr();
  EXPECT_EQ(runCheck(path.string()), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), expected);

  ::testing::internal::CaptureStderr();
  EXPECT_EQ(runRender(scope.out("out.png"), {}, path.string()), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), expected);
  EXPECT_FALSE(std::filesystem::exists(scope.out("out.png")));
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, FileErrors,
    ::testing::Values(Unopenable{"Missing", "No such file or directory",
                                 [](const std::filesystem::path&) { return true; }},
                      Unopenable{"Folder", "Is a directory",
                                 [](const std::filesystem::path& p) {
                                   return std::filesystem::create_directory(p);
                                 }},
                      Unopenable{"Unreadable", "Permission denied",
                                 [](const std::filesystem::path& p) {
                                   writeFile(p, toneWave(ToneFile{}));
                                   ::chmod(p.c_str(), 0);
                                   std::FILE* f = std::fopen(p.c_str(), "rb");
                                   if (f) std::fclose(f);
                                   return f == nullptr;  // root reads it anyway
                                 }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RenderOutput, AMissingFolderFailsBeforeAnyAnalysis) {
  RenderScope scope;
  const std::string wav = scope.file("tone.wav", ToneFile{});
  const std::string png = scope.out("missing/chart.png");
  appState.lastRunView = 0;  // every run records its view here when it starts

  ::testing::internal::CaptureStderr();
  EXPECT_EQ(runRender(png, {{"view", "chart"}}, wav), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "korimu: cannot create '" + png + "': No such file or directory\n");
  EXPECT_EQ(appState.lastRunView, 0);
  EXPECT_FALSE(std::filesystem::exists(scope.out("missing")));

  // The same render into an existing folder does run.
  EXPECT_EQ(runRender(scope.out("chart.png"), {{"view", "chart"}}, wav), 0);
  EXPECT_EQ(appState.lastRunView, kTimeFrequencyChart);
}

}  // namespace
}  // namespace korimu::testing

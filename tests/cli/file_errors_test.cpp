// A file the command line cannot open: the reader's message stays the first line, and a second
// line names the path and the system's reason. An output that cannot be created stops --render
// before anything is analysed.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "cli/command_line.h"
#include "cli/render.h"
#include "core/settings.h"
#include "render_test_support.h"
#include "wave/sndfile_writer.h"

namespace korimu::testing {
namespace {

struct Unopenable {
  const char* name;
  const char* reason;
  void (*make)(const std::filesystem::path&);       // makes the path unopenable
  const char* sentence = "ファイルを開けません。";  // the reader's first line
};

void PrintTo(const Unopenable& u, std::ostream* out) {
  *out << u.name;
}

struct Outcome {
  int code = -1;
  std::string errors;  // what went to stderr
};

// Runs the command with stderr captured. Root reads any file, so as root the command runs in a
// child process that has become the unprivileged user "nobody" (65534).
Outcome runAsPlainUser(const std::function<int()>& command) {
  if (::geteuid() != 0) {
    ::testing::internal::CaptureStderr();
    Outcome o;
    o.code = command();
    o.errors = ::testing::internal::GetCapturedStderr();
    return o;
  }
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return {};
  std::fflush(stderr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeFds[0]);
    ::dup2(pipeFds[1], STDERR_FILENO);
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
    const int code = command();
    std::fflush(stderr);
    ::_exit(code);
  }
  ::close(pipeFds[1]);
  Outcome o;
  char buffer[512];
  for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) o.errors.append(buffer, n);
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  o.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return o;
}

class FileErrors : public ::testing::TestWithParam<Unopenable> {};

TEST_P(FileErrors, ReadersMessageThenPathAndReason) {
  RenderScope scope;
  std::filesystem::permissions(scope.dir.path(), std::filesystem::perms(0755));
  const std::filesystem::path path = scope.dir.path() / "take.wav";
  GetParam().make(path);
  const std::string expected = std::string(GetParam().sentence) + "\nkorimu: cannot open '" +
                               path.string() + "': " + GetParam().reason + "\n";

  const Outcome check = runAsPlainUser([&] { return runCheck(path.string()); });
  if (check.code == 99) GTEST_SKIP() << "cannot become the user nobody to be refused by the file";
  EXPECT_EQ(check.code, 1);
  EXPECT_EQ(check.errors, expected);

  const std::string png = scope.out("out.png");
  const Outcome render = runAsPlainUser([&] { return runRender(png, {}, path.string()); });
  EXPECT_EQ(render.code, 1);
  EXPECT_EQ(render.errors, expected);
  EXPECT_FALSE(std::filesystem::exists(png));
}

INSTANTIATE_TEST_SUITE_P(Reasons, FileErrors,
                         ::testing::Values(Unopenable{"Missing", "No such file or directory",
                                                      [](const std::filesystem::path&) {}},
                                           Unopenable{"Folder", "Is a directory",
                                                      [](const std::filesystem::path& p) {
                                                        std::filesystem::create_directory(p);
                                                      }},
                                           Unopenable{"Unreadable", "Permission denied",
                                                      [](const std::filesystem::path& p) {
                                                        writeFile(p, toneWave(ToneFile{}));
                                                        std::filesystem::permissions(
                                                            p, std::filesystem::perms::none);
                                                      }},
                                           Unopenable{"NotWave", "not a WAVE file",
                                                      [](const std::filesystem::path& p) {
                                                        writeFile(p, std::vector<uint8_t>(64, 'x'));
                                                      },
                                                      "指定したファイルは、WAVEファイルではありませ"
                                                      "ん。"},
                                           Unopenable{"EmptyData", "the data chunk is empty",
                                                      [](const std::filesystem::path& p) {
                                                        ToneFile empty;
                                                        empty.seconds = 0;
                                                        writeFile(p, toneWave(empty));
                                                      },
                                                      "データ チャンクが空です。"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A file that decodes but whose copy cannot be written: the cache folder's true reason, in
// English too. The cache's parent is the test's own folder, which the plain user cannot write.
TEST(FileErrorsInEnglish, AnUnwritableCacheIsToldWithTheSystemsReason) {
  RenderScope scope;
  std::filesystem::permissions(scope.dir.path(), std::filesystem::perms(0755));
  const std::string flac = scope.out("take.flac");
  ASSERT_TRUE(testing::writeSndfile(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1,
                                    testing::multiTone16(22050, 1, 0.2)));
  const std::filesystem::path blocked = scope.dir.path() / "cache";
  std::filesystem::create_directory(blocked);
  if (::geteuid() != 0) std::filesystem::permissions(blocked, std::filesystem::perms(0555));
  setenv("XDG_CACHE_HOME", blocked.c_str(), 1);
  // The picture's folder is open to the plain user: only the cache is in the way.
  const std::filesystem::path pictures = scope.dir.path() / "pictures";
  std::filesystem::create_directory(pictures);
  std::filesystem::permissions(pictures, std::filesystem::perms::all);
  const std::string png = (pictures / "out.png").string();
  const Outcome render = runAsPlainUser([&] { return runRender(png, {}, flac); });
  std::filesystem::permissions(blocked, std::filesystem::perms(0755));
  if (render.code == 99) GTEST_SKIP() << "cannot become the user nobody";
  EXPECT_EQ(render.code, 1);
  EXPECT_NE(render.errors.find(
                "\nkorimu: cannot open '" + flac + "': cannot write its decoded copy into '" +
                (blocked / "korimu" / "decoded").string() + "': Permission denied\n"),
            std::string::npos)
      << render.errors;
  EXPECT_FALSE(std::filesystem::exists(png));
}

TEST(RenderOutput, AMissingFolderFailsBeforeAnyAnalysis) {
  RenderScope scope;
  const std::string wav = scope.file("tone.wav", ToneFile{});
  const std::string png = scope.out("missing/chart.png");
  struct RunCounter : RunListener {
    int runs = 0;
    void runningChanged(bool running) override { runs += running ? 1 : 0; }
  } counter;

  ::testing::internal::CaptureStderr();
  EXPECT_EQ(runRender(png, {{"view", "chart"}}, wav, &counter), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "korimu: cannot create '" + png + "': No such file or directory\n");
  EXPECT_EQ(counter.runs, 0);
  EXPECT_FALSE(std::filesystem::exists(scope.out("missing")));

  // The same render into an existing folder does run.
  EXPECT_EQ(runRender(scope.out("chart.png"), {{"view", "chart"}}, wav, &counter), 0);
  EXPECT_EQ(counter.runs, 1);
}

}  // namespace
}  // namespace korimu::testing

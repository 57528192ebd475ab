// `korimu --screenshot` as a user runs it: the picture goes to the exact bytes of the name given,
// and a file that does not open is reported once with exit code 1.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "wave/wav_builder.h"

extern char** environ;

namespace korimu {
namespace {

struct Outcome {
  int exitCode = -1;
  std::string errors;
};

// Runs the korimu program with `args`, collecting its standard error.
Outcome runKorimu(const std::vector<std::string>& args) {
  std::vector<std::string> all{KORIMU_EXE};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  int pipeEnds[2];
  Outcome outcome;
  if (::pipe(pipeEnds) != 0) return outcome;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  char chunk[4096];
  for (ssize_t n; (n = ::read(pipeEnds[0], chunk, sizeof chunk)) > 0;)
    outcome.errors.append(chunk, size_t(n));
  ::close(pipeEnds[0]);
  int status = 0;
  if (spawned == 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status))
    outcome.exitCode = WEXITSTATUS(status);
  return outcome;
}

size_t occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(ScreenshotPaths, ANameThatIsNotUtf8IsWrittenAsGiven) {
  testing::TempDir dir;
  const std::string name = "shot-\xff\xfe.png";  // Latin-1 bytes, not UTF-8
  const std::string out = (dir.path() / name).string();
  const Outcome outcome = runKorimu({"--screenshot", out});
  EXPECT_EQ(outcome.exitCode, 0) << outcome.errors;
  const std::vector<uint8_t> png = testing::readFile(out);
  ASSERT_GE(png.size(), 8u) << "no file under the exact name";
  EXPECT_EQ(std::vector<uint8_t>(png.begin(), png.begin() + 8),
            (std::vector<uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
  size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().filename().string(), name);
    ++entries;
  }
  EXPECT_EQ(entries, 1u);
}

TEST(ScreenshotPaths, AFileThatCannotBeOpenedIsReportedOnceAndEndsWithOne) {
  testing::TempDir dir;
  const std::string out = (dir.path() / "shot.png").string();
  const Outcome outcome = runKorimu({"--screenshot", out, (dir.path() / "missing.wav").string()});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_EQ(occurrences(outcome.errors, "ファイルを開けません。"), 1u) << outcome.errors;
  EXPECT_FALSE(std::filesystem::exists(out));
}

// Every file error of --screenshot has the command line's English second line.
TEST(ScreenshotPaths, FileErrorsHaveTheEnglishSecondLine) {
  testing::TempDir dir;
  const std::string out = (dir.path() / "shot.png").string();
  const std::string missing = (dir.path() / "missing.wav").string();
  const std::string notes = dir.write("notes.wav", std::vector<uint8_t>(64, 'x'));
  for (const auto& [file, line] :
       {std::pair{missing, "ファイルを開けません。\nkorimu: cannot open '" + missing +
                               "': No such file or directory\n"},
        std::pair{notes, "指定したファイルは、WAVEファイルではありません。\nkorimu: cannot open '" +
                             notes + "': not a WAVE file\n"}}) {
    const Outcome outcome = runKorimu({"--screenshot", out, file});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(occurrences(outcome.errors, line), 1u) << outcome.errors;
  }
}

}  // namespace
}  // namespace korimu

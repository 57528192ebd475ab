// The korimu command writing to a descriptor the shell opened ("-", /dev/stdout, /dev/fd/N,
// /proc/self/fd/N): what the file already held stays, the output follows it, and it is the same
// output a named file gets. Every case is a real korimu process with real redirections.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <string>
#include <vector>

#include "export/csv_export.h"
#include "render_test_support.h"

namespace korimu::testing {
namespace {

struct Outcome {
  int code = -1;
  std::string errors;
};

std::string textOf(const std::string& path) {
  const std::vector<uint8_t> bytes = readFile(path);
  return std::string(bytes.begin(), bytes.end());
}

// Runs korimu with `args` and `file` open as its descriptor `descriptor` (standard output, when
// that is not 1, goes to a file of its own); stderr is captured.
Outcome runKorimu(const RenderScope& scope, const std::vector<std::string>& args, int file,
                  int descriptor) {
  std::vector<std::string> all{KORIMU_PROGRAM};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string errorsPath = scope.out("errors.txt"), otherPath = scope.out("stdout.txt");
  const int errors = ::open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const int other = ::open(otherPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (errors < 0 || other < 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    // Only calls that are safe between fork and exec.
    if (descriptor != STDOUT_FILENO) ::dup2(other, STDOUT_FILENO);
    ::dup2(errors, STDERR_FILENO);
    if (file == descriptor) {
      ::fcntl(file, F_SETFD, 0);
    } else {
      ::dup2(file, descriptor);
    }
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(errors);
  ::close(other);
  Outcome outcome;
  int status = 0;
  if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status))
    outcome.code = WEXITSTATUS(status);
  outcome.errors = textOf(errorsPath);
  return outcome;
}

// A file that already holds a line, open for writing as the shell opens it: with >> (appending) or
// with > after another command wrote the line (at the offset that line left).
int fileHoldingALine(const std::string& path, const std::string& line, bool appending) {
  writeFile(path, std::vector<uint8_t>(line.begin(), line.end()));
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | (appending ? O_APPEND : 0));
  if (fd >= 0 && !appending) ::lseek(fd, off_t(line.size()), SEEK_SET);
  return fd;
}

struct StreamName {
  const char* name;
  int descriptor;  // the descriptor it names
};

TEST(StreamOutputs, WrittenAfterWhatTheFileHeldAndEqualToANamedFile) {
  RenderScope scope;
  const std::string wav = scope.file("take.wav", ToneFile{});
  const std::string namedPng = scope.out("named.png"), namedCsv = scope.out("named.csv");
  const int none = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(none, 0);
  ASSERT_EQ(runKorimu(scope, {"--render", namedPng, "--view", "chart", wav}, none, 1).code, 0);
  ASSERT_EQ(runKorimu(scope, {"--csv", namedCsv, "--view", "chart", wav}, none, 1).code, 0);
  ::close(none);
  const std::string png = textOf(namedPng), csv = textOf(namedCsv);
  ASSERT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
  ASSERT_FALSE(csvHeaderFields(csv).empty());

  const StreamName names[] = {{"-", 1},         {"/dev/stdout", 1},
                              {"/dev/fd/1", 1}, {"/proc/self/fd/1", 1},
                              {"/dev/fd/3", 3}, {"/proc/self/fd/3", 3}};
  const std::string header = "HEADER\n", footer = "FOOTER\n";
  for (const StreamName& stream : names) {
    for (const char* option : {"--render", "--csv"}) {
      for (const bool appending : {true, false}) {
        SCOPED_TRACE(std::string(option) + " " + stream.name + (appending ? " >>" : " >"));
        const std::string log = scope.out("log.txt");
        const int fd = fileHoldingALine(log, header, appending);
        ASSERT_GE(fd, 0);
        const Outcome run =
            runKorimu(scope, {option, stream.name, "--view", "chart", wav}, fd, stream.descriptor);
        // The next command of the group writes after the output.
        EXPECT_EQ(::write(fd, footer.data(), footer.size()), ssize_t(footer.size()));
        ::close(fd);
        EXPECT_EQ(run.code, 0) << run.errors;
        const std::string expected = header + (option == std::string("--csv") ? csv : png) + footer;
        const std::string written = textOf(log);
        EXPECT_EQ(written.size(), expected.size());
        EXPECT_TRUE(written == expected);
        EXPECT_EQ(textOf(scope.out("stdout.txt")), "");
      }
    }
  }
  // The bytes that went through standard output are a whole picture.
  const std::string log = scope.out("log.txt");
  const int fd = fileHoldingALine(log, "", false);
  ASSERT_EQ(runKorimu(scope, {"--render", "-", "--view", "chart", wav}, fd, 1).code, 0);
  ::close(fd);
  const QImage streamed = loadPng(log);
  ASSERT_FALSE(streamed.isNull());
  EXPECT_EQ(streamed, loadPng(namedPng));
}

// Outputs that cannot be written as asked are refused before anything is analysed, and what the
// descriptor holds stays as it was.
TEST(StreamOutputs, RefusedWhenTheyWouldMixOrWriteOverTheRecording) {
  RenderScope scope;
  const std::string wav = scope.file("take.wav", ToneFile{});
  const std::vector<uint8_t> recording = readFile(wav);
  const std::string log = scope.out("log.txt");
  struct Case {
    std::vector<std::string> args;
    const char* file;  // what stdout is: the log, or the recording itself
    int openMode;
    int code;
    const char* message;
  };
  const Case cases[] = {
      {{"--render", "-", "--csv", "-"}, "log", O_WRONLY | O_APPEND, 2, "cannot both write to"},
      {{"--csv", "-", "--render", "-"}, "log", O_WRONLY | O_APPEND, 2, "cannot both write to"},
      {{"--render", "/dev/stdout", "--csv", "-"}, "log", O_WRONLY | O_APPEND, 2, "are one open"},
      {{"--render", "/dev/fd/1", "--csv", "/dev/stdout"}, "log", O_WRONLY, 2, "are one open"},
      {{"--csv", "/dev/stdout"}, "wav", O_WRONLY | O_APPEND, 2, "the file to analyse"},
      {{"--render", "-"}, "wav", O_WRONLY | O_APPEND, 2, "the file to analyse"},
      {{"--render", "/dev/fd/1"}, "wav", O_RDWR, 2, "the file to analyse"},
      {{"--csv", "-"}, "log", O_RDONLY, 1, "not open for writing"},
      {{"--render", "/dev/fd/1000"}, "log", O_WRONLY, 1, "Bad file descriptor"},
  };
  for (const Case& c : cases) {
    std::string command;
    for (const std::string& a : c.args) command += a + " ";
    SCOPED_TRACE(command + c.file);
    writeFile(log, {'H', '\n'});
    const std::string target = c.file == std::string("wav") ? wav : log;
    const int fd = ::open(target.c_str(), c.openMode | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    std::vector<std::string> args = c.args;
    args.push_back(wav);
    const Outcome run = runKorimu(scope, args, fd, 1);
    ::close(fd);
    EXPECT_EQ(run.code, c.code);
    EXPECT_NE(run.errors.find(c.message), std::string::npos) << run.errors;
    EXPECT_EQ(textOf(log), "H\n");
    EXPECT_EQ(readFile(wav), recording);
  }
}

}  // namespace
}  // namespace korimu::testing

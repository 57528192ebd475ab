// Every refusal names its real reason: a source with no samples, a missing or broken libsndfile,
// an output that cannot be written. Each case is the korimu command in a process of its own, with
// the environment the case needs.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "render_test_support.h"
#include "wave/sndfile_writer.h"

namespace korimu::testing {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int code = -1;
  std::string errors;
  std::string output;
};

std::string textOf(const std::string& path) {
  const std::vector<uint8_t> bytes = readFile(path);
  return std::string(bytes.begin(), bytes.end());
}

// Runs korimu with `args`; `libraryFolder` (when not empty) is searched for libraries first.
Outcome runKorimu(const RenderScope& scope, const std::vector<std::string>& args,
                  const std::string& libraryFolder) {
  std::vector<std::string> all{KORIMU_PROGRAM};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string errorsPath = scope.out("errors.txt"), outputPath = scope.out("stdout.txt");
  const int errors = ::open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const int output = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (errors < 0 || output < 0) return {};
  std::string libraryPath = "LD_LIBRARY_PATH=" + libraryFolder;
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(output, STDOUT_FILENO);
    ::dup2(errors, STDERR_FILENO);
    if (!libraryFolder.empty()) ::putenv(libraryPath.data());
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(errors);
  ::close(output);
  Outcome outcome;
  int status = 0;
  if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status))
    outcome.code = WEXITSTATUS(status);
  outcome.errors = textOf(errorsPath);
  outcome.output = textOf(outputPath);
  return outcome;
}

// The file of a shared library this test has loaded that has no libsndfile entry points (libm).
std::string libraryWithoutSndfile() {
  Dl_info info{};
  double (*cubeRoot)(double) = &::cbrt;
  return ::dladdr(reinterpret_cast<void*>(cubeRoot), &info) != 0 && info.dli_fname ? info.dli_fname
                                                                                   : "";
}

enum class Library { kSystem, kNotALibrary, kWithoutEntryPoints };

struct Refusal {
  const char* name;
  Library library;
  // The command's arguments; "{flac}", "{empty}", "{wav}" and "{out}" stand for the case's files.
  std::vector<std::string> args;
  int code;
  std::vector<std::string> said;  // all of these are on stderr
};

void PrintTo(const Refusal& r, std::ostream* out) {
  *out << r.name;
}

class RefusalMessages : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusalMessages, NameTheRealReason) {
  const Refusal& row = GetParam();
  RenderScope scope;
  const std::string flac = scope.out("tone.flac"), empty = scope.out("empty.flac");
  ASSERT_TRUE(
      writeSndfile(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1, multiTone16(22050, 1, 0.5)));
  // A FLAC stream of its header alone (STREAMINFO: 22050 Hz, mono, 16 bits, no total), as an
  // encoder leaves it for an empty input.
  writeFile(empty, {'f', 'L', 'a', 'C', 0x80, 0,    0,    34,   0x10, 0x00, 0x10, 0x00, 0, 0,
                    0,   0,   0,   0,   0x05, 0x62, 0x20, 0xF0, 0,    0,    0,    0,    0, 0,
                    0,   0,   0,   0,   0,    0,    0,    0,    0,    0,    0,    0,    0, 0});
  const std::string wav = scope.file("tone.wav", ToneFile{});
  std::string libraries;
  if (row.library != Library::kSystem) {
    libraries = scope.out("lib");
    fs::create_directory(libraries);
    const fs::path fake = fs::path(libraries) / "libsndfile.so.1";
    if (row.library == Library::kNotALibrary) {
      writeFile(fake, {'n', 'o', 't', ' ', 'E', 'L', 'F', '\n'});
    } else {
      const std::string other = libraryWithoutSndfile();
      ASSERT_FALSE(other.empty());
      fs::copy_file(other, fake);
    }
  }
  std::vector<std::string> args;
  for (std::string a : row.args) {
    if (a == "{flac}") a = flac;
    if (a == "{empty}") a = empty;
    if (a == "{wav}") a = wav;
    if (a == "{out}") a = scope.out("picture.png");
    args.push_back(a);
  }

  const Outcome outcome = runKorimu(scope, args, libraries);
  EXPECT_EQ(outcome.code, row.code) << outcome.errors;
  for (const std::string& words : row.said)
    EXPECT_NE(outcome.errors.find(words), std::string::npos) << outcome.errors;
  EXPECT_EQ(outcome.errors.find("not a WAVE file\n"), std::string::npos) << outcome.errors;
  EXPECT_EQ(outcome.output.find("DECODES"), std::string::npos) << outcome.output;
  EXPECT_FALSE(fs::exists(scope.out("picture.png")));
  // Nothing was decoded for a refusal.
  const fs::path copies = scope.dir.path() / "korimu" / "decoded";
  EXPECT_TRUE(!fs::exists(copies) || fs::is_empty(copies)) << copies;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusalMessages,
    ::testing::Values(
        Refusal{"EmptyFlacChecked",
                Library::kSystem,
                {"--check", "{empty}"},
                1,
                {"no samples decode", "empty.flac"}},
        Refusal{"EmptyFlacRendered",
                Library::kSystem,
                {"--render", "{out}", "{empty}"},
                1,
                {"no samples decode", "empty.flac"}},
        Refusal{"NoLibraryChecked",
                Library::kNotALibrary,
                {"--check", "{flac}"},
                1,
                {"libsndfile", "cannot be loaded"}},
        Refusal{"NoLibraryRendered",
                Library::kNotALibrary,
                {"--render", "{out}", "{flac}"},
                1,
                {"libsndfile", "cannot be loaded"}},
        Refusal{"LibraryWithoutEntryPoints",
                Library::kWithoutEntryPoints,
                {"--render", "{out}", "{flac}"},
                1,
                {"libsndfile", "entry point"}},
        Refusal{"PictureOnAFullDevice",
                Library::kSystem,
                {"--render", "/dev/full", "{wav}"},
                1,
                {"cannot write '/dev/full': No space left on device"}},
        Refusal{"OutputProbedBeforeTheDecode",
                Library::kSystem,
                {"--render", "/nonexistent-folder/x.png", "{flac}"},
                1,
                {"cannot create '/nonexistent-folder/x.png': No such file or directory"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korimu::testing

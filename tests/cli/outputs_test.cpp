// What the command line writes: never over a file it analyses, never through a link planted at an
// output's name, never half a file, one file per file output, nothing at all when the run could
// not happen, and a CSV header that no file name can break.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cli/batch_render.h"
#include "cli/command_line.h"
#include "cli/render.h"
#include "export/csv_export.h"
#include "render_test_support.h"
#include "wave/sndfile_writer.h"

namespace korimu::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::string textOf(const std::string& path) {
  const std::vector<uint8_t> bytes = readFile(path);
  return std::string(bytes.begin(), bytes.end());
}

// Runs a render with stderr captured; returns the exit code.
int renderQuietly(const std::function<int()>& render, std::string* errors = nullptr) {
  ::testing::internal::CaptureStderr();
  const int code = render();
  const std::string text = ::testing::internal::GetCapturedStderr();
  if (errors) *errors = text;
  return code;
}

TEST(Outputs, AnOutputThatIsAnInputIsRefusedAndTheInputKept) {
  RenderScope scope;
  const std::string wav = scope.file("take.wav", ToneFile{});
  const std::vector<uint8_t> recording = readFile(wav);
  fs::create_directory(scope.out("sub"));
  fs::create_hard_link(wav, scope.out("take-too.png"));
  const std::string unrelated = scope.out("x.png");
  // The recording given through a link, and through a link to that link.
  const std::string link = scope.out("take-link.wav"), chain = scope.out("sub/chain.wav");
  fs::create_symlink(wav, link);
  fs::create_symlink("../take-link.wav", chain);
  struct Case {
    std::string png, csv;
    std::string input = {};  // the recording's own name when empty
  };
  const Case cases[] = {
      {wav, ""},                               // --render take.wav take.wav
      {"", wav},                               // --csv take.wav take.wav
      {scope.out("sub/../take.wav"), ""},      // spelled another way
      {scope.out("take-too.png"), ""},         // another name of the same file
      {unrelated, scope.out("./take.wav")},    // the numbers over it beside a picture
      {unrelated, scope.out("sub/../x.png")},  // both outputs one file
      {wav, "", link},                         // the output named as the input link's target
      {"", wav, chain},
      {unrelated, scope.out("take-too.png"), link}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.png + " / " + c.csv + " < " + c.input);
    RenderOptions options;
    if (!c.csv.empty()) options.emplace_back("csv", c.csv);
    const std::string input = c.input.empty() ? wav : c.input;
    std::string errors;
    EXPECT_EQ(renderQuietly([&] { return runRender(c.png, options, input); }, &errors), 2);
    EXPECT_FALSE(errors.empty());
    EXPECT_EQ(readFile(wav), recording);
    EXPECT_FALSE(fs::exists(unrelated));
  }
  // In a batch: the picture of one input would be another input (a WAV with a picture's name).
  fs::create_directory(scope.out("out"));
  const std::string oddlyNamed = scope.file("out/a.png", ToneFile{});
  std::string errors;
  EXPECT_EQ(renderQuietly(
                [&] {
                  return runBatchRender(scope.out("out/"), {}, {wav, oddlyNamed});
                },
                &errors),
            2);
  EXPECT_NE(errors.find("'" + scope.out("out/a.png") + "'"), std::string::npos) << errors;
  EXPECT_EQ(readFile(oddlyNamed), recording);
  EXPECT_EQ(namesIn(scope.out("out")), std::vector<std::string>{"a.png"});
}

TEST(Outputs, ALinkPlantedAtAnOutputIsReplacedNotFollowed) {
  RenderScope scope;
  const std::string wav = scope.file("take.wav", ToneFile{});
  const std::string victim = scope.dir.write("victim.txt", {'m', 'i', 'n', 'e'});
  // Permissions no new file gets: the outputs' modes are the umask's, never the link target's.
  fs::permissions(victim, fs::perms(0751));
  const mode_t umaskNow = ::umask(0);
  ::umask(umaskNow);
  fs::create_directory(scope.out("out"));
  const std::string png = scope.out("out.png"), csv = scope.out("out.csv");
  const std::string batchPng = scope.out("out/take.png");
  for (const std::string& link : {png, csv, batchPng}) fs::create_symlink(victim, link);

  ASSERT_EQ(renderQuietly([&] { return runRender(png, {{"csv", csv}}, wav); }), 0);
  ASSERT_EQ(renderQuietly([&] { return runBatchRender(scope.out("out/"), {}, {wav}); }), 0);
  EXPECT_EQ(textOf(victim), "mine");
  for (const std::string& output : {png, csv, batchPng}) {
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(output))) << output;
    struct stat written {};
    ASSERT_EQ(::lstat(output.c_str(), &written), 0) << output;
    EXPECT_EQ(written.st_mode & 07777, 0666 & ~umaskNow) << output;
  }
  EXPECT_EQ(fs::status(victim).permissions(), fs::perms(0751));
  EXPECT_FALSE(loadPng(png).isNull());
  EXPECT_EQ(readFile(batchPng), readFile(png));
  const auto header = csvHeaderFields(textOf(csv));
  ASSERT_FALSE(header.empty());
  EXPECT_EQ(header.front().second, "complete");
}

// A named pipe or a character device at the output's name is written where it is (a stream has no
// old file to keep); a socket there is neither written nor replaced.
TEST(Outputs, PipesAndDevicesAreWrittenWhereTheyAreAndASocketIsRefused) {
  RenderScope scope;
  const std::string wav = scope.file("take.wav", ToneFile{});
  const std::string pipe = scope.out("pipe.png"), device = scope.out("null");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  // The plot alone fits in the pipe's buffer, so the render need not wait for the reading.
  ASSERT_EQ(renderQuietly([&] { return runRender(pipe, {{"plot-only", ""}}, wav); }), 0);
  std::string png;
  char buffer[4096];
  for (ssize_t n; (n = ::read(reader, buffer, sizeof buffer)) > 0;) png.append(buffer, size_t(n));
  ::close(reader);
  EXPECT_EQ(png.substr(0, 4), "\x89PNG");
  EXPECT_TRUE(fs::is_fifo(fs::symlink_status(pipe)));

  // /dev/null made here (only root can): written, and still the device.
  if (::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0) {
    EXPECT_EQ(renderQuietly([&] { return runRender(device, {}, wav); }), 0);
    EXPECT_TRUE(fs::is_character_file(fs::symlink_status(device)));
  }
  // A socket is neither written nor replaced.
  const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = scope.out("socket");
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  std::string errors;
  EXPECT_EQ(renderQuietly([&] { return runRender(socketPath, {}, wav); }, &errors), 1);
  EXPECT_NE(errors.find("not a regular file"), std::string::npos) << errors;
  EXPECT_TRUE(fs::is_socket(fs::symlink_status(socketPath)));
  ::close(listening);
}

// `korimu --render out/chart.png --csv - take.wav | head -c 10`: the reader goes away while the
// numbers are written, the signal ends the program, and no picture is left.
TEST(Outputs, AReaderThatGoesAwayLeavesNoPicture) {
  RenderScope scope;
  const std::string wav = scope.file("take.wav", ToneFile{});
  fs::create_directory(scope.out("out"));
  const std::string png = scope.out("out/chart.png");
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  // Nobody reads: the read end is gone before the child can write anything.
  ::close(ends[0]);
  std::fflush(stdout);
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(ends[1], STDOUT_FILENO);
    ::signal(SIGPIPE, SIG_DFL);
    ::_exit(renderQuietly([&] { return runRender(png, {{"csv", "-"}}, wav); }));
  }
  ::close(ends[1]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) << status;
  EXPECT_TRUE(namesIn(scope.out("out")).empty());
}

TEST(Outputs, AFullDiskLeavesTheOldFilesWhole) {
  RenderScope scope;
  const std::string wav = scope.file("take.wav", ToneFile{});
  const fs::path disk = scope.out("disk");
  fs::create_directory(disk);
  if (::mount("korimu-test", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "a small disk cannot be mounted here (" << std::strerror(errno)
                 << "), so a full one is not tried";
  struct Unmount {
    const fs::path& disk;
    ~Unmount() { ::umount2(disk.c_str(), MNT_DETACH); }
  } unmount{disk};
  const std::string png = (disk / "chart.png").string(), csv = (disk / "numbers.csv").string();
  writeFile(png, {'o', 'l', 'd'});
  writeFile(csv, {'o', 'l', 'd', ','});
  {
    // The rest of the disk is taken.
    FILE* filler = std::fopen((disk / "filler").c_str(), "wb");
    ASSERT_NE(filler, nullptr);
    const std::vector<char> block(4096, 'x');
    while (std::fwrite(block.data(), 1, block.size(), filler) == block.size()) {
    }
    std::fclose(filler);
  }

  std::string errors;
  EXPECT_EQ(renderQuietly([&] { return runRender(png, {{"view", "chart"}}, wav); }, &errors), 1);
  EXPECT_NE(errors.find("cannot write"), std::string::npos) << errors;
  EXPECT_EQ(renderQuietly([&] { return runRender("", {{"csv", csv}}, wav); }, &errors), 1);
  EXPECT_NE(errors.find("No space left on device"), std::string::npos) << errors;
  EXPECT_EQ(textOf(png), "old");
  EXPECT_EQ(textOf(csv), "old,");
  EXPECT_EQ(namesIn(disk), (std::vector<std::string>{"chart.png", "filler", "numbers.csv"}));
}

TEST(Outputs, SeveralFilesIntoOneFileAreAUsageError) {
  const CommandLine both = parseArguments(
      {"korimu", "--render", "charts", "--csv", "numbers", "a.wav", "b.wav", "c.wav"});
  EXPECT_EQ(both.mode, HeadlessMode::kUsageError);
  EXPECT_NE(both.error.find("'charts' takes one file, not 3"), std::string::npos) << both.error;
  const CommandLine numbers = parseArguments({"korimu", "--csv", "numbers", "a.wav", "b.wav"});
  EXPECT_EQ(numbers.mode, HeadlessMode::kUsageError);
  EXPECT_NE(numbers.error.find("--csv: 'numbers' takes one file, not 2"), std::string::npos)
      << numbers.error;
  EXPECT_EQ(parseArguments({"korimu", "--csv", "numbers", "a.wav"}).mode, HeadlessMode::kRender);
}

// The file is removed after the render opened it and before the run: the render opens its input
// once, so the run still reads it through the handle the render holds, as it reads a decoded copy
// removed from the cache meanwhile through the copy's descriptor.
TEST(Outputs, AFileGoneBeforeTheRunIsStillReadThroughItsHandle) {
  RenderScope scope;
  const std::string wav = scope.file("take.wav", ToneFile{});
  const std::string flac = scope.out("take.flac");
  ASSERT_TRUE(
      writeSndfile(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1, multiTone16(22050, 1, 0.5)));
  struct Remover : RunListener {
    std::function<void()> remove;
    void fileOpened(const WaveOpenResult&) override { remove(); }
  } remover;
  struct Case {
    std::string input;
    std::function<void()> remove;
    bool written;
  };
  const Case cases[] = {
      {wav, [&] { fs::remove(wav); }, true},
      // Every decoded copy, wherever the cache keeps it.
      {flac,
       [&] {
         for (const auto& entry : fs::recursive_directory_iterator(scope.out("korimu")))
           if (entry.is_regular_file()) fs::remove(entry.path());
       },
       true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    remover.remove = c.remove;
    const std::string png = scope.out("chart.png"), csv = scope.out("numbers.csv");
    std::string errors;
    EXPECT_EQ(renderQuietly(
                  [&] {
                    return runRender(png, {{"csv", csv}}, c.input, &remover);
                  },
                  &errors),
              c.written ? 0 : 1);
    EXPECT_EQ(errors.find("ファイルを開けません。") == std::string::npos, c.written) << errors;
    EXPECT_EQ(fs::exists(png), c.written);
    EXPECT_EQ(fs::exists(csv), c.written);
  }
}

TEST(Outputs, AFileNameCannotBreakTheCsvHeader) {
  RenderScope scope;
  const std::string plain = scope.file("take.wav", ToneFile{});
  const std::string plainCsv = scope.out("plain.csv");
  ASSERT_EQ(renderQuietly([&] { return runRender("", {{"csv", plainCsv}}, plain); }), 0);
  const auto lines = [](const std::string& text) {
    std::vector<std::string> all;
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
      end = text.find('\n', start);
      all.push_back(text.substr(start, end - start));
    }
    return all;
  };
  const std::vector<std::string> plainLines = lines(textOf(plainCsv));
  // Line breaks, quotes and backslashes, and the control characters written as \xHH.
  for (const char* name : {"take\n1,\"2\"\\\r3\t.wav", "bell\x07 esc\x1b\x01 del\x7f.wav"}) {
    SCOPED_TRACE(name);
    const std::string odd = scope.file(name, ToneFile{});
    const std::string oddCsv = scope.out("odd.csv");
    ASSERT_EQ(renderQuietly([&] { return runRender("", {{"csv", oddCsv}}, odd); }), 0);

    // The header gives the name back, and the two tables have the same lines after the header.
    const auto header = csvHeaderFields(textOf(oddCsv));
    ASSERT_EQ(header.size(), csvHeaderFields(textOf(plainCsv)).size());
    const auto file = std::find_if(header.begin(), header.end(),
                                   [](const auto& field) { return field.first == "file"; });
    ASSERT_NE(file, header.end());
    EXPECT_EQ(file->second, odd);
    const std::vector<std::string> oddLines = lines(textOf(oddCsv));
    ASSERT_EQ(oddLines.size(), plainLines.size());
    for (size_t i = header.size(); i < oddLines.size(); ++i) EXPECT_EQ(oddLines[i], plainLines[i]);
    // No control character is left in the text but the lines' ends.
    for (const std::string& line : oddLines)
      EXPECT_TRUE(std::none_of(line.begin(), line.end(), [](char c) {
        return (unsigned char)c < 0x20 || c == 0x7F;
      })) << line;
  }
}

}  // namespace
}  // namespace korimu::testing

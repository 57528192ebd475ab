// A render opens its input once: the check of the file, the overview strip, the run and the
// numbers all read the one handle. The opens are counted by the kernel (inotify), whoever makes
// them.
#include <gtest/gtest.h>

#include <sndfile.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/render.h"
#include "render_test_support.h"
#include "wave/sndfile_writer.h"

namespace korimu {
namespace {

namespace fs = std::filesystem;
using testing::RenderScope;
using testing::ToneFile;
using testing::writeSndfile;

// The opens of the watched files so far, by anyone, as the kernel reports them.
class OpenCounter {
 public:
  OpenCounter() : descriptor_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
  ~OpenCounter() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  OpenCounter(const OpenCounter&) = delete;
  OpenCounter& operator=(const OpenCounter&) = delete;

  bool watch(const std::string& path) {
    return descriptor_ >= 0 && ::inotify_add_watch(descriptor_, path.c_str(), IN_OPEN) >= 0;
  }
  // The events are queued before open() returns, so nothing has to be waited for.
  int opens() {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
      const ssize_t got = ::read(descriptor_, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return opens_;
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        if ((event->mask & IN_OPEN) != 0) ++opens_;
        at += ssize_t(sizeof(inotify_event) + event->len);
      }
    }
  }

 private:
  int descriptor_;
  int opens_ = 0;
};

// Takes the count when the render says its file is open, before the run.
struct OpenedCheckpoint : RunListener {
  OpenCounter* counter = nullptr;
  int atOpen = -1;
  void fileOpened(const WaveOpenResult&) override { atOpen = counter->opens(); }
};

int renderQuietly(const std::string& png, const RenderOptions& options, const std::string& input,
                  RunListener* follower) {
  ::testing::internal::CaptureStderr();
  const int code = runRender(png, options, input, follower);
  const std::string errors = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(errors, "");
  return code;
}

TEST(RenderOpensItsInputOnce, InEveryViewAndSpan) {
  RenderScope scope;
  struct Row {
    ToneFile tone;
    RenderOptions options;
  };
  const Row rows[] = {
      {{44100, 2, 16, 1.5}, {{"view", "chart"}, {"span", "whole"}}},
      {{22050, 1, 8, 0.4}, {{"view", "spectrum-log"}, {"method", "dtft"}}},
      {{11025, 2, 8, 0.7}, {{"view", "chart"}, {"method", "mem"}, {"span", "4096"}}},
      {{8000, 1, 16, 0.3}, {{"view", "wave-zoom"}, {"plot-only", ""}}},
      {{22050, 2, 16, 0.5}, {{"view", "level-meter"}, {"csv", "-"}}},
  };
  int n = 0;
  for (const Row& row : rows) {
    const std::string input = scope.file("take" + std::to_string(n++) + ".wav", row.tone);
    SCOPED_TRACE(input);
    OpenCounter counter;
    ASSERT_TRUE(counter.watch(input));
    OpenedCheckpoint checkpoint;
    checkpoint.counter = &counter;
    // A table to standard output would mix with the test's own; it goes to a file.
    RenderOptions options = row.options;
    for (auto& [name, value] : options)
      if (name == "csv") value = scope.out("numbers.csv");
    ASSERT_EQ(renderQuietly(scope.out("out.png"), options, input, &checkpoint), 0);
    EXPECT_EQ(checkpoint.atOpen, 1) << "the render's own open";
    EXPECT_EQ(counter.opens(), 1) << "no open after it: the run reads the same handle";
  }
}

// A file decoded into a copy: once the copy is open, the run opens neither it nor its source.
TEST(RenderOpensItsInputOnce, ADecodedCopyIsOpenedOnceForTheRun) {
  RenderScope scope;
  const std::string flac = scope.out("take.flac");
  std::vector<int16_t> samples(22050);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = int16_t((i * 97) % 20000 - 10000);
  ASSERT_TRUE(writeSndfile(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1, samples));
  // The first render decodes; the second finds the copy in the cache.
  ASSERT_EQ(renderQuietly(scope.out("first.png"), {}, flac, nullptr), 0);
  std::vector<std::string> copies;
  for (const auto& entry : fs::recursive_directory_iterator(scope.out("korimu")))
    if (entry.is_regular_file() && entry.path().extension() == ".wav")
      copies.push_back(entry.path());
  ASSERT_EQ(copies.size(), 1u);

  OpenCounter counter;
  ASSERT_TRUE(counter.watch(flac));
  ASSERT_TRUE(counter.watch(copies.front()));
  OpenedCheckpoint checkpoint;
  checkpoint.counter = &counter;
  ASSERT_EQ(renderQuietly(scope.out("second.png"), {{"view", "chart"}}, flac, &checkpoint), 0);
  ASSERT_GT(checkpoint.atOpen, 0);
  EXPECT_EQ(counter.opens(), checkpoint.atOpen) << "the run opened the file again";
}

}  // namespace
}  // namespace korimu

// The overview drawn from the summary against the overview drawn from every sample, and the
// summary's build on its thread.
#include "wave/overview_summary.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <ostream>
#include <random>
#include <vector>

#include "display/overview.h"
#include "wave/wav_builder.h"
#include "wave/wave_session.h"

namespace korimu {
namespace {

using testing::FormatFields;
using testing::TempDir;

constexpr int kG = 64;

// Noise of a slowly wandering loudness with rare full-scale spikes, so that the extremes of a
// column sit in its whole buckets as often as in its ragged edges.
std::vector<uint8_t> noiseData(size_t bytes, bool sixteenBit, std::mt19937& random) {
  std::vector<uint8_t> data(bytes);
  std::uniform_int_distribution<int> any(0, 65535);
  for (size_t i = 0; i < bytes; ++i) {
    const int loudness = 1 + int((i / 997) % 7);
    int value = any(random) % (sixteenBit ? 4096 * loudness : 16 * loudness);
    if (any(random) % 5000 == 0) value = any(random);
    data[i] = uint8_t(sixteenBit && (i & 1) == 0 ? value : value >> (sixteenBit ? 8 : 0));
  }
  return data;
}

struct OpenFile {
  WaveSession wave;
  std::string path;
};

void open(OpenFile& file, const std::string& path) {
  file.path = path;
  WaveOpenRequest request;
  request.fileName = path;
  ASSERT_TRUE(openWave(file.wave, request, AppSettings{}).opened);
}

std::vector<uint32_t> strip(OpenFile& file, const OverviewSummary* summary, uint32_t position,
                            int framesPerColumn, int zoom) {
  Canvas canvas(kOverviewColumns, kG);
  drawOverviewOfOpenFile(canvas, file.wave.source, summary, position, framesPerColumn, zoom,
                         Messages{});
  return canvas.pixels();
}

TEST(OverviewSummary, DrawsTheStripOfEverySampleAtAnySpanAndPosition) {
  std::mt19937 random(29);
  TempDir folder;
  for (int kind = 0; kind < 4; ++kind) {
    const bool sixteenBit = (kind & 1) != 0;
    const uint16_t channels = (kind & 2) ? 2 : 1;
    const uint32_t frameBytes = channels * (sixteenBit ? 2u : 1u);
    // Bytes after the last whole frame: the data may end inside a sample or a frame.
    for (uint32_t ragged : {0u, 1u, 2u}) {
      const uint32_t frames = 150000 + uint32_t(random() % 5000);
      const auto data = noiseData(frames * frameBytes + ragged, sixteenBit, random);
      FormatFields format;
      format.channels = channels;
      format.bits = sixteenBit ? 16 : 8;
      OpenFile file;
      open(file, folder.write("k" + std::to_string(kind) + std::to_string(ragged) + ".wav",
                              testing::waveFile(format, data)));
      // Small buckets, so that the summary draws spans this small file has, at many alignments.
      OverviewSummaryRequest request = summaryRequestOf(file.wave.source, file.path);
      request.bucketFrames = 4u << ((kind + ragged) % 2);
      const std::atomic<bool> keepGoing{false};
      const auto summary = buildOverviewSummary(request, keepGoing);
      ASSERT_TRUE(summary && summary->describes(file.wave.source));
      // Every bucket pretends to reach the bottom: wherever the summary is used, the strip shows
      // it.
      OverviewSummary falseBottom = *summary;
      std::fill(falseBottom.maximum.begin(), falseBottom.maximum.end(), sixteenBit ? 32767 : 255);

      const int whole = int((frames + 511) / 512);
      const int least = kSummaryColumnBuckets * int(request.bucketFrames);
      for (int span : {1, least - 1, least, least + 1, least + 37, 1000, 4097, whole}) {
        const uint32_t nearEnd = (frames - std::min<uint32_t>(frames, span * 300u)) * frameBytes;
        for (uint32_t position : {0u, uint32_t(random() % frames) * frameBytes, nearEnd,
                                  (frames - 1) * frameBytes, frames * frameBytes}) {
          const int zoom = 1 + int(random() % 2);
          const auto raw = strip(file, nullptr, position, span, zoom);
          EXPECT_EQ(strip(file, summary.get(), position, span, zoom), raw)
              << kind << " " << ragged << " span " << span << " at " << position;
          const bool summarised =
              span >= least && position / frameBytes + uint32_t(span) * 2 < frames;
          // (At zoom 1: zoomed, the loudest noise reaches the bottom anyway.)
          if (summarised) {
            EXPECT_NE(strip(file, &falseBottom, position, span, 1),
                      strip(file, nullptr, position, span, 1))
                << "the summary was not used: span " << span << " at " << position;
          }
        }
      }
      // A position inside a frame is drawn from the samples.
      if (frameBytes > 1) {
        const uint32_t inside = 1000 * frameBytes + 1;
        EXPECT_EQ(strip(file, &falseBottom, inside, 1000, 1),
                  strip(file, nullptr, inside, 1000, 1));
      }
    }
  }
}

TEST(OverviewSummary, BuildsOnItsThreadAndCanBeStopped) {
  TempDir folder;
  FormatFields format;
  std::mt19937 random(7);
  OpenFile file;
  open(file, folder.write("a.wav", testing::waveFile(format, noiseData(4 << 20, true, random))));
  const OverviewSummaryRequest request = summaryRequestOf(file.wave.source, file.path);

  const std::atomic<bool> stopped{true};
  EXPECT_EQ(buildOverviewSummary(request, stopped), nullptr);

  OverviewSummaryBuild build;
  build.start(request);
  build.stop();  // at once: whatever it had is dropped
  EXPECT_EQ(build.ready(), nullptr);
  build.start(request);
  build.wait();
  ASSERT_NE(build.ready(), nullptr);
  EXPECT_TRUE(build.ready()->describes(file.wave.source));
  EXPECT_EQ(build.ready()->minimum.size(), (4u << 20) / (4 * kOverviewBucketFrames));
  build.stop();
  EXPECT_EQ(build.ready(), nullptr);
}

// The window's thread reads no wide span: while a wide span's summary is on its way the strip
// waits blank, reading nothing, and is drawn again when the summary says it is ready; then it is
// the picture of every sample, from the column edges alone. Narrow spans, and a file whose summary
// could not be built, are read as they are.
TEST(OverviewSummary, TheWindowsStripReadsNoWideSpanAndRepaintsWhenTheSummaryIsReady) {
  TempDir folder;
  FormatFields format;  // 16-bit stereo
  std::mt19937 random(11);
  const uint32_t frames = 2100000;  // 4.2 s of a wide span whole, 8 MB
  OpenFile file;
  open(file,
       folder.write("long.wav", testing::waveFile(format, noiseData(frames * 4, true, random))));
  const OverviewSummaryRequest request = summaryRequestOf(file.wave.source, file.path);
  std::mutex mutex;
  std::condition_variable told;
  bool ready = false;
  OverviewSummaryBuild build;
  build.start(request, [&] {
    const std::lock_guard<std::mutex> lock(mutex);
    ready = true;
    told.notify_all();
  });
  const uint32_t edgeBytes = 513 * 2 * kOverviewBucketFrames * 4;
  struct Span {
    int framesPerColumn;
    bool wide;
  };
  for (const Span span : {Span{int((frames + 511) / 512), true}, Span{2048, true},
                          Span{1024, false}, Span{64, false}}) {
    SCOPED_TRACE(::testing::Message() << span.framesPerColumn << " frames a column");
    const auto direct = strip(file, nullptr, 0, span.framesPerColumn, 1);
    // While the summary is being built (told so, whatever the thread has done meanwhile).
    Canvas waiting(kOverviewColumns, kG);
    uint64_t before = file.wave.source.mmio.bytesRead();
    const bool drawn = drawOverviewWithoutWideReads(waiting, file.wave.source, nullptr, true, 0,
                                                    span.framesPerColumn, 1, Messages{});
    const uint64_t read = file.wave.source.mmio.bytesRead() - before;
    EXPECT_EQ(drawn, !span.wide);
    if (span.wide) {
      EXPECT_EQ(read, 0u) << "a wide span was read on the window's thread";
      Canvas blank(kOverviewColumns, kG);
      blank.whiteness(0, 0, kOverviewColumns, kG);
      EXPECT_EQ(waiting.pixels(), blank.pixels());
    } else {
      EXPECT_EQ(waiting.pixels(), direct);
    }
    // A build that failed leaves the samples to be read.
    Canvas failed(kOverviewColumns, kG);
    EXPECT_TRUE(drawOverviewWithoutWideReads(failed, file.wave.source, nullptr, false, 0,
                                             span.framesPerColumn, 1, Messages{}));
    EXPECT_EQ(failed.pixels(), direct);
  }
  {
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(told.wait_for(lock, std::chrono::minutes(1), [&] { return ready; }));
  }
  const auto summary = build.ready();
  ASSERT_NE(summary, nullptr);
  EXPECT_FALSE(build.pending());
  for (const int framesPerColumn : {int((frames + 511) / 512), 2048}) {
    Canvas shown(kOverviewColumns, kG);
    const uint64_t before = file.wave.source.mmio.bytesRead();
    EXPECT_TRUE(drawOverviewWithoutWideReads(shown, file.wave.source, summary.get(), false, 0,
                                             framesPerColumn, 1, Messages{}));
    EXPECT_LE(file.wave.source.mmio.bytesRead() - before, edgeBytes);
    EXPECT_EQ(shown.pixels(), strip(file, nullptr, 0, framesPerColumn, 1));
  }
}

// Writes `bytes` into the file itself, as cp does to an existing file: same file number, new
// samples.
void rewriteInPlace(const std::string& path, const std::vector<uint8_t>& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
  ::close(fd);
}

struct Rewrite {
  const char* name;
  // Changes the file at `path` (whose WAV bytes were `before`; `after` is another recording of
  // the same size).
  void (*change)(const std::string& path, const std::vector<uint8_t>& before,
                 const std::vector<uint8_t>& after);
};
// Printed as its name: ctest's test names carry the parameter, and a name can be run again.
void PrintTo(const Rewrite& c, std::ostream* out) {
  *out << c.name;
}

class StaleSummaries : public ::testing::TestWithParam<Rewrite> {};

// A file changed after it was summarised is never drawn from the old buckets: the strip the open
// file shows is the strip of its samples as they are now, and a summary built from the changed
// file describes it again.
TEST_P(StaleSummaries, AreNotDrawnFrom) {
  TempDir folder;
  std::mt19937 random(11);
  FormatFields format;
  const std::vector<uint8_t> before = testing::waveFile(format, noiseData(1 << 20, true, random));
  const std::vector<uint8_t> after = testing::waveFile(format, noiseData(1 << 20, true, random));
  OpenFile file;
  open(file, folder.write("take.wav", before));
  const OverviewSummaryRequest request = summaryRequestOf(file.wave.source, file.path);
  const std::atomic<bool> keepGoing{false};
  const auto old = buildOverviewSummary(request, keepGoing);
  ASSERT_TRUE(old && old->describes(file.wave.source));

  GetParam().change(file.path, before, after);
  // Seen through the handle open before (a file renamed over it changes its change time too), and
  // opened again as the window does before it draws.
  EXPECT_FALSE(old->describes(file.wave.source));
  open(file, file.path);
  EXPECT_FALSE(old->describes(file.wave.source));
  for (int span : {1024, 2048})
    EXPECT_EQ(strip(file, old.get(), 0, span, 1), strip(file, nullptr, 0, span, 1)) << span;
  // The request of the first open no longer matches the file: nothing is summarised from it.
  EXPECT_EQ(buildOverviewSummary(request, keepGoing), nullptr);
  const auto fresh = buildOverviewSummary(summaryRequestOf(file.wave.source, file.path), keepGoing);
  ASSERT_NE(fresh, nullptr);
  EXPECT_TRUE(fresh->describes(file.wave.source));
}

INSTANTIATE_TEST_SUITE_P(
    Changes, StaleSummaries,
    ::testing::Values(Rewrite{"RewrittenInPlace",
                              [](const std::string& path, const std::vector<uint8_t>&,
                                 const std::vector<uint8_t>& after) {
                                rewriteInPlace(path, after);
                              }},
                      Rewrite{"RewrittenWithItsTimePutBack",
                              [](const std::string& path, const std::vector<uint8_t>&,
                                 const std::vector<uint8_t>& after) {
                                const auto time = std::filesystem::last_write_time(path);
                                rewriteInPlace(path, after);
                                std::filesystem::last_write_time(path, time);
                              }},
                      Rewrite{"CutShort",
                              [](const std::string& path, const std::vector<uint8_t>& before,
                                 const std::vector<uint8_t>&) {
                                std::filesystem::resize_file(path, before.size() / 3);
                              }},
                      Rewrite{"ReplacedByRename",
                              [](const std::string& path, const std::vector<uint8_t>&,
                                 const std::vector<uint8_t>& after) {
                                testing::writeFile(path + ".new", after);
                                std::filesystem::rename(path + ".new", path);
                              }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korimu

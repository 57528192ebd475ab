// A min/max summary of a WAV file's samples for the overview strip: per bucket of a fixed number
// of frames, the smallest and the largest sample of the bucket (all channels together). The strip
// draws a wide span from it plus a few raw reads at its column edges instead of reading the span.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/riff_file.h"

namespace korimu {

struct WaveSource;

// Frames per bucket. 128 builds a 10-minute 44.1 kHz stereo file's summary (0.8 MB) in half the
// time 64 takes, and keeps a column's edge reads at two buckets (1 KB of 16-bit stereo).
inline constexpr uint32_t kOverviewBucketFrames = 128;

// Where a WAV file's samples are: what an open of it found.
struct OverviewSummaryRequest {
  std::string path;
  uint64_t dataOffset = 0;  // file offset of the data chunk's first byte
  uint32_t dataSize = 0;    // as declared; the file may end before
  int32_t sampleKind = 0;   // bit 0: 16-bit samples, bit 1: two channels
  uint32_t bucketFrames = kOverviewBucketFrames;
  // The file as the open found it: a file that has changed since is not summarised.
  FileStamp stamp;
  // Keeps the file `path` names open until the build has ended (a decoded copy's hold).
  std::shared_ptr<const void> keepOpen;
};

struct OverviewSummary {
  int32_t sampleKind = 0;
  uint64_t dataOffset = 0;
  // Bytes of sample data the file holds: the declared size, or less where the file ends before.
  uint64_t dataBytes = 0;
  uint32_t bucketFrames = kOverviewBucketFrames;
  // The file the buckets were read from, as it stood then.
  FileStamp stamp;
  // One entry per whole bucket from the start of the data; 8-bit samples keep their 0-255 values.
  std::vector<int16_t> minimum;
  std::vector<int16_t> maximum;

  int channels() const { return (sampleKind & 2) != 0 ? 2 : 1; }
  int bytesPerSample() const { return (sampleKind & 1) != 0 ? 2 : 1; }
  // Whether it describes the samples of `file` as it is open now: the same file, unchanged since it
  // was summarised.
  bool describes(const WaveSource& file) const;
};

// The request for the data of the open file at `path`; formatTag must be 1.
OverviewSummaryRequest summaryRequestOf(const WaveSource& file, const std::string& path);

// Reads the data through a handle of its own. Null when the file cannot be read, when the
// bucket size is not a power of two, or when `stop` became true meanwhile.
std::unique_ptr<OverviewSummary> buildOverviewSummary(const OverviewSummaryRequest& request,
                                                      const std::atomic<bool>& stop);

// The summary of the open file, built on a thread of its own. The owner starts it when a file
// opens and stops it when another opens or the file is forgotten; stopping (and the destructor)
// waits for the thread.
class OverviewSummaryBuild {
 public:
  OverviewSummaryBuild() = default;
  OverviewSummaryBuild(const OverviewSummaryBuild&) = delete;
  OverviewSummaryBuild& operator=(const OverviewSummaryBuild&) = delete;
  ~OverviewSummaryBuild() { stop(); }

  // `onReady` is called on the build's thread once a summary is ready (not when the build fails
  // or is stopped): its owner hands the news to its own thread.
  void start(const OverviewSummaryRequest& request, std::function<void()> onReady = {});
  // Abandons a build under way and drops the finished summary.
  void stop();
  // The finished summary, or null while it builds (or when it could not be built).
  std::shared_ptr<const OverviewSummary> ready() const;
  // A build has started and not ended yet.
  bool pending() const { return pending_.load(std::memory_order_acquire); }
  // Waits until the build has ended (for tests and the command line).
  void wait();
  // The file the last start was asked to summarise (all zero when none).
  const FileStamp& summarising() const { return summarising_; }

 private:
  std::thread thread_;
  std::atomic<bool> stopRequested_{false};
  std::atomic<bool> pending_{false};
  mutable std::mutex mutex_;
  std::shared_ptr<const OverviewSummary> ready_;
  FileStamp summarising_;
};

}  // namespace korimu

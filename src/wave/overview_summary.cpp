#include "wave/overview_summary.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "platform/riff_file.h"
#include "wave/wave_source.h"

namespace korimu {

namespace {

// Bytes per read: large reads keep the system calls few, and a multiple of every bucket size.
constexpr size_t kReadBytes = size_t(1) << 20;

// The minimum and maximum of each whole bucket of `samples`; a tight loop the compiler
// vectorises.
template <typename Sample>
void summariseBuckets(const Sample* samples, size_t buckets, size_t bucketSamples, int16_t* lowest,
                      int16_t* highest) {
  for (size_t b = 0; b < buckets; ++b) {
    const Sample* bucket = samples + b * bucketSamples;
    Sample low = bucket[0];
    Sample high = bucket[0];
    // Values, not std::min's references: the loop then has no branch to keep it scalar.
    for (size_t i = 0; i < bucketSamples; ++i) {
      const Sample v = bucket[i];
      low = v < low ? v : low;
      high = v > high ? v : high;
    }
    lowest[b] = int16_t(low);
    highest[b] = int16_t(high);
  }
}

uint64_t dataBytesHeld(const WaveSource& file) {
  const uint64_t size = file.mmio.fileSize();
  const uint64_t start = file.dataChunk.dataOffset;
  return start >= size ? 0 : std::min<uint64_t>(file.dataSize, size - start);
}

std::unique_ptr<OverviewSummary> summarise(const OverviewSummaryRequest& request,
                                           const std::atomic<bool>& stop) {
  static_assert(std::endian::native == std::endian::little, "16-bit samples are read in place");
  if (!std::has_single_bit(request.bucketFrames) || request.bucketFrames > kReadBytes / 4)
    return nullptr;
  RiffFile file;
  if (!file.open(request.path) || file.stamp() != request.stamp ||
      !file.seek(std::min(request.dataOffset, file.fileSize())))
    return nullptr;

  auto summary = std::make_unique<OverviewSummary>();
  summary->sampleKind = request.sampleKind;
  summary->dataOffset = request.dataOffset;
  summary->bucketFrames = request.bucketFrames;
  summary->stamp = request.stamp;
  const uint64_t dataBytes = std::min<uint64_t>(request.dataSize, file.fileSize() - file.tell());
  summary->dataBytes = dataBytes;
  const size_t bucketSamples = size_t(request.bucketFrames) * size_t(summary->channels());
  const size_t bucketBytes = bucketSamples * size_t(summary->bytesPerSample());
  const size_t buckets = size_t(dataBytes / bucketBytes);
  summary->minimum.resize(buckets);
  summary->maximum.resize(buckets);

  // int16_t storage keeps the 16-bit samples aligned; 8-bit ones are read as bytes into it.
  std::vector<int16_t> chunk(kReadBytes / 2);
  const bool sixteenBit = summary->bytesPerSample() == 2;
  size_t done = 0;
  while (done < buckets) {
    if (stop.load(std::memory_order_relaxed)) return nullptr;
    const size_t count = std::min(buckets - done, kReadBytes / bucketBytes);
    const uint32_t want = uint32_t(count * bucketBytes);
    auto* bytes = reinterpret_cast<uint8_t*>(chunk.data());
    if (file.read(bytes, want) != want) return nullptr;  // the file shrank meanwhile
    if (sixteenBit)
      summariseBuckets(chunk.data(), count, bucketSamples, &summary->minimum[done],
                       &summary->maximum[done]);
    else
      summariseBuckets(bytes, count, bucketSamples, &summary->minimum[done],
                       &summary->maximum[done]);
    done += count;
  }
  // Rewritten while it was read: the buckets may mix the old samples with the new.
  if (stop.load(std::memory_order_relaxed) || file.stamp() != request.stamp) return nullptr;
  return summary;
}

}  // namespace

bool OverviewSummary::describes(const WaveSource& file) const {
  return file.mmio.isOpen() && file.formatTag == 1 && file.sampleKind == sampleKind &&
         file.dataChunk.dataOffset == dataOffset && dataBytesHeld(file) == dataBytes &&
         file.mmio.stamp() == stamp;
}

OverviewSummaryRequest summaryRequestOf(const WaveSource& file, const std::string& path) {
  OverviewSummaryRequest request;
  request.path = path;
  request.dataOffset = file.dataChunk.dataOffset;
  request.dataSize = file.dataSize;
  request.sampleKind = file.sampleKind;
  request.stamp = file.mmio.stamp();
  return request;
}

std::unique_ptr<OverviewSummary> buildOverviewSummary(const OverviewSummaryRequest& request,
                                                      const std::atomic<bool>& stop) {
  // Without the memory for it the strip is simply drawn from the samples.
  try {
    return summarise(request, stop);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void OverviewSummaryBuild::start(const OverviewSummaryRequest& request,
                                 std::function<void()> onReady) {
  stop();
  stopRequested_ = false;
  summarising_ = request.stamp;
  pending_.store(true, std::memory_order_release);
  thread_ = std::thread([this, request, onReady = std::move(onReady)] {
    std::shared_ptr<const OverviewSummary> built = buildOverviewSummary(request, stopRequested_);
    bool told = false;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (!stopRequested_) {
        told = built != nullptr;
        ready_ = std::move(built);
      }
    }
    pending_.store(false, std::memory_order_release);
    if (told && onReady) onReady();
  });
}

void OverviewSummaryBuild::stop() {
  stopRequested_ = true;
  wait();
  summarising_ = {};
  pending_.store(false, std::memory_order_release);
  const std::lock_guard<std::mutex> lock(mutex_);
  ready_.reset();
}

void OverviewSummaryBuild::wait() {
  if (thread_.joinable()) thread_.join();
}

std::shared_ptr<const OverviewSummary> OverviewSummaryBuild::ready() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return ready_;
}

}  // namespace korimu

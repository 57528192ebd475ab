#include "display/overview.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "platform/message.h"
#include "wave/overview_summary.h"
#include "wave/wave_source.h"

namespace korimu {

namespace {

// Vertical position of a sample value; larger values lie lower in the strip.
struct VerticalScale {
  bool sixteenBit = false;
  int height = 64;  // G
  int zoom = 1;     // z
  int offset = 0;   // e: the centre half fills the strip when zoomed

  int y(int value) const {
    if (sixteenBit) {
      const unsigned divisor = unsigned((65536 / height) / zoom);
      return int(unsigned(value + 32768) / divisor) - offset;
    }
    return (value * height) / (256 / zoom) - offset;
  }
};

int sampleAt(const uint8_t* bytes, size_t index, bool sixteenBit) {
  if (!sixteenBit) return bytes[index];
  const uint16_t raw = uint16_t(bytes[2 * index] | (bytes[2 * index + 1] << 8));
  return int(int16_t(raw));
}

// What one column shows: the trace comes in at its first sample, the envelope spans its extremes
// and the trace leaves from its last sample.
struct ColumnEnvelope {
  int first = 0;
  int last = 0;
  int lowest = 0;
  int highest = 0;
};

// Draws the columns one after the other with the strip's pen; both ways of finding a column's
// envelope draw through it.
class EnvelopePen {
 public:
  EnvelopePen(Canvas& strip, bool sixteenBit, int amplitudeZoom) : strip_(strip) {
    const int height = strip.height();
    scale_.sixteenBit = sixteenBit;
    scale_.height = height;
    scale_.zoom = amplitudeZoom == 2 ? 2 : 1;
    scale_.offset = scale_.zoom == 2 ? height / 2 : 0;
    strip.setPen(kBlack, 1);
    strip.moveTo(-1, sixteenBit ? height / 2 : scale_.y(128));
  }

  void column(int x, const ColumnEnvelope& envelope) {
    strip_.lineTo(x, scale_.y(envelope.first));
    strip_.moveTo(x, scale_.y(envelope.lowest));
    strip_.lineTo(x, scale_.y(envelope.highest) + 1);
    strip_.moveTo(x, scale_.y(envelope.last));
  }

 private:
  Canvas& strip_;
  VerticalScale scale_;
};

// Widens `envelope` by the samples [from, to) of `bytes`, in a loop the compiler vectorises: a
// wide span's strip looks at every sample of the span.
template <typename Sample>
void widenBy(ColumnEnvelope& envelope, const uint8_t* bytes, size_t from, size_t to) {
  static_assert(std::endian::native == std::endian::little, "16-bit samples are read in place");
  auto lowest = Sample(envelope.lowest);
  auto highest = Sample(envelope.highest);
  for (size_t i = from; i < to; ++i) {
    Sample v;
    std::memcpy(&v, bytes + i * sizeof(Sample), sizeof(Sample));
    // Values, not std::min's references: the loop then has no branch to keep it scalar.
    lowest = v < lowest ? v : lowest;
    highest = v > highest ? v : highest;
  }
  envelope.lowest = lowest;
  envelope.highest = highest;
}

void widen(ColumnEnvelope& envelope, const uint8_t* bytes, size_t from, size_t to,
           bool sixteenBit) {
  if (sixteenBit) {
    widenBy<int16_t>(envelope, bytes, from, to);
  } else {
    widenBy<uint8_t>(envelope, bytes, from, to);
  }
}

// Raw samples [first, first + count) of the data: the samples around one column edge.
struct EdgeWindow {
  size_t first = 0;
  std::vector<uint8_t> bytes;
};

bool readSamples(WaveSource& file, size_t first, size_t end, size_t bytesPerSample,
                 EdgeWindow& window) {
  window.first = first;
  window.bytes.resize((end - first) * bytesPerSample);
  // The window lies inside the data the summary covers, so inside the data chunk.
  const auto size = uint32_t(window.bytes.size());
  const uint64_t offset = file.dataChunk.dataOffset + first * bytesPerSample;
  return file.mmio.readAt(offset, window.bytes.data(), size) == size;
}

// The strip from the summary: a column's envelope is that of its whole buckets and of the raw
// samples of the partial buckets at its two edges; its first and last samples are raw too. Each
// edge is read once, in one read of at most two buckets. False when a read came short (the file
// changed since the summary was made).
bool drawFromSummary(Canvas& strip, WaveSource& file, const OverviewSummary& summary,
                     uint32_t position, int framesPerColumn, int amplitudeZoom) {
  const bool sixteenBit = summary.bytesPerSample() == 2;
  const size_t bytesPerSample = size_t(summary.bytesPerSample());
  const size_t bucket = size_t(summary.bucketFrames) * size_t(summary.channels());
  const size_t columnSamples = size_t(framesPerColumn) * size_t(summary.channels());
  const size_t total = size_t(summary.dataBytes / bytesPerSample);
  const auto down = [bucket](size_t sample) { return sample / bucket * bucket; };
  const auto up = [bucket](size_t sample) { return (sample + bucket - 1) / bucket * bucket; };
  // The buckets on both sides of an edge (one when the edge is inside a bucket).
  const auto readEdge = [&](size_t edge, EdgeWindow& window) {
    const size_t from = edge == 0 ? 0 : down(edge - 1);
    return readSamples(file, from, std::min(total, up(edge + 1)), bytesPerSample, window);
  };

  strip.whiteness(0, 0, strip.width(), strip.height());
  size_t start = position / bytesPerSample;
  if (start >= total) return true;
  EnvelopePen pen(strip, sixteenBit, amplitudeZoom);
  EdgeWindow head, tail;
  if (!readEdge(start, head)) return false;
  for (int column = 0; column < kOverviewColumns && start < total; ++column) {
    const size_t end = std::min(total, start + columnSamples);
    if (!readEdge(end, tail)) return false;
    ColumnEnvelope envelope;
    envelope.first = sampleAt(head.bytes.data(), start - head.first, sixteenBit);
    envelope.last = sampleAt(tail.bytes.data(), end - 1 - tail.first, sixteenBit);
    envelope.lowest = envelope.highest = envelope.first;
    const size_t wholeFrom = up(start);
    const size_t wholeTo = down(end);
    if (wholeFrom <= wholeTo) {
      widen(envelope, head.bytes.data(), start - head.first, wholeFrom - head.first, sixteenBit);
      int lowest = envelope.lowest;
      int highest = envelope.highest;
      for (size_t b = wholeFrom / bucket; b < wholeTo / bucket; ++b) {
        lowest = std::min(lowest, int(summary.minimum[b]));
        highest = std::max(highest, int(summary.maximum[b]));
      }
      envelope.lowest = lowest;
      envelope.highest = highest;
      widen(envelope, tail.bytes.data(), wholeTo - tail.first, end - tail.first, sixteenBit);
    } else {
      // The column lies inside one bucket, all of it in the head's window.
      widen(envelope, head.bytes.data(), start - head.first, end - head.first, sixteenBit);
    }
    pen.column(column, envelope);
    if (end - start < columnSamples) break;
    start = end;
    std::swap(head, tail);
  }
  return true;
}

}  // namespace

bool drawOverview(Canvas& strip, const OverviewSource& source, int framesPerColumn,
                  int amplitudeZoom, const Messages& messages) {
  const int height = strip.height();
  strip.whiteness(0, 0, strip.width(), height);
  if (source.formatTag != 1 || !source.read || height <= 0) return true;

  const bool sixteenBit = (source.sampleKind & 1) != 0;
  const size_t channels = (source.sampleKind & 2) != 0 ? 2 : 1;
  const size_t bytesPerSample = sixteenBit ? 2 : 1;
  const size_t samplesPerColumn = channels * size_t(std::max(framesPerColumn, 1));
  const size_t columnBytes = samplesPerColumn * bytesPerSample;

  std::vector<uint8_t> work;
  try {
    work.resize(columnBytes);
  } catch (const std::bad_alloc&) {
    messages.show("dispwave", MessageKind::kFatal);
    return false;
  }

  EnvelopePen pen(strip, sixteenBit, amplitudeZoom);
  uint64_t left = source.dataBytesLeft;
  for (int column = 0; column < kOverviewColumns; ++column) {
    const size_t asked = size_t(std::min<uint64_t>(columnBytes, left));
    const size_t got = asked == 0 ? 0 : source.read(work.data(), asked);
    if (got == 0) break;
    left -= std::min<uint64_t>(got, left);
    const size_t count = got / bytesPerSample;
    if (count == 0) break;

    ColumnEnvelope envelope;
    envelope.first = sampleAt(work.data(), 0, sixteenBit);
    envelope.last = sampleAt(work.data(), count - 1, sixteenBit);
    envelope.lowest = envelope.highest = envelope.first;
    widen(envelope, work.data(), 1, count, sixteenBit);
    pen.column(column, envelope);
    if (got < columnBytes) break;
  }
  return true;
}

void drawOverviewOfOpenFile(Canvas& strip, WaveSource& file, uint32_t position, int framesPerColumn,
                            int amplitudeZoom, const Messages& messages) {
  if (!file.mmio.isOpen()) return;
  OverviewSource source;
  source.formatTag = file.formatTag;
  source.sampleKind = file.sampleKind;
  if (file.formatTag == 1 && seekData(file, position)) {
    source.dataBytesLeft = file.dataSize - std::min(position, file.dataSize);
    source.read = [&file](uint8_t* buffer, size_t n) {
      return static_cast<size_t>(
          readData(file, buffer, static_cast<uint32_t>(std::min<size_t>(n, UINT32_MAX))));
    };
  }
  drawOverview(strip, source, framesPerColumn, amplitudeZoom, messages);
  seekData(file, position);
}

void drawOverviewOfOpenFile(Canvas& strip, WaveSource& file, const OverviewSummary* summary,
                            uint32_t position, int framesPerColumn, int amplitudeZoom,
                            const Messages& messages) {
  // A position inside a frame would put the buckets' frame edges inside the columns' frames.
  const bool usable = summary != nullptr && strip.height() > 0 && summary->describes(file) &&
                      overviewDrawnFromSummary(framesPerColumn, summary->bucketFrames) &&
                      position % uint32_t(summary->channels() * summary->bytesPerSample()) == 0;
  if (usable && drawFromSummary(strip, file, *summary, position, framesPerColumn, amplitudeZoom)) {
    seekData(file, position);
    return;
  }
  drawOverviewOfOpenFile(strip, file, position, framesPerColumn, amplitudeZoom, messages);
}

bool overviewDrawnFromSummary(int64_t framesPerColumn, uint32_t bucketFrames) {
  return framesPerColumn >= kSummaryColumnBuckets * int64_t(bucketFrames);
}

bool drawOverviewWithoutWideReads(Canvas& strip, WaveSource& file, const OverviewSummary* summary,
                                  bool summaryPending, uint32_t position, int framesPerColumn,
                                  int amplitudeZoom, const Messages& messages) {
  if (summary == nullptr && summaryPending &&
      overviewDrawnFromSummary(framesPerColumn, kOverviewBucketFrames)) {
    strip.whiteness(0, 0, strip.width(), strip.height());
    return false;
  }
  drawOverviewOfOpenFile(strip, file, summary, position, framesPerColumn, amplitudeZoom, messages);
  return true;
}

}  // namespace korimu

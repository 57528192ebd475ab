#include "display/overview.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "platform/message.h"
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

  VerticalScale scale;
  scale.sixteenBit = sixteenBit;
  scale.height = height;
  scale.zoom = amplitudeZoom == 2 ? 2 : 1;
  scale.offset = scale.zoom == 2 ? height / 2 : 0;

  strip.setPen(kBlack, 1);
  strip.moveTo(-1, sixteenBit ? height / 2 : scale.y(128));

  uint64_t left = source.dataBytesLeft;
  for (int column = 0; column < kOverviewColumns; ++column) {
    const size_t asked = size_t(std::min<uint64_t>(columnBytes, left));
    const size_t got = asked == 0 ? 0 : source.read(work.data(), asked);
    if (got == 0) break;
    left -= std::min<uint64_t>(got, left);
    const size_t count = got / bytesPerSample;
    if (count == 0) break;

    int lowest = sampleAt(work.data(), 0, sixteenBit);
    int highest = lowest;
    for (size_t i = 1; i < count; ++i) {
      const int v = sampleAt(work.data(), i, sixteenBit);
      lowest = std::min(lowest, v);
      highest = std::max(highest, v);
    }
    strip.lineTo(column, scale.y(sampleAt(work.data(), 0, sixteenBit)));
    strip.moveTo(column, scale.y(lowest));
    strip.lineTo(column, scale.y(highest) + 1);
    strip.moveTo(column, scale.y(sampleAt(work.data(), count - 1, sixteenBit)));
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

}  // namespace korimu

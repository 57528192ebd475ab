// The whole span's strip (what `--render --span whole` draws above the chart) against a strip
// drawn the plain way, one sample at a time: the same pixels for every sample kind, length,
// position, height and zoom.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/span.h"
#include "display/overview.h"
#include "wave/wav_builder.h"
#include "wave/wave_session.h"

namespace korimu {
namespace {

// The strip as its description reads: column i reads its c x F samples (stopping at the data's
// end), draws the trace from the pen to its first sample, its envelope from the smallest to one
// past the largest, and moves the pen to its last sample.
Canvas plainStrip(const std::vector<uint8_t>& data, int sampleKind, uint32_t position,
                  int framesPerColumn, int zoom, int height) {
  const bool sixteenBit = (sampleKind & 1) != 0;
  const size_t bytesPerSample = sixteenBit ? 2 : 1;
  const size_t columnSamples = size_t(framesPerColumn) * ((sampleKind & 2) != 0 ? 2 : 1);
  const int offset = zoom == 2 ? height / 2 : 0;
  const auto y = [&](int v) {
    if (sixteenBit) return int(unsigned(v + 32768) / unsigned((65536 / height) / zoom)) - offset;
    return (v * height) / (256 / zoom) - offset;
  };
  const auto sample = [&](size_t byte) {
    return sixteenBit ? int(int16_t(uint16_t(data[byte] | data[byte + 1] << 8))) : int(data[byte]);
  };
  Canvas strip(kOverviewColumns, height);
  strip.whiteness(0, 0, kOverviewColumns, height);
  strip.setPen(kBlack, 1);
  strip.moveTo(-1, sixteenBit ? height / 2 : y(128));
  size_t at = position;
  for (int column = 0; column < kOverviewColumns; ++column) {
    const size_t wanted = columnSamples * bytesPerSample;
    const size_t got = std::min(wanted, data.size() - std::min(at, data.size()));
    const size_t count = got / bytesPerSample;
    if (count == 0) break;
    int lowest = sample(at), highest = lowest;
    for (size_t i = 0; i < count; ++i) {
      lowest = std::min(lowest, sample(at + i * bytesPerSample));
      highest = std::max(highest, sample(at + i * bytesPerSample));
    }
    strip.lineTo(column, y(sample(at)));
    strip.moveTo(column, y(lowest));
    strip.lineTo(column, y(highest) + 1);
    strip.moveTo(column, y(sample(at + (count - 1) * bytesPerSample)));
    if (got < wanted) break;
    at += got;
  }
  return strip;
}

TEST(WholeSpanStrip, IsThePlainStripOfEverySample) {
  std::mt19937 random(41);
  testing::TempDir folder;
  struct Row {
    int sampleKind;  // bit 0: 16-bit, bit 1: stereo
    uint32_t rate;
    uint32_t frames;
    uint32_t ragged;  // bytes after the last whole frame
  };
  const Row rows[] = {
      {0, 8000, 40000, 0}, {1, 22050, 123457, 1}, {2, 11025, 51201, 1}, {3, 44100, 262147, 3},
      {3, 48000, 513, 2},  {1, 44100, 511, 0},    {0, 22050, 1025, 0},  {2, 8000, 99999, 0},
  };
  for (const Row& row : rows) {
    const bool sixteenBit = (row.sampleKind & 1) != 0;
    const uint16_t channels = (row.sampleKind & 2) != 0 ? 2 : 1;
    const uint32_t frameBytes = channels * (sixteenBit ? 2u : 1u);
    // Noise whose loudness wanders, with a rare spike to full scale either way.
    std::vector<uint8_t> data(size_t(row.frames) * frameBytes + row.ragged);
    for (size_t i = 0; i < data.size(); ++i) {
      const int loudness = 1 + int((i / 4099) % 8);
      data[i] = uint8_t(random() % (32 * loudness));
      if (random() % 20000 == 0) data[i] = random() % 2 ? 0xFF : 0x00;
      if (sixteenBit && (i & 1) != 0 && random() % 2) data[i] = uint8_t(~data[i]);
    }
    testing::FormatFields format;
    format.channels = channels;
    format.bits = sixteenBit ? 16 : 8;
    format.rate = row.rate;
    const std::string path = folder.write(
        "k" + std::to_string(row.sampleKind) + "-" + std::to_string(row.frames) + ".wav",
        testing::waveFile(format, data));
    WaveSession wave;
    WaveOpenRequest request;
    request.fileName = path;
    ASSERT_TRUE(openWave(wave, request, AppSettings{}).opened) << path;
    // The data the reader gives: whole frames only.
    const uint32_t dataSize = wave.source.dataSize;
    const std::vector<uint8_t> held(data.begin(), data.begin() + dataSize);
    const uint32_t lastFrame = (row.frames - 1) * frameBytes;
    const uint32_t lastSeventh = (row.frames - row.frames / 7) * frameBytes;
    for (const uint32_t position :
         {0u, uint32_t(random() % row.frames) * frameBytes, lastSeventh, lastFrame}) {
      const int span = wholeSpanFramesPerColumn(dataSize, frameBytes, position);
      for (const int height : {64, 72}) {
        for (const int zoom : {1, 2}) {
          SCOPED_TRACE(path + " at " + std::to_string(position) + ", span " + std::to_string(span) +
                       ", height " + std::to_string(height) + ", zoom " + std::to_string(zoom));
          Canvas strip(kOverviewColumns, height);
          drawOverviewOfOpenFile(strip, wave.source, position, span, zoom, Messages{});
          EXPECT_EQ(
              strip.pixels(),
              plainStrip(held, wave.source.sampleKind, position, span, zoom, height).pixels());
        }
      }
    }
  }
}

}  // namespace
}  // namespace korimu

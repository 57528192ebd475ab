// The WAV reader and the sample buffers on any file: whatever the header says, the reader either
// refuses it with a message or describes data that is really there in whole frames, the playback
// buffers never exceed that data, every byte of it can be read through them, and no analysis
// block is sized beyond what its analyser takes.
#include <algorithm>
#include <cstdint>

#include "core/settings.h"
#include "fuzz_support.h"
#include "run/run_driver.h"
#include "wave/wave_session.h"

using namespace korimu;

namespace {

// The byte `back` places from the end, or 0 for a short input (the input is the file, and its
// last bytes also choose the settings).
uint8_t fromEnd(const uint8_t* data, size_t size, size_t back) {
  return size > back ? data[size - 1 - back] : 0;
}

void checkPlaybackBuffers(WaveSession& wave, const AppSettings& settings, uint32_t position,
                          bool partial) {
  WaveSource& w = wave.source;
  sizeBuffers(wave, settings, partial);
  const uint32_t bufferBytes = wave.bufferBytes;
  fuzz::check(bufferBytes % w.blockAlign == 0, "buffer of whole frames");
  fuzz::check(bufferBytes >= w.blockAlign, "buffer of at least one frame");
  // Within the data after the position, raised to whole frames (a position may split a frame).
  const uint64_t room = (uint64_t{w.bytesLeft} + w.blockAlign - 1) / w.blockAlign * w.blockAlign;
  fuzz::check(bufferBytes <= std::max<uint64_t>(room, w.blockAlign), "buffer within the data");
  fuzz::check(allocSampleBuffers(wave), "buffers allocated");
  seekData(w, position);
  uint64_t total = 0;
  for (uint32_t n; (n = readData(w, wave.sampleBuffer[0].data(), bufferBytes)) > 0;) total += n;
  fuzz::check(total == w.bytesLeft, "every byte after the position is read, and no more");
  freeSampleBuffers(wave);
}

void checkAnalysisBlocks(const WaveSource& w) {
  for (int32_t method = kFft; method <= kDtft; ++method) {
    for (const int32_t view : {int32_t(kSpectrumLinear), int32_t(kTimeFrequencyChart)}) {
      for (const int resolution : {32, 1024, 32768}) {
        const uint32_t bytes =
            computeBlockBytes(method, view, w.bytesPerSecond, w.srKHz, w.blockAlign, resolution, 1);
        fuzz::check(bytes % w.blockAlign == 0 && bytes > 0, "block of whole frames");
        if (method == kWt) fuzz::check(bytes / w.blockAlign <= 65536, "wavelet block fits");
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint8_t choice = fromEnd(data, size, 0);
  AppSettings settings;
  settings.onMem = choice & 1;
  settings.memSize = 2 + (choice >> 1 & 3);
  settings.playBufferSeconds = 256 << (choice >> 3 & 7);
  settings.framesPerColumn = 1 << (fromEnd(data, size, 1) % 11);
  const uint32_t position = uint32_t(fromEnd(data, size, 2)) << (choice >> 6) * 4;

  WaveSession wave;
  wave.messages = fuzz::quietMessages();
  if (openWave(wave, {fuzz::writeInput(data, size), position, false}, settings).opened) {
    const WaveSource& w = wave.source;
    fuzz::check(w.blockAlign > 0 && w.dataSize % w.blockAlign == 0, "data of whole frames");
    fuzz::check(w.dataChunk.dataOffset + w.dataSize <= w.mmio.fileSize(), "data in the file");
    fuzz::check(w.srKHz >= 1 && w.srKHz <= int32_t(kHighestSampleRate / 1000), "rate in range");
    checkPlaybackBuffers(wave, settings, position, false);
    checkPlaybackBuffers(wave, settings, position, true);

    checkAnalysisBlocks(w);
  }
  closeWave(wave, true);
  releaseFormatCopy(wave.source);
  return 0;
}

#include "app/wave_link.h"

#include <algorithm>

#include "wave/wave_source.h"

namespace korimu {

WaveFacts waveFacts() {
  const WaveSource& w = waveSource;
  return WaveFacts{w.formatTag,      w.sampleKind, w.srKHz,   w.bitsPerSample,
                   w.bytesPerSecond, w.blockAlign, w.dataSize};
}

bool openWaveFile() {
  return openWave();
}

void closeWaveFile() {
  closeWave();
}

bool waveHandleOpen() {
  return waveSource.mmio.isOpen();
}

bool seekWaveData(uint32_t offset) {
  return waveSource.mmio.isOpen() && seekData(offset);
}

size_t readWaveData(uint8_t* buffer, size_t length) {
  const auto n = uint32_t(std::min<size_t>(length, UINT32_MAX));
  return readData(buffer, n);
}

}  // namespace korimu

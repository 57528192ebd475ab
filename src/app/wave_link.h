// The shell's view of the open WAV file: the few facts and operations the main window needs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korimu {

struct WaveFacts {
  int32_t formatTag = 0;
  int32_t sampleKind = 0;  // bit 0: 16-bit samples, bit 1: two channels
  int32_t srKHz = 0;
  int32_t bitsPerSample = 0;
  uint32_t bytesPerSecond = 0;
  uint32_t blockAlign = 0;
  uint32_t dataSize = 0;
};

WaveFacts waveFacts();

// Validates the file named in appState.fileName and seeks to `position` (messages on failure).
bool openWaveFile();
void closeWaveFile();
// A file handle is open (after any open attempt, successful or not, until closeWaveFile).
bool waveHandleOpen();

// Seeks to the data offset + offset; false when no handle is open.
bool seekWaveData(uint32_t offset);
// Reads up to `length` bytes at the current file position, never past the data chunk. Returns the
// bytes read, 0 at the end or on an error.
size_t readWaveData(uint8_t* buffer, size_t length);

}  // namespace korimu

// The sizing and allocation of the two sample-buffer slots that playback and the analysis run
// share (they live in the WaveSession), and the instance record that travels with a playback's
// first buffer.
#pragma once

#include <cstdint>

#include "core/settings.h"

namespace korimu {

struct WaveSession;

// Sets bufferBytes and the start of markerFrames from the open file's format and the settings.
// A buffer never holds more than the data left after the position (and at least one frame).
void sizeBuffers(WaveSession& wave, const AppSettings& settings, bool partial);

// Allocates readMode buffers of bufferBytes bytes; false after an out-of-memory message.
bool allocSampleBuffers(WaveSession& wave);
// Releases the playback's sample buffers.
void freeSampleBuffers(WaveSession& wave);

// Allocates one slot of `bytes` bytes without any message (the analysis run reports its own);
// false when the memory is not there.
bool allocSlot(WaveSession& wave, int slot, uint64_t bytes);
void freeSlot(WaveSession& wave, int slot);

// What the end of a playback needs to release: the record itself, the first wave-header block
// and sample buffer 0.
struct InstanceBlock {
  const InstanceBlock* self = nullptr;
  const void* headerBlock = nullptr;
  const uint8_t* firstBuffer = nullptr;
};

// The instance record for a playback whose buffers are allocated; nullptr after freeing the
// sample buffers and showing the message.
InstanceBlock* makeInstanceBlock(WaveSession& wave, const void* headerBlock);
// Frees the playback's sample buffers, then the record.
void releaseInstance(WaveSession& wave, InstanceBlock* instance);

}  // namespace korimu

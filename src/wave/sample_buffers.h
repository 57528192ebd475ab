// The two sample-buffer slots that playback and the analysis run share, the playback buffer
// sizing, and the instance record that travels with a playback's first buffer.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace korimu {

// Slot 0 and slot 1. A slot's memory stays where it is from allocation to release.
extern std::array<std::vector<uint8_t>, 2> sampleBuffer;

// Size of each playback sample buffer in bytes (a multiple of blockAlign).
extern uint32_t bufferBytes;
// Frames from the end of the first playback buffer to the overview's right edge.
extern int32_t markerFrames;
// Whether the playback being prepared plays only the overview span (set by the playback engine
// before it sizes the buffers).
extern bool playbackPartial;

// Sets bufferBytes and the start of markerFrames from the open file's format and the settings.
// A buffer never holds more than the data left after the position (and at least one frame).
void sizeBuffers(bool partial);

// Allocates readMode buffers of bufferBytes bytes; false after an out-of-memory message.
bool allocSampleBuffers();
// Releases the playback's sample buffers.
void freeSampleBuffers();

// Allocates one slot of `bytes` bytes without any message (the analysis run reports its own);
// false when the memory is not there.
bool allocSlot(int slot, uint64_t bytes);
void freeSlot(int slot);

// What the end of a playback needs to release: the record itself, the first wave-header block
// and sample buffer 0.
struct InstanceBlock {
  const InstanceBlock* self = nullptr;
  const void* headerBlock = nullptr;
  const uint8_t* firstBuffer = nullptr;
};

// The instance record for a playback whose buffers are allocated; nullptr after freeing the
// sample buffers and showing the message.
InstanceBlock* makeInstanceBlock(const void* headerBlock);
// Frees the playback's sample buffers, then the record.
void releaseInstance(InstanceBlock* instance);

// The slots together may hold at most this many bytes; more counts as unavailable memory (0: no
// limit). Lets the out-of-memory paths be exercised; returns the previous limit.
uint64_t setSampleMemoryLimit(uint64_t bytes);

}  // namespace korimu

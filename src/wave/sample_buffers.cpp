#include "wave/sample_buffers.h"

#include <algorithm>
#include <limits>
#include <new>
#include <utility>

#include "core/sample_rate.h"
#include "core/settings.h"
#include "core/shell_hooks.h"
#include "platform/message.h"
#include "wave/wave_source.h"

namespace korimu {

std::array<std::vector<uint8_t>, 2> sampleBuffer;
uint32_t bufferBytes = 0;
int32_t markerFrames = 0;
bool playbackPartial = false;

namespace {

uint64_t memoryLimit = 0;

constexpr uint64_t kMiB = uint64_t(1) << 20;
constexpr uint64_t kMaxBuffer = std::numeric_limits<uint32_t>::max();

}  // namespace

void sizeBuffers(bool partial) {
  const WaveSource& w = waveSource;
  const uint32_t v = w.bytesPerSecond;
  const int32_t pb = settings.playBufferSeconds;
  const int64_t f = settings.framesPerColumn;
  const uint64_t memLimit = uint64_t(std::max(settings.memSize, 0)) * kMiB;

  uint64_t bytes = 0;
  if (w.readMode != 1) {
    bytes = bytesOfBaseSteps(v, uint64_t(std::max(pb, 0)));
  } else if (partial) {
    const uint64_t span = uint64_t(std::max<int64_t>(f, 0)) * 512 * w.blockAlign;
    bytes = span < memLimit ? span : memLimit;
    if (w.dataSize < bytes) bytes = w.dataSize;
    if (bytes > 0x8000) bytes -= 4;
  } else {
    bytes = w.dataSize < memLimit ? w.dataSize : memLimit - std::min<uint64_t>(memLimit, 4);
  }
  // A playback never plays more than the data after the position, so a buffer needs no more
  // room than that: a header that claims gigabytes per second must not take gigabytes.
  bytes = std::min<uint64_t>(bytes, w.bytesLeft);
  const uint64_t align = w.blockAlign;
  if (align > 0) {
    if (bytes % align != 0) bytes += align - bytes % align;
    // An empty buffer would never move a playback forward.
    if (bytes == 0) bytes = align;
    if (bytes > kMaxBuffer) bytes = kMaxBuffer - kMaxBuffer % align;
  }
  bufferBytes = uint32_t(std::min(bytes, kMaxBuffer));

  int64_t marker = 512 * f;
  if (align == 0) {
    // nothing to subtract: no frame size
  } else if (v % SampleRate::kCdBaseHz == 0) {
    marker -= int64_t(bytesOfBaseSteps(v, uint64_t(std::max(pb, 0))) / align);
  } else {
    marker = int64_t(std::max(
        double(marker) - double(v) / SampleRate::kOtherBaseHz * pb / double(align), -1e18));
  }
  markerFrames = int32_t(std::clamp<int64_t>(marker, std::numeric_limits<int32_t>::min(),
                                             std::numeric_limits<int32_t>::max()));
}

bool allocSlot(int slot, uint64_t bytes) {
  if (slot < 0 || slot > 1) return false;
  freeSlot(slot);
  const uint64_t held = sampleBuffer[size_t(1 - slot)].size();
  if (memoryLimit != 0 && bytes + held > memoryLimit) return false;
  try {
    sampleBuffer[size_t(slot)].assign(size_t(bytes), 0);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

void freeSlot(int slot) {
  if (slot < 0 || slot > 1) return;
  std::vector<uint8_t>().swap(sampleBuffer[size_t(slot)]);
}

bool allocSampleBuffers() {
  const bool single = waveSource.readMode == 1;
  if (single) callHook(shellHooks.showHourglass, true);
  const int count = std::clamp(waveSource.readMode, 1, 2);
  bool ok = true;
  for (int i = 0; i < count && ok; ++i) {
    if (!allocSlot(i, bufferBytes)) {
      if (i > 0) freeSlot(0);
      showMessage("メモリ不足です。", MessageKind::kExclamation);
      ok = false;
    }
  }
  if (single) callHook(shellHooks.showHourglass, false);
  return ok;
}

void freeSampleBuffers() {
  const int count = std::clamp(waveSource.readMode, 1, 2);
  for (int i = 0; i < count; ++i) freeSlot(i);
}

InstanceBlock* makeInstanceBlock(const void* headerBlock) {
  InstanceBlock* block = nullptr;
  if (memoryLimit == 0 || memoryLimit >= 32) block = new (std::nothrow) InstanceBlock;
  if (!block) {
    freeSampleBuffers();
    showMessage("インスタンス データのためのメモリが足りません。", MessageKind::kExclamation);
    return nullptr;
  }
  block->self = block;
  block->headerBlock = headerBlock;
  block->firstBuffer = sampleBuffer[0].data();
  return block;
}

void releaseInstance(InstanceBlock* instance) {
  freeSampleBuffers();
  delete instance;
}

uint64_t setSampleMemoryLimit(uint64_t bytes) {
  return std::exchange(memoryLimit, bytes);
}

}  // namespace korimu

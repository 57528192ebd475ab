#include "wave/sample_buffers.h"

#include <algorithm>
#include <limits>
#include <new>

#include "core/sample_rate.h"
#include "core/translatable.h"
#include "platform/message.h"
#include "wave/wave_session.h"

namespace korimu {

namespace {

constexpr uint64_t kMiB = uint64_t(1) << 20;
constexpr uint64_t kMaxBuffer = std::numeric_limits<uint32_t>::max();

}  // namespace

void sizeBuffers(WaveSession& wave, const AppSettings& settings, bool partial) {
  const WaveSource& w = wave.source;
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
  wave.bufferBytes = uint32_t(std::min(bytes, kMaxBuffer));

  int64_t marker = 512 * f;
  if (align == 0) {
    // nothing to subtract: no frame size
  } else if (v % SampleRate::kCdBaseHz == 0) {
    marker -= int64_t(bytesOfBaseSteps(v, uint64_t(std::max(pb, 0))) / align);
  } else {
    marker = int64_t(std::max(
        double(marker) - double(v) / SampleRate::kOtherBaseHz * pb / double(align), -1e18));
  }
  wave.markerFrames = int32_t(std::clamp<int64_t>(marker, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

bool allocSlot(WaveSession& wave, int slot, uint64_t bytes) {
  if (slot < 0 || slot > 1) return false;
  freeSlot(wave, slot);
  const uint64_t held = wave.sampleBuffer[size_t(1 - slot)].size();
  const uint64_t limit = wave.sampleMemoryLimit;
  if (limit != 0 && bytes + held > limit) return false;
  try {
    wave.sampleBuffer[size_t(slot)].assign(size_t(bytes), 0);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

void freeSlot(WaveSession& wave, int slot) {
  if (slot < 0 || slot > 1) return;
  std::vector<uint8_t>().swap(wave.sampleBuffer[size_t(slot)]);
}

bool allocSampleBuffers(WaveSession& wave) {
  const int count = std::clamp(wave.source.readMode, 1, 2);
  for (int i = 0; i < count; ++i) {
    if (!allocSlot(wave, i, wave.bufferBytes)) {
      if (i > 0) freeSlot(wave, 0);
      wave.messages.show(QT_TRANSLATE_NOOP("Message", "メモリ不足です。"),
                         MessageKind::kExclamation);
      return false;
    }
  }
  return true;
}

void freeSampleBuffers(WaveSession& wave) {
  const int count = std::clamp(wave.source.readMode, 1, 2);
  for (int i = 0; i < count; ++i) freeSlot(wave, i);
}

InstanceBlock* makeInstanceBlock(WaveSession& wave, const void* headerBlock) {
  InstanceBlock* block = nullptr;
  const uint64_t limit = wave.sampleMemoryLimit;
  if (limit == 0 || limit >= 32) block = new (std::nothrow) InstanceBlock;
  if (!block) {
    freeSampleBuffers(wave);
    wave.messages.show(
        QT_TRANSLATE_NOOP("Message", "インスタンス データのためのメモリが足りません。"),
        MessageKind::kExclamation);
    return nullptr;
  }
  block->self = block;
  block->headerBlock = headerBlock;
  block->firstBuffer = wave.sampleBuffer[0].data();
  return block;
}

void releaseInstance(WaveSession& wave, InstanceBlock* instance) {
  freeSampleBuffers(wave);
  delete instance;
}

}  // namespace korimu

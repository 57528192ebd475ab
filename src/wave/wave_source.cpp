#include "wave/wave_source.h"

#include <algorithm>
#include <filesystem>
#include <new>

#include "core/app_state.h"
#include "core/settings.h"
#include "core/shell_hooks.h"
#include "platform/message.h"
#include "wave/sample_buffers.h"

namespace korimu {

WaveSource waveSource;
bool outputDeviceOpen = false;

namespace {

uint16_t field16(const std::vector<uint8_t>& bytes, size_t at) {
  if (at + 2 > bytes.size()) return 0;
  return uint16_t(bytes[at] | bytes[at + 1] << 8);
}

uint32_t field32(const std::vector<uint8_t>& bytes, size_t at) {
  if (at + 4 > bytes.size()) return 0;
  return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
         uint32_t(bytes[at + 3]) << 24;
}

bool fail(const char* text) {
  showMessage(text, MessageKind::kExclamation);
  return false;
}

bool failReleasingFormat(const std::string& text) {
  releaseFormatCopy();
  showMessage(text, MessageKind::kExclamation);
  return false;
}

// Which of the four sample kinds a channel/bit pair is; -1 for any other pair.
int32_t sampleKindOf(int channels, int bits) {
  if (channels == 1 && bits == 8) return k8BitMono;
  if (channels == 1 && bits == 16) return k16BitMono;
  if (channels == 2 && bits == 8) return k8BitStereo;
  if (channels == 2 && bits == 16) return k16BitStereo;
  return -1;
}

// Step 7: the format numbers and their status texts, before the tag is looked at.
void recordFormat(const WaveFormat& f) {
  WaveSource& w = waveSource;
  const int32_t kind = sampleKindOf(f.channels, f.bitsPerSample);
  // Other pairs are refused below; the status texts still show what the file declares.
  w.sampleKind = kind >= 0 ? kind : (f.channels >= 2 ? 2 : 0) | (f.bitsPerSample > 8 ? 1 : 0);
  w.bytesPerSecond = f.avgBytesPerSec;
  w.srKHz = int32_t(f.samplesPerSec / 1000);
  w.bitsPerSample = f.bitsPerSample;
  callHook(shellHooks.drawFormatTexts);
  w.formatTag = f.formatTag;
}

// Whether a PCM format can be read safely by every consumer; shows the refusal otherwise.
bool pcmFormatUsable(const WaveFormat& f) {
  if (sampleKindOf(f.channels, f.bitsPerSample) < 0)
    return failReleasingFormat(formatText("対応していないPCM形式です。(%dビット %dチャンネル)",
                                          int(f.bitsPerSample), int(f.channels)));
  // Frames of another size than the kind's, or rates that give nothing per second, would make the
  // readers divide by zero or step past their buffers.
  const uint32_t frameBytes = uint32_t(f.channels) * f.bitsPerSample / 8;
  if (f.blockAlign != frameBytes || f.avgBytesPerSec == 0 || f.samplesPerSec < 1000 ||
      f.samplesPerSec > kHighestSampleRate)
    return failReleasingFormat("WAVEファイルが壊れています。");
  return true;
}

// The data the file really holds, in whole frames. A recording cut short keeps what is there; a
// recording never finalised (data size 0xFFFFFFFF, or 0 inside a RIFF form of placeholder size)
// runs to the end of the file.
uint32_t dataBytes(uint32_t declared, uint32_t frameBytes) {
  const WaveSource& w = waveSource;
  const uint64_t inFile = w.mmio.fileSize() - std::min(w.mmio.fileSize(), w.dataChunk.dataOffset);
  const bool unfinished =
      declared == 0xFFFFFFFFu || (declared == 0 && (w.riffChunk.flags & kUnfinishedSize) != 0);
  uint64_t bytes = unfinished ? inFile : std::min<uint64_t>(declared, inFile);
  bytes = std::min<uint64_t>(bytes, 0xFFFFFFFFu);
  return uint32_t(bytes - bytes % frameBytes);
}

}  // namespace

uint32_t allocFormatCopy(uint32_t size) {
  releaseFormatCopy();
  try {
    waveSource.format.assign(size, 0);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  waveSource.hasFormat = true;
  return size;
}

void releaseFormatCopy() {
  std::vector<uint8_t>().swap(waveSource.format);
  waveSource.hasFormat = false;
}

WaveFormat formatFromCopy() {
  const std::vector<uint8_t>& b = waveSource.format;
  WaveFormat f;
  f.formatTag = field16(b, 0);
  f.channels = field16(b, 2);
  f.samplesPerSec = field32(b, 4);
  f.avgBytesPerSec = field32(b, 8);
  f.blockAlign = field16(b, 12);
  f.bitsPerSample = field16(b, 14);
  return f;
}

void queryVolume(const std::string& fileName) {
  if (!queryVolumeCapacity(fileName, &waveSource.volume)) waveSource.volume = VolumeInfo{};
}

bool openWave() {
  WaveSource& w = waveSource;
  const std::string& name = appState.fileName;
  if (name.empty()) return fail("ファイル名が未入力。");

  w.mmio.close();
  if (!w.mmio.open(name)) return fail("ファイルを開けません。");

  if (!w.mmio.descendRiff(&w.riffChunk, fourCc("WAVE")))
    return fail("指定したファイルは、WAVEファイルではありません。");

  if (!w.mmio.findChunk(&w.dataChunk, w.riffChunk, fourCc("fmt ")))
    return fail("WAVEファイルが壊れています。");

  // A chunk that claims more bytes than the file holds cannot be read whole; say so before
  // reserving memory for it.
  const uint64_t available = w.mmio.fileSize() - std::min(w.mmio.fileSize(), w.mmio.tell());
  if (w.dataChunk.size > available) {
    releaseFormatCopy();
    return fail("形式チャンクを読み取れません。");
  }
  if (allocFormatCopy(w.dataChunk.size) == 0 && w.dataChunk.size > 0)
    return fail("極度のメモリ不足です。");
  if (w.mmio.read(w.format.data(), w.dataChunk.size) != w.dataChunk.size)
    return failReleasingFormat("形式チャンクを読み取れません。");

  const WaveFormat format = formatFromCopy();
  recordFormat(format);
  if (w.formatTag != 1)
    return failReleasingFormat("指定したファイルは、PCMファイルではありません。");
  if (!pcmFormatUsable(format)) return false;

  w.mmio.ascend(w.dataChunk);
  if (!w.mmio.findChunk(&w.dataChunk, w.riffChunk, fourCc("data")))
    return failReleasingFormat("WAVEファイルにデータ チャンクがありません。");

  queryVolume(name);
  const bool smallVolume =
      w.volume.totalCapacity > 0 && w.volume.totalCapacity <= kDisketteCapacity;
  w.readMode = settings.onMem != 0 || smallVolume ? 1 : 2;

  w.dataSize = dataBytes(w.dataChunk.size, format.blockAlign);
  w.bytesLeft = w.dataSize;
  w.blockAlign = format.blockAlign;
  if (w.dataSize == 0) return failReleasingFormat("データ チャンクが空です。");

  callHook(shellHooks.drawPositionText);
  callHook(shellHooks.drawFormatTexts);
  callHook(shellHooks.drawSpanText);

  w.bytesLeft = appState.position <= w.dataSize ? w.dataSize - appState.position : 0;
  sizeBuffers(playbackPartial);
  seekData(appState.position);

  if (appState.outputDeviceCount > 0 && !appState.busy && !audioBackend().supportsFormat(format))
    return failReleasingFormat("サウンドドライバは、この形式を再生できません。");
  return true;
}

void closeWave() {
  if (waveSource.mmio.isOpen()) waveSource.mmio.close();
  if (outputDeviceOpen && appState.fileSelected) {
    audioBackend().close();
    outputDeviceOpen = false;
  }
}

bool seekData(uint32_t offset) {
  const WaveSource& w = waveSource;
  if (!w.mmio.isOpen()) return false;
  return waveSource.mmio.seek(w.dataChunk.dataOffset + std::min(offset, w.dataSize));
}

uint32_t readData(uint8_t* buffer, uint32_t n) {
  WaveSource& w = waveSource;
  if (!w.mmio.isOpen() || n == 0) return 0;
  const uint64_t here = w.mmio.tell();
  const uint64_t start = w.dataChunk.dataOffset;
  const uint64_t end = start + w.dataSize;
  if (here < start || here >= end) return 0;
  return w.mmio.read(buffer, uint32_t(std::min<uint64_t>(n, end - here)));
}

}  // namespace korimu

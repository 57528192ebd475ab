#include "wave/wave_source.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <new>
#include <utility>

#include "core/translatable.h"
#include "platform/message.h"
#include "wave/sample_buffers.h"
#include "wave/wave_session.h"

namespace korimu {

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

WaveOpenResult& fail(WaveOpenResult& result, std::string text, std::string reason) {
  result.failure = std::move(text);
  result.reason = std::move(reason);
  return result;
}

WaveOpenResult& failReleasingFormat(WaveSource& source, WaveOpenResult& result, std::string text,
                                    std::string reason) {
  releaseFormatCopy(source);
  return fail(result, std::move(text), std::move(reason));
}

// Which of the four sample kinds a channel/bit pair is; -1 for any other pair.
int32_t sampleKindOf(int channels, int bits) {
  if (channels == 1 && bits == 8) return k8BitMono;
  if (channels == 1 && bits == 16) return k16BitMono;
  if (channels == 2 && bits == 8) return k8BitStereo;
  if (channels == 2 && bits == 16) return k16BitStereo;
  return -1;
}

// Step 7: the format numbers (their status texts are due), before the tag is looked at.
void recordFormat(WaveSource& w, const WaveFormat& f) {
  const int32_t kind = sampleKindOf(f.channels, f.bitsPerSample);
  // Other pairs are refused below; the status texts still show what the file declares.
  w.sampleKind = kind >= 0 ? kind : (f.channels >= 2 ? 2 : 0) | (f.bitsPerSample > 8 ? 1 : 0);
  w.bytesPerSecond = f.avgBytesPerSec;
  w.srKHz = int32_t(f.samplesPerSec / 1000);
  w.bitsPerSample = f.bitsPerSample;
  w.formatTag = f.formatTag;
}

// Why a PCM format cannot be read safely by every consumer, for the user and in English; empty
// when it can.
struct Refusal {
  std::string text, reason;
};
Refusal pcmFormatRefusal(const WaveFormat& f, const TextCatalogue& texts) {
  if (sampleKindOf(f.channels, f.bitsPerSample) < 0)
    return {
        formatText(texts.translate("Message", "対応していないPCM形式です。(%dビット %dチャンネル)")
                       .c_str(),
                   int(f.bitsPerSample), int(f.channels)),
        formatText("%d-bit %d-channel PCM is not read", int(f.bitsPerSample), int(f.channels))};
  // Frames of another size than the kind's, or rates that give nothing per second, would make the
  // readers divide by zero or step past their buffers.
  const uint32_t frameBytes = uint32_t(f.channels) * f.bitsPerSample / 8;
  if (f.blockAlign != frameBytes || f.avgBytesPerSec == 0 || f.samplesPerSec < 1000 ||
      f.samplesPerSec > kHighestSampleRate)
    return {QT_TRANSLATE_NOOP("Message", "WAVEファイルが壊れています。"),
            "broken WAVE file: impossible format numbers"};
  return {};
}

// The data the file really holds, in whole frames. A recording cut short keeps what is there; a
// recording never finalised (data size 0xFFFFFFFF, or 0 inside a RIFF form of placeholder size)
// runs to the end of the file.
uint64_t dataBytesInFile(const WaveSource& w) {
  return w.mmio.fileSize() - std::min(w.mmio.fileSize(), w.dataChunk.dataOffset);
}

bool unfinishedRecording(const WaveSource& w, uint32_t declared) {
  return declared == 0xFFFFFFFFu || (declared == 0 && (w.riffChunk.flags & kUnfinishedSize) != 0);
}

uint32_t dataBytes(const WaveSource& w, uint32_t declared, uint32_t frameBytes) {
  const uint64_t inFile = dataBytesInFile(w);
  uint64_t bytes = unfinishedRecording(w, declared) ? inFile : std::min<uint64_t>(declared, inFile);
  bytes = std::min<uint64_t>(bytes, 0xFFFFFFFFu);
  return uint32_t(bytes - bytes % frameBytes);
}

// WAVE_FORMAT_EXTENSIBLE: the real format is named by the sub-format GUID after cbSize, valid bits
// and the channel mask. Recorders and converters write it for plain PCM too.
constexpr uint16_t kExtensibleTag = 0xFFFE;
constexpr size_t kExtensibleSize = 40;  // the 16 common bytes, cbSize and its 22 bytes
constexpr size_t kSubFormatAt = 24;
// KSDATAFORMAT_SUBTYPE_PCM, 00000001-0000-0010-8000-00aa00389b71, as its bytes stand in a file.
constexpr uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                       0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71};

bool isExtensiblePcm(const std::vector<uint8_t>& bytes) {
  if (field16(bytes, 0) != kExtensibleTag || bytes.size() < kExtensibleSize) return false;
  if (field16(bytes, 16) < kExtensibleSize - 18) return false;  // cbSize
  return std::equal(std::begin(kPcmSubFormat), std::end(kPcmSubFormat),
                    bytes.begin() + kSubFormatAt);
}

}  // namespace

uint32_t allocFormatCopy(WaveSource& source, uint32_t size) {
  releaseFormatCopy(source);
  try {
    source.format.assign(size, 0);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  source.hasFormat = true;
  return size;
}

void releaseFormatCopy(WaveSource& source) {
  std::vector<uint8_t>().swap(source.format);
  source.hasFormat = false;
}

WaveFormat formatFromCopy(const WaveSource& source) {
  const std::vector<uint8_t>& b = source.format;
  WaveFormat f;
  // An extensible header around plain PCM is PCM to every reader of these fields.
  f.formatTag = isExtensiblePcm(b) ? 1 : field16(b, 0);
  f.channels = field16(b, 2);
  f.samplesPerSec = field32(b, 4);
  f.avgBytesPerSec = field32(b, 8);
  f.blockAlign = field16(b, 12);
  f.bitsPerSample = field16(b, 14);
  return f;
}

void queryVolume(WaveSource& source, const std::string& fileName, const VolumeQuery& query) {
  if (!queryVolumeCapacity(query, fileName, &source.volume)) source.volume = VolumeInfo{};
}

WaveOpenResult openWave(WaveSession& wave, const WaveOpenRequest& request,
                        const AppSettings& settings) {
  WaveSource& w = wave.source;
  WaveOpenResult result;
  const std::string& name = request.fileName;
  if (name.empty())
    return fail(result, QT_TRANSLATE_NOOP("Message", "ファイル名が未入力。"), "no file name");

  result.path = name;
  w.mmio.close();
  if (!w.mmio.open(name))
    return fail(result, QT_TRANSLATE_NOOP("Message", "ファイルを開けません。"),
                w.mmio.openFailure());

  if (!w.mmio.descendRiff(&w.riffChunk, fourCc("WAVE"))) {
    result.formatRefused = true;
    return fail(result,
                QT_TRANSLATE_NOOP("Message", "指定したファイルは、WAVEファイルではありません。"),
                "not a WAVE file");
  }

  if (!w.mmio.findChunk(&w.dataChunk, w.riffChunk, fourCc("fmt ")))
    return fail(result, QT_TRANSLATE_NOOP("Message", "WAVEファイルが壊れています。"),
                "broken WAVE file: no format chunk");

  // A chunk that claims more bytes than the file holds cannot be read whole; say so before
  // reserving memory for it.
  const uint64_t available = w.mmio.fileSize() - std::min(w.mmio.fileSize(), w.mmio.tell());
  if (w.dataChunk.size > available)
    return failReleasingFormat(w, result,
                               QT_TRANSLATE_NOOP("Message", "形式チャンクを読み取れません。"),
                               "the format chunk runs past the end of the file");
  if (allocFormatCopy(w, w.dataChunk.size) == 0 && w.dataChunk.size > 0)
    return fail(result, QT_TRANSLATE_NOOP("Message", "極度のメモリ不足です。"),
                "out of memory for the format chunk");
  if (w.mmio.read(w.format.data(), w.dataChunk.size) != w.dataChunk.size)
    return failReleasingFormat(w, result,
                               QT_TRANSLATE_NOOP("Message", "形式チャンクを読み取れません。"),
                               "the format chunk cannot be read");

  const WaveFormat format = formatFromCopy(w);
  recordFormat(w, format);
  result.formatRead = true;
  result.formatRefused =
      w.formatTag != 1 || sampleKindOf(format.channels, format.bitsPerSample) < 0;
  if (w.formatTag != 1)
    return failReleasingFormat(
        w, result, QT_TRANSLATE_NOOP("Message", "指定したファイルは、PCMファイルではありません。"),
        formatText("not a PCM file (format tag %d)", int(w.formatTag)));
  if (Refusal refusal = pcmFormatRefusal(format, wave.messages.texts); !refusal.text.empty())
    return failReleasingFormat(w, result, std::move(refusal.text), std::move(refusal.reason));

  w.mmio.ascend(w.dataChunk);
  if (!w.mmio.findChunk(&w.dataChunk, w.riffChunk, fourCc("data")))
    return failReleasingFormat(
        w, result, QT_TRANSLATE_NOOP("Message", "WAVEファイルにデータ チャンクがありません。"),
        "broken WAVE file: no data chunk");

  queryVolume(w, name, wave.volumeQuery);
  const bool smallVolume =
      w.volume.totalCapacity > 0 && w.volume.totalCapacity <= kDisketteCapacity;
  w.readMode = settings.onMem || smallVolume ? 1 : 2;

  w.dataSize = dataBytes(w, w.dataChunk.size, format.blockAlign);
  if (!unfinishedRecording(w, w.dataChunk.size) && w.dataChunk.size > dataBytesInFile(w))
    result.claimedDataBytes = w.dataChunk.size;
  w.bytesLeft = w.dataSize;
  w.blockAlign = format.blockAlign;
  if (w.dataSize == 0)
    return failReleasingFormat(w, result, QT_TRANSLATE_NOOP("Message", "データ チャンクが空です。"),
                               "the data chunk is empty");
  result.dataFound = true;

  placeOpenFile(wave, request.position, settings);

  if (request.checkPlayable && !wave.audio.supportsFormat(format))
    return failReleasingFormat(
        w, result, QT_TRANSLATE_NOOP("Message", "サウンドドライバは、この形式を再生できません。"),
        "the sound device cannot play this format");
  result.opened = true;
  return result;
}

void placeOpenFile(WaveSession& wave, uint32_t position, const AppSettings& settings) {
  WaveSource& w = wave.source;
  w.bytesLeft = position <= w.dataSize ? w.dataSize - position : 0;
  sizeBuffers(wave, settings, wave.playbackPartial);
  seekData(w, position);
}

std::string openFailureMessage(const WaveOpenResult& result, FailureLine line,
                               const TextCatalogue& texts) {
  if (line == FailureLine::kCommandLine)
    return formatText("%s\nkorimu: cannot open '%s': %s", result.failure.c_str(),
                      result.path.c_str(), result.reason.c_str());
  return formatText("%s\n%s (%s)", texts.translate("Message", result.failure.c_str()).c_str(),
                    result.path.c_str(), result.reason.c_str());
}

std::string cutShortNotice(const WaveOpenResult& result, const WaveSource& opened, FailureLine line,
                           const TextCatalogue& texts) {
  if (!result.opened || result.claimedDataBytes == 0) return {};
  const double seconds =
      opened.bytesPerSecond != 0 ? double(opened.dataSize) / opened.bytesPerSecond : 0.0;
  if (line == FailureLine::kCommandLine)
    return formatText(
        "korimu: '%s' is shorter than its header claims: %u of %u data bytes "
        "(%.2f s) are there",
        result.path.c_str(), opened.dataSize, result.claimedDataBytes, seconds);
  return formatText(
      texts
          .translate(
              "Message",
              "ファイルがヘッダーの示す長さより短くなっています。あるデータだけを開きました。\n"
              "%s (%u / %u バイト, %.2f秒)")
          .c_str(),
      result.path.c_str(), opened.dataSize, result.claimedDataBytes, seconds);
}

bool reportOpenFailure(const WaveOpenResult& result, const Messages& messages, FailureLine line) {
  if (!result.opened)
    messages.show(openFailureMessage(result, line, messages.texts), MessageKind::kExclamation);
  return result.opened;
}

void closeWave(WaveSession& wave, bool fileSelected) {
  if (wave.source.mmio.isOpen()) wave.source.mmio.close();
  if (wave.outputDeviceOpen && fileSelected) {
    wave.audio.close();
    wave.outputDeviceOpen = false;
  }
}

bool seekData(WaveSource& w, uint32_t offset) {
  if (!w.mmio.isOpen()) return false;
  return w.mmio.seek(w.dataChunk.dataOffset + std::min(offset, w.dataSize));
}

uint32_t readData(WaveSource& w, uint8_t* buffer, uint32_t n) {
  if (!w.mmio.isOpen() || n == 0) return 0;
  const uint64_t here = w.mmio.tell();
  const uint64_t start = w.dataChunk.dataOffset;
  const uint64_t end = start + w.dataSize;
  if (here < start || here >= end) return 0;
  return w.mmio.read(buffer, uint32_t(std::min<uint64_t>(n, end - here)));
}

}  // namespace korimu

// The open WAV file: its RIFF navigation records, a copy of its format chunk and the numbers every
// consumer reads. openWave re-validates the named file and leaves it positioned at the requested
// position inside the data chunk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/settings.h"
#include "platform/audio_device.h"
#include "platform/message.h"
#include "platform/riff_file.h"
#include "platform/system_facts.h"

namespace korimu {

// Sample kinds: bit 0 is set for 16-bit samples, bit 1 for two channels.
enum SampleKind : int32_t { k8BitMono = 0, k16BitMono = 1, k8BitStereo = 2, k16BitStereo = 3 };

struct WaveSource {
  RiffFile mmio;  // stays open after a validation, good or bad, until the next open or closeWave
  ChunkInfo riffChunk;
  ChunkInfo dataChunk;          // "fmt " while the format is read, then "data"
  std::vector<uint8_t> format;  // copy of the whole format chunk
  bool hasFormat = false;       // the copy exists
  int32_t formatTag = 0;
  int32_t sampleKind = 0;
  int32_t srKHz = 0;
  int32_t bitsPerSample = 0;
  uint32_t bytesPerSecond = 0;
  uint32_t blockAlign = 0;
  uint32_t dataSize = 0;
  uint32_t bytesLeft = 0;
  int32_t readMode = 2;  // 1: one sample buffer, 2: streaming through two
  VolumeInfo volume;     // of the file's volume; only the total capacity is used
};

struct WaveSession;

// The highest sample rate a file may declare (768 kHz, four times the fastest studio rate); a
// higher one is taken as a broken header. It keeps every rate product within 32 bits.
inline constexpr uint32_t kHighestSampleRate = 768000;

// A 1.44 MB diskette: files on a volume this small are handled in one buffer.
inline constexpr uint64_t kDisketteCapacity = 1457664;

// Which file an open validates, where reading starts, and whether the output device must be able
// to play the file's format.
struct WaveOpenRequest {
  std::string fileName;
  uint32_t position = 0;
  bool checkPlayable = false;  // an output device exists and no analysis runs
};

// How far an open came. Whoever shows the file draws what became known, then tells the failure.
struct WaveOpenResult {
  bool formatRead = false;  // the format numbers describe this file: its format texts are due
  bool dataFound = false;   // the data chunk is known as well: position, format and span texts
  bool opened = false;
  // The file was refused for its format (not RIFF/WAVE, not PCM, or a PCM kind the reader does
  // not read) rather than for being broken or unreadable: a decoder may still read it.
  bool formatRefused = false;
  std::string failure;  // the message for the user when the open failed
  // Why, in English: the system's words when the file cannot be opened ("Permission denied"),
  // else what is wrong with it ("not a WAVE file").
  std::string reason;
  std::string path;  // the file the open named
  // The data size the header claims when the file holds less (a recording cut short, which opens
  // with what is there); 0 when the data is all there.
  uint32_t claimedDataBytes = 0;
};

// The second line of a failed open's message: the path and the reason for the window's box, or
// the command line's "korimu: cannot open 'PATH': REASON".
enum class FailureLine { kWindow, kCommandLine };

// Validates and opens the requested file, and sizes the playback buffers for it.
WaveOpenResult openWave(WaveSession& wave, const WaveOpenRequest& request,
                        const AppSettings& settings);
// Places a file that opened at `position` of its data, as its open did at the position it was
// asked for: the bytes left from there, the playback buffers' size, the read position.
void placeOpenFile(WaveSession& wave, uint32_t position, const AppSettings& settings);
// The message of an open that failed: the reader's sentence, then the path and the reason.
std::string openFailureMessage(const WaveOpenResult& result, FailureLine line,
                               const TextCatalogue& texts = {});
// What to say of a file that opened although it is shorter than its header claims ("" when it is
// not): how much of the claimed data is there, for the window's box or the command line's stderr.
std::string cutShortNotice(const WaveOpenResult& result, const WaveSource& opened, FailureLine line,
                           const TextCatalogue& texts = {});
// Shows the failure of an open that failed as one message; returns whether it opened.
bool reportOpenFailure(const WaveOpenResult& result, const Messages& messages,
                       FailureLine line = FailureLine::kWindow);
// Closes the file handle, and the output device when one is open for the selected file.
void closeWave(WaveSession& wave, bool fileSelected);

// Replaces the format copy with a fresh block of `size` bytes; returns size, or 0 when the memory
// is not there.
uint32_t allocFormatCopy(WaveSource& source, uint32_t size);
void releaseFormatCopy(WaveSource& source);
// The format fields from the copy; fields beyond the end of a short chunk read as 0. An extensible
// format whose sub-format is PCM reads as tag 1.
WaveFormat formatFromCopy(const WaveSource& source);

// Fills source.volume for the file's volume, asked through `query`.
void queryVolume(WaveSource& source, const std::string& fileName, const VolumeQuery& query);

// Seeks to the data chunk's start + offset (offset clamped to the data size).
bool seekData(WaveSource& source, uint32_t offset);
// Reads up to n bytes from the current place, never past the end of the data chunk. Returns the
// bytes read; 0 at the end of the data or when no file is open.
uint32_t readData(WaveSource& source, uint8_t* buffer, uint32_t n);

}  // namespace korimu

// The header of a WAV file as the Wave information dialog lists it: read with plain file reads,
// field by field as the bytes stand, independently of the WAV reader (so it also shows files the
// reader refuses).
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "core/source_format.h"
#include "dialogs/format_tags.h"

namespace korimu {

// Control ids of the dialog's value texts.
enum WaveInfoControl : int {
  kInfoRiffId = 101,
  kInfoRiffSize = 102,
  kInfoRiffType = 103,
  kInfoChunkId = 104,
  kInfoChunkSize = 105,
  kInfoFormatTag = 106,
  kInfoChannels = 107,
  kInfoSampleRate = 108,
  kInfoByteRate = 109,
  kInfoBlockAlign = 110,
  kInfoBits = 111,
  kInfoExtraSize = 112,
  kInfoSecondId = 113,
  kInfoSecondSize = 114,
  kInfoFileSize = 116,
  kInfoTagName = 117,
  kInfoTotalTime = 118,
  kInfoThirdId = 119,
  kInfoThirdSize = 120,
  kInfoSamplePeriod = 121,
  // What a decoded copy was decoded from, above the copy's header.
  kInfoSourceContainer = 130,
  kInfoSourceEncoding = 131,
  kInfoSourceRate = 132,
  kInfoSourceChannels = 133,
  kInfoSourceFrames = 134,
  kInfoSourceDuration = 135,
};

// The text of the tag-name control: the table's name, or "unknown" (this platform has no audio
// compression manager to ask).
std::string formatTagText(int16_t tag);

// Texts for the value controls, by control id (UTF-8). A control missing from the map keeps its
// initial text. A file that cannot be opened, or is not a regular file, yields only the file size
// (nothing when even its size cannot be queried). Sizes and rates are unsigned 32-bit numbers.
// Fields the file ends before show as zero (an identifier shows the bytes that are there).
std::map<int, std::string> readWaveInfo(const std::string& path);

// Texts for the source rows of a decoded file: container, encoding, "%u Hz", channels, frames and
// the duration as "%f sec" ("unknown" where the source does not say; with the part shown, when
// its copy shows only the first part).
std::map<int, std::string> sourceFormatTexts(const SourceFormat& source);

}  // namespace korimu

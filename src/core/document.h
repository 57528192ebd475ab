// What belongs to the open document rather than to the window or the program: the file the user
// chose, where in it playing and analysing start, and what the last analysis run drew. The
// window's controller keeps one in its session; each rendered file gets its own.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/source_format.h"

namespace korimu {

struct Document {
  // The file taken from the command line, Open or a drop.
  std::string fileName;
  // A file the WAV reader refuses but that decodes: what it holds, and the decoded 16-bit copy
  // the reader opens instead (empty while the file is read as it is).
  std::optional<SourceFormat> decodedFrom;
  std::string decodedCopy;
  // Keeps the decoded copy open (decodedCopy names that descriptor) and out of the cache's trims
  // for as long as any copy of the document may read it.
  std::shared_ptr<const void> decodedCopyHold;
  // The file every open of the reader names: the decoded copy, or the file itself.
  const std::string& wavePath() const { return decodedCopy.empty() ? fileName : decodedCopy; }
  // A file has been taken: Play, Partial play, Stop and Analyze act only then. Cleared only when
  // the user stops the decode of the file being taken.
  bool fileSelected = false;
  // Byte offset inside the data chunk where playback, analysis and the overview start.
  uint32_t position = 0;
  // The view and method the last analysis run drew (0 before the first run).
  int32_t lastRunView = 0;
  int32_t lastRunMethod = 0;
  // Client x of the chart column the cross-section window shows.
  int32_t crossSectionX = 0;
};

}  // namespace korimu

// The spans the overview and the chart can cover: the control bar's eleven from 524288 frames
// down to 512, the powers of two above them that a long file needs, and the whole file from the
// position. A span is 512 columns of `framesPerColumn` frames.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/translatable.h"

namespace korimu {

// The widest span the list offers and --span accepts: 2^30 frames.
inline constexpr int64_t kWidestSpanFrames = int64_t{1} << 30;
// The widest of the eleven spans the control bar always has.
inline constexpr int64_t kWidestFixedSpanFrames = 524288;

// What a label of the span list stands for.
struct SpanChoice {
  bool valid = false;
  bool whole = false;  // "全体": the file from the position to its end
  int64_t frames = 0;  // the span in frames (not for "全体")
};

// The list for a file of `fileFrames` frames, widest first: "全体", the powers of two above 524288
// up to the first that holds the whole file ("    1M" = 1048576 frames, "    1G"), then the eleven
// from "524288" to "   512" (without a file, 0 frames, only these). Every label is six cells wide,
// right-aligned.
std::vector<std::string> spanLabels(uint64_t fileFrames);

// The label of a span of `frames` frames, as the list shows it.
std::string spanLabel(int64_t frames);
inline constexpr std::string_view kWholeSpanLabel = QT_TRANSLATE_NOOP("Window", "  全体");
// The same within `cells` character cells: a count with more digits (a whole file's span) is
// given in the list's units, M (2^20) or G (2^30), to a tenth.
std::string spanLabelWithin(int64_t frames, int cells);

// Reads a label of the list (blanks around it allowed), or a --span value: a power of two from
// 512 to 2^30 in digits or with M or G, or "全体"/"whole".
SpanChoice spanOfLabel(std::string_view label);

// The frames per column that show `framesLeft` frames across the 512 columns (at least 1).
int32_t wholeSpanFramesPerColumn(uint64_t framesLeft);
// The same for the frames of a data chunk of `dataSize` bytes from byte `position` on.
int32_t wholeSpanFramesPerColumn(uint32_t dataSize, uint32_t blockAlign, uint32_t position);

}  // namespace korimu

#include "core/chart_placement.h"

#include <algorithm>

#include "core/layout.h"
#include "core/span.h"

namespace korimu {

namespace {

// columns x span / 512 frames, rounded to the nearest frame (halves up).
int64_t nearestColumnFrames(int64_t columns, int64_t spanFrames) {
  return (2 * columns * spanFrames + kPlotWidth) / (2 * kPlotWidth);
}

}  // namespace

int ChartPlacement::columnsPerBlock() const {
  if (blockAlign == 0) return 1;
  const int64_t blockFrames = blockBytes / blockAlign;
  if (evenColumns) {
    if (spanFrames <= 0) return kPlotWidth;
    return int(std::clamp<int64_t>(blockFrames * kPlotWidth / spanFrames, 1, kPlotWidth));
  }
  if (framesPerColumn <= 0) return 1;
  return int(std::max<int64_t>(1, blockFrames / framesPerColumn));
}

int ChartPlacement::blocksPerColumn() const {
  if (evenColumns || blockBytes == 0) return 1;
  const uint64_t columnBytes = uint64_t{blockAlign} * uint64_t(std::max(framesPerColumn, 0));
  return int(std::max<uint64_t>(1, columnBytes / blockBytes));
}

uint64_t ChartPlacement::blockBytePosition(int firstColumn, int blockIndex) const {
  if (evenColumns)
    return position + uint64_t(nearestColumnFrames(firstColumn, spanFrames)) * blockAlign;
  return position + uint64_t(blockIndex) * uint64_t(blocksPerColumn()) * blockBytes;
}

uint64_t ChartPlacement::columnBytePosition(int column) const {
  column = std::max(column, 0);
  if (blockBytes == 0)
    return position + uint64_t(column) * uint64_t(std::max(framesPerColumn, 0)) * blockAlign;
  const int width = columnsPerBlock();
  const int first = column / width * width;
  const int inside = column - first;
  const uint64_t start = blockBytePosition(first, column / width);
  // Inside a block, the frame in which the column's moment lies: never past the span.
  const int64_t offsetFrames = evenColumns ? int64_t{inside} * spanFrames / kPlotWidth
                                           : int64_t{inside} * std::max(framesPerColumn, 0);
  return start + uint64_t(offsetFrames) * blockAlign;
}

ChartPlacement chartPlacement(uint64_t position, uint32_t blockAlign, uint32_t blockBytes,
                              int32_t framesPerColumn, int64_t spanFrames, bool wholeSpan) {
  ChartPlacement p;
  p.position = position;
  p.blockAlign = blockAlign;
  p.blockBytes = blockBytes;
  p.framesPerColumn = framesPerColumn;
  p.spanFrames = spanFrames;
  p.evenColumns = wholeSpan || spanFrames > kWidestFixedSpanFrames;
  return p;
}

}  // namespace korimu

// Where a chart run reads the block behind each of its 512 columns, and which moment of the
// recording each column stands for. The run reads through it and everything that names a
// column's time asks it, so the two cannot part.
//
// The control bar's eleven spans place blocks one after another: a block covers as many columns as
// its frames fill (`framesPerColumn` each), and a column that stands for several blocks shows the
// first of them (the others are passed over). Wider spans and the whole recording spread the
// columns evenly: column c stands for position + c x span / 512 frames, exactly, and the block
// that draws columns c... is read at the frame nearest to that.
#pragma once

#include <cstdint>

namespace korimu {

struct ChartPlacement {
  uint64_t position = 0;  // byte offset in the data chunk of column 0
  uint32_t blockAlign = 0;
  // The bytes of one analysed block; 0 for a chart no run has sized, whose columns are then
  // framesPerColumn frames apart.
  uint32_t blockBytes = 0;
  int32_t framesPerColumn = 512;
  int64_t spanFrames = 0;    // the frames the 512 columns cover
  bool evenColumns = false;  // spread evenly over the span (wide spans, the whole recording)

  // Columns one block covers (at least 1), and blocks one column stands for (at least 1).
  int columnsPerBlock() const;
  int blocksPerColumn() const;
  // Byte offset in the data chunk where the block drawn from column `firstColumn` on is read;
  // it is the run's `blockIndex`th block.
  uint64_t blockBytePosition(int firstColumn, int blockIndex) const;
  // Byte offset of the samples column `column` shows: its block's start, plus the column's place
  // inside a block that covers several columns.
  uint64_t columnBytePosition(int column) const;
};

// The placement of a chart over `spanFrames` frames from `position`: evenly spread when the span
// is wider than the control bar's widest or is the whole recording.
ChartPlacement chartPlacement(uint64_t position, uint32_t blockAlign, uint32_t blockBytes,
                              int32_t framesPerColumn, int64_t spanFrames, bool wholeSpan);

}  // namespace korimu

// The blocks of a time-frequency chart, analysed one after another on the run's thread, or on a
// column pool's threads several at a time. Either way each block is recorded in column order, as
// it would be one after another: the parallel chart's steps, records and pictures are those of
// the sequential one. Blocks are read in column order on the run's thread; a block on the pool
// holds its own copy of its samples until its analysis ends.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "analysis/analysis_params.h"
#include "analysis/sample_block.h"
#include "analysis/transform_tables.h"
#include "run/column_pool.h"
#include "run/result_recorder.h"
#include "run/run_listener.h"

namespace korimu {

// A chart block as read: its samples (valid until the next read), where in the data chunk they
// were read, and the first chart column it is drawn into.
struct ChartBlockRead {
  SampleBlock block;
  uint64_t bytePosition = 0;
  int column = 0;
};
// Reads the chart's next block; nothing once the chart or the data has ended.
using ChartBlockReads = std::function<std::optional<ChartBlockRead>()>;

// How a run's chart blocks are analysed and where what they found is recorded.
struct ChartAnalysis {
  const AnalysisParams& params;
  int blockFrames = 0;  // the frames of a full block
  int width = 1;        // the columns one block is drawn into
  ResultRecorder& recorder;
  PlotProgress& progress;
  RunListener& listener;
  double& memRunningMax;  // the loudest MEM block before the run, then so far
};

struct ChartBlocksEnd {
  int painted = 0;  // the columns up to the end of the last block recorded
  bool stopped = false;
};

// Every block in turn on this thread with `tables`, asking the progress after each whether to stop.
ChartBlocksEnd analyseChartBlocks(const ChartBlockReads& reads, const ChartAnalysis& analysis,
                                  TransformTables& tables);
// The blocks on the pool. This thread reads them, records them as the leftmost unrecorded one has
// been analysed, and asks the progress whether to stop every few milliseconds; a stop ends every
// block being analysed and records the blocks before the first one that was cut short.
ChartBlocksEnd analyseChartBlocksOnPool(const ChartBlockReads& reads, const ChartAnalysis& analysis,
                                        ColumnPool& pool);

// How many blocks of blockFrames frames a pool task analyses: the FFT's and DCT's short blocks in
// groups worth handing to a thread, every other method's one at a time.
int chartBlocksPerTask(int32_t method, int blockFrames, int blocksInChart, int threads);

}  // namespace korimu

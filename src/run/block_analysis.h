// One block's analysis in two halves: the analysis of the block alone, which depends on no other
// block and can run on any thread with that thread's tables, and its recording into the run's
// steps, which the run does in the order of its blocks (a MEM block is compared there with the
// loudest block before it).
#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "analysis/analysis_params.h"
#include "analysis/dtft.h"
#include "analysis/frame_analysis.h"
#include "analysis/mem.h"
#include "analysis/progress.h"
#include "analysis/sample_block.h"
#include "analysis/transform_tables.h"
#include "analysis/wavelet.h"
#include "run/result_recorder.h"

namespace korimu {

// The wavelet's rows are made into the block's cells as they come: a row of a long block has
// far more points than the block has columns.
struct WaveletFindings {
  WaveletResult result;
  std::vector<ChartCellsStep> rows;
};

// What the analyser of a block found (nothing for an empty block).
using BlockFindings =
    std::variant<std::monostate, FrameResult, MemResult, DtftResult, WaveletFindings>;

// Analyses `block` by `method` (blockFrames: the frames of a full chart block, for the wavelet,
// whose rows go into `width` columns from `column`).
BlockFindings analyseBlockAlone(int32_t method, const SampleBlock& block, int blockFrames,
                                const AnalysisParams& params, TransformTables& tables,
                                Progress& progress, int column, int width);

// Records what a block found, drawn into `width` columns from `column` (0 and 0 outside the
// chart). MEM blocks update the running maximum they are compared with.
void recordBlockFindings(BlockFindings& findings, const AnalysisParams& params,
                         double& memRunningMax, bool sixteenBit, ResultRecorder& recorder,
                         int column, int width);

}  // namespace korimu

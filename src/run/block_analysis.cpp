#include "run/block_analysis.h"

#include <utility>

namespace korimu {

BlockFindings analyseBlockAlone(int32_t method, const SampleBlock& block, int blockFrames,
                                const AnalysisParams& params, TransformTables& tables,
                                Progress& progress, int column, int width) {
  switch (method) {
    case kWt: {
      WaveletFindings found;
      found.result =
          waveletBlock(block, blockFrames, params, tables, progress,
                       [&](int row, const uint8_t* d, const double* p, int n) {
                         found.rows.push_back(waveletRowCells(row, d, p, n, column, width));
                       });
      return found;
    }
    case kMem:
      return memAnalyzeBlock(block, params, tables.scratch, progress);
    case kDtft:
      return dtftAnalyze(block, params, tables, progress);
    default:
      if (block.length == 0) return {};
      return computeFrame(block, params, tables, progress);
  }
}

namespace {

struct FindingsRecording {
  const AnalysisParams& params;
  double& memRunningMax;
  bool sixteenBit;
  ResultRecorder& recorder;
  int column;
  int width;

  void operator()(std::monostate) const {}

  void operator()(FrameResult& r) const {
    recorder.notes(r);
    if (r.analysed) recorder.frame(r, params.view, column, width);
  }

  void operator()(MemResult& r) const {
    noteRunningMax(r, memRunningMax, sixteenBit);
    recorder.notes(r);
    if (!r.analysed) return;
    recorder.peakReadout(r.peakFrequency, r.peakPower);
    if (!r.powerWarning.empty()) recorder.powerWarning(r.powerWarning);
    recorder.points(r.frame, params.view, column, width);
  }

  void operator()(DtftResult& r) const {
    recorder.notes(r);
    if (!r.analysed) return;
    recorder.peakReadout(r.peakFrequency, r.peakPower);
    recorder.points(r.frame, params.view, column, width);
  }

  void operator()(WaveletFindings& found) const {
    for (ChartCellsStep& row : found.rows) recorder.cells(std::move(row));
    const WaveletResult& r = found.result;
    recorder.notes(r);
    if (!r.analysed) return;
    recorder.peakReadout(r.peakFrequency, r.peakPower);
    if (!r.powerWarning.empty()) recorder.powerWarning(r.powerWarning);
  }
};

}  // namespace

void recordBlockFindings(BlockFindings& findings, const AnalysisParams& params,
                         double& memRunningMax, bool sixteenBit, ResultRecorder& recorder,
                         int column, int width) {
  std::visit(FindingsRecording{params, memRunningMax, sixteenBit, recorder, column, width},
             findings);
}

}  // namespace korimu

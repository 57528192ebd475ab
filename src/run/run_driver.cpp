#include "run/run_driver.h"

#include <algorithm>
#include <optional>
#include <string>
#include <variant>

#include "analysis/analysis_params.h"
#include "analysis/wavelet.h"
#include "core/layout.h"
#include "core/sample_rate.h"
#include "core/settings.h"
#include "core/span.h"
#include "core/translatable.h"
#include "platform/message.h"
#include "run/block_analysis.h"
#include "run/chart_blocks.h"
#include "run/result_recorder.h"
#include "run/run_file.h"
#include "run/run_painter.h"
#include "wave/sample_buffers.h"
#include "wave/wave_source.h"

namespace korimu {

uint32_t computeBlockBytes(int32_t method, int32_t view, uint32_t bytesPerSecond, int srKHz,
                           uint32_t blockAlign, int timeResolution, int framesPerColumn) {
  uint64_t bytes = 0;
  if (method == kWt) {
    bytes = waveletBlockBytes(bytesPerSecond, srKHz, static_cast<int>(blockAlign));
  } else {
    bytes = bytesOfBaseSteps(bytesPerSecond, static_cast<uint64_t>(timeResolution));
  }
  if (blockAlign == 0) return static_cast<uint32_t>(bytes);
  if (bytes % blockAlign != 0) bytes += blockAlign - bytes % blockAlign;
  // Even a rate so low that the formula gives nothing reads one frame at a time.
  if (bytes == 0) bytes = blockAlign;
  const uint64_t chartFrames = kChartColumns * static_cast<uint64_t>(std::max(framesPerColumn, 1));
  if (view == kTimeFrequencyChart && bytes / blockAlign > chartFrames)
    bytes = chartFrames * blockAlign;
  return static_cast<uint32_t>(std::min<uint64_t>(bytes, UINT32_MAX - UINT32_MAX % blockAlign));
}

int columnsPerBlock(uint32_t bytes, uint32_t blockAlign, int framesPerColumn) {
  return chartPlacement(0, blockAlign, bytes, framesPerColumn, 0, false).columnsPerBlock();
}

int blocksPerColumn(uint32_t bytes, uint32_t blockAlign, int framesPerColumn) {
  return chartPlacement(0, blockAlign, bytes, framesPerColumn, 0, false).blocksPerColumn();
}

void mixStereoToMono(const uint8_t* stereo, uint8_t* mono, uint32_t monoBytes, bool sixteenBit) {
  if (sixteenBit) {
    for (uint32_t i = 0; i < monoBytes / 2; ++i) {
      const uint8_t* frame = stereo + 4 * size_t{i};
      const int left = static_cast<int16_t>(uint16_t(frame[0] | (frame[1] << 8)));
      const int right = static_cast<int16_t>(uint16_t(frame[2] | (frame[3] << 8)));
      const auto mean = static_cast<uint16_t>(static_cast<int16_t>((left + right) / 2));
      mono[2 * size_t{i}] = uint8_t(mean);
      mono[2 * size_t{i} + 1] = uint8_t(mean >> 8);
    }
  } else {
    for (uint32_t i = 0; i < monoBytes; ++i)
      mono[i] = uint8_t((stereo[2 * size_t{i}] + stereo[2 * size_t{i} + 1]) / 2);
  }
}

void monoMix(WaveSession& wave, uint32_t monoBytes) {
  auto& slots = wave.sampleBuffer;
  const size_t room = std::min(slots[0].size() / 2, slots[1].size());
  mixStereoToMono(slots[0].data(), slots[1].data(),
                  static_cast<uint32_t>(std::min<size_t>(monoBytes, room)),
                  (wave.source.sampleKind & 1) != 0);
}

namespace {

bool stereoFile(const WaveSession& wave) {
  return (wave.source.sampleKind & 2) != 0;
}

// Slot 0 for the raw block, slot 1 for the mono mix of a stereo file. No read of the run can
// deliver more than the data left after the position, so the buffers need no more than that: a
// header whose bytes per second are far too large must not take gigabytes of memory.
bool allocateBlockBuffers(WaveSession& wave, uint32_t blockBytes, RunListener& listener) {
  const WaveSource& source = wave.source;
  const uint32_t bytes =
      std::min(blockBytes, std::max(source.bytesLeft, std::max(source.blockAlign, 1u)));
  const int slots = stereoFile(wave) ? 2 : 1;
  for (int slot = 0; slot < slots; ++slot) {
    if (!allocSlot(wave, slot, bytes)) {
      freeSlot(wave, 0);
      listener.message(QT_TRANSLATE_NOOP("Message", "メモリ不足です。"), MessageKind::kExclamation);
      return false;
    }
  }
  return true;
}

void releaseBlockBuffers(WaveSession& wave) {
  freeSlot(wave, 0);
  if (stereoFile(wave)) freeSlot(wave, 1);
}

// Reads up to readLength bytes into slot 0; returns the count, which the next read asks for.
uint32_t readBlock(WaveSession& wave, uint32_t readLength) {
  return readData(wave.source, wave.sampleBuffer[0].data(), readLength);
}

// The block the analysers see: slot 0 as read, or the mono mix in slot 1 with half the bytes.
SampleBlock blockFromRead(WaveSession& wave, uint32_t count) {
  SampleBlock block;
  block.bitsPerSample = (wave.source.sampleKind & 1) != 0 ? 16 : 8;
  block.srKHz = wave.source.srKHz;
  if (stereoFile(wave)) {
    monoMix(wave, count / 2);
    block.bytes = wave.sampleBuffer[1].data();
    block.length = count / 2;
  } else {
    block.bytes = wave.sampleBuffer[0].data();
    block.length = count;
  }
  return block;
}

// The run's own parameters, taken before it draws anything, and the look it draws in.
RunStartStep runStart(const AnalysisParams& params, const Session& session, uint32_t blockBytes) {
  const WaveSession& wave = session.wave;
  const WaveSource& source = wave.source;
  RunStartStep start;
  start.settings = session.settings;
  start.keepsChartNumbers = session.keepsChartNumbers;
  RunParameters& run = start.run;
  run.analysis = params;
  run.timeResolution = session.settings.timeResolution;
  run.lineGraph = session.settings.graphStyle == kLineGraph;
  run.fileName = session.document.fileName;
  if (session.document.decodedFrom)
    run.sourceDescription = session.document.decodedFrom->description();
  run.formatTag = source.formatTag;
  run.srKHz = source.srKHz;
  run.bitsPerSample = source.bitsPerSample;
  run.channels = stereoFile(wave) ? 2 : 1;
  run.bytesPerSecond = source.bytesPerSecond;
  run.blockAlign = source.blockAlign;
  run.position = session.document.position;
  run.blockBytes = blockBytes;
  run.framesPerColumn = session.settings.framesPerColumn;
  run.wholeSpan = session.settings.wholeSpan;
  // The whole recording is exactly the frames left after the position.
  const uint32_t left = source.dataSize - std::min(run.position, source.dataSize);
  run.spanFrames = run.wholeSpan && source.blockAlign != 0
                       ? int64_t{left / source.blockAlign}
                       : int64_t{kChartColumns} * run.framesPerColumn;
  return start;
}

void enterRunningState(Session& session, RunListener& listener) {
  session.busy = true;
  listener.runningChanged(true);
}

void leaveRunningState(Session& session, RunListener& listener) {
  session.busy = false;
  listener.runningChanged(false);
}

// Reads a chart's blocks in column order from the run's position. The blocks between the columns
// are passed over, not read: a chart over a whole recording reads only what it analyses. Past the
// data's end nothing follows.
class ChartBlockReader {
 public:
  ChartBlockReader(WaveSession& wave, const ChartPlacement& placement, uint32_t readLength)
      : wave_(wave),
        placement_(placement),
        readLength_(readLength),
        filePlace_(placement.position) {}

  std::optional<ChartBlockRead> next() {
    if (column_ >= kPlotWidth) return std::nullopt;
    const uint64_t bytePosition = placement_.blockBytePosition(column_, blockIndex_);
    if (bytePosition != filePlace_ &&
        (bytePosition >= wave_.source.dataSize || !seekData(wave_.source, uint32_t(bytePosition))))
      return std::nullopt;
    // Each read asks for what the last one delivered: a short read is the data's end.
    readLength_ = readBlock(wave_, readLength_);
    if (readLength_ == 0) return std::nullopt;
    filePlace_ = bytePosition + readLength_;
    ChartBlockRead read{blockFromRead(wave_, readLength_), bytePosition, column_};
    column_ += placement_.columnsPerBlock();
    ++blockIndex_;
    return read;
  }

 private:
  WaveSession& wave_;
  const ChartPlacement& placement_;
  uint32_t readLength_;
  uint64_t filePlace_;  // where the next read starts
  int column_ = 0;
  int blockIndex_ = 0;
};

void chartRun(uint32_t readLength, Session& session, const ChartAnalysis& analysis,
              const ChartPlacement& placement, RunStepSink& steps) {
  RunListener& listener = analysis.listener;
  steps.add(ChartClearStep{});
  enterRunningState(session, listener);
  ChartBlockReader reader(session.wave, placement, readLength);
  const ChartBlockReads reads = [&reader] { return reader.next(); };
  // A listener that follows every block as it starts sees them one after another.
  const bool onPool = session.columnPool != nullptr && !listener.followsClosely();
  const ChartBlocksEnd end = onPool ? analyseChartBlocksOnPool(reads, analysis, *session.columnPool)
                                    : analyseChartBlocks(reads, analysis, session.tables);
  // The data ended before the chart did: what follows is no sound.
  if (!end.stopped && end.painted < kPlotWidth) steps.add(ChartEmptyStep{end.painted});
  steps.add(ChartEndStep{end.painted});
  leaveRunningState(session, listener);
}

// The frame analysis of the block at the position, and after it the MEM spectrum, or the DTFT in
// the log spectrum, drawn over the FFT's.
void singleBlockRun(uint32_t readLength, Session& session, const ChartAnalysis& analysis) {
  RunListener& listener = analysis.listener;
  enterRunningState(session, listener);
  WaveSession& wave = session.wave;
  const uint32_t count = readBlock(wave, readLength);
  const SampleBlock block = blockFromRead(wave, count);
  listener.blockStarting(block, 0, 0);
  const auto analyse = [&](int32_t method) {
    BlockFindings findings = analyseBlockAlone(method, block, 0, analysis.params, session.tables,
                                               analysis.progress, 0, 0);
    recordBlockFindings(findings, analysis.params, session.memRunningMax, block.sixteenBit(),
                        analysis.recorder, 0, 0);
    const auto* frame = std::get_if<FrameResult>(&findings);
    return frame != nullptr && frame->analysed;
  };
  const int32_t overlay = overlayMethod(analysis.params.method, analysis.params.view);
  if (analyse(kFft) && overlay != kFft) analyse(overlay);
  leaveRunningState(session, listener);
}

}  // namespace

int32_t overlayMethod(int32_t method, int32_t view) {
  if (view == kWaveZoom) return kFft;
  if (method == kMem) return kMem;
  if (method == kDtft && view == kSpectrumLog) return kDtft;
  return kFft;
}

void runAnalysis(Session& session, RunListener& listener) {
  WaveSession& wave = session.wave;
  const Document& document = session.document;
  AppSettings& settings = session.settings;
  // The device is not asked about the format: an analysis only reads.

  session.busy = true;
  const WaveOpenResult opened = openFileForRun(session);
  // The run's steps go to the listener's painter, or to the run's own, which paints them at once
  // into the session's display and the listener's record (or the run's own when nobody keeps it).
  RunRecord ownResult;
  RunPainter ownPainter(session.display,
                        listener.record() != nullptr ? *listener.record() : ownResult);
  RunStepSink& steps = listener.stepSink() != nullptr ? *listener.stepSink() : ownPainter;
  steps.add(FileFormatStep{opened.formatRead, wave.source.srKHz});
  // 全体 is the file as it is now, one cut short since it was opened too.
  if (settings.wholeSpan && opened.dataFound)
    settings.framesPerColumn =
        wholeSpanFramesPerColumn(wave.source.dataSize, wave.source.blockAlign, document.position);
  listener.fileOpened(opened);
  const bool usable = opened.opened;
  if (!usable)
    listener.message(openFailureMessage(opened, FailureLine::kWindow, session.display.texts),
                     MessageKind::kExclamation);
  session.busy = false;
  if (!usable) return;

  if (settings.method == kWt && settings.display != kTimeFrequencyChart) {
    // A wavelet run always draws the chart.
    const ViewMode previous = settings.display;
    settings.display = kTimeFrequencyChart;
    listener.viewChanged(previous, kTimeFrequencyChart);
  }
  const AnalysisParams params = analysisParamsFrom(settings);

  const uint32_t blockBytes =
      computeBlockBytes(params.method, params.view, wave.source.bytesPerSecond, wave.source.srKHz,
                        wave.source.blockAlign, settings.timeResolution, settings.framesPerColumn);
  if (!allocateBlockBuffers(wave, blockBytes, listener)) {
    seekData(wave.source, document.position);
    return;
  }
  const uint32_t readLength = std::min(blockBytes, wave.source.bytesLeft);

  const bool chart = params.view == kTimeFrequencyChart;
  const RunStartStep start = runStart(params, session, blockBytes);
  const ChartPlacement placement = start.run.placement();
  steps.add(start);

  session.document.lastRunView = params.view;
  session.document.lastRunMethod = params.method;
  listener.chartRun(chart);

  ResultRecorder recorder(settings, listener, steps);
  PlotProgress progress(steps, listener);
  const int blockFrames =
      placement.blockAlign != 0 ? static_cast<int>(placement.blockBytes / placement.blockAlign) : 0;
  const ChartAnalysis analysis{params,   blockFrames, placement.columnsPerBlock(), recorder,
                               progress, listener,    session.memRunningMax};
  if (chart) {
    chartRun(readLength, session, analysis, placement, steps);
  } else {
    singleBlockRun(readLength, session, analysis);
  }

  releaseBlockBuffers(wave);
  seekData(wave.source, document.position);
  steps.add(RunEndStep{!progress.stopped()});
}

}  // namespace korimu

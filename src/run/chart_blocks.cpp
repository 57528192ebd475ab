#include "run/chart_blocks.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/layout.h"
#include "run/block_analysis.h"

namespace korimu {

namespace {

// How often the run asks whether to stop while its blocks are on the pool: well within the 50 ms
// a press of Stop may take, and as often as the window wants the run's steps handed over.
constexpr auto kStopQuestionInterval = std::chrono::milliseconds(4);

// The short blocks a pool task takes together are worth this many frames.
constexpr int kFramesWorthATask = 16384;

void recordChartBlock(const ChartAnalysis& analysis, const ChartBlockRead& read,
                      BlockFindings& findings, ChartBlocksEnd& end) {
  recordBlockFindings(findings, analysis.params, analysis.memRunningMax, read.block.sixteenBit(),
                      analysis.recorder, read.column, analysis.width);
  end.painted = std::min(read.column + analysis.width, int{kPlotWidth});
}

// A block's progress on the pool, kept for the run to show in its order. Asked whether to stop,
// it answers for the whole run.
class KeptProgress : public Progress {
 public:
  explicit KeptProgress(const std::atomic<bool>& stop) : stop_(&stop) {}

  void begin(std::string_view name, long total) override {
    events_.push_back({Kind::kBegin, std::string(name), 0, total});
  }
  void step(long done, long total) override {
    // Of steps in a row only the last count stays on show.
    if (events_.empty() || events_.back().kind != Kind::kStep)
      events_.push_back({Kind::kStep, {}, 0, 0});
    events_.back().done = done;
    events_.back().total = total;
  }
  void end() override { events_.push_back({Kind::kEnd, {}, 0, 0}); }
  bool cancelled() override { return stop_->load(std::memory_order_relaxed); }

  void replay(Progress& progress) const {
    for (const Event& e : events_) {
      switch (e.kind) {
        case Kind::kBegin:
          progress.begin(e.name, e.total);
          break;
        case Kind::kStep:
          progress.step(e.done, e.total);
          break;
        case Kind::kEnd:
          progress.end();
          break;
      }
    }
  }

 private:
  enum class Kind { kBegin, kStep, kEnd };
  struct Event {
    Kind kind;
    std::string name;
    long done = 0;
    long total = 0;
  };
  const std::atomic<bool>* stop_;
  std::vector<Event> events_;
};

struct PoolBlock {
  PoolBlock(const ChartBlockRead& read, const std::atomic<bool>& stop)
      : read(read),
        samples(read.block.bytes, read.block.bytes + read.block.length),
        progress(stop) {
    this->read.block.bytes = samples.data();
  }
  ChartBlockRead read;
  std::vector<uint8_t> samples;
  BlockFindings findings;
  KeptProgress progress;
  bool cutShort = false;  // the run was stopped before this block's analysis ended
};

struct PoolTask {
  std::vector<PoolBlock> blocks;
  std::atomic<bool> done{false};
};

void analyseTask(PoolTask& task, const ChartAnalysis& analysis, const std::atomic<bool>& stop,
                 TransformTables& tables) {
  for (PoolBlock& b : task.blocks) {
    if (!stop.load(std::memory_order_relaxed))
      b.findings =
          analyseBlockAlone(analysis.params.method, b.read.block, analysis.blockFrames,
                            analysis.params, tables, b.progress, b.read.column, analysis.width);
    b.cutShort = stop.load(std::memory_order_relaxed);
    // Only blocks being analysed hold samples.
    std::vector<uint8_t>().swap(b.samples);
    b.read.block.bytes = nullptr;
  }
  task.done.store(true, std::memory_order_release);
}

}  // namespace

int chartBlocksPerTask(int32_t method, int blockFrames, int blocksInChart, int threads) {
  if (method != kFft && method != kDct) return 1;
  const int worthATask = kFramesWorthATask / std::max(blockFrames, 1);
  // Enough tasks that every thread has several.
  const int balanced = blocksInChart / (4 * std::max(threads, 1));
  return std::max(1, std::min(worthATask, balanced));
}

ChartBlocksEnd analyseChartBlocks(const ChartBlockReads& reads, const ChartAnalysis& analysis,
                                  TransformTables& tables) {
  ChartBlocksEnd end;
  while (std::optional<ChartBlockRead> read = reads()) {
    analysis.listener.blockStarting(read->block, read->column, analysis.width);
    analysis.recorder.chartBlock(read->bytePosition, read->column, analysis.width);
    BlockFindings findings =
        analyseBlockAlone(analysis.params.method, read->block, analysis.blockFrames,
                          analysis.params, tables, analysis.progress, read->column, analysis.width);
    recordChartBlock(analysis, *read, findings, end);
    if (analysis.progress.cancelled()) {
      end.stopped = true;
      break;
    }
  }
  return end;
}

ChartBlocksEnd analyseChartBlocksOnPool(const ChartBlockReads& reads, const ChartAnalysis& analysis,
                                        ColumnPool& pool) {
  const int blocksInChart = (kPlotWidth + analysis.width - 1) / analysis.width;
  const int perTask = chartBlocksPerTask(analysis.params.method, analysis.blockFrames,
                                         blocksInChart, pool.threads());
  std::atomic<bool> stop{false};
  // The tasks read and not yet recorded, leftmost first.
  std::deque<std::unique_ptr<PoolTask>> tasks;
  bool readsEnded = false;
  ChartBlocksEnd end;
  while (!end.stopped) {
    const uint64_t endedBefore = pool.tasksEnded();
    // Record what has been analysed, leftmost first, up to the first block a stop cut short.
    while (!end.stopped && !tasks.empty() && tasks.front()->done.load(std::memory_order_acquire)) {
      for (PoolBlock& b : tasks.front()->blocks) {
        analysis.recorder.chartBlock(b.read.bytePosition, b.read.column, analysis.width);
        b.progress.replay(analysis.progress);
        recordChartBlock(analysis, b.read, b.findings, end);
        if (b.cutShort) {
          end.stopped = true;
          break;
        }
      }
      tasks.pop_front();
    }
    if (end.stopped) break;
    if (!stop.load(std::memory_order_relaxed) && analysis.progress.cancelled())
      stop.store(true, std::memory_order_relaxed);
    const bool stopping = stop.load(std::memory_order_relaxed);
    // Hand the pool more blocks while it has places for them.
    while (!stopping && !readsEnded && pool.reservePlace()) {
      auto task = std::make_unique<PoolTask>();
      task->blocks.reserve(size_t(perTask));  // a block's samples stay where its read points
      for (int i = 0; i < perTask; ++i) {
        std::optional<ChartBlockRead> read = reads();
        if (!read) {
          readsEnded = true;
          break;
        }
        analysis.listener.blockStarting(read->block, read->column, analysis.width);
        task->blocks.emplace_back(*read, stop);
      }
      pool.submit([t = task.get(), &analysis, &stop](TransformTables& tables) {
        analyseTask(*t, analysis, stop, tables);
      });
      tasks.push_back(std::move(task));
    }
    if (tasks.empty() && (readsEnded || stopping)) {
      end.stopped = stopping;
      break;
    }
    pool.waitForTaskEnd(endedBefore, kStopQuestionInterval);
  }
  // No task may outlive the run: those after the block a stop cut short end without analysing.
  stop.store(true, std::memory_order_relaxed);
  for (const auto& task : tasks) {
    while (!task->done.load(std::memory_order_acquire)) {
      const uint64_t endedBefore = pool.tasksEnded();
      if (task->done.load(std::memory_order_acquire)) break;
      pool.waitForTaskEnd(endedBefore, kStopQuestionInterval);
    }
  }
  return end;
}

}  // namespace korimu

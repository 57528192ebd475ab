// What a run tells the one who started it: its progress and the question whether to stop (from
// Progress), where its steps go, and the few things beyond the picture that the window follows.
// Every member defaults to doing nothing, so a caller overrides only what it shows.
#pragma once

#include <cstdint>
#include <string>

#include "analysis/progress.h"
#include "analysis/sample_block.h"
#include "core/layout.h"
#include "platform/message.h"
#include "run/run_record.h"
#include "run/run_steps.h"
#include "wave/wave_source.h"

namespace korimu {

class RunListener : public Progress {
 public:
  // The run entered (true) or left (false) its running state, from the first block's read to the
  // end of the last block: the window sets its controls for a run and back.
  virtual void runningChanged(bool /*running*/) {}
  // The run validated its file: what became known is shown before any failure is told.
  virtual void fileOpened(const WaveOpenResult& /*result*/) {}
  // The wavelet always draws the chart: the view changed from `from` to `to` before the run.
  virtual void viewChanged(int32_t /*from*/, int32_t /*to*/) {}
  // Whether the run draws the chart (the cross-section can then be shown).
  virtual void chartRun(bool /*chart*/) {}
  // A diagnostic text of the analysers for (x, y) of the waveform overview; the window writes it
  // there when its diagnostic texts are on.
  virtual void overviewText(int /*x*/, int /*y*/, const std::string& /*text*/) {}
  // Each block just before its analysis, with the chart column and width it is drawn at (0 and 0
  // outside the chart).
  virtual void blockStarting(const SampleBlock& /*block*/, int /*column*/,
                             int /*columnsPerBlock*/) {}
  // A message for the user. The run goes on once it has been shown; a fatal one ends the process.
  // The listener shows it through its owner's messages; by default nobody is told.
  virtual void message(std::string_view /*text*/, MessageKind /*kind*/) {}
  // Whether blockStarting and the progress reports are followed step by step (a test's watcher): a
  // run on a worker then hands each over, the block copied, and waits until it has been seen.
  virtual bool followsClosely() { return false; }
  // Where the run's steps go (run/run_steps.h). By default (none) the run paints them itself, as
  // it takes them, into its session's display and record(); the window's listener hands them to
  // the window's thread, whose painter does the same there.
  virtual RunStepSink* stepSink() { return nullptr; }
  // Where the run's own painter keeps the numbers behind its picture (none when nobody saves
  // them).
  virtual RunRecord* record() { return nullptr; }
};

}  // namespace korimu

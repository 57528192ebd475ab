// What a run tells the one who started it: its progress and the question whether to stop (from
// Progress), and the few things beyond the drawing that the window follows. Every member
// defaults to doing nothing, so a caller overrides only what it shows.
#pragma once

#include <cstdint>
#include <string>

#include "analysis/progress.h"
#include "analysis/sample_block.h"
#include "run/run_record.h"

namespace korimu {

class RunListener : public Progress {
 public:
  // The wavelet always draws the chart: the view changed from `from` to `to` before the run.
  virtual void viewChanged(int32_t /*from*/, int32_t /*to*/) {}
  // Whether the run draws the chart (the cross-section can then be shown).
  virtual void chartRun(bool /*chart*/) {}
  // A diagnostic text at (x, y) of the waveform overview (only when diagnostic texts are on).
  virtual void overviewText(int /*x*/, int /*y*/, const std::string& /*text*/) {}
  // Each block just before its analysis, with the chart column and width it is drawn at (0 and 0
  // outside the chart).
  virtual void blockStarting(const SampleBlock& /*block*/, int /*column*/,
                             int /*columnsPerBlock*/) {}
  // Where the run keeps the numbers behind its picture (none when nobody saves them).
  virtual RunRecord* record() { return nullptr; }
};

}  // namespace korimu

// A run or a decode the controller has handed to a worker thread, with what it works on and what
// it leaves for the window.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control/controller.h"
#include "run/run_record.h"
#include "run/session.h"
#include "run/worker_handoff.h"
#include "wave/decoded_copy.h"
#include "wave/wave_source.h"

namespace korimu {

struct Controller::BackgroundTask {
  enum class Kind { kRun, kDecode };
  Kind kind = Kind::kRun;
  std::function<void()> work;

  // A run: its own session. It entered its running state (the window then leaves it when the
  // run is wound up).
  Session session;
  bool runEntered = false;

  // A decode: the source's open, which the reader refused, and what the decode made of it.
  WaveOpenResult refused;
  DecodeResult decoded;
  // The file decoded in place of the open one, which stays open until the decode has ended, and
  // the client canvas as it was, shown again when the decode is cancelled (empty when no file
  // was open).
  std::string replacement;
  Canvas clientBefore;

  // Last, so the worker has stopped before anything it uses goes.
  std::unique_ptr<WorkerHandoff> handoff;
};

// Draws what an open found out about the file: the format texts once the format is known, the
// position, format and span texts once the data chunk is. Returns whether anything was drawn.
bool drawOpenedFileTexts(DisplayState& display, const WaveSource& facts, Document& document,
                         const AppSettings& settings, const WaveOpenResult& result);

}  // namespace korimu

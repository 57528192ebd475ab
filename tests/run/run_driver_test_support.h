// A scope for whole analysis runs: crafted WAV files in a temporary folder, the window canvas, a
// listener that records every block the run hands on and can press Stop, and the message sinks
// restored afterwards.

#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/layout.h"

#include "display/display_state.h"
#include "display/run_texts.h"
#include "platform/message.h"
#include "run/run_driver.h"
#include "wave/wav_builder.h"
#include "wave/wave_session.h"

namespace korimu::testing {

struct SeenBlock {
  std::vector<uint8_t> bytes;
  int column = 0;
  int width = 0;
  bool busy = false;
};

class RunScope : public RunListener {
 public:
  RunScope() {
    session.display.surfaces.window = Canvas(kLayout.layoutWidth, kLayout.clientHeight);
    session.display.surfaces.window.clear(kButtonFace);
    session.wave.messages = {
        [this](std::string_view text, MessageKind) { messages.emplace_back(text); },
        [this](int) { ++fatalExits; }};
  }
  ~RunScope() override { closeWave(session.wave, true); }
  // The run's messages are recorded as the session's own are.
  void message(std::string_view text, MessageKind kind) override {
    session.wave.messages.show(text, kind);
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

  // Writes the file and makes it the open one, at byte `position` of its data.
  void useFile(const std::vector<uint8_t>& bytes, uint32_t position = 0) {
    session.document.fileName = dir.write("run.wav", bytes);
    session.document.fileSelected = true;
    session.document.position = position;
  }

  // Every question whether to stop is an event; Stop is pressed at event stopAfterEvents.
  bool cancelled() override {
    ++events;
    if (stopAfterEvents > 0 && events >= stopAfterEvents) stopPressed = true;
    if (onEvent) onEvent();
    return stopPressed;
  }
  void runningChanged(bool running) override { runningStates.push_back(running); }
  void blockStarting(const SampleBlock& block, int column, int width) override {
    blocks.push_back({std::vector<uint8_t>(block.bytes, block.bytes + block.length), column, width,
                      session.busy});
    if (onBlock) onBlock();
  }
  void viewChanged(int32_t from, int32_t to) override {
    checks.emplace_back(from, false);
    checks.emplace_back(to, true);
  }
  void chartRun(bool chart) override { enables.emplace_back(1116, chart); }

  // Whether the progress place of the window shows blanks.
  bool progressBlanked() const {
    Canvas blanked = session.display.surfaces.window;
    clearProgressText(blanked);
    return blanked.pixels() == session.display.surfaces.window.pixels();
  }

  TempDir dir;
  Session session;
  std::vector<SeenBlock> blocks;
  std::vector<std::pair<int, bool>> checks;
  std::vector<std::pair<int, bool>> enables;
  std::vector<bool> runningStates;
  bool stopPressed = false;
  std::vector<std::string> messages;
  int fatalExits = 0;
  int events = 0;
  int stopAfterEvents = 0;
  std::function<void()> onEvent;
  std::function<void()> onBlock;
};

// A run scope that keeps the run's numbers.
struct RecordingScope : RunScope {
  RunRecord numbers;
  RunRecord* record() override { return &numbers; }
};

// The format of a 16-bit mono file at `rate`.
inline FormatFields mono16Format(uint32_t rate) {
  FormatFields f;
  f.channels = 1;
  f.bits = 16;
  f.rate = rate;
  return f;
}

}  // namespace korimu::testing

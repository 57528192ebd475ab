// A scope for whole analysis runs: crafted WAV files in a temporary folder, the window canvas, a
// record of every block the run hands on, and the process state restored afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "analysis/analysis_sink.h"
#include "analysis/method_sink.h"
#include "analysis/run_driver.h"
#include "core/app_state.h"
#include "core/layout.h"
#include "core/settings.h"
#include "core/shell_hooks.h"
#include "display/display_state.h"
#include "platform/event_pump.h"
#include "platform/message.h"
#include "wave/sample_buffers.h"
#include "wave/wav_builder.h"
#include "wave/wave_source.h"

namespace korimu::testing {

struct SeenBlock {
  std::vector<uint8_t> bytes;
  int column = 0;
  int width = 0;
  int32_t busy = 0;
};

class RunScope {
 public:
  RunScope()
      : savedSettings_(settings),
        savedState_(appState),
        savedAnalysisSink_(analysisSink),
        savedMethodSink_(methodSink),
        savedRunHooks_(runHooks),
        savedShellHooks_(shellHooks) {
    settings = AppSettings{};
    appState = AppState{};
    analysisSink = AnalysisSink{};
    methodSink = MethodSink{};
    runHooks = RunHooks{};
    shellHooks = ShellHooks{};
    layout = LayoutUnits{};
    displaySurfaces.window = Canvas(layout.layoutWidth, layout.clientHeight);
    displaySurfaces.window.clear(kButtonFace);
    savedMessages_ =
        setMessageSink([this](std::string_view text, MessageKind) { messages.emplace_back(text); });
    savedFatal_ = setFatalExit([this](int) { ++fatalExits; });
    savedPump_ = setEventPump([this] {
      ++events;
      if (stopAfterEvents > 0 && events >= stopAfterEvents) appState.stopRequested = 1;
    });
    runHooks.blockRead = [this](const SampleBlock& block, int column, int width) {
      blocks.push_back({std::vector<uint8_t>(block.bytes, block.bytes + block.length), column,
                        width, appState.busy});
    };
    runHooks.checkMenuItem = [this](int id, bool on) { checks.emplace_back(id, on); };
    runHooks.enableMenuItem = [this](int id, bool on) { enables.emplace_back(id, on); };
    shellHooks.enableRunControls = [this](bool on) { runControls.push_back(on); };
    analysisSink.windowText = [this](int x, int y, const std::string& text) {
      texts.push_back({x, y, text});
    };
  }
  ~RunScope() {
    closeWave();
    setMessageSink(savedMessages_);
    setFatalExit(savedFatal_);
    setEventPump(savedPump_);
    setSampleMemoryLimit(0);
    settings = savedSettings_;
    appState = savedState_;
    analysisSink = savedAnalysisSink_;
    methodSink = savedMethodSink_;
    runHooks = savedRunHooks_;
    shellHooks = savedShellHooks_;
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

  // Writes the file and makes it the open one, at byte `position` of its data.
  void useFile(const std::vector<uint8_t>& bytes, uint32_t position = 0) {
    appState.fileName = dir.write("run.wav", bytes);
    appState.fileSelected = 1;
    appState.position = position;
  }

  struct Text {
    int x, y;
    std::string text;
  };
  static int progressY() { return layout.plotTop - 2 * layout.unitH - 2; }
  bool progressBlanked() const {
    for (const Text& t : texts)
      if (t.x == 512 - 13 * layout.unitW && t.y == progressY() && t.text == std::string(21, ' '))
        return true;
    return false;
  }

  TempDir dir;
  std::vector<SeenBlock> blocks;
  std::vector<std::pair<int, bool>> checks;
  std::vector<std::pair<int, bool>> enables;
  std::vector<bool> runControls;
  std::vector<Text> texts;
  std::vector<std::string> messages;
  int fatalExits = 0;
  int events = 0;
  int stopAfterEvents = 0;

 private:
  AppSettings savedSettings_;
  AppState savedState_;
  AnalysisSink savedAnalysisSink_;
  MethodSink savedMethodSink_;
  RunHooks savedRunHooks_;
  ShellHooks savedShellHooks_;
  MessageSink savedMessages_;
  FatalExit savedFatal_;
  EventPump savedPump_;
};

}  // namespace korimu::testing

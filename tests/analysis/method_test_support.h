// A recording scope for the DTFT, MEM and wavelet analysers: everything the shared scope records,
// plus their own outputs, a counting event pump that can press Stop at a chosen event, and the
// saved process state (flags, running maximum) restored afterwards.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "analysis/analysis_sink.h"
#include "analysis/method_sink.h"
#include "analysis_test_support.h"
#include "core/app_state.h"
#include "core/layout.h"
#include "platform/event_pump.h"

namespace korimu::testing {

class MethodScope {
 public:
  MethodScope() : savedMethodSink_(methodSink), savedState_(appState) {
    methodSink = MethodSink{};
    methodSink.overviewTextAt = [this](int x, int y, const std::string& t) {
      overviewTexts.push_back({x, y, t});
    };
    methodSink.drawPointSpectrum = [this](int32_t view, const SpectrumFrame& frame, int column,
                                          int width) {
      pointViews.push_back(view);
      pointFrames.push_back(frame);
      pointColumns.emplace_back(column, width);
    };
    methodSink.chartPixel = [this](int x, int y, uint8_t depth) { pixels[{x, y}] = depth; };
    methodSink.presentPlotRow = [this](int row) { presentedRows.push_back(row); };
    savedPump_ = setEventPump([this] {
      ++events;
      if (stopAtEvent > 0 && events >= stopAtEvent) appState.stopRequested = 1;
    });
    appState.stopRequested = 0;
  }
  ~MethodScope() {
    methodSink = savedMethodSink_;
    appState = savedState_;
    setEventPump(savedPump_);
  }
  MethodScope(const MethodScope&) = delete;
  MethodScope& operator=(const MethodScope&) = delete;

  Recorded& rec() { return shared_.rec; }

  // The main-window texts drawn at the progress place (the 21-character text and its counter).
  static int progressY() { return layout.plotTop - 2 * layout.unitH - 2; }

  RecordingScope shared_;
  std::vector<Recorded::Text> overviewTexts;
  std::vector<int32_t> pointViews;
  std::vector<SpectrumFrame> pointFrames;
  std::vector<std::pair<int, int>> pointColumns;
  std::map<std::pair<int, int>, uint8_t> pixels;
  std::vector<int> presentedRows;
  long events = 0;
  long stopAtEvent = 0;  // the event at which Stop is pressed (0: never)

 private:
  MethodSink savedMethodSink_;
  AppState savedState_;
  EventPump savedPump_;
};

}  // namespace korimu::testing

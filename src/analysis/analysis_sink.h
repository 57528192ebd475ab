// How the analysers hand their results to the display and the run driver. The analysers draw
// nothing themselves; every member defaults to empty, so tests and headless runs simply record
// or ignore what they need. The front end (or the run driver) installs the real painters.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/sample_block.h"
#include "analysis/spectrum_frame.h"

namespace korimu {

struct AnalysisSink {
  // Text in the fixed font, button-text on button-face colour, at (x, y) of the main window
  // (progress texts and their blanking, the wave-zoom extremes, storage warnings).
  std::function<void(int x, int y, const std::string& text)> windowText;
  // Counters of a long step, each time its progress text is drawn (done of total).
  std::function<void(long done, long total)> progress;
  // Diagnostic numbers, written at (0, 0) of the waveform overview window.
  std::function<void(const std::string& text)> overviewText;
  // The peak box right of the plot: the frequency line and the power line.
  std::function<void(const std::string& frequencyText, const std::string& powerText)> peakReadout;
  // One spectrum for `view` (a ViewMode): meter, linear or log spectrum, or the chart column at
  // `column` that is `columnsPerBlock` columns wide. Drawn into the back buffer.
  std::function<void(int32_t view, const SpectrumFrame& frame, int column, int columnsPerBlock)>
      drawSpectrum;
  // The waveform-zoom rows (one per sample or lag), drawn into the back buffer.
  std::function<void(const std::vector<uint8_t>& rows)> drawWaveZoom;
  // Copy the back buffer's 512 x 256 plot area to the window.
  std::function<void()> presentPlot;
  // The analyser of `method` (MEM or DTFT) that draws over the spectrum just shown, with the
  // arguments the frame analysis was called with.
  std::function<void(int32_t method, const SampleBlock& block, int column, int columnsPerBlock)>
      overlay;
};

// The process-wide sink.
extern AnalysisSink analysisSink;

// Calls a sink member when it is installed.
template <typename Member, typename... Args>
void notifySink(const Member& member, Args&&... args) {
  if (member) member(std::forward<Args>(args)...);
}

// The 21-character progress text of long analyses, right-aligned above the plot
// (x = 512 - (length - 8) * unitW, y = plotTop - 2 * unitH - 2), with its counters.
void showProgress(const std::string& text, long done, long total);
// Blanks the progress text with 21 spaces at the same place.
void clearProgress();

}  // namespace korimu

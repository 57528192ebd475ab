// Draws what the analysers found: spectra and rows into the chart back buffer, texts into the
// main window's canvas, diagnostics to the overview, messages to the user. What a block drew in
// the plot is copied to the window when it is presented, and only that part is repainted.
#pragma once

#include <climits>
#include <cstdint>
#include <string>

#include "analysis/analysis_notes.h"
#include "analysis/frame_analysis.h"
#include "analysis/progress.h"
#include "analysis/spectrum_frame.h"
#include "core/layout.h"
#include "core/settings.h"

#include "display/chart.h"
#include "display/display_state.h"
#include "run/run_listener.h"
#include "run/run_record.h"

namespace korimu {

class ResultPainter {
 public:
  // The results are drawn in the look the settings choose. wholePlotCopies copies the whole plot
  // area to the window at every step instead of only what the step drew: the simple way the
  // incremental copy is compared against.
  // What is drawn is first kept in `result`, and drawn from there.
  ResultPainter(DisplayState& display, const AppSettings& settings, RunListener& listener,
                RunRecord& result, bool wholePlotCopies = false)
      : display_(display),
        settings_(settings),
        listener_(listener),
        result_(result),
        wholePlotCopies_(wholePlotCopies) {}

  // The messages (shown in order; a fatal one ends the process), the diagnostic texts and the
  // note that the FFT tables did not fit.
  void notes(const AnalysisNotes& notes);
  // The frame analysis's view: the wave zoom with its extremes, or the peak and the spectrum.
  void frame(const FrameResult& result, int32_t view, int column, int columnsPerBlock);
  // A spectrum of log-spaced points (linear ones of MEM in the linear view), for the view.
  void points(const SpectrumFrame& frame, int32_t view, int column, int columnsPerBlock);
  void peakReadout(double frequency, double power);
  void powerWarning(const std::string& text);
  // A chart block read at bytePosition begins: what follows is drawn into its columns.
  void chartBlock(uint64_t bytePosition, int column, int columnsPerBlock);
  // One wavelet row (its depths and the powers they came from) into the block's columns, copied
  // to the window at once.
  void waveletRow(int row, const uint8_t* depths, const double* powers, int n, int column,
                  int columnsPerBlock);
  // Copies to the window what was drawn into the plot since the last copy.
  void present();

 private:
  struct DrawnArea {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    bool empty() const { return left >= right || top >= bottom; }
    void add(const Rect& r);  // clipped to the plot area
  };
  void markWholePlot();
  // Keeps the spans' elements (depths and powers) in the result's chart cells and paints them.
  void chartSpans(const std::vector<ChartSpan>& spans, const uint8_t* depths, const double* powers,
                  size_t count);
  void showText(const Rect& written);
  Canvas& window() { return display_.surfaces.window; }
  Canvas& backBuffer() { return display_.surfaces.backBuffer; }

  DisplayState& display_;
  const AppSettings& settings_;
  RunListener& listener_;
  RunRecord& result_;
  const bool wholePlotCopies_;
  DrawnArea drawn_;
};

// The progress of the analysers as the window shows it: the progress text above the plot (its
// name and counters), then handed on to the listener, which also answers whether to stop.
class PlotProgress : public Progress {
 public:
  // The progress text goes to `window`, the main window's canvas.
  PlotProgress(Canvas& window, RunListener& listener) : window_(window), listener_(listener) {}
  void begin(std::string_view name, long total) override;
  void step(long done, long total) override;
  void end() override;
  // Asks the listener; once it has said stop, stopped() stays true.
  bool cancelled() override;
  bool stopped() const { return stopped_; }

 private:
  Canvas& window_;
  RunListener& listener_;
  bool stopped_ = false;
};

}  // namespace korimu

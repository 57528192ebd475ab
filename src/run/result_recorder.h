// Turns what the analysers found into the run's steps (run/run_steps.h): the numbers the record
// keeps and the texts the run shows, in the order the run finds them. It draws nothing; messages
// and diagnostic texts go to the listener.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/analysis_notes.h"
#include "analysis/frame_analysis.h"
#include "analysis/progress.h"
#include "analysis/spectrum_frame.h"
#include "core/settings.h"
#include "run/run_listener.h"
#include "run/run_steps.h"

namespace korimu {

// The spans' cells: each at its element's depth, saying the loudest power of its group.
ChartCellsStep chartCells(std::vector<ChartSpan> spans, const uint8_t* depths, const double* powers,
                          size_t count, std::optional<double> zeroDbPower = std::nullopt);
// One wavelet row (its depths and the powers they came from) in the block's columns.
ChartCellsStep waveletRowCells(int row, const uint8_t* depths, const double* powers, int n,
                               int column, int columnsPerBlock);

class ResultRecorder {
 public:
  // Meter bands are taken as the settings draw them (bars or line points).
  ResultRecorder(const AppSettings& settings, RunListener& listener, RunStepSink& steps)
      : settings_(settings), listener_(listener), steps_(steps) {}

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
  // Chart cells made elsewhere (chartCells, waveletRowCells).
  void cells(ChartCellsStep cells);

 private:
  // A spectrum of a frame view.
  void spectrum(const SpectrumFrame& frame, bool points, int32_t view);

  const AppSettings& settings_;
  RunListener& listener_;
  RunStepSink& steps_;
};

// The progress of the analysers as the window shows it: the progress text above the plot (its
// name and counters) as steps, then handed on to the listener, which also answers whether to stop.
class PlotProgress : public Progress {
 public:
  PlotProgress(RunStepSink& steps, RunListener& listener) : steps_(steps), listener_(listener) {}
  void begin(std::string_view name, long total) override;
  void step(long done, long total) override;
  void end() override;
  // Asks the listener; once it has said stop, stopped() stays true.
  bool cancelled() override;
  bool stopped() const { return stopped_; }

 private:
  RunStepSink& steps_;
  RunListener& listener_;
  bool stopped_ = false;
};

}  // namespace korimu

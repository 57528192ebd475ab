#include "run/result_painter.h"

#include <algorithm>

#include "analysis/level_map.h"
#include "core/layout.h"
#include "display/chart.h"
#include "display/display_state.h"
#include "display/level_meter.h"
#include "display/peak_readout.h"
#include "display/run_texts.h"
#include "display/spectrum_graph.h"
#include "platform/fixed_font.h"
#include "platform/message.h"

namespace korimu {

namespace {

Rect wholePlot() {
  return {kLayout.unitW, kLayout.plotTop, kPlotWidth, kPlotHeight};
}

// Where each diagnostic line goes in the overview.
void diagnosticPlace(DiagnosticLine line, int& x, int& y) {
  switch (line) {
    case DiagnosticLine::kAutoScale:
    case DiagnosticLine::kModelOrders:
      x = 0, y = 0;
      return;
    case DiagnosticLine::kModelStep:
      x = 0, y = 20;
      return;
    case DiagnosticLine::kModelChoice:
      x = 0, y = 40;
      return;
    case DiagnosticLine::kBlockMaximum:
      x = 250, y = 0;
      return;
    case DiagnosticLine::kBlockMinimum:
      x = 250, y = 40;
      return;
  }
}

}  // namespace

void ResultPainter::DrawnArea::add(const Rect& r) {
  const Rect plot = wholePlot();
  const int x0 = std::max(r.x, plot.x), y0 = std::max(r.y, plot.y);
  const int x1 = std::min(r.x + r.w, plot.x + plot.w), y1 = std::min(r.y + r.h, plot.y + plot.h);
  if (x0 >= x1 || y0 >= y1) return;
  left = std::min(left, x0);
  top = std::min(top, y0);
  right = std::max(right, x1);
  bottom = std::max(bottom, y1);
}

void ResultPainter::markWholePlot() {
  drawn_.add(wholePlot());
}

void ResultPainter::showText(const Rect& written) {
  listener_.clientAreaChanged(written);
}

void ResultPainter::notes(const AnalysisNotes& notes) {
  for (const AnalysisMessage& m : notes.messages)
    showMessage(m.text, m.fatal ? MessageKind::kFatal : MessageKind::kPlainOk);
  if (notes.tableShortfallBytes != 0)
    showText(drawTableShortfall(window(), notes.tableShortfallBytes));
  for (const Diagnostic& d : notes.diagnostics) {
    int x = 0, y = 0;
    diagnosticPlace(d.line, x, y);
    listener_.overviewText(x, y, d.text);
  }
}

void ResultPainter::frame(const FrameResult& r, int32_t view, int column, int columnsPerBlock) {
  if (RunRecord* record = listener_.record(); record != nullptr && view != kTimeFrequencyChart) {
    record->waveRows = r.rows;
    record->waveValues = r.values;
    record->spectrum = r.frame;
    record->spectrumPoints = false;
  }
  if (r.waveZoom) {
    if (r.extremesShown) showText(drawWaveZoomExtremes(window(), r.maximum, r.minimum));
    drawWaveZoom(backBuffer(), display_.fileRate, settings_, r.rows.data(),
                 static_cast<int>(r.rows.size()));
    markWholePlot();
    present();
    return;
  }
  peakReadout(r.peakFrequency, r.peakPower);
  const uint8_t* depths = r.frame.data();
  const int bins = r.frame.bins();
  switch (view) {
    case kLevelMeter:
      drawOctaveMeter(backBuffer(), settings_, depths, bins);
      markWholePlot();
      break;
    case kSpectrumLinear:
      drawLinearSpectrum(backBuffer(), display_, settings_, depths, bins);
      markWholePlot();
      break;
    case kSpectrumLog:
      drawLogSpectrum(backBuffer(), display_, settings_, depths, bins);
      markWholePlot();
      break;
    case kTimeFrequencyChart:
      drawChartColumn(display_, backBuffer(), depths, bins, column, columnsPerBlock);
      drawn_.add({kLayout.unitW + column, kLayout.plotTop, std::min(columnsPerBlock, kPlotWidth),
                  kPlotHeight});
      break;
    default:
      break;
  }
  present();
}

void ResultPainter::points(const SpectrumFrame& frame, int32_t view, int column,
                           int columnsPerBlock) {
  if (RunRecord* record = listener_.record(); record != nullptr && view != kTimeFrequencyChart) {
    record->spectrum = frame;
    record->spectrumPoints = true;
  }
  const uint8_t* depths = frame.data();
  const int points = frame.bins();
  switch (view) {
    case kLevelMeter:
      drawEqualCountMeter(backBuffer(), settings_, depths, points);
      markWholePlot();
      break;
    case kSpectrumLinear:
      drawLinearSpectrum(backBuffer(), display_, settings_, depths, points);
      markWholePlot();
      break;
    case kSpectrumLog:
      drawLogBinnedSpectrum(backBuffer(), display_, settings_, depths, points, kLayout.plotTop,
                            kPlotWidth);

      markWholePlot();
      break;
    case kTimeFrequencyChart:
      drawChartColumnLog(display_, backBuffer(), depths, points, column, columnsPerBlock);
      drawn_.add({kLayout.unitW + column, kLayout.plotTop, std::min(columnsPerBlock, kPlotWidth),
                  kPlotHeight});
      break;
    default:
      break;
  }
  present();
}

void ResultPainter::peakReadout(double frequency, double power) {
  if (RunRecord* record = listener_.record()) {
    record->peakShown = true;
    record->peakFrequency = frequency;
    record->peakPower = power;
  }
  drawPeakReadout(display_, window(), peakFrequencyText(frequency), peakPowerText(power));
  // The box and whatever of its lines runs past it, up to the window's right edge.
  const int x = kPlotWidth + 3 * kLayout.unitW;
  listener_.clientAreaChanged(
      {x, kLayout.plotTop, window().width() - x,
       std::max(5 * kLayout.unitH, 3 * kLayout.unitH + FixedFont::kCellHeight)});
}

void ResultPainter::powerWarning(const std::string& text) {
  showText(drawPowerWarning(window(), text));
}

void ResultPainter::waveletRow(int row, const uint8_t* depths, int n, int column,
                               int columnsPerBlock) {
  const Rect painted =
      drawWaveletRow(display_, backBuffer(), depths, n, column, columnsPerBlock, row);
  if (wholePlotCopies_) {
    // The comparison copies the row's full width, as a row copy always did.
    const int x = kLayout.unitW, y = kLayout.plotTop + row;
    window().copyFrom(backBuffer(), x, y, kPlotWidth, 1, x, y);
    listener_.clientAreaChanged({x, y, kPlotWidth, 1});
    drawn_ = DrawnArea{};
    return;
  }
  drawn_.add(painted);
  present();
}

void ResultPainter::present() {
  if (wholePlotCopies_) {
    drawn_ = DrawnArea{};
    markWholePlot();
  }
  if (drawn_.empty()) return;
  const int w = drawn_.right - drawn_.left, h = drawn_.bottom - drawn_.top;
  window().copyFrom(backBuffer(), drawn_.left, drawn_.top, w, h, drawn_.left, drawn_.top);
  listener_.clientAreaChanged({drawn_.left, drawn_.top, w, h});
  drawn_ = DrawnArea{};
}

void PlotProgress::begin(std::string_view name, long total) {
  listener_.clientAreaChanged(drawProgressText(window_, name, 0, total));
  listener_.begin(name, total);
}

void PlotProgress::step(long done, long total) {
  listener_.clientAreaChanged(drawProgressCounter(window_, done));
  listener_.step(done, total);
}

void PlotProgress::end() {
  listener_.clientAreaChanged(clearProgressText(window_));
  listener_.end();
}

bool PlotProgress::cancelled() {
  const bool stop = listener_.cancelled();
  stopped_ = stopped_ || stop;
  return stop;
}

}  // namespace korimu

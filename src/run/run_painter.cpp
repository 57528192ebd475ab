#include "run/run_painter.h"

#include <algorithm>
#include <array>
#include <utility>
#include <variant>

#include "analysis/level_map.h"
#include "display/chart.h"
#include "display/frame_parts.h"
#include "display/graph_frame.h"
#include "display/level_meter.h"
#include "display/peak_readout.h"
#include "display/run_texts.h"
#include "display/spectrum_graph.h"
#include "display/status_texts.h"
#include "platform/fixed_font.h"

namespace korimu {

namespace {

Rect unionOf(const Rect& a, const Rect& b) {
  const int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
  const int right = std::max(a.x + a.w, b.x + b.w), bottom = std::max(a.y + a.h, b.y + b.h);
  return Rect{left, top, right - left, bottom - top};
}

bool contains(const Rect& outer, const Rect& inner) {
  return outer.x <= inner.x && outer.y <= inner.y && inner.x + inner.w <= outer.x + outer.w &&
         inner.y + inner.h <= outer.y + outer.h;
}

bool touch(const Rect& a, const Rect& b) {
  return a.x <= b.x + b.w && b.x <= a.x + a.w && a.y <= b.y + b.h && b.y <= a.y + a.h;
}

Rect wholePlot() {
  return {kLayout.unitW, kLayout.plotTop, kPlotWidth, kPlotHeight};
}

// The meter's bands as drawn.
std::vector<MeterBand> drawnBands(const std::vector<MeterBandResult>& bands) {
  std::vector<MeterBand> drawn;
  drawn.reserve(bands.size());
  for (const MeterBandResult& b : bands) drawn.push_back({b.firstBin, b.endBin, b.depth});
  return drawn;
}

}  // namespace

void DrawnAreas::add(Rect area) {
  if (area.w <= 0 || area.h <= 0) return;
  // A run that asks at every point redraws the same counter each time.
  for (const Rect& r : areas_)
    if (contains(r, area)) return;
  // Whatever the new one touches merges into it, until it touches no other.
  for (size_t i = 0; i < areas_.size();) {
    if (touch(areas_[i], area)) {
      area = unionOf(areas_[i], area);
      areas_.erase(areas_.begin() + std::ptrdiff_t(i));
      i = 0;
    } else {
      ++i;
    }
  }
  areas_.push_back(area);
}

// Draws one step, its numbers already in the record.
struct RunPainter::Drawing {
  RunPainter& painter;
  DisplayState& display = painter.display_;
  RunRecord& record = painter.record_;
  const AppSettings& settings = painter.settings_;
  Canvas& window = display.surfaces.window;
  Canvas& backBuffer = display.surfaces.backBuffer;

  void shown(const Rect& area) const { painter.drawn_.add(area); }
  void wholeClientShown() const { shown({0, 0, window.width(), window.height()}); }
  // The plot's part `area` (window coordinates) as the back buffer has it.
  void copyPlot(const Rect& area) const {
    if (area.w <= 0 || area.h <= 0) return;
    window.copyFrom(backBuffer, area.x, area.y, area.w, area.h, area.x, area.y);
    shown(area);
  }
  // The colours of chart column `column`, row 0 the top, as this painter has just drawn them.
  std::array<Rgb, kChartRows> columnColours(int column) const {
    std::array<Rgb, kChartRows> colours{};
    for (int row = 0; row < kChartRows; ++row)
      colours[size_t(row)] = backBuffer.getPixel(kLayout.unitW + column, kLayout.plotTop + row);
    return colours;
  }

  void operator()(const FileFormatStep& s) const {
    if (s.formatRead) display.fileRate = SampleRate(s.srKHz);
  }
  void operator()(const RunStartStep& s) const {
    painter.settings_ = s.settings;
    if (backBuffer.width() == 0) prepareAnalysis(display, settings.musicalKey);
    if (s.run.analysis.view == kTimeFrequencyChart) clearRangeBand(window);
    drawGraphFrame(display, settings, window);
    wholeClientShown();
  }
  void operator()(const ChartClearStep& /*step*/) const {
    clearChart(display, settings, backBuffer);
    // The cleared chart is the same in every column.
    record.chartClearColours = columnColours(0);
    copyPlot(wholePlot());
    wholeClientShown();
  }
  void operator()(const ChartBlockStep& /*step*/) const {}
  void operator()(const ChartCellsStep& s) const {
    if (!record.chartCells.allocated()) return;
    copyPlot(paintChartSpans(display, backBuffer, s.spans, record.chartCells.depths.data()));
  }
  void operator()(const PeakStep& s) const {
    drawPeakReadout(display, window, peakFrequencyText(s.frequency), peakPowerText(s.power));
    // The box and whatever of its lines runs past it, up to the window's right edge.
    const int x = kPlotWidth + 3 * kLayout.unitW;
    shown({x, kLayout.plotTop, window.width() - x,
           std::max(5 * kLayout.unitH, 3 * kLayout.unitH + FixedFont::kCellHeight)});
  }
  void operator()(const SpectrumStep& /*step*/) const {
    const SpectrumFrame& spectrum = record.spectrum;
    switch (record.run.analysis.view) {
      case kLevelMeter:
        drawMeter(backBuffer, settings, drawnBands(record.bands));
        break;
      case kSpectrumLinear:
        drawLinearSpectrum(backBuffer, display, settings, spectrum.data(), spectrum.bins());
        break;
      case kSpectrumLog:
        if (record.spectrumPoints) {
          drawLogBinnedSpectrum(backBuffer, display, settings, spectrum.data(), spectrum.bins(),
                                kLayout.plotTop, kPlotWidth);
        } else {
          drawLogSpectrum(backBuffer, display, settings, spectrum.data(), spectrum.bins());
        }
        break;
      default:
        return;
    }
    copyPlot(wholePlot());
  }
  void operator()(const WaveZoomStep& s) const {
    if (s.extremesShown) shown(drawWaveZoomExtremes(window, s.maximum, s.minimum, display.texts));
    drawWaveZoom(backBuffer, display.fileRate, settings, record.waveRows.data(),
                 static_cast<int>(record.waveRows.size()));
    copyPlot(wholePlot());
  }
  void operator()(const TableShortfallStep& s) const {
    shown(drawTableShortfall(window, s.bytes, display.texts));
  }
  void operator()(const PowerWarningStep& s) const { shown(drawPowerWarning(window, s.text)); }
  void operator()(const ProgressTextStep& s) const {
    shown(drawProgressText(window, s.name, 0, s.total));
  }
  void operator()(const ProgressCounterStep& s) const {
    shown(drawProgressCounter(window, s.done));
  }
  void operator()(const ProgressClearStep& /*step*/) const { shown(clearProgressText(window)); }
  void operator()(const StopAcceptedStep& /*step*/) const {
    drawStopAccepted(window, display.texts);
    wholeClientShown();
  }
  void operator()(const ChartEmptyStep& s) const {
    // What follows the data's end is no sound, and must not look like it.
    clearChartColumnsWithoutData(backBuffer, display, settings, s.fromColumn);
    record.chartEmptyColours = columnColours(s.fromColumn);
    copyPlot(wholePlot());
    wholeClientShown();
  }
  void operator()(const ChartEndStep& /*step*/) const {
    clearProgressText(window);
    if (!settings.colorScale) {
      drawChartLabels(window, display.fileRate, settings);
      // The labels' clear runs through the peak box: it shows its whole two lines again.
      redrawPeakReadout(display, window);
    }
    wholeClientShown();
  }
  void operator()(const RunEndStep& /*step*/) const {}
};

void RunPainter::add(RunStep step) {
  if (std::holds_alternative<ProgressCounterStep>(step)) {
    pendingCounter_ = std::move(step);
    return;
  }
  if (pendingCounter_) paint(*std::exchange(pendingCounter_, std::nullopt));
  paint(step);
}

void RunPainter::paint(const RunStep& step) {
  applyRunStep(record_, step);
  std::visit(Drawing{*this}, step);
}

}  // namespace korimu

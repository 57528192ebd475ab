#include "analysis/run_wiring.h"

#include <algorithm>
#include <climits>
#include <string>

#include "analysis/analysis_sink.h"
#include "analysis/dtft.h"
#include "analysis/frame_analysis.h"
#include "analysis/mem.h"
#include "analysis/method_sink.h"
#include "analysis/run_driver.h"
#include "analysis/wavelet.h"
#include "core/app_state.h"
#include "core/layout.h"
#include "core/settings.h"
#include "core/shell_hooks.h"
#include "display/chart.h"
#include "display/display_state.h"
#include "display/level_meter.h"
#include "display/peak_readout.h"
#include "display/spectrum_graph.h"
#include "platform/fixed_font.h"

namespace korimu {

void analyzeChartBlock(const SampleBlock& block, int blockFrames, int column, int columnsPerBlock) {
  switch (settings.method) {
    case kWt:
      waveletBlock(block, blockFrames, column, columnsPerBlock, 0);
      break;
    case kMem:
      memAnalyze(block, column, columnsPerBlock);
      break;
    case kDtft:
      dtftAnalyze(block, column, columnsPerBlock);
      break;
    default:
      analyzeFrame(block, column, columnsPerBlock);
      break;
  }
}

namespace {

Canvas& window() {
  return displaySurfaces.window;
}
Canvas& backBuffer() {
  return displaySurfaces.backBuffer;
}

bool wholePlotCopies = false;

// The part of the back buffer's plot area drawn since the window last received a copy of it. A
// chart block changes a few columns (a wavelet row one line of them), so only those are copied
// and repainted, not the whole plot.
struct DrawnArea {
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;

  bool empty() const { return left >= right || top >= bottom; }
  // Adds a rectangle, clipped to the plot area (nothing outside it is ever copied).
  void add(int x, int y, int w, int h) {
    const int plotLeft = layout.unitW, plotTop = layout.plotTop;
    const int x0 = std::max(x, plotLeft), y0 = std::max(y, plotTop);
    const int x1 = std::min(x + w, plotLeft + 512), y1 = std::min(y + h, plotTop + 256);
    if (x0 >= x1 || y0 >= y1) return;
    left = std::min(left, x0);
    top = std::min(top, y0);
    right = std::max(right, x1);
    bottom = std::max(bottom, y1);
  }
};
DrawnArea drawn;

void markWholePlot() {
  drawn.add(layout.unitW, layout.plotTop, 512, 256);
}
void markChartColumns(int column, int columnsPerBlock) {
  drawn.add(layout.unitW + column, layout.plotTop, std::min(columnsPerBlock, 512), 256);
}

void refreshWindow() {
  callHook(shellHooks.updateMainWindow);
}

void refreshWindowArea(int x, int y, int w, int h) {
  if (shellHooks.updateMainWindowRect) {
    shellHooks.updateMainWindowRect(x, y, w, h);
  } else {
    refreshWindow();
  }
}

void windowText(int x, int y, const std::string& text) {
  const int width = window().textOut(x, y, text);
  refreshWindowArea(x, y, width, FixedFont::kCellHeight);
}

void showPeakReadout(const std::string& frequencyText, const std::string& powerText) {
  drawPeakReadout(window(), frequencyText, powerText);
  // The box and whatever of its lines runs past it, up to the window's right edge.
  const int x = 512 + 3 * layout.unitW;
  refreshWindowArea(x, layout.plotTop, window().width() - x,
                    std::max(5 * layout.unitH, 3 * layout.unitH + FixedFont::kCellHeight));
}

// Linear bins of the FFT or DCT for the view.
void drawSpectrum(int32_t view, const SpectrumFrame& frame, int column, int columnsPerBlock) {
  const uint8_t* depths = frame.data();
  const int bins = frame.bins();
  switch (view) {
    case kLevelMeter:
      drawOctaveMeter(backBuffer(), depths, bins);
      markWholePlot();
      break;
    case kSpectrumLinear:
      drawLinearSpectrum(backBuffer(), depths, bins);
      markWholePlot();
      break;
    case kSpectrumLog:
      drawLogSpectrum(backBuffer(), depths, bins);
      markWholePlot();
      break;
    case kTimeFrequencyChart:
      drawChartColumn(backBuffer(), depths, bins, column, columnsPerBlock);
      markChartColumns(column, columnsPerBlock);
      break;
    default:
      break;
  }
}

// Log-spaced points of MEM and DTFT (linear ones of MEM in the linear spectrum view).
void drawPointSpectrum(int32_t view, const SpectrumFrame& frame, int column, int columnsPerBlock) {
  const uint8_t* depths = frame.data();
  const int points = frame.bins();
  switch (view) {
    case kLevelMeter:
      drawEqualCountMeter(backBuffer(), depths, points);
      markWholePlot();
      break;
    case kSpectrumLinear:
      drawLinearSpectrum(backBuffer(), depths, points);
      markWholePlot();
      break;
    case kSpectrumLog:
      drawLogBinnedSpectrum(backBuffer(), depths, points, layout.plotTop, 512);
      markWholePlot();
      break;
    case kTimeFrequencyChart:
      drawChartColumnLog(backBuffer(), depths, points, column, columnsPerBlock);
      markChartColumns(column, columnsPerBlock);
      break;
    default:
      break;
  }
}

// Copies what was drawn since the last copy (or, for comparison, the whole plot area).
void presentDrawn() {
  if (wholePlotCopies) {
    drawn = DrawnArea{};
    markWholePlot();
  }
  if (drawn.empty()) return;
  const int w = drawn.right - drawn.left, h = drawn.bottom - drawn.top;
  window().copyFrom(backBuffer(), drawn.left, drawn.top, w, h, drawn.left, drawn.top);
  refreshWindowArea(drawn.left, drawn.top, w, h);
  drawn = DrawnArea{};
}

void presentPlot() {
  presentDrawn();
}

// One wavelet row: the pixels of the row were marked as they were drawn. The whole-plot
// comparison copies the row's full width, as a row copy always did.
void presentPlotRow(int row) {
  if (wholePlotCopies) {
    const int x = layout.unitW, y = layout.plotTop + row;
    window().copyFrom(backBuffer(), x, y, 512, 1, x, y);
    refreshWindowArea(x, y, 512, 1);
    drawn = DrawnArea{};
    return;
  }
  presentDrawn();
}

void overlay(int32_t method, const SampleBlock& block, int column, int columnsPerBlock) {
  if (method == kMem) {
    memAnalyze(block, column, columnsPerBlock);
  } else if (method == kDtft) {
    dtftAnalyze(block, column, columnsPerBlock);
  }
}

}  // namespace

void setWholePlotCopies(bool on) {
  wholePlotCopies = on;
}

void installRunWiring() {
  drawn = DrawnArea{};
  AnalysisSink& a = analysisSink;
  a.windowText = windowText;
  a.overviewText = [](const std::string& text) { callHook(runHooks.overviewText, 0, 0, text); };
  a.peakReadout = showPeakReadout;
  a.drawSpectrum = drawSpectrum;
  a.drawWaveZoom = [](const std::vector<uint8_t>& rows) {
    drawWaveZoom(backBuffer(), rows.data(), static_cast<int>(rows.size()));
    markWholePlot();
  };
  a.presentPlot = presentPlot;
  a.overlay = overlay;

  MethodSink& m = methodSink;
  m.overviewTextAt = [](int x, int y, const std::string& text) {
    callHook(runHooks.overviewText, x, y, text);
  };
  m.drawPointSpectrum = drawPointSpectrum;
  m.chartPixel = [](int x, int y, uint8_t depth) {
    backBuffer().setPixel(x, y, chartShade(depth));
    drawn.add(x, y, 1, 1);
  };
  m.presentPlotRow = presentPlotRow;
}

}  // namespace korimu

#include "analysis/run_wiring.h"

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

void refreshWindow() {
  callHook(shellHooks.updateMainWindow);
}

void windowText(int x, int y, const std::string& text) {
  window().textOut(x, y, text);
  refreshWindow();
}

void showPeakReadout(const std::string& frequencyText, const std::string& powerText) {
  drawPeakReadout(window(), frequencyText, powerText);
  refreshWindow();
}

// Linear bins of the FFT or DCT for the view.
void drawSpectrum(int32_t view, const SpectrumFrame& frame, int column, int columnsPerBlock) {
  const uint8_t* depths = frame.data();
  const int bins = frame.bins();
  switch (view) {
    case kLevelMeter:
      drawOctaveMeter(backBuffer(), depths, bins);
      break;
    case kSpectrumLinear:
      drawLinearSpectrum(backBuffer(), depths, bins);
      break;
    case kSpectrumLog:
      drawLogSpectrum(backBuffer(), depths, bins);
      break;
    case kTimeFrequencyChart:
      drawChartColumn(backBuffer(), depths, bins, column, columnsPerBlock);
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
      break;
    case kSpectrumLinear:
      drawLinearSpectrum(backBuffer(), depths, points);
      break;
    case kSpectrumLog:
      drawLogBinnedSpectrum(backBuffer(), depths, points, layout.plotTop, 512);
      break;
    case kTimeFrequencyChart:
      drawChartColumnLog(backBuffer(), depths, points, column, columnsPerBlock);
      break;
    default:
      break;
  }
}

void presentPlot() {
  const int x = layout.unitW;
  const int y = layout.plotTop;
  window().copyFrom(backBuffer(), x, y, 512, 256, x, y);
  refreshWindow();
}

void presentPlotRow(int row) {
  const int x = layout.unitW;
  const int y = layout.plotTop + row;
  window().copyFrom(backBuffer(), x, y, 512, 1, x, y);
  refreshWindow();
}

void overlay(int32_t method, const SampleBlock& block, int column, int columnsPerBlock) {
  if (method == kMem) {
    memAnalyze(block, column, columnsPerBlock);
  } else if (method == kDtft) {
    dtftAnalyze(block, column, columnsPerBlock);
  }
}

}  // namespace

void installRunWiring() {
  AnalysisSink& a = analysisSink;
  a.windowText = windowText;
  a.overviewText = [](const std::string& text) { callHook(runHooks.overviewText, 0, 0, text); };
  a.peakReadout = showPeakReadout;
  a.drawSpectrum = drawSpectrum;
  a.drawWaveZoom = [](const std::vector<uint8_t>& rows) {
    drawWaveZoom(backBuffer(), rows.data(), static_cast<int>(rows.size()));
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
  };
  m.presentPlotRow = presentPlotRow;
}

}  // namespace korimu

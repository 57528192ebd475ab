#include "display/spectrum_graph.h"

#include <algorithm>
#include <cmath>

#include "core/layout.h"
#include "core/settings.h"
#include "display/display_state.h"
#include "display/frame_parts.h"
#include "display/octave_sequence.h"

namespace korimu {

int BinPlacement::x(int i) const {
  return kLayout.unitW + (step * i) / divisor;
}

BinPlacement placeBins(int len, int width) {
  BinPlacement placement;
  if (len > 0) {
    placement.divisor = std::max(1, len / width);
    placement.step = std::max(1, width / len);
  }
  return placement;
}

namespace {

void fillBar(Canvas& canvas, int x, int top, int width, int depth, Rgb colour) {
  canvas.fillRect(x, top + depth, width, kPlotHeight - depth, colour);
}

}  // namespace

void drawLineGraph(Canvas& canvas, LineWidth lineWidth, const uint8_t* depths, int len, int step,
                   int divisor, int top) {
  if (depths == nullptr || len <= 0) return;
  const BinPlacement at{step, std::max(1, divisor)};
  canvas.moveTo(kLayout.unitW, top + depths[0]);
  for (int i = 1; i < len; ++i) {
    canvas.lineTo(at.x(i), top + depths[i]);
    if (lineWidth == LineWidth::kThick) {
      canvas.moveTo(at.x(i) + 1, top + depths[i]);
      canvas.lineTo(at.x(i - 1) + 1, top + depths[i - 1]);
      canvas.moveTo(at.x(i), top + depths[i]);
    }
  }
}

void drawNoteBars(Canvas& canvas, const DisplayState& display, int len, int step, int divisor,
                  const uint8_t* depths, int top, int barWidth) {
  if (depths == nullptr || len <= 0) return;
  const BinPlacement at{step, std::max(1, divisor)};
  const double rate = display.fileRate.hz();
  int previousClass = -1;
  Rgb brush = kBlack;
  for (int i = 0; i < len; ++i) {
    const int noteClass = i == 0 ? 12 : noteClassOf(i * rate / (2.0 * len), display.referenceLa);
    if (noteClass != previousClass) brush = noteColour(noteClass);
    previousClass = noteClass;
    fillBar(canvas, at.x(i), top, barWidth, depths[i], brush);
  }
}

void drawLinearSpectrum(Canvas& canvas, const DisplayState& display, const AppSettings& settings,
                        const uint8_t* depths, int len) {
  const int top = kLayout.plotTop;
  canvas.whiteness(kLayout.unitW, top, kPlotWidth, kPlotHeight);
  drawLinearGrid(canvas, display.fileRate);
  canvas.setPen(kBlack);
  if (depths == nullptr || len <= 0) return;
  const bool thick = settings.lineWidth == LineWidth::kThick;
  const int barWidth = (thick && settings.blockOrder == 8) ? 4 : pixels(settings.lineWidth);
  const BinPlacement at = placeBins(len, kPlotWidth);
  if (settings.graphStyle == kLineGraph) {
    drawLineGraph(canvas, settings.lineWidth, depths, len, at.step, at.divisor, top);
  } else if (settings.colorScale) {
    drawNoteBars(canvas, display, len, at.step, at.divisor, depths, top, barWidth);
  } else {
    for (int i = 0; i < len; ++i) fillBar(canvas, at.x(i), top, barWidth, depths[i], kBlack);
  }
}

double logSpectrumOffset(double bin, int len) {
  // X(0) would be minus infinity; the first point sits at the left edge instead.
  return bin > 0 ? std::log(bin) / std::log(double(len)) * kPlotWidth : 0.0;
}

void drawLogSpectrum(Canvas& canvas, const DisplayState& display, const AppSettings& settings,
                     const uint8_t* depths, int len) {
  const bool thick = settings.lineWidth == LineWidth::kThick;
  const int top = kLayout.plotTop;
  const int unitW = kLayout.unitW;
  canvas.whiteness(unitW, top, kPlotWidth, kPlotHeight);
  drawLogGrid(canvas, display.fileRate, len, kPlotWidth);
  canvas.setPen(kBlack);
  if (depths == nullptr || len <= 1) return;
  auto axis = [&](double v) { return logSpectrumOffset(v, len); };
  auto xAt = [&](int i) { return int(unitW + axis(i)); };
  if (settings.graphStyle == kLineGraph) {
    canvas.moveTo(unitW, top + depths[0]);
    for (int i = 1; i < len; ++i) {
      canvas.lineTo(xAt(i), top + depths[i]);
      if (thick) {
        canvas.moveTo(int(unitW + axis(i) + 1), top + depths[i]);
        canvas.lineTo(int(unitW + axis(i - 1) + 1), top + depths[i - 1]);
        canvas.moveTo(xAt(i), top + depths[i]);
      }
    }
    return;
  }
  const bool coloured = settings.colorScale;
  const double rate = display.fileRate.hz();
  int previousClass = -1;
  Rgb brush = kBlack;
  for (int i = 1; i < len; ++i) {
    if (coloured) {
      const int noteClass = noteClassOf(i * rate / (2.0 * len), display.referenceLa);
      if (noteClass != previousClass) brush = noteColour(noteClass);
      previousClass = noteClass;
    }
    if (!thick) {
      fillBar(canvas, xAt(i), top, 1, depths[i], brush);
      continue;
    }
    const int left = i == 1 ? 0 : int(axis(i - 0.5));
    const int right = int(axis(i + 0.5));
    int width = std::max(right - left, 2);
    if (coloured) {
      if (i == 1) width -= 1;
    } else if (width > 2) {
      width -= 1;  // a one-pixel gap between wide black bars
    }
    fillBar(canvas, unitW + left, top, width, depths[i], brush);
  }
}

void drawLogBinnedSpectrum(Canvas& canvas, const DisplayState& display, const AppSettings& settings,
                           const uint8_t* depths, int len, int top, int width) {
  const int unitW = kLayout.unitW;
  const int n = settings.method == kMem ? len : currentBinCount(settings.blockOrder);
  canvas.whiteness(unitW, top, width, kPlotHeight);
  canvas.setPen(kGridColour);
  if (n > 1) {
    const double lnN = std::log(double(n));
    forEachOctave(display.fileRate, n, [&](int, double, double p) {
      const int x = int(std::log(p) / lnN * width + unitW);
      canvas.moveTo(x, top + kPlotHeight);
      canvas.lineTo(x, top);
    });
  }
  canvas.setPen(kBlack);
  if (depths == nullptr || len <= 0) return;
  const BinPlacement at = placeBins(len, width);
  if (settings.graphStyle == kLineGraph) {
    drawLineGraph(canvas, settings.lineWidth, depths, len, at.step, at.divisor, top);
    return;
  }
  if (!settings.colorScale) {
    for (int i = 0; i < len; ++i)
      fillBar(canvas, at.x(i), top, pixels(settings.lineWidth), depths[i], kBlack);
    return;
  }
  const double half = display.fileRate.hz() / 2.0;
  const double fLow = half / std::max(1, n);
  const double ratio = len > 1 ? std::exp(std::log(half / fLow) / (len - 1)) : 1.0;
  double f = fLow;
  int previousClass = -1;
  Rgb brush = kBlack;
  for (int i = 0; i < len; ++i, f *= ratio) {
    const int noteClass = i == 0 ? 12 : noteClassOf(f, display.referenceLa);
    if (noteClass != previousClass) brush = noteColour(noteClass);
    previousClass = noteClass;
    fillBar(canvas, at.x(i), top, pixels(settings.lineWidth), depths[i], brush);
  }
}

}  // namespace korimu

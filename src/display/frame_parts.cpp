#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "core/layout.h"
#include "core/settings.h"
#include "display/chart.h"
#include "display/display_state.h"
#include "display/frame_parts.h"
#include "display/octave_sequence.h"
#include "platform/fixed_font.h"
#include "platform/message.h"

namespace korimu {

bool octaveLabelSkipped(int k, int blockOrder, int unitW) {
  return blockOrder > 12 && unitW > 8 && (k % 2) != 0;
}

int currentBinCount(int blockOrder) {
  const int order = std::clamp(blockOrder, 1, 30);
  return (1 << order) / 2;
}

int waveSpanFrames(const AppSettings& settings) {
  return settings.autocorrelation ? settings.timeResolution / 2 : settings.timeResolution;
}

namespace {

void verticalGridLine(Canvas& canvas, int c) {
  canvas.moveTo(kLayout.unitW + c, kLayout.plotTop + kPlotHeight);
  canvas.lineTo(kLayout.unitW + c, kLayout.plotTop);
}

void horizontalLine(Canvas& canvas, int x, int width, int y) {
  canvas.moveTo(x, y);
  canvas.lineTo(x + width, y);
}

bool linearMethod(AnalysisMethod method) {
  return method == kFft || method == kDct;
}

}  // namespace

void drawLinearGrid(Canvas& canvas, SampleRate rate) {
  canvas.setPen(kGridColour);
  if (rate.cdFamily()) {
    for (int c : {464, 348, 232, 116}) verticalGridLine(canvas, c);
  } else {
    for (int c : {kPlotWidth * 3 / 4, kPlotWidth / 2, kPlotWidth / 4}) verticalGridLine(canvas, c);
  }
}

void drawLogGrid(Canvas& canvas, SampleRate rate, int count, int width) {
  canvas.setPen(kGridColour);
  if (count < 2) return;  // one bin has no log axis
  const double lnCount = std::log(double(count));
  forEachOctave(rate, count, [&](int, double, double p) {
    verticalGridLine(canvas, int(std::log(p) / lnCount * width));
  });
}

void drawWaveGrid(Canvas& canvas, SampleRate rate, int spanFrames) {
  canvas.setPen(kGridColour);
  horizontalLine(canvas, kLayout.unitW, kPlotWidth, kLayout.plotTop + 127);
  const int m = spanFrames;
  if (rate.cdFamily()) {
    if (m > 1000) {
      for (int c : {413, 276, 138}) verticalGridLine(canvas, c);
    } else if (m > 250) {
      for (int c : {441, 331, 220, 110}) verticalGridLine(canvas, c);
    } else {
      for (int c : {353, 176}) verticalGridLine(canvas, c);
    }
  } else if (m > 2000) {
    for (int c : {500, 400, 300, 200, 100}) verticalGridLine(canvas, c);
  } else if (m > 250) {
    for (int c : {480, 400, 320, 240, 160, 80}) verticalGridLine(canvas, c);
  } else {
    for (int c : {kPlotWidth * 3 / 4, kPlotWidth / 2, kPlotWidth / 4}) verticalGridLine(canvas, c);
  }
}

namespace {

void drawNoteRowsLinear(Canvas& canvas, const DisplayState& display, int blockOrder, int x,
                        int width) {
  int previous = -1;
  for (int i = 0; i < kPlotHeight; ++i) {
    const double f = linearChartRowFrequency(display.fileRate, blockOrder, i);

    const int noteClass = f > 0 ? noteClassOf(f, display.referenceLa) : 12;
    if (noteClass != previous) canvas.setPen(noteColour(noteClass));
    previous = noteClass;
    horizontalLine(canvas, x, width, kLayout.plotTop + kPlotHeight - 1 - i);
  }
}

void drawNoteRowsLog(Canvas& canvas, const DisplayState& display, AnalysisMethod method, int count,
                     int x, int width) {
  const ChartRowScale scale = chartRowScale(display.fileRate, count, method);
  const int h = std::max(1, kPlotHeight / count), d = std::max(1, count / kPlotHeight);
  for (int i = 0; i < count; ++i) {
    const int noteClass =
        i == 0 ? 12 : noteClassOf(scale.fBottom * std::pow(scale.ratio, i), display.referenceLa);
    // Bin i covers the h rows ending at row (i * h) div d from the bottom, as in the chart.
    const int top = kLayout.plotTop + kPlotHeight - 1 - (i * h) / d - (h - 1);
    canvas.fillRect(x, top, width, h, noteColour(noteClass));
  }
}

void drawGridRows(Canvas& canvas, SampleRate rate, const AppSettings& settings, int x, int width,
                  Rgb colour) {
  canvas.setPen(colour);
  const int top = kLayout.plotTop;
  if (linearMethod(settings.method)) {
    if (rate.cdFamily()) {
      for (int row : {24, 82, 140, 198}) horizontalLine(canvas, x, width, top + row);
    } else {
      for (int row : {kPlotHeight / 4, kPlotHeight / 2, kPlotHeight * 3 / 4})
        horizontalLine(canvas, x, width, top + row);
    }
  } else if (settings.method == kWt) {
    for (int row = 0; row <= 240; row += 24) horizontalLine(canvas, x, width, top + row);
  } else {
    const double count = currentBinCount(settings.blockOrder);
    const double lnCount = std::log(count);
    forEachOctave(rate, count, [&](int, double, double p) {
      horizontalLine(canvas, x, width,
                     int(top + kPlotHeight - std::log(p) / lnCount * kPlotHeight));
    });
  }
}

}  // namespace

void drawChartStrip(Canvas& canvas, const DisplayState& display, const AppSettings& settings,
                    int count, int x, int width) {
  if (settings.method == kWt) count = kPlotHeight;  // one wavelet row per plot row
  if (count < 1) return;
  if (settings.colorScale) {
    if (linearMethod(settings.method)) {
      drawNoteRowsLinear(canvas, display, settings.blockOrder, x, width);
    } else {
      drawNoteRowsLog(canvas, display, settings.method, count, x, width);
    }
    return;
  }
  if (x == kLayout.unitW) canvas.whiteness(kLayout.unitW, kLayout.plotTop, kPlotWidth, kPlotHeight);
  // The whole chart's grid is black; the side strips' is in the button text's colour.
  drawGridRows(canvas, display.fileRate, settings, x, width,
               width == kPlotWidth ? kBlack : kButtonText);
}

void clearChartColumnsWithoutData(Canvas& canvas, const DisplayState& display,
                                  const AppSettings& settings, int column) {
  if (column >= kPlotWidth) return;
  const int x = kLayout.unitW + std::max(column, 0), width = kLayout.unitW + kPlotWidth - x;
  canvas.whiteness(x, kLayout.plotTop, width, kPlotHeight);
  drawGridRows(canvas, display.fileRate, settings, x, width, kBlack);
}

void drawChartLabels(Canvas& canvas, SampleRate rate, const AppSettings& settings) {
  clearLegendArea(canvas);
  if (rate.kHz() == 0) return;
  const int x = 2 * kLayout.unitW + kPlotWidth;
  const int top = kLayout.plotTop;
  const int unitH = kLayout.unitH;
  auto label = [&](int row, const std::string& text) {
    canvas.textOut(x, top + row - unitH, text);
  };
  const int bins = currentBinCount(settings.blockOrder);
  if (linearMethod(settings.method)) {
    const int shown = std::max(bins, kPlotHeight);
    // The label frequencies times the plot's rows, so that dividing by the bins shown gives Hz (in
    // 64 bits: 128000 times the kHz of any header rate does not fit an int).
    const auto base = int64_t(rate.roundTopHz() * kPlotHeight);
    const long b = long(base / shown);
    if (rate.cdFamily()) {
      label(24, formatText("%ld", b));
      label(82, formatText("%ld", (b / 4) * 3));
      label(140, formatText("%ld", b / 2));
      label(198, formatText("%ld", b / 4));
    } else {
      label(kPlotHeight / 4, formatText("%ld", (b / 4) * 3));
      label(kPlotHeight / 2, formatText("%ld", b / 2));
      label(kPlotHeight * 3 / 4, formatText("%ld", b / 4));
    }
  } else if (settings.method == kWt) {
    const ChartRowScale scale = chartRowScale(rate, kPlotHeight, kWt);
    double g = scale.fTop;
    for (int k = 0; k <= 10; ++k, g /= 2) {
      label(24 * k, g > 5000 ? formatText("%.0fk", g / 1000) : formatText("%.0f", g));
    }
  } else {
    const double lnCount = std::log(double(bins));
    forEachOctave(rate, bins, [&](int k, double g, double p) {
      if (octaveLabelSkipped(k, settings.blockOrder)) return;
      std::string text = g > 5000    ? formatText("%.0fk", g / 1000)
                         : g >= 0.95 ? formatText("%.0f", g)
                                     : formatText("%.1f", g);
      canvas.textOut(x, int(top + kPlotHeight - std::log(p) / lnCount * kPlotHeight - unitH), text);
    });
  }
}

namespace {

// The band is 2 H high, but the range text drawn in it and the chart's title row below it are
// whole font cells that reach down to the plot: the band is cleared down to the plot's top edge,
// so that no word is left with only its bottom rows.
int rangeBandTop() {
  return 3 * kLayout.unitH + kLayout.overviewHeight;
}
int rangeBandClearHeight() {
  return std::max(2 * kLayout.unitH, kLayout.plotTop - rangeBandTop());
}

}  // namespace

void clearRangeBand(Canvas& canvas) {
  canvas.fillRect(kLayout.unitW, rangeBandTop(), 6 * kLayout.unitW + kPlotWidth,
                  rangeBandClearHeight(), kButtonFace);
}

void clearLegendArea(Canvas& canvas) {
  canvas.fillRect(2 * kLayout.unitW + kPlotWidth, kLayout.plotTop, 6 * kLayout.unitW, kPlotHeight,
                  kButtonFace);
}

int rangeBarWidth(SampleRate rate, const AppSettings& settings) {
  const int perColumn = std::max(1, int(settings.framesPerColumn));
  int w = int(settings.timeResolution * rate.framesPerBaseStep() / perColumn);
  return std::clamp(w, 1, 850);
}

void drawRangeMarker(Canvas& canvas, SampleRate rate, const AppSettings& settings, bool darkScheme,
                     const TextCatalogue& texts) {
  if (rate.kHz() == 0) return;
  const int w = rangeBarWidth(rate, settings);
  const int barY = (7 * kLayout.unitH) / 2 + kLayout.overviewHeight;
  clearRangeBand(canvas);
  // Right of the band: the bar's overhang and the end of a text that ran past the band.
  canvas.fillRect(7 * kLayout.unitW + kPlotWidth, rangeBandTop(), 280, rangeBandClearHeight(),
                  kButtonFace);
  canvas.fillRect(kLayout.unitW, barY, w, kLayout.unitH, darkScheme ? kWhite : kBlack);
  const int textY = 3 * kLayout.unitH + kLayout.overviewHeight;
  if (w == kPlotWidth) {
    canvas.textOut(kLayout.unitW + w, textY, texts.translate("Canvas", "←範囲"));
  } else if (w < kPlotWidth) {
    canvas.textOut(kLayout.unitW + w, textY, texts.translate("Canvas", " ←解析範囲"));
  }
}

}  // namespace korimu

// The texts of the cross-section window: the frequency labels under the graph, the peak readout,
// the column number and the column's place in the file.
#include <algorithm>
#include <cmath>
#include <string>

#include "core/settings.h"
#include "display/chart.h"
#include "display/cross_section.h"
#include "display/display_state.h"
#include "display/frame_parts.h"
#include "display/octave_sequence.h"
#include "platform/fixed_font.h"
#include "platform/message.h"
#include "wave/wave_source.h"

namespace korimu {

namespace {

// Top frequency of a linear chart in Hz times 256 (so that dividing by the bins shown gives Hz).
long linearTopTimes256(SampleRate rate) {
  return long(rate.hz()) * 128;
}

// The label numbers of a wide linear graph: the label frequencies times 256.
long linearLabelTimes256(SampleRate rate) {
  return long(rate.roundTopHz() * 256);
}

int cellsOf(const std::string& text) {
  return textCells(text);
}

void drawWideLabels(Canvas& canvas, SampleRate rate, int y, const TextStyle& style, int method,
                    int blockOrder) {
  const int unitW = kLayout.unitW;
  const int unitH = kLayout.unitH;
  const int bins = crossSectionBins(blockOrder);
  canvas.textOut(kWideSectionWidth - unitW, 3 * unitH + kPlotHeight + 4, "Hz", style);
  if (method == kWt) {
    double g = chartRowScale(rate, bins, kWt).fTop;
    for (int k = 0; k <= 10; ++k, g /= 2) {
      const std::string text = g > 5000 ? formatText("%.0fk", g / 1000) : formatText("%.0f", g);
      const int centre = unitW + kWideSectionWidth - 48 * k;
      canvas.textOut(centre - (cellsOf(text) * unitW) / 2, y, text, style);
    }
  } else if (!crossSectionLinear(method)) {
    if (bins <= 1) return;
    const double lnBins = std::log(double(bins));
    forEachOctave(rate, bins, [&](int k, double g, double p) {
      if (octaveLabelSkipped(k, blockOrder)) return;
      const std::string text = g > 5000    ? formatText("%.0fk", g / 1000)
                               : g >= 0.95 ? formatText("%.0f", g)
                                           : formatText(".%.0f", g * 10);
      const int x =
          // NOLINTNEXTLINE(bugprone-integer-division): labels are centred on whole pixels
          int(std::log(p) / lnBins * kWideSectionWidth + unitW - (cellsOf(text) * unitW) / 2);
      canvas.textOut(x, y, text, style);
    });
  } else {
    canvas.textOut(unitW, y, "0", style);
    const long o = linearLabelTimes256(rate) / std::max(bins, kCrossSectionRows);
    const long t = o / 4;
    const std::string top = formatText("%ld", o);
    if (rate.cdFamily()) {
      canvas.textOut(464 - unitW, y, top, style);
      canvas.textOut(348 - unitW, y, formatText("%ld", 3 * t), style);
      canvas.textOut(232 - unitW, y, formatText("%ld", o / 2), style);
      canvas.textOut(116 - unitW, y, formatText("%ld", t), style);
    } else {
      canvas.textOut(kWideSectionWidth - (cellsOf(top) - 1) * unitW, y, top, style);
      canvas.textOut(kWideSectionWidth * 3 / 4 - unitW, y, formatText("%ld", 3 * t), style);
      canvas.textOut(kWideSectionWidth / 2 - unitW, y, formatText("%ld", o / 2), style);
      canvas.textOut(kWideSectionWidth / 4 - unitW, y, formatText("%ld", t), style);
    }
  }
}

void drawNarrowLabels(Canvas& canvas, SampleRate rate, int y, const TextStyle& style, int method,
                      int blockOrder) {
  const int unitW = kLayout.unitW;
  const int bins = crossSectionBins(blockOrder);
  std::string top;
  std::string bottom;
  if (crossSectionLinear(method)) {
    top = formatText("%5ld Hz ", linearTopTimes256(rate) / std::max(bins, kCrossSectionRows));
    bottom = "0 Hz ";
  } else {
    const ChartRowScale scale = chartRowScale(rate, bins, method);
    top = formatText("%5ld Hz ", long(scale.fTop + 0.49));
    bottom = formatText("%5.1f Hz ", scale.fBottom);
  }
  canvas.textOut(kNarrowSectionWidth - (cellsOf(top) - 2) * unitW, y, top, style);
  canvas.textOut(unitW, y, bottom, style);
}

}  // namespace

void drawCrossSectionLabels(Canvas& canvas, const CrossSectionChart& chart,
                            const AppSettings& settings, int width) {
  const TextStyle style = crossSectionTextStyle(settings.dialog3d);
  const int y = kLayout.unitH + kPlotHeight + 4;
  canvas.textOut(kLayout.unitW, y, std::string(86, ' '), style);
  if (chart.rate.kHz() == 0) return;
  if (width == kWideSectionWidth) {
    drawWideLabels(canvas, chart.rate, y, style, chart.method, chart.blockOrder);
  } else {
    drawNarrowLabels(canvas, chart.rate, y, style, chart.method, chart.blockOrder);
  }
}

double crossSectionRowFrequency(SampleRate rate, int method, int blockOrder, int element) {
  const int bins = crossSectionBins(blockOrder);
  if (crossSectionLinear(method)) {
    const long e = linearTopTimes256(rate) / std::max(bins, kCrossSectionRows);
    return element * double(e) / kCrossSectionRows;
  }
  const ChartRowScale scale = chartRowScale(rate, bins, method);
  const int p = method == kWt ? element : element * bins / kCrossSectionRows;
  return scale.fBottom * std::pow(scale.ratio, p);
}

std::string crossSectionPeakText(SampleRate rate, int method, int blockOrder, int loudest) {
  const double frequency = crossSectionRowFrequency(rate, method, blockOrder, loudest);
  if (crossSectionLinear(method)) return formatText("%5d Hz ", int(frequency + 0.5));
  return formatText("%5.0f Hz ", frequency);
}

std::string crossSectionColumnText(const Document& document, int unitW) {
  return formatText("%3d", document.crossSectionX - unitW);
}

int crossSectionColumn(const Document& document, int unitW) {
  return std::max(0, document.crossSectionX - unitW);
}

uint64_t crossSectionBytePosition(const CrossSectionChart& chart, int column) {
  return chart.placement.columnBytePosition(column);
}

std::string crossSectionPositionText(const CrossSectionChart& chart, int column, int unitW,
                                     const TextCatalogue& texts) {
  const uint64_t bytes = crossSectionBytePosition(chart, column);
  const uint32_t perSecond = chart.bytesPerSecond;
  const double seconds = perSecond == 0 ? 0.0 : double(bytes) / perSecond;
  const long shown = long(bytes);
  if (unitW > 10)
    return formatText(texts.translate("Canvas", "%10ldpos%8.1f秒").c_str(), shown, seconds);
  if (unitW >= 9)
    return formatText(texts.translate("Canvas", "%10ldpos %11.4f秒").c_str(), shown, seconds);
  return formatText(texts.translate("Canvas", "%10ldpos %13.6f秒").c_str(), shown, seconds);
}

}  // namespace korimu

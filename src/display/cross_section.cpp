#include "display/cross_section.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

#include "core/settings.h"
#include "core/translatable.h"
#include "display/chart.h"
#include "display/display_state.h"
#include "display/frame_parts.h"
#include "display/octave_sequence.h"
#include "display/spectrum_graph.h"
#include "platform/message.h"
#include "platform/system_facts.h"

namespace korimu {

namespace {

// Height of a dialog's frame: the window's outer height counts one frame, its width two.
constexpr int kDialogFrameHeight = 3;

void gridLine(Canvas& canvas, int x, int top) {
  canvas.moveTo(x, top + kPlotHeight);
  canvas.lineTo(x, top);
}

void drawGrid(Canvas& canvas, SampleRate rate, int top, int width, int method, int blockOrder) {
  const int unitW = kLayout.unitW;
  canvas.setPen(kGridColour);
  if (crossSectionLinear(method)) {
    if (rate.cdFamily()) {
      // Lines beyond a narrow graph fall outside the window.
      for (int x : {464, 348, 232, 116}) gridLine(canvas, unitW + x, top);
    } else {
      if (width == kWideSectionWidth) {
        gridLine(canvas, unitW + kWideSectionWidth * 3 / 4, top);
        gridLine(canvas, unitW + kWideSectionWidth / 2, top);
      }
      gridLine(canvas, unitW + kWideSectionWidth / 4, top);
    }
  } else if (method == kWt) {
    for (int k = 0; k <= 10; ++k)
      gridLine(canvas, unitW + width - k * 24 * (width / kCrossSectionRows), top);
  } else {
    const int bins = crossSectionBins(blockOrder);
    if (bins > 1) {
      const double lnBins = std::log(double(bins));
      forEachOctave(rate, bins, [&](int, double, double p) {
        gridLine(canvas, int(std::log(p) / lnBins * width + unitW), top);
      });
    }
  }
}

// Bars coloured by the note of each row of a log-spaced chart.
void drawLogNoteBars(Canvas& canvas, const DisplayState& display, SampleRate rate,
                     const uint8_t* depths, int top, int step, int barWidth, int method,
                     int blockOrder) {
  ChartRowScale scale = chartRowScale(rate, crossSectionBins(blockOrder), method);
  if (method != kWt)
    scale.ratio = std::exp(std::log(scale.fTop / scale.fBottom) / (kCrossSectionRows - 1));
  int previousClass = -1;
  Rgb brush = kBlack;
  for (int i = 0; i < kCrossSectionRows; ++i) {
    const int noteClass =
        i == 0 ? 12 : noteClassOf(scale.fBottom * std::pow(scale.ratio, i), display.referenceLa);
    if (noteClass != previousClass) brush = noteColour(noteClass);
    previousClass = noteClass;
    canvas.fillRect(kLayout.unitW + step * i, top + depths[i], barWidth, kPlotHeight - depths[i],
                    brush);
  }
}

}  // namespace

bool crossSectionLinear(int method) {
  return method == kFft || method == kDct;
}

int crossSectionBins(int blockOrder) {
  return std::max(1, (1 << std::clamp(blockOrder, 1, 30)) / 2);
}

bool allocateCrossSectionBuffer(CrossSectionState& crossSection, const Messages& messages,
                                size_t bytes) {
  try {
    crossSection.column.assign(bytes, 255);
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  crossSection.column = {};
  messages.show("mem s2", MessageKind::kFatal);
  return false;
}

void releaseCrossSectionBuffer(CrossSectionState& crossSection) {
  crossSection.column = {};
}

int depthOfChartColour(const DisplayState& display, Rgb colour, int depthBits) {
  if (depthBits == 4) {
    for (int k = 0; k < 16; ++k) {
      if (display.chartColours16[size_t(k)] == colour) return 255 - 16 * k;
    }
    return 0;
  }
  return 255 - luminance(colour.r, colour.g, colour.b);
}

int readChartColumn(const DisplayState& display, const Canvas& backBuffer, int x, uint8_t* depths) {
  const int bits = backBuffer.depthBits();
  int loudest = 0;
  for (int r = kCrossSectionRows - 1; r >= 0; --r) {
    const int e = depthOfChartColour(display, backBuffer.getPixel(x, kLayout.plotTop + r), bits);
    const int element = kCrossSectionRows - 1 - r;
    depths[element] = uint8_t(e);
    if (e < depths[loudest]) loudest = element;
  }
  return loudest;
}

void drawCrossSectionGraph(const DisplayState& display, const AppSettings& settings, Canvas& canvas,
                           const uint8_t* depths, int top, int width,
                           const CrossSectionChart& chart) {
  const int unitW = kLayout.unitW;
  const int step = std::max(1, width / kCrossSectionRows);
  const int barWidth = std::max(pixels(settings.lineWidth), step);
  const int method = chart.method;
  canvas.fillRect(unitW, top, width, kPlotHeight, kWhite);
  drawGrid(canvas, chart.rate, top, width, method, chart.blockOrder);
  canvas.setPen(kBlack);
  if (settings.graphStyle == kLineGraph) {
    drawLineGraph(canvas, settings.lineWidth, depths, kCrossSectionRows, step, 1, top);
  } else if (settings.colorScale) {
    if (crossSectionLinear(method)) {
      drawNoteBars(canvas, display, kCrossSectionRows, step, 1, depths, top, barWidth);
    } else {
      drawLogNoteBars(canvas, display, chart.rate, depths, top, step, barWidth, method,
                      chart.blockOrder);
    }
  } else {
    for (int i = 0; i < kCrossSectionRows; ++i) {
      canvas.fillRect(unitW + step * i, top + depths[i], barWidth, kPlotHeight - depths[i], kBlack);
    }
  }
}

bool crossSectionThreeD(bool dialog3d) {
  return kSystemVersion >= 0x35F && dialog3d;
}

Rgb crossSectionBackground(bool dialog3d) {
  return crossSectionThreeD(dialog3d) ? kButtonFace : kWindowColour;
}

TextStyle crossSectionTextStyle(bool dialog3d) {
  if (crossSectionThreeD(dialog3d)) return TextStyle{kButtonText, kButtonFace, true};
  return TextStyle{kWindowText, kWindowColour, true};
}

CrossSectionChart crossSectionChartFromSettings(SampleRate rate, const AppSettings& settings,
                                                const WaveSource& file, const Document& document) {
  CrossSectionChart chart;
  chart.rate = rate;
  chart.method = document.lastRunMethod;
  chart.blockOrder = settings.blockOrder;
  chart.timeResolution = settings.timeResolution;
  chart.framesPerColumn = settings.framesPerColumn;
  // No run has sized its blocks: the columns are framesPerColumn frames apart.
  chart.placement =
      chartPlacement(document.position, file.blockAlign, 0, settings.framesPerColumn, 0, false);
  chart.bytesPerSecond = file.bytesPerSecond;
  return chart;
}

int paintCrossSection(DisplayState& display, const AppSettings& settings, Canvas& client,
                      const Canvas& backBuffer, const CrossSectionChart& chart,
                      const Document& document, int loudest) {
  std::array<uint8_t, kCrossSectionRows> depths{};
  const int loudestPixel =
      readChartColumn(display, backBuffer, document.crossSectionX, depths.data());
  if (loudest < 0 || loudest >= kCrossSectionRows) loudest = loudestPixel;
  return paintCrossSection(display, settings, client, depths.data(), chart, document, loudest);
}

int paintCrossSection(DisplayState& display, const AppSettings& settings, Canvas& client,
                      const uint8_t* columnDepths, const CrossSectionChart& chart,
                      const Document& document, int loudest) {
  CrossSectionState& crossSection = display.crossSection;
  const int unitW = kLayout.unitW;
  const int unitH = kLayout.unitH;
  const int width =
      crossSection.sectionWidth == kWideSectionWidth ? kWideSectionWidth : kNarrowSectionWidth;
  client.fillRect(0, 0, client.width(), client.height(), crossSectionBackground(settings.dialog3d));
  drawCrossSectionLabels(client, chart, settings, width);

  // The graph is the column as the chart shows it, kept in the window's buffer when it has one.
  std::array<uint8_t, kCrossSectionRows> local{};
  uint8_t* depths =
      crossSection.column.size() >= kCrossSectionRows ? crossSection.column.data() : local.data();
  std::copy(columnDepths, columnDepths + kCrossSectionRows, depths);
  drawCrossSectionGraph(display, settings, client, depths, unitH, width, chart);
  // A 2-pixel last bar would stick out of the narrow graph.
  if (settings.lineWidth == LineWidth::kThick && width == kNarrowSectionWidth) {
    client.fillRect(unitW + kNarrowSectionWidth, unitH, 1, kPlotHeight,
                    crossSectionBackground(settings.dialog3d));
  }

  const TextStyle style = crossSectionTextStyle(settings.dialog3d);
  double columnX = unitW > 10 ? 16.5 : unitW >= 9 ? 19.5 : 23.5;
  client.textOut(int(unitW * columnX), 5 * unitH + kPlotHeight, crossSectionColumnText(document),
                 style);
  client.textOut(
      unitW + 256, int(unitH * 5.5 + kPlotHeight),
      crossSectionPositionText(chart, crossSectionColumn(document, unitW), unitW, display.texts),
      style);
  client.textOut(unitW, unitH,
                 crossSectionPeakText(chart.rate, chart.method, chart.blockOrder, loudest),
                 TextStyle{kBlack, kWhite, false});
  return loudest;
}

int crossSectionStep(const CrossSectionChart& chart) {
  if (chart.method == kWt) return 1;
  const int perColumn = std::max(1, chart.framesPerColumn);
  const int step = int(chart.rate.framesPerBaseStep() * chart.timeResolution / perColumn);
  return std::max(1, step);
}

void stepCrossSection(Document& document, const CrossSectionChart& chart, int direction) {
  const int unitW = kLayout.unitW;
  const int s = crossSectionStep(chart);
  const int x = document.crossSectionX + (direction < 0 ? -s : s);
  document.crossSectionX = std::clamp(x, unitW, unitW + kPlotWidth - 1);
}

CrossSectionLayout crossSectionLayout(const LayoutUnits& units, int sectionWidth) {
  const int unitW = units.unitW;
  const int unitH = units.unitH;
  CrossSectionLayout result;
  result.clientWidth = sectionWidth + 2 * unitW;
  result.clientHeight = kPlotHeight + 9 * unitH - kDialogFrameHeight;
  // x and width of the four buttons in units of W.
  struct Span {
    int x, w;
  };
  std::array<Span, 4> spans;
  if (unitW > 10) {
    spans = {{{1, 7}, {8, 6}, {14, 2}, {20, 2}}};
  } else if (unitW >= 9) {
    spans = {{{1, 7}, {8, 7}, {16, 3}, {23, 3}}};
  } else {
    spans = {{{1, 9}, {10, 9}, {20, 3}, {27, 3}}};
  }
  const int y = 4 * unitH + kPlotHeight;
  const int h = 4 * unitH;
  auto rect = [&](const Span& s) { return Rect{s.x * unitW, y, s.w * unitW, h}; };
  result.close = rect(spans[0]);
  result.zoom = rect(spans[1]);
  result.left = rect(spans[2]);
  result.right = rect(spans[3]);
  return result;
}

const char* crossSectionZoomText(int sectionWidth) {
  return sectionWidth == kWideSectionWidth ? QT_TRANSLATE_NOOP("Window", "縮小")
                                           : QT_TRANSLATE_NOOP("Window", "拡大");
}

}  // namespace korimu

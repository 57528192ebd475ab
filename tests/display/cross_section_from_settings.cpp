#include "cross_section_from_settings.h"

#include <algorithm>

#include "core/chart_placement.h"

namespace korimu {

void drawCrossSectionGraph(const DisplayState& display, const AppSettings& settings, Canvas& canvas,
                           const uint8_t* depths, int top, int width, int method) {
  CrossSectionChart chart;
  chart.rate = display.fileRate;
  chart.method = method;
  chart.blockOrder = settings.blockOrder;
  korimu::drawCrossSectionGraph(display, settings, canvas, depths, top, width, chart);
}

int paintCrossSection(DisplayState& display, const AppSettings& settings, Canvas& client,
                      const Canvas& backBuffer, const WaveSource& file, const Document& document) {
  return korimu::paintCrossSection(
      display, settings, client, backBuffer,
      crossSectionChartFromSettings(display.fileRate, settings, file, document), document, -1);
}

int crossSectionStep(SampleRate rate, int method, const AppSettings& settings) {
  CrossSectionChart chart;
  chart.rate = rate;
  chart.method = method;
  chart.timeResolution = settings.timeResolution;
  chart.framesPerColumn = settings.framesPerColumn;
  return korimu::crossSectionStep(chart);
}

void stepCrossSection(Document& document, SampleRate rate, const AppSettings& settings,
                      int direction) {
  const int unitW = kLayout.unitW;
  const int s = crossSectionStep(rate, document.lastRunMethod, settings);
  const int x = document.crossSectionX + (direction < 0 ? -s : s);
  document.crossSectionX = std::clamp(x, unitW, unitW + kPlotWidth - 1);
}

void drawCrossSectionLabels(Canvas& canvas, SampleRate rate, const AppSettings& settings, int width,
                            int method) {
  CrossSectionChart chart;
  chart.rate = rate;
  chart.method = method;
  chart.blockOrder = settings.blockOrder;
  korimu::drawCrossSectionLabels(canvas, chart, settings, width);
}

uint64_t crossSectionBytePosition(const WaveSource& file, const Document& document,
                                  int framesPerColumn, int unitW) {
  return chartPlacement(document.position, file.blockAlign, 0, framesPerColumn, 0, false)
      .columnBytePosition(crossSectionColumn(document, unitW));
}

std::string crossSectionPositionText(const WaveSource& file, const Document& document,
                                     int framesPerColumn, int unitW) {
  CrossSectionChart chart;
  chart.framesPerColumn = framesPerColumn;
  chart.placement =
      chartPlacement(document.position, file.blockAlign, 0, framesPerColumn, 0, false);
  chart.bytesPerSecond = file.bytesPerSecond;
  return korimu::crossSectionPositionText(chart, crossSectionColumn(document, unitW), unitW);
}

}  // namespace korimu

#include "display/level_meter.h"

#include <algorithm>

#include "core/layout.h"
#include "core/settings.h"
#include "display/display_state.h"
#include "display/frame_parts.h"

namespace korimu {

int octaveBandCount(int blockOrder) {
  if (blockOrder <= 9) return 8;
  if (blockOrder <= 10) return 9;
  return 10;
}

namespace {

int bandX(int k) {
  return 470 - 50 * k;
}

uint8_t smallestDepth(const uint8_t* depths, int begin, int end) {
  uint8_t v = 255;
  for (int i = begin; i < end; ++i) v = std::min(v, depths[i]);
  return v;
}

long depthSum(const uint8_t* depths, int begin, int end) {
  long sum = 0;
  for (int i = begin; i < end; ++i) sum += depths[i];
  return sum;
}

void drawBar(Canvas& canvas, int k, double v) {
  canvas.fillRect(bandX(k), int(kLayout.plotTop + v), 40, int(kPlotHeight - v), kBlack);
}

// The polyline starts at the first band's centre and runs leftwards band by band.
void addLinePoint(Canvas& canvas, int k, double v) {
  const int y = int(v + kLayout.plotTop);
  if (k == 0) {
    canvas.moveTo(490, y);
  } else {
    canvas.lineTo(bandX(k) + 20, y);
  }
}

}  // namespace

std::vector<MeterBand> octaveMeterBands(const uint8_t* depths, int len, bool line, int blockOrder,
                                        bool pinkNoiseFlat) {
  std::vector<MeterBand> bands;
  if (depths == nullptr || len <= 0) return bands;
  const int count = octaveBandCount(blockOrder);
  int e = len;
  for (int k = 0; k < count; ++k, e /= 2) {
    MeterBand band{e / 2, e};
    if (line) {
      if (pinkNoiseFlat && e == 1) break;
      band.depth = double(depthSum(depths, band.begin, e));
      if (e > 1) band.depth = band.depth / e * 2;
    } else {
      band.depth = smallestDepth(depths, band.begin, e);
    }
    bands.push_back(band);
  }
  return bands;
}

std::vector<MeterBand> equalCountMeterBands(const uint8_t* depths, int len, bool line) {
  std::vector<MeterBand> bands;
  const int q = len / 10;
  // Fewer than ten bins leave nothing to split into bands.
  if (depths == nullptr || q <= 0) return bands;
  for (int k = 0; k < 10; ++k) {
    MeterBand band{len - q * (k + 1), len - q * k};
    band.depth = line ? double(depthSum(depths, band.begin, band.end)) / q
                      : smallestDepth(depths, band.begin, band.end);
    bands.push_back(band);
  }
  return bands;
}

namespace {

void drawMeterBands(Canvas& canvas, const std::vector<MeterBand>& bands, bool line,
                    LineWidth lineWidth) {
  if (line) canvas.setPen(kBlack, pixels(lineWidth));
  for (size_t k = 0; k < bands.size(); ++k) {
    if (line) {
      addLinePoint(canvas, int(k), bands[k].depth);
    } else {
      drawBar(canvas, int(k), bands[k].depth);
    }
  }
  canvas.setPen(kBlack);
}

}  // namespace

void drawMeter(Canvas& canvas, const AppSettings& settings, const std::vector<MeterBand>& bands) {
  canvas.whiteness(kLayout.unitW, kLayout.plotTop, kPlotWidth, kPlotHeight);
  drawMeterBands(canvas, bands, settings.graphStyle == kLineGraph, settings.lineWidth);
}

void drawOctaveMeter(Canvas& canvas, const AppSettings& settings, const uint8_t* depths, int len) {
  canvas.whiteness(kLayout.unitW, kLayout.plotTop, kPlotWidth, kPlotHeight);
  const bool line = settings.graphStyle == kLineGraph;
  drawMeterBands(canvas,
                 octaveMeterBands(depths, len, line, settings.blockOrder, settings.pinkNoiseFlat),
                 line, settings.lineWidth);
}

void drawEqualCountMeter(Canvas& canvas, const AppSettings& settings, const uint8_t* depths,
                         int len) {
  canvas.whiteness(kLayout.unitW, kLayout.plotTop, kPlotWidth, kPlotHeight);
  const bool line = settings.graphStyle == kLineGraph;
  drawMeterBands(canvas, equalCountMeterBands(depths, len, line), line, settings.lineWidth);
}

double waveZoomScale(SampleRate rate, int spanFrames) {
  const int m = spanFrames;
  if (rate.kHz() <= 0 || m <= 0) return 0;
  return double(kPlotWidth) / (rate.framesPerBaseStep() * m);
}

void drawWaveZoom(Canvas& canvas, SampleRate rate, const AppSettings& settings,
                  const uint8_t* depths, int len) {
  const int unitW = kLayout.unitW, top = kLayout.plotTop;
  canvas.whiteness(unitW, top, kPlotWidth, kPlotHeight);
  canvas.setPen(kGridColour);
  canvas.moveTo(unitW, top + 127);
  canvas.lineTo(unitW + kPlotWidth, top + 127);
  drawWaveGrid(canvas, rate, waveSpanFrames(settings));
  canvas.setPen(kBlack);
  const double r = waveZoomScale(rate, waveSpanFrames(settings));

  if (depths == nullptr || len <= 0 || r <= 0) return;
  auto xAt = [&](int i) { return int(unitW + r * i); };
  canvas.moveTo(unitW, top + depths[0]);
  for (int i = 1; i < len; ++i) {
    canvas.lineTo(xAt(i), top + depths[i]);
    if (settings.lineWidth == LineWidth::kThick) {
      canvas.moveTo(xAt(i), top + depths[i] + 1);
      canvas.lineTo(xAt(i - 1), top + depths[i - 1] + 1);
      canvas.moveTo(xAt(i), top + depths[i]);
    }
  }
}

}  // namespace korimu

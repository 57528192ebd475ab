#include "display/chart.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/layout.h"
#include "core/settings.h"
#include "display/display_state.h"
#include "display/frame_parts.h"

namespace korimu {

namespace {

// The colours set into the back buffer and read back to learn what a 16-colour display shows.
constexpr std::array<Rgb, 16> kReferenceColours{{
    {255, 255, 255},
    {255, 255, 0},
    {0, 255, 255},
    {0, 255, 0},
    {255, 0, 255},
    {255, 0, 0},
    {0, 0, 255},
    {128, 128, 128},
    {192, 192, 192},
    {191, 191, 0},
    {0, 191, 191},
    {0, 191, 0},
    {191, 0, 191},
    {191, 0, 0},
    {0, 0, 191},
    {0, 0, 0},
}};

int colourLuminance(Rgb c) {
  return luminance(c.r, c.g, c.b);
}

void buildChartColours16(DisplayState& display, Canvas& buffer) {
  std::array<Rgb, 16>& colours = display.chartColours16;
  for (int i = 0; i < 16; ++i) {
    buffer.setPixel(0, i, kReferenceColours[size_t(i)]);
    colours[size_t(i)] = buffer.getPixel(0, i);
  }
  std::stable_sort(colours.begin(), colours.end(),
                   [](Rgb a, Rgb b) { return colourLuminance(a) < colourLuminance(b); });
  display.chartColours16Built = true;
}

}  // namespace

ChartRowScale chartRowScale(SampleRate fileRate, int count, int method) {
  const double rate = fileRate.hz();
  ChartRowScale scale;
  if (method == kWt) {
    scale.fTop = rate * fileRate.waveletTopFraction();
    scale.ratio = std::pow(2.0, 1.0 / 24);
    scale.fBottom = scale.fTop / std::pow(scale.ratio, kPlotHeight - 1);
    return scale;
  }
  scale.fTop = rate / 2;
  if (method == kMem || method == kDtft) {
    const int bins = std::max(1, count);
    scale.fBottom = scale.fTop / bins;
    // A single bin has no spacing; keep the ratio at 1 rather than dividing by zero.
    scale.ratio = bins > 1 ? std::exp(std::log(scale.fTop / scale.fBottom) / (bins - 1)) : 1.0;
  }
  return scale;
}

double linearChartRowFrequency(SampleRate rate, int blockOrder, int row) {
  const int bins = currentBinCount(blockOrder);
  const int rowsPerBin = bins < kPlotHeight ? kPlotHeight / bins : 1;
  const int bin = row / rowsPerBin;
  return double(bin) * rate.hz() / (2.0 * bins);
}

void prepareAnalysis(DisplayState& display, int musicalKey) {
  Canvas& buffer = display.surfaces.backBuffer;
  if (buffer.width() == 0) {
    buffer = Canvas(kLayout.layoutWidth, kLayout.clientHeight, displayDepthBits(display.surfaces));
    buffer.whiteness(kLayout.unitW, kLayout.plotTop, kPlotWidth, kPlotHeight);
    if (buffer.depthBits() == 4) buildChartColours16(display, buffer);
  }
  double la = 1760.0;
  for (int k = 0; k < musicalKey; ++k) la *= kSemitone;
  display.referenceLa = la;
}

const char* gainButtonCaption(WindowFunction windowFunction) {
  return windowFunction == WindowFunction::kRectangle ? "1/2" : "Ａt";
}

void releaseDisplaySurfaces(DisplayState& display) {
  display.surfaces.backBuffer = Canvas();
  display.chartColours16Built = false;
}

Rgb chartShade(int d, int depthBits, const std::array<Rgb, 16>& chartColours16) {
  d = std::clamp(d, 0, 255);
  const int v = 255 - d;
  switch (depthBits) {
    case 4:
      return chartColours16[size_t(15 - d / 16)];
    case 15:
    case 16: {
      const uint8_t redBlue = uint8_t(8 * (v / 8));
      return Rgb{redBlue, uint8_t(std::min(255, 8 * ((v + 4) / 8))), redBlue};
    }
    default:
      return Rgb{uint8_t(v), uint8_t(v), uint8_t(v)};
  }
}

Rgb chartShade(const DisplayState& display, int d) {
  return chartShade(d, displayDepthBits(display.surfaces), display.chartColours16);
}

namespace {

void paintRows(Canvas& canvas, int rowsPerBin, int bin, int column, int width, Rgb colour) {
  for (int j = 0; j < rowsPerBin; ++j) {
    const int y = kLayout.plotTop + kPlotHeight - 1 - rowsPerBin * bin - j;
    for (int k = 0; k < width; ++k) canvas.setPixel(kLayout.unitW + column + k, y, colour);
  }
}

}  // namespace

void drawChartColumn(const DisplayState& display, Canvas& canvas, const uint8_t* depths, int len,
                     int column, int width) {
  if (depths == nullptr || len <= 0) return;
  const int rowsPerBin = len <= kPlotHeight ? kPlotHeight / len : 1;
  const int shown = len <= kPlotHeight ? len : kPlotHeight;
  width = std::min(width, kPlotWidth);
  const int bits = canvas.depthBits();
  for (int i = 0; i < shown; ++i) {
    paintRows(canvas, rowsPerBin, i, column, width,
              chartShade(depths[i], bits, display.chartColours16));
  }
}

void drawChartColumnLog(const DisplayState& display, Canvas& canvas, const uint8_t* depths, int len,
                        int column, int width) {
  if (depths == nullptr || len <= 0) return;
  const int rowsPerBin = len <= kPlotHeight ? kPlotHeight / len : 1;
  const int stride = len <= kPlotHeight ? 1 : len / kPlotHeight;
  const int shown = len <= kPlotHeight ? len : kPlotHeight;
  width = std::min(width, kPlotWidth);
  const int bits = canvas.depthBits();
  for (int i = 0; i < shown; ++i) {
    uint8_t loudest = 255;
    for (int s = 0; s < stride; ++s) loudest = std::min(loudest, depths[stride * i + s]);
    paintRows(canvas, rowsPerBin, i, column, width,
              chartShade(loudest, bits, display.chartColours16));
  }
}

void clearChart(const DisplayState& display, const AppSettings& settings, Canvas& canvas) {
  drawChartStrip(canvas, display, settings, currentBinCount(settings.blockOrder), kLayout.unitW,
                 kPlotWidth);
}

Rect drawWaveletRow(const DisplayState& display, Canvas& canvas, const uint8_t* depths, int n,
                    int column, int width, int row) {
  const int columns = std::clamp(width, 1, kPlotWidth);
  int group = n / columns;
  int pixels = 1;
  if (group == 0) {
    group = 1;
    pixels = columns / n;
  }
  const int y = kLayout.plotTop + row;
  int left = 0, right = 0;
  for (int s = 0; s < n; s += group) {
    uint8_t loudest = 255;
    const int end = std::min(s + group, n);
    for (int i = s; i < end; ++i) loudest = std::min(loudest, depths[i]);
    const int x = kLayout.unitW + column + static_cast<int>(int64_t{s} * pixels / group);
    for (int q = 0; q < pixels; ++q) canvas.setPixel(x + q, y, chartShade(display, loudest));
    if (pixels > 0) {
      if (left == right) left = x;
      right = x + pixels;
    }
  }
  return {left, y, right - left, right > left ? 1 : 0};
}

}  // namespace korimu

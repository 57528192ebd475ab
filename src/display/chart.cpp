#include "display/chart.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

#include "core/layout.h"
#include "core/settings.h"
#include "core/translatable.h"
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

// Each reference colour as the 16-colour display shows it.
void buildChartColours16(DisplayState& display, const Canvas& buffer) {
  std::array<Rgb, 16>& colours = display.chartColours16;
  for (int i = 0; i < 16; ++i) colours[size_t(i)] = buffer.quantise(kReferenceColours[size_t(i)]);
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
    // The buffer keeps what the window keeps (the plot alone for a render of the plot), made
    // white where the plot is and black elsewhere, each pixel written once.
    const Canvas& window = display.surfaces.window;
    const CanvasArea kept = window.width() > 0
                                ? window.kept()
                                : CanvasArea{0, 0, kLayout.layoutWidth, kLayout.clientHeight};
    const CanvasArea plot = plotCanvasArea();
    const int bits = displayDepthBits(display.surfaces);
    buffer = Canvas(kLayout.layoutWidth, kLayout.clientHeight, bits, kept == plot ? kWhite : kBlack,
                    kept);
    if (kept != plot) buffer.whiteness(plot.x, plot.y, plot.w, plot.h);
    if (buffer.depthBits() == 4) buildChartColours16(display, buffer);
  }
  double la = 1760.0;
  for (int k = 0; k < musicalKey; ++k) la *= kSemitone;
  display.referenceLa = la;
}

const char* gainButtonCaption(WindowFunction windowFunction) {
  return windowFunction == WindowFunction::kRectangle ? "1/2" : QT_TRANSLATE_NOOP("Window", "Ａt");
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

std::vector<ChartSpan> linearChartSpans(int len, int column, int width) {
  std::vector<ChartSpan> spans;
  if (len <= 0) return spans;
  const int rowsPerBin = len <= kPlotHeight ? kPlotHeight / len : 1;
  const int shown = len <= kPlotHeight ? len : kPlotHeight;
  width = std::min(width, kPlotWidth);
  for (int i = 0; i < shown; ++i) {
    for (int j = 0; j < rowsPerBin; ++j)
      spans.push_back({kPlotHeight - 1 - rowsPerBin * i - j, column, column + width, i, i, i + 1});
  }
  return spans;
}

std::vector<ChartSpan> logChartSpans(const uint8_t* depths, int len, int column, int width) {
  std::vector<ChartSpan> spans;
  if (depths == nullptr || len <= 0) return spans;
  const int rowsPerBin = len <= kPlotHeight ? kPlotHeight / len : 1;
  const int stride = len <= kPlotHeight ? 1 : len / kPlotHeight;
  const int shown = len <= kPlotHeight ? len : kPlotHeight;
  width = std::min(width, kPlotWidth);
  for (int i = 0; i < shown; ++i) {
    int loudest = stride * i;
    for (int s = 1; s < stride; ++s)
      if (depths[stride * i + s] < depths[loudest]) loudest = stride * i + s;
    for (int j = 0; j < rowsPerBin; ++j)
      spans.push_back({kPlotHeight - 1 - rowsPerBin * i - j, column, column + width, loudest,
                       stride * i, stride * i + stride});
  }
  return spans;
}

std::vector<ChartSpan> waveletRowSpans(const uint8_t* depths, int n, int column, int width,
                                       int row) {
  std::vector<ChartSpan> spans;
  if (depths == nullptr || n <= 0) return spans;
  const int columns = std::clamp(width, 1, kPlotWidth);
  int group = n / columns;
  int pixels = 1;
  if (group == 0) {
    group = 1;
    pixels = columns / n;
  }
  if (pixels <= 0) return spans;
  for (int s = 0; s < n; s += group) {
    int loudest = s;
    const int end = std::min(s + group, n);
    for (int i = s + 1; i < end; ++i)
      if (depths[i] < depths[loudest]) loudest = i;
    const int x = column + static_cast<int>(int64_t{s} * pixels / group);
    spans.push_back({row, x, x + pixels, loudest, s, end});
  }
  return spans;
}

Rect paintChartSpans(const DisplayState& display, Canvas& canvas,
                     const std::vector<ChartSpan>& spans, const uint8_t* cellDepths) {
  const int bits = canvas.depthBits();
  // Each depth's shade is worked out once a call: a block paints thousands of cells in a few
  // hundred depths.
  std::array<uint32_t, 256> shades{};
  std::array<bool, 256> shadeKnown{};
  auto shadeOf = [&](uint8_t depth) {
    if (!shadeKnown[depth]) {
      shades[depth] = packRgb(canvas.quantise(chartShade(depth, bits, display.chartColours16)));
      shadeKnown[depth] = true;
    }
    return shades[depth];
  };
  std::array<uint32_t, kPlotWidth> line{};
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
  for (const ChartSpan& span : spans) {
    const int from = std::max(span.from, 0), to = std::min(span.to, kPlotWidth);
    if (span.row < 0 || span.row >= kPlotHeight || from >= to) continue;
    const uint8_t* depths = cellDepths + size_t(span.row) * kPlotWidth;
    for (int x = from; x < to; ++x) line[size_t(x - from)] = shadeOf(depths[x]);
    canvas.putRow(kLayout.unitW + from, kLayout.plotTop + span.row, line.data(), to - from);
    left = std::min(left, from);
    right = std::max(right, to);
    top = std::min(top, span.row);
    bottom = std::max(bottom, span.row + 1);
  }
  if (left >= right) return {};
  return {kLayout.unitW + left, kLayout.plotTop + top, right - left, bottom - top};
}

namespace {

// Paints the spans directly in the shades of the elements' depths.
void paintSpans(const DisplayState& display, Canvas& canvas, const std::vector<ChartSpan>& spans,
                const uint8_t* depths) {
  const int bits = canvas.depthBits();
  for (const ChartSpan& span : spans) {
    const Rgb colour = chartShade(depths[span.element], bits, display.chartColours16);
    const int y = kLayout.plotTop + span.row;
    for (int x = span.from; x < span.to; ++x) canvas.setPixel(kLayout.unitW + x, y, colour);
  }
}

}  // namespace

void drawChartColumn(const DisplayState& display, Canvas& canvas, const uint8_t* depths, int len,
                     int column, int width) {
  if (depths == nullptr) return;
  paintSpans(display, canvas, linearChartSpans(len, column, width), depths);
}

void drawChartColumnLog(const DisplayState& display, Canvas& canvas, const uint8_t* depths, int len,
                        int column, int width) {
  paintSpans(display, canvas, logChartSpans(depths, len, column, width), depths);
}

void clearChart(const DisplayState& display, const AppSettings& settings, Canvas& canvas) {
  drawChartStrip(canvas, display, settings, currentBinCount(settings.blockOrder), kLayout.unitW,
                 kPlotWidth);
}

Rect drawWaveletRow(const DisplayState& display, Canvas& canvas, const uint8_t* depths, int n,
                    int column, int width, int row) {
  const std::vector<ChartSpan> spans = waveletRowSpans(depths, n, column, width, row);
  paintSpans(display, canvas, spans, depths);
  if (spans.empty()) return {0, kLayout.plotTop + row, 0, 0};
  const int left = kLayout.unitW + spans.front().from;
  return {left, kLayout.plotTop + row, kLayout.unitW + spans.back().to - left, 1};
}

}  // namespace korimu

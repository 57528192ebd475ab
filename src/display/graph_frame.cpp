#include "display/graph_frame.h"

#include <array>
#include <cmath>
#include <string>

#include "core/layout.h"
#include "core/settings.h"
#include "core/translatable.h"
#include "display/chart.h"
#include "display/display_state.h"
#include "display/octave_sequence.h"
#include "platform/fixed_font.h"
#include "platform/message.h"

namespace korimu {

namespace {

int labelRowY() {
  return kLayout.plotTop + kPlotHeight + 4;
}
int titleRowY() {
  return kLayout.plotTop - 2 * kLayout.unitH - 2;
}

void label(Canvas& canvas, int x, const std::string& text) {
  canvas.textOut(x, labelRowY(), text);
}

// The column of a CD-family label table, one per rate 11, 22, 44 and 88 kHz; every other
// multiple of 11 kHz takes the 11 kHz labels.
size_t familyColumn(SampleRate rate) {
  return size_t(std::max(rate.cdStep(), 0));
}

void drawWaveZoomLabels(Canvas& canvas, SampleRate rate, int spanFrames) {
  const int unitW = kLayout.unitW;
  const int m = spanFrames;
  label(canvas, unitW / 2, "0");
  if (!rate.cdFamily()) {
    if (m > 2000) {
      label(canvas, 3 * unitW + kPlotWidth, formatText("%d msec", m / 8));
      const int parts[] = {125, 100, 75, 50, 25};
      const int xs[] = {500, 400, 300, 200, 100};
      for (int k = 0; k < 5; ++k)
        label(canvas, xs[k] - unitW, formatText("%d", m * parts[k] / 1024));
    } else if (m > 250) {
      label(canvas, kPlotWidth, formatText("%d msec", m / 8));
      for (int k = 0; k <= 5; ++k)
        label(canvas, 480 - 80 * k, formatText("%d", m * (120 - 20 * k) / 1024));
    } else {
      label(canvas, kPlotWidth, formatText("%d msec", m / 8));
      label(canvas, kPlotWidth * 3 / 4, formatText("%d", m * 3 / 32));
      label(canvas, kPlotWidth / 2, formatText("%d", m * 2 / 32));
      label(canvas, kPlotWidth / 4, formatText("%d", m / 32));
    }
    return;
  }
  const double t = m / 11.025;
  auto rounded = [](double v) { return formatText("%d", int(v + 0.5)); };
  label(canvas, kPlotWidth, formatText("%d msec", int(t + 0.5)));
  if (m > 1000) {
    const double unit = t / 0.74303854;
    label(canvas, 413, rounded(unit * 0.6));
    label(canvas, 276, rounded(unit * 0.4));
    label(canvas, 138, rounded(unit * 0.2));
  } else if (m > 250) {
    const double unit = t / 0.046439909;
    label(canvas, 441, rounded(unit * 0.04));
    label(canvas, 331, rounded(unit * 0.03));
    label(canvas, 220, rounded(unit * 0.02));
    label(canvas, 110, rounded(unit * 0.01));
  } else {
    const double unit = t / 0.011609977;
    label(canvas, 353, rounded(unit * 0.008));
    label(canvas, 176, rounded(unit * 0.004));
  }
}

void drawLevelMeterLabels(Canvas& canvas, SampleRate rate) {
  static constexpr std::array<std::array<const char*, 4>, 10> kBandLabels{{
      {"  8 ", " 15 ", " 30 ", " 60 "},
      {" 15 ", " 30 ", " 60 ", "120 "},
      {" 30 ", " 60 ", "120 ", "240 "},
      {" 60 ", "120 ", "240 ", "490 "},
      {"120 ", "240 ", "490 ", " 1k "},
      {"240 ", "490 ", " 1k ", " 2k "},
      {"490 ", " 1k ", " 2k ", " 4k "},
      {" 1k ", " 2k ", " 4k ", " 8k "},
      {" 2k ", " 4k ", " 8k ", "16k "},
      {" 4k ", " 8k ", "16k ", "31k "},
  }};
  const int unitW = kLayout.unitW;
  const int srKHz = rate.kHz();
  label(canvas, 2 * unitW + kPlotWidth + 1, "Hz");
  if (rate.cdFamily()) {
    const size_t column = familyColumn(rate);
    for (int k = 0; k < 10; ++k) label(canvas, 30 + 50 * k - unitW, kBandLabels[size_t(k)][column]);
    return;
  }
  long v = long(srKHz * 250 * 1.4 + 0.5);
  for (int c = 485; c >= 35; c -= 50) {
    label(canvas, c - unitW, v >= 10000 ? formatText("%ldk", v / 1000) : formatText("%ld", v));
    v /= 2;
  }
}

void drawLinearSpectrumLabels(Canvas& canvas, SampleRate rate) {
  static constexpr std::array<std::array<const char*, 4>, 4> kFrequencyLabels{{
      {"1250", "2.5k", " 5k ", "10k "},
      {"2500", " 5k ", "10k ", "20k "},
      {"3750", "7.5k", "15k ", "30k "},
      {"5000", "10k ", "20k ", "40k "},
  }};
  const int unitW = kLayout.unitW;
  const int srKHz = rate.kHz();
  label(canvas, 4 * unitW + kPlotWidth + 1, "Hz");
  label(canvas, unitW, "0");
  if (rate.cdFamily()) {
    const size_t column = familyColumn(rate);
    for (int k = 0; k < 4; ++k)
      label(canvas, 116 * (k + 1) - unitW, kFrequencyLabels[size_t(k)][column]);
    return;
  }
  label(canvas, kPlotWidth - unitW, formatText("%d", (srKHz / 2) * 1000));
  label(canvas, kPlotWidth / 2 - unitW, formatText("%d", (srKHz / 4) * 1000));
  label(canvas, kPlotWidth / 4 - unitW, formatText("%d", (srKHz / 8) * 1000));
  label(canvas, kPlotWidth * 3 / 4 - unitW, formatText("%d", (srKHz / 8) * 3000));
}

void drawLogSpectrumLabels(Canvas& canvas, SampleRate rate, int blockOrder) {
  const int unitW = kLayout.unitW;
  label(canvas, 4 * unitW + kPlotWidth + 1, "Hz");
  const int bins = currentBinCount(blockOrder);
  const double lnCount = std::log(double(bins));
  forEachOctave(rate, bins, [&](int k, double g, double p) {
    if (octaveLabelSkipped(k, blockOrder)) return;
    const std::string text = g > 5000    ? formatText("%.0fk", g / 1000)
                             : g >= 0.95 ? formatText("%.0f", g)
                                         : formatText(".%.0f", g * 10);
    const int length = textCells(text);
    // NOLINTNEXTLINE(bugprone-integer-division): labels are centred on whole pixels
    label(canvas, int(std::log(p) / lnCount * kPlotWidth + unitW - (length * unitW) / 2), text);
  });
}

int centredX(const std::string& text) {
  return kPlotWidth / 2 - ((textCells(text) - 2) * kLayout.unitW) / 2;
}

void drawChartFrameLabels(Canvas& canvas, const DisplayState& display,
                          const AppSettings& settings) {
  const SampleRate rate = display.fileRate;
  const int bins = currentBinCount(settings.blockOrder);
  if (settings.method == kFft || settings.method == kDct) {
    // The top frequency times the plot's rows, so that dividing by the bins shown gives Hz.
    const long base = long(rate.hz()) * (kPlotHeight / 2);
    const std::string top = formatText("%5ld Hz ", base / std::max(bins, kPlotHeight));
    canvas.textOut(centredX(top), titleRowY(), top);
    label(canvas, centredX("0 Hz "), "0 Hz ");
  } else {
    const ChartRowScale scale = chartRowScale(rate, bins, settings.method);
    const std::string top = formatText("%5ld Hz ", long(scale.fTop + 0.49));
    canvas.textOut(centredX(top), titleRowY(), top);
    const std::string bottom = formatText("%5.1f Hz ", scale.fBottom);
    label(canvas, centredX(bottom), bottom);
  }
  drawChartStrip(canvas, display, settings, bins, 0, kLayout.unitW);
  drawChartStrip(canvas, display, settings, bins, kLayout.unitW + kPlotWidth, kLayout.unitW);
  if (!settings.colorScale) drawChartLabels(canvas, rate, settings);
}

struct LegendEntry {
  const char* colourName;
  const char* syllable;
  int noteClass;
};

// Rows of the note legend, do first.
constexpr std::array<LegendEntry, 8> kNoteLegend{{
    {QT_TRANSLATE_NOOP("Canvas", "赤"), QT_TRANSLATE_NOOP("Canvas", "ド"), 3},
    {QT_TRANSLATE_NOOP("Canvas", "黄"), QT_TRANSLATE_NOOP("Canvas", "レ"), 5},
    {QT_TRANSLATE_NOOP("Canvas", "緑"), QT_TRANSLATE_NOOP("Canvas", "ミ"), 7},
    {QT_TRANSLATE_NOOP("Canvas", "灰"), QT_TRANSLATE_NOOP("Canvas", "ﾌｧ"), 8},
    {QT_TRANSLATE_NOOP("Canvas", "青"), QT_TRANSLATE_NOOP("Canvas", "ソ"), 10},
    {QT_TRANSLATE_NOOP("Canvas", "紫"), QT_TRANSLATE_NOOP("Canvas", "ラ"), 0},
    {QT_TRANSLATE_NOOP("Canvas", "水"), QT_TRANSLATE_NOOP("Canvas", "シ"), 2},
    {QT_TRANSLATE_NOOP("Canvas", "黒"), "#b", 1},
}};

void drawNoteLegend(Canvas& canvas, const TextCatalogue& texts) {
  const int unitW = kLayout.unitW, unitH = kLayout.unitH;
  int lx = 3 * unitW + kPlotWidth;
  const int ly = kLayout.plotTop + 6 * unitH;
  const int step = kPlotHeight - 9 * unitH;
  clearLegendArea(canvas);
  canvas.fillRect(lx, ly, 5 * unitW, kPlotHeight - 6 * unitH, kWhite);
  lx -= unitW / 2;
  for (int k = 0; k < 8; ++k) {
    const LegendEntry& entry = kNoteLegend[size_t(k)];
    const Rgb colour = noteColour(entry.noteClass);
    const int y = ly + unitH / 2 + (step * k) / 7;
    canvas.textOut(lx + unitW, y, texts.translate("Canvas", entry.colourName),
                   TextStyle{kWhite, colour, true});
    canvas.textOut(lx + 3 * unitW, y, texts.translate("Canvas", entry.syllable),
                   TextStyle{colour, kWhite, true});
  }
}

void drawVolumeLegend(Canvas& canvas, const std::array<Rgb, 16>& chartColours16,
                      const TextCatalogue& texts) {
  const int unitW = kLayout.unitW, unitH = kLayout.unitH;
  const int lx = 3 * unitW + kPlotWidth;
  const int ly = kLayout.plotTop + 6 * unitH;
  const int step = kPlotHeight - 9 * unitH;
  clearLegendArea(canvas);
  canvas.fillRect(lx, ly, 5 * unitW, kPlotHeight - 6 * unitH, kWhite);
  const int left = lx + unitW / 2;
  for (int i = 0; i < 16; ++i) {
    const int top = ly + step - (step * i) / 16 + (3 * unitH) / 2;
    canvas.fillRect(left, top, 4 * unitW, 8, chartColours16[size_t(i)]);
  }
  canvas.textOut(lx + unitW / 2, ly + unitH / 2, texts.translate("Canvas", "音量"),
                 TextStyle{kBlack, kWhite, true});
}

void drawLegend(const DisplayState& display, const AppSettings& settings, Canvas& canvas) {
  const bool chart = settings.display == kTimeFrequencyChart;
  const bool sixteenColours = canvas.depthBits() == 4;
  if (settings.colorScale) {
    const bool spectrumBars =
        (settings.display == kSpectrumLinear || settings.display == kSpectrumLog) &&
        settings.graphStyle == kBarGraph;
    if (spectrumBars || (chart && !sixteenColours)) {
      drawNoteLegend(canvas, display.texts);
    } else if (chart) {
      drawVolumeLegend(canvas, display.chartColours16, display.texts);
    } else {
      clearLegendArea(canvas);
    }
    return;
  }
  if (chart) {
    if (sixteenColours) drawVolumeLegend(canvas, display.chartColours16, display.texts);
    return;
  }
  clearLegendArea(canvas);
}

}  // namespace

void drawGraphFrame(const DisplayState& display, const AppSettings& settings, Canvas& canvas) {
  const int unitW = kLayout.unitW;
  canvas.textOut(unitW / 2, labelRowY(), std::string(100, ' '));
  canvas.textOut(kPlotWidth / 2 - ((9 - 2) * unitW) / 2, titleRowY(), std::string(9, ' '));
  canvas.fillRect(0, kLayout.plotTop, unitW, kPlotHeight, kButtonFace);
  canvas.fillRect(unitW + kPlotWidth, kLayout.plotTop, unitW, kPlotHeight, kButtonFace);
  if (settings.display != kTimeFrequencyChart) {
    drawRangeMarker(canvas, display.fileRate, settings, display.darkScheme, display.texts);
    canvas.whiteness(unitW, kLayout.plotTop, kPlotWidth, kPlotHeight);
  }
  if (display.fileRate.kHz() == 0) return;
  switch (settings.display) {
    case kWaveZoom:
      drawWaveZoomLabels(canvas, display.fileRate, waveSpanFrames(settings));
      break;
    case kLevelMeter:
      drawLevelMeterLabels(canvas, display.fileRate);
      break;
    case kSpectrumLinear:
      drawLinearSpectrumLabels(canvas, display.fileRate);
      break;
    case kSpectrumLog:
      drawLogSpectrumLabels(canvas, display.fileRate, settings.blockOrder);
      break;
    case kTimeFrequencyChart:
      drawChartFrameLabels(canvas, display, settings);
      break;
    default:
      break;
  }
  if (unitW > 0) drawLegend(display, settings, canvas);
}

}  // namespace korimu

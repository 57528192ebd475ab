#include "control/plot_readout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/layout.h"
#include "core/translatable.h"
#include "display/display_state.h"
#include "display/level_meter.h"
#include "display/spectrum_graph.h"
#include "run/chart_column.h"

namespace korimu {

namespace {

bool isSpectrumView(int32_t view) {
  return view == kSpectrumLinear || view == kSpectrumLog;
}

// The bins of an FFT or DCT spectrum on the log axis: bin 0 has no place there, and the bar graph
// leaves it out.
bool logAxisBins(const RunRecord& r) {
  return r.run.analysis.view == kSpectrumLog && !r.spectrumPoints;
}

int firstSpectrumIndex(const RunRecord& r) {
  return logAxisBins(r) && !r.run.lineGraph ? 1 : 0;
}

// The waveform's pixels per sample, as its painter works it out.
double waveScale(const RunRecord& r) {
  const int span = r.run.analysis.autocorrelation ? r.run.timeResolution / 2 : r.run.timeResolution;
  return waveZoomScale(r.run.rate(), span);
}

// The CSV's row of an item.
int indexOfItem(const RunRecord& r, int item) {
  switch (r.run.analysis.view) {
    case kLevelMeter:
      return int(r.bands.size()) - 1 - item;  // the highest band is the rightmost
    case kSpectrumLinear:
    case kSpectrumLog:
      return item + firstSpectrumIndex(r);
    default:
      return item;
  }
}

// The x of an item in plot pixels, as its painter draws it (a meter band: its bar's left edge).
int itemX(const RunRecord& r, int item) {
  const int unitW = kLayout.unitW;
  const int index = indexOfItem(r, item);
  switch (r.run.analysis.view) {
    case kTimeFrequencyChart:
      return item;
    case kLevelMeter:
      return 470 - 50 * index - unitW;  // bars stand at client x 470 - 50 k
    case kWaveZoom:
      return int(unitW + waveScale(r) * index) - unitW;
    default:
      break;
  }
  const int bins = r.spectrum.bins();
  if (logAxisBins(r)) return int(unitW + logSpectrumOffset(index, bins)) - unitW;
  return placeBins(bins, kPlotWidth).x(index) - unitW;
}

double spectrumPower(const SpectrumFrame& s, int index) {
  return size_t(index) < s.powers.size() ? s.powers[size_t(index)] : 0.0;
}

// The loudest point drawn in pixel column x (the first of equals), else that of the nearest
// column with points (the left of two as near).
int spectrumItemAt(const RunRecord& r, int count, int x) {
  int first = 0, last = count;  // the first item at x or right of it
  while (first < last) {
    const int mid = (first + last) / 2;
    if (itemX(r, mid) < x) {
      first = mid + 1;
    } else {
      last = mid;
    }
  }
  if (first == count ||
      (first > 0 && itemX(r, first) != x && x - itemX(r, first - 1) <= itemX(r, first) - x)) {
    // The nearest column is the one left of x: start from its first item.
    const int column = itemX(r, first - 1);
    for (first = first - 1; first > 0 && itemX(r, first - 1) == column;) --first;
  }
  int loudest = first;
  for (int i = first + 1; i < count && itemX(r, i) == itemX(r, first); ++i) {
    if (spectrumPower(r.spectrum, indexOfItem(r, i)) >
        spectrumPower(r.spectrum, indexOfItem(r, loudest)))
      loudest = i;
  }
  return loudest;
}

const char* decibelText(double decibels, char* buffer, size_t size) {
  if (std::isinf(decibels) && decibels < 0) return "-∞ dB";
  std::snprintf(buffer, size, "%.1f dB", decibels);
  return buffer;
}

}  // namespace

int readoutItems(const RunRecord& r) {
  if (!r.drawn) return 0;
  switch (r.run.analysis.view) {
    case kTimeFrequencyChart:
      return r.chartCells.allocated() ? kChartColumns : 0;
    case kLevelMeter:
      return int(r.bands.size());
    case kWaveZoom: {
      // The samples drawn inside the plot.
      int count = int(r.waveRows.size());
      while (count > 0 && itemX(r, count - 1) >= kPlotWidth) --count;
      return count;
    }
    default:
      return std::max(0, r.spectrum.bins() - firstSpectrumIndex(r));
  }
}

int readoutRows(const RunRecord& r) {
  return r.run.analysis.view == kTimeFrequencyChart ? kChartRows : 1;
}

ReadoutPlace readoutPlaceAt(const RunRecord& r, int x, int y) {
  const int count = readoutItems(r);
  if (count == 0 || x < 0 || x >= kPlotWidth || y < 0 || y >= kPlotHeight) return {};
  switch (r.run.analysis.view) {
    case kTimeFrequencyChart:
      return {x, y};
    case kLevelMeter: {
      // A bar is 40 pixels wide with 10 between bars: each band takes 5 of the gap each side.
      const int clientX = x + kLayout.unitW;
      if (clientX > 514) return {};
      const int band = (514 - clientX) / 50;
      if (band >= count) return {};
      return {count - 1 - band, 0};
    }
    case kWaveZoom: {
      const double at = std::floor((x + 0.5) / waveScale(r) + 0.5);
      return {int(std::clamp(at, 0.0, double(count - 1))), 0};
    }
    default:
      return {spectrumItemAt(r, count, x), 0};
  }
}

PlotPixel readoutPixel(const RunRecord& r, ReadoutPlace place) {
  if (!place.valid() || place.item >= readoutItems(r)) return {};
  const int index = indexOfItem(r, place.item);
  const auto i = size_t(index);
  switch (r.run.analysis.view) {
    case kTimeFrequencyChart:
      return {place.item, place.row};
    case kLevelMeter:
      return {itemX(r, place.item) + 20, int(r.bands[i].depth)};  // the bar's middle
    case kWaveZoom:
      return {itemX(r, place.item), r.waveRows[i]};
    default:
      return {itemX(r, place.item), r.spectrum.depths[i]};
  }
}

ReadoutValues readoutValues(const RunRecord& r, ReadoutPlace place, const NoteNaming& notes) {
  ReadoutValues v;
  if (!place.valid() || place.item >= readoutItems(r) || place.row < 0 ||
      place.row >= readoutRows(r))
    return v;
  v.index = indexOfItem(r, place.item);
  const auto i = size_t(v.index);
  const int32_t view = r.run.analysis.view;
  if (view == kTimeFrequencyChart) {
    const size_t cell = ChartCells::at(place.row, place.item);
    if (r.chartCells.block(cell) < 0) return v;  // not drawn (yet)
    v.kind = ReadoutKind::kChartCell;
    v.chartRow = place.row;
    v.seconds = r.run.secondsAt(r.run.columnBytePosition(place.item));
    v.frequency = r.chartRowFrequencies[size_t(place.row)];
    v.power = r.chartCells.power(cell);
    v.decibels = chartCellDecibels(r, place.row, place.item);
  } else if (view == kLevelMeter) {
    const MeterBandResult& band = r.bands[i];
    const std::vector<double>& f = r.spectrum.frequencies;
    if (band.endBin <= band.firstBin || size_t(band.endBin) > f.size()) return v;
    v.kind = ReadoutKind::kMeterBand;
    v.fromHz = f[size_t(band.firstBin)];
    v.toHz = f[size_t(band.endBin - 1)];
    v.power = band.power;
    v.decibels = decibelsOf(band.power, r.spectrum.zeroDbPower);
  } else if (view == kWaveZoom) {
    if (i >= r.waveValues.size()) return v;
    v.kind = ReadoutKind::kWaveSample;
    const double rate = r.run.rate().hz();
    v.milliseconds = rate > 0 ? double(v.index) * 1000.0 / rate : 0.0;
    v.value = r.waveValues[i];
    v.lag = r.run.analysis.autocorrelation;
    v.channels = r.run.channels;
  } else if (isSpectrumView(view)) {
    if (i >= r.spectrum.frequencies.size() || i >= r.spectrum.powers.size()) return v;
    v.kind = ReadoutKind::kSpectrumPoint;
    v.frequency = r.spectrum.frequencies[i];
    v.power = r.spectrum.powers[i];
    v.decibels = decibelsOf(v.power, r.spectrum.zeroDbPower);
  }
  const bool hasFrequency =
      v.kind == ReadoutKind::kChartCell || v.kind == ReadoutKind::kSpectrumPoint;
  if (notes.on && hasFrequency && v.frequency > 0)
    v.noteClass = noteClassOf(v.frequency, notes.referenceLa);
  return v;
}

ReadoutValues sectionReadout(const RunRecord& r, int column, int sectionWidth, int x,
                             const NoteNaming& notes) {
  ReadoutValues v;
  const int drawnAt = sectionElementAt(sectionWidth, x);
  if (!chartRecord(r) || drawnAt < 0) return v;
  const ChartColumn shown = chartColumnOf(r, column);
  const auto element = size_t(drawnAt);  // element 0 is the bottom row
  if (!shown.cellDrawn[element]) return v;
  v.kind = ReadoutKind::kSectionRow;
  v.index = shown.column;
  v.chartRow = kChartRows - 1 - int(element);
  v.frequency = shown.frequencies[element];
  v.power = shown.powers[element];
  v.decibels = shown.decibels[element];
  if (notes.on && v.frequency > 0) v.noteClass = noteClassOf(v.frequency, notes.referenceLa);
  return v;
}

int sectionElementAt(int sectionWidth, int x) {
  const int step = std::max(1, sectionWidth / kChartRows);
  if (x < 0 || x >= step * kChartRows) return -1;
  return x / step;
}

PlotPixel sectionElementPixel(const RunRecord& r, int column, int sectionWidth, int element) {
  const int step = std::max(1, sectionWidth / kChartRows);
  element = std::clamp(element, 0, kChartRows - 1);
  PlotPixel pixel{element * step, kPlotHeight / 2};
  if (chartRecord(r)) {
    const ChartColumn shown = chartColumnOf(r, column);
    if (shown.cellDrawn[size_t(element)]) pixel.y = shown.depths[size_t(element)];
  }
  return pixel;
}

int steppedSectionElement(int element, ReadoutStep step) {
  switch (step) {
    case ReadoutStep::kLeft:
      --element;
      break;
    case ReadoutStep::kRight:
      ++element;
      break;
    case ReadoutStep::kFirst:
      element = 0;
      break;
    case ReadoutStep::kLast:
      element = kChartRows - 1;
      break;
    case ReadoutStep::kUp:
    case ReadoutStep::kDown:
      break;
  }
  return std::clamp(element, 0, kChartRows - 1);
}

ReadoutPlace placeInside(const RunRecord& r, ReadoutPlace place) {
  const int items = readoutItems(r), rows = readoutRows(r);
  if (items == 0 || !place.valid()) return {};
  return {std::min(place.item, items - 1), std::clamp(place.row, 0, rows - 1)};
}

ReadoutPlace steppedPlace(const RunRecord& r, ReadoutPlace place, ReadoutStep step) {
  const int items = readoutItems(r), rows = readoutRows(r);
  if (items == 0) return {};
  if (!place.valid()) place = {0, rows / 2};
  switch (step) {
    case ReadoutStep::kLeft:
      --place.item;
      break;
    case ReadoutStep::kRight:
      ++place.item;
      break;
    case ReadoutStep::kUp:
      --place.row;
      break;
    case ReadoutStep::kDown:
      ++place.row;
      break;
    case ReadoutStep::kFirst:
      place.item = 0;
      break;
    case ReadoutStep::kLast:
      place.item = items - 1;
      break;
  }
  return {std::clamp(place.item, 0, items - 1), std::clamp(place.row, 0, rows - 1)};
}

std::string noteName(int noteClass, const TextCatalogue& texts) {
  static constexpr const char* kNames[] = {
      QT_TRANSLATE_NOOP("Readout", "ラ"),  QT_TRANSLATE_NOOP("Readout", "ラ#"),
      QT_TRANSLATE_NOOP("Readout", "シ"),  QT_TRANSLATE_NOOP("Readout", "ド"),
      QT_TRANSLATE_NOOP("Readout", "ド#"), QT_TRANSLATE_NOOP("Readout", "レ"),
      QT_TRANSLATE_NOOP("Readout", "レ#"), QT_TRANSLATE_NOOP("Readout", "ミ"),
      QT_TRANSLATE_NOOP("Readout", "ﾌｧ"),  QT_TRANSLATE_NOOP("Readout", "ﾌｧ#"),
      QT_TRANSLATE_NOOP("Readout", "ソ"),  QT_TRANSLATE_NOOP("Readout", "ソ#")};
  return noteClass >= 0 && noteClass < 12 ? texts.translate("Readout", kNames[noteClass]) : "";
}

std::string readoutText(const ReadoutValues& v, const TextCatalogue& texts) {
  char line[96];
  char db[32];
  std::string text;
  // Each line's format in the window's words.
  auto add = [&](const char* format, auto... values) {
    std::snprintf(line, sizeof line, texts.translate("Readout", format).c_str(), values...);
    if (!text.empty()) text += '\n';
    text += line;
  };
  switch (v.kind) {
    case ReadoutKind::kNothing:
      return {};
    case ReadoutKind::kChartCell:
      add(QT_TRANSLATE_NOOP("Readout", "時刻 %.4f 秒"), v.seconds);
      add(QT_TRANSLATE_NOOP("Readout", "周波数 %.1f Hz"), v.frequency);
      break;
    case ReadoutKind::kSpectrumPoint:
    case ReadoutKind::kSectionRow:
      add(QT_TRANSLATE_NOOP("Readout", "周波数 %.1f Hz"), v.frequency);
      break;
    case ReadoutKind::kMeterBand:
      add(QT_TRANSLATE_NOOP("Readout", "帯域 %.1f - %.1f Hz"), v.fromHz, v.toHz);
      break;
    case ReadoutKind::kWaveSample:
      add(v.lag ? QT_TRANSLATE_NOOP("Readout", "ラグ %d (%.3f ms)")
                : QT_TRANSLATE_NOOP("Readout", "標本 %d (%.3f ms)"),
          v.index, v.milliseconds);
      add(v.lag ? QT_TRANSLATE_NOOP("Readout", "自己相関 %.4f")
                : QT_TRANSLATE_NOOP("Readout", "値 %.0f"),
          v.value);
      add("%s",
          texts
              .translate("Readout", v.channels == 2 ? QT_TRANSLATE_NOOP("Readout", "左右の平均")
                                                    : QT_TRANSLATE_NOOP("Readout", "モノラル"))
              .c_str());
      return text;
  }
  add(QT_TRANSLATE_NOOP("Readout", "レベル %s"), decibelText(v.decibels, db, sizeof db));
  add(QT_TRANSLATE_NOOP("Readout", "パワー %.4g"), v.power);
  if (v.noteClass >= 0)
    add(QT_TRANSLATE_NOOP("Readout", "音名 %s"), noteName(v.noteClass, texts).c_str());
  return text;
}

}  // namespace korimu

#include "run/result_painter.h"

#include <algorithm>

#include "analysis/level_map.h"
#include "core/layout.h"
#include "display/chart.h"
#include "display/display_state.h"
#include "display/level_meter.h"
#include "display/peak_readout.h"
#include "display/run_texts.h"
#include "display/spectrum_graph.h"
#include "platform/fixed_font.h"
#include "platform/message.h"

namespace korimu {

namespace {

Rect wholePlot() {
  return {kLayout.unitW, kLayout.plotTop, kPlotWidth, kPlotHeight};
}

// Where each diagnostic line goes in the overview.
void diagnosticPlace(DiagnosticLine line, int& x, int& y) {
  switch (line) {
    case DiagnosticLine::kAutoScale:
    case DiagnosticLine::kModelOrders:
      x = 0, y = 0;
      return;
    case DiagnosticLine::kModelStep:
      x = 0, y = 20;
      return;
    case DiagnosticLine::kModelChoice:
      x = 0, y = 40;
      return;
    case DiagnosticLine::kBlockMaximum:
      x = 250, y = 0;
      return;
    case DiagnosticLine::kBlockMinimum:
      x = 250, y = 40;
      return;
  }
}

}  // namespace

void ResultPainter::DrawnArea::add(const Rect& r) {
  const Rect plot = wholePlot();
  const int x0 = std::max(r.x, plot.x), y0 = std::max(r.y, plot.y);
  const int x1 = std::min(r.x + r.w, plot.x + plot.w), y1 = std::min(r.y + r.h, plot.y + plot.h);
  if (x0 >= x1 || y0 >= y1) return;
  left = std::min(left, x0);
  top = std::min(top, y0);
  right = std::max(right, x1);
  bottom = std::max(bottom, y1);
}

void ResultPainter::markWholePlot() {
  drawn_.add(wholePlot());
}

void ResultPainter::showText(const Rect& written) {
  listener_.clientAreaChanged(written);
}

void ResultPainter::notes(const AnalysisNotes& notes) {
  for (const AnalysisMessage& m : notes.messages)
    listener_.message(display_.texts.translate("Message", m.text.c_str()),
                      m.fatal ? MessageKind::kFatal : MessageKind::kPlainOk);
  if (notes.tableShortfallBytes != 0)
    showText(drawTableShortfall(window(), notes.tableShortfallBytes, display_.texts));
  for (const Diagnostic& d : notes.diagnostics) {
    int x = 0, y = 0;
    diagnosticPlace(d.line, x, y);
    listener_.overviewText(x, y, d.text);
  }
}

namespace {

// The bands as the meter draws them, each with the power its depth stands for: the loudest bin's
// power for a bar, the mean of the bins' for a line point.
std::vector<MeterBandResult> meterBands(const SpectrumFrame& s, bool points, bool line,
                                        const AppSettings& settings) {
  const std::vector<MeterBand> drawn =
      points
          ? equalCountMeterBands(s.data(), s.bins(), line)
          : octaveMeterBands(s.data(), s.bins(), line, settings.blockOrder, settings.pinkNoiseFlat);
  std::vector<MeterBandResult> bands;
  for (const MeterBand& b : drawn) {
    MeterBandResult band{b.begin, b.end, b.depth, 0.0};
    const int end = std::min(b.end, int(s.powers.size()));
    if (line) {
      for (int i = b.begin; i < end; ++i) band.power += s.powers[size_t(i)] / (b.end - b.begin);
    } else {
      // By power, not by depth: depths clipped at the plot's edges tie, and the first of them
      // need not be the loudest.
      for (int i = b.begin; i < end; ++i) band.power = std::max(band.power, s.powers[size_t(i)]);
    }
    bands.push_back(band);
  }
  return bands;
}

std::vector<MeterBand> drawnBands(const std::vector<MeterBandResult>& bands) {
  std::vector<MeterBand> drawn;
  drawn.reserve(bands.size());
  for (const MeterBandResult& b : bands) drawn.push_back({b.firstBin, b.endBin, b.depth});
  return drawn;
}

}  // namespace

void ResultPainter::chartBlock(uint64_t bytePosition, int column, int columnsPerBlock) {
  ChartBlock block;
  block.bytePosition = bytePosition;
  block.column = column;
  block.width = columnsPerBlock;
  result_.chartBlocks.push_back(block);
}

void ResultPainter::chartSpans(const std::vector<ChartSpan>& spans, const uint8_t* depths,
                               const double* powers, size_t count) {
  const int block = int(result_.chartBlocks.size()) - 1;
  ChartCells& cells = result_.chartCells;
  for (const ChartSpan& span : spans) {
    const auto element = size_t(span.element);
    // The cell is drawn at its loudest point's depth and says the loudest power of its group:
    // depths clipped at the plot's edges tie, and the first of them need not be the loudest.
    double power = powers != nullptr && element < count ? powers[element] : 0.0;
    if (powers != nullptr) {
      const auto end = std::min(size_t(std::max(span.groupEnd, 0)), count);
      for (auto k = size_t(std::max(span.groupBegin, 0)); k < end; ++k)
        power = std::max(power, powers[k]);
    }
    const int to = std::min(span.to, kChartColumns);
    for (int x = std::max(span.from, 0); x < to; ++x)
      cells.set(span.row, x, depths[element], power, block);
  }
  drawn_.add(paintChartSpans(display_, backBuffer(), spans, cells.depths.data()));
}

void ResultPainter::frame(const FrameResult& r, int32_t view, int column, int columnsPerBlock) {
  if (r.waveZoom) {
    result_.waveRows = r.rows;
    result_.waveValues = r.values;
    if (r.extremesShown)
      showText(drawWaveZoomExtremes(window(), r.maximum, r.minimum, display_.texts));
    drawWaveZoom(backBuffer(), display_.fileRate, settings_, result_.waveRows.data(),
                 static_cast<int>(result_.waveRows.size()));
    markWholePlot();
    present();
    return;
  }
  peakReadout(r.peakFrequency, r.peakPower);
  if (view == kTimeFrequencyChart) {
    if (!result_.chartBlocks.empty()) result_.chartBlocks.back().zeroDbPower = r.frame.zeroDbPower;
    chartSpans(linearChartSpans(r.frame.bins(), column, columnsPerBlock), r.frame.data(),
               r.frame.powers.data(), r.frame.powers.size());
    present();
    return;
  }
  result_.spectrum = r.frame;
  result_.spectrumPoints = false;
  const uint8_t* depths = result_.spectrum.data();
  const int bins = result_.spectrum.bins();
  switch (view) {
    case kLevelMeter:
      result_.bands =
          meterBands(result_.spectrum, false, settings_.graphStyle == kLineGraph, settings_);
      drawMeter(backBuffer(), settings_, drawnBands(result_.bands));
      markWholePlot();
      break;
    case kSpectrumLinear:
      drawLinearSpectrum(backBuffer(), display_, settings_, depths, bins);
      markWholePlot();
      break;
    case kSpectrumLog:
      drawLogSpectrum(backBuffer(), display_, settings_, depths, bins);
      markWholePlot();
      break;
    default:
      break;
  }
  present();
}

void ResultPainter::points(const SpectrumFrame& frame, int32_t view, int column,
                           int columnsPerBlock) {
  if (view == kTimeFrequencyChart) {
    if (!result_.chartBlocks.empty()) result_.chartBlocks.back().zeroDbPower = frame.zeroDbPower;
    chartSpans(logChartSpans(frame.data(), frame.bins(), column, columnsPerBlock), frame.data(),
               frame.powers.data(), frame.powers.size());
    present();
    return;
  }
  result_.spectrum = frame;
  result_.spectrumPoints = true;
  const uint8_t* depths = result_.spectrum.data();
  const int points = result_.spectrum.bins();
  switch (view) {
    case kLevelMeter:
      result_.bands =
          meterBands(result_.spectrum, true, settings_.graphStyle == kLineGraph, settings_);
      drawMeter(backBuffer(), settings_, drawnBands(result_.bands));
      markWholePlot();
      break;
    case kSpectrumLinear:
      drawLinearSpectrum(backBuffer(), display_, settings_, depths, points);
      markWholePlot();
      break;
    case kSpectrumLog:
      drawLogBinnedSpectrum(backBuffer(), display_, settings_, depths, points, kLayout.plotTop,
                            kPlotWidth);
      markWholePlot();
      break;
    default:
      break;
  }
  present();
}

void ResultPainter::peakReadout(double frequency, double power) {
  result_.peakShown = true;
  result_.peakFrequency = frequency;
  result_.peakPower = power;
  if (!result_.chartBlocks.empty()) {
    ChartBlock& block = result_.chartBlocks.back();
    block.peakShown = true;
    block.peakFrequency = frequency;
    block.peakPower = power;
  }
  drawPeakReadout(display_, window(), peakFrequencyText(frequency), peakPowerText(power));
  // The box and whatever of its lines runs past it, up to the window's right edge.
  const int x = kPlotWidth + 3 * kLayout.unitW;
  listener_.clientAreaChanged(
      {x, kLayout.plotTop, window().width() - x,
       std::max(5 * kLayout.unitH, 3 * kLayout.unitH + FixedFont::kCellHeight)});
}

void ResultPainter::powerWarning(const std::string& text) {
  showText(drawPowerWarning(window(), text));
}

void ResultPainter::waveletRow(int row, const uint8_t* depths, const double* powers, int n,
                               int column, int columnsPerBlock) {
  const std::vector<ChartSpan> spans = waveletRowSpans(depths, n, column, columnsPerBlock, row);
  if (wholePlotCopies_) {
    const DrawnArea before = drawn_;
    chartSpans(spans, depths, powers, size_t(n));
    drawn_ = before;
    // The comparison copies the row's full width, as a row copy always did.
    const int x = kLayout.unitW, y = kLayout.plotTop + row;
    window().copyFrom(backBuffer(), x, y, kPlotWidth, 1, x, y);
    listener_.clientAreaChanged({x, y, kPlotWidth, 1});
    drawn_ = DrawnArea{};
    return;
  }
  chartSpans(spans, depths, powers, size_t(n));
  present();
}

void ResultPainter::present() {
  if (wholePlotCopies_) {
    drawn_ = DrawnArea{};
    markWholePlot();
  }
  if (drawn_.empty()) return;
  const int w = drawn_.right - drawn_.left, h = drawn_.bottom - drawn_.top;
  window().copyFrom(backBuffer(), drawn_.left, drawn_.top, w, h, drawn_.left, drawn_.top);
  listener_.clientAreaChanged({drawn_.left, drawn_.top, w, h});
  drawn_ = DrawnArea{};
}

void PlotProgress::begin(std::string_view name, long total) {
  listener_.clientAreaChanged(drawProgressText(window_, name, 0, total));
  listener_.begin(name, total);
}

void PlotProgress::step(long done, long total) {
  listener_.clientAreaChanged(drawProgressCounter(window_, done));
  listener_.step(done, total);
}

void PlotProgress::end() {
  listener_.clientAreaChanged(clearProgressText(window_));
  listener_.end();
}

bool PlotProgress::cancelled() {
  const bool stop = listener_.cancelled();
  stopped_ = stopped_ || stop;
  return stop;
}

}  // namespace korimu

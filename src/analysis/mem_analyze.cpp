// The MEM analyser's block entry: signal, fit, estimate, readouts, levels and drawing.
#include <vector>

#include "analysis/analysis_sink.h"
#include "analysis/autocorrelation.h"
#include "analysis/level_map.h"
#include "analysis/mem.h"
#include "analysis/method_sink.h"
#include "analysis/scratch_memory.h"
#include "analysis/spectrum_frame.h"
#include "core/app_state.h"
#include "core/layout.h"
#include "core/settings.h"
#include "platform/message.h"

namespace korimu {

MaxNotice updateRunningMax(double blockMax, bool sixteenBit) {
  MaxNotice notice;
  if (!(blockMax > runningMax)) return notice;
  runningMax = blockMax;
  notice.newMaximum = true;
  notice.text = formatText("Max %8.1e", blockMax);
  // Beyond what a sound of this sample width should reach.
  notice.warning = blockMax > (sixteenBit ? 3.0e9 : 20000.0);
  return notice;
}

int memAnalyze(const SampleBlock& block, int column, int columnsPerBlock) {
  if (block.srKHz == 0) return 1;
  int nd = block.sampleCount();
  const int mmax = nd / 2;
  const int ns = (1 << settings.blockOrder) / 2;

  std::vector<double> x, spec, a;
  std::vector<uint8_t> depths;
  if (!allocateScratch(x, size_t(nd))) {
    showMessage(formatText("mem nd %d", nd), MessageKind::kFatal);
    return 1;
  }
  if (!allocateScratch(spec, size_t(ns))) {
    showMessage("mem ns", MessageKind::kFatal);
    return 1;
  }
  if (!allocateScratch(a, size_t(mmax))) {
    showMessage("mem mx", MessageKind::kFatal);
    return 1;
  }
  if (!allocateScratch(depths, size_t(ns))) {
    showMessage("mem s2", MessageKind::kFatal);
    return 1;
  }
  const MemRate rate = memRate(block.srKHz);

  if (settings.autocorrelation == 2) {
    // The model is fitted to half as many lags; the highest order tried stays nd/2 of the block.
    nd = nd / 2;
    compensatedAutocorr(x.data(), block, nd);
  } else {
    for (int i = 0; i < nd; ++i) x[i] = block.sample(i);
  }

  int m = 0;
  double pm = 0.0;
  if (burgFit(x.data(), nd, mmax, a.data(), m, pm) == 1) return 1;

  const bool linear = settings.display == kSpectrumLinear;
  const MemPoints points = memPoints(block.srKHz, settings.blockOrder, linear);
  if (memEstimate(spec.data(), ns, m, a.data(), rate.dt, pm, points.f0, points.fmax, points.step,
                  linear ? 1 : 2) == 1) {
    return 1;
  }

  const MemExtremes extremes = memExtremes(spec.data(), points);
  showDiagnostic(250, 40, formatText("min=%8.1e ", extremes.min));
  const double peakFrequency =
      linear ? extremes.index * static_cast<double>(nominalRateFor(block.srKHz)) / ns / 2.0
             : points.frequency(extremes.index);
  peakReadout(peakFrequency, extremes.max);

  const MaxNotice notice = updateRunningMax(extremes.max, block.sixteenBit());
  if (notice.newMaximum) showDiagnostic(250, 0, notice.text);
  if (notice.warning) {
    notifySink(analysisSink.windowText, 0, layout.plotTop - 2 * layout.unitH - 2, notice.text);
  }

  memDepths(depths.data(), spec.data(), points, extremes, block.sixteenBit());
  SpectrumFrame frame;
  frame.depths = std::move(depths);
  notifySink(methodSink.drawPointSpectrum, settings.display, frame, column, columnsPerBlock);
  notifySink(analysisSink.presentPlot);
  return 0;
}

}  // namespace korimu

// The MEM analyser's block entry: signal, fit, estimate, readouts and levels.
#include <vector>

#include "analysis/autocorrelation.h"
#include "analysis/mem.h"
#include "analysis/scratch_memory.h"
#include "platform/message.h"

namespace korimu {

MaxNotice updateRunningMax(double& runningMax, double blockMax, bool sixteenBit) {
  MaxNotice notice;
  if (!(blockMax > runningMax)) return notice;
  runningMax = blockMax;
  notice.newMaximum = true;
  notice.text = formatText("Max %8.1e", blockMax);
  // Beyond what a sound of this sample width should reach.
  notice.warning = blockMax > (sixteenBit ? 3.0e9 : 20000.0);
  return notice;
}

void noteRunningMax(MemResult& result, double& runningMax, bool sixteenBit) {
  if (!result.analysed) return;
  const MaxNotice notice = updateRunningMax(runningMax, result.peakPower, sixteenBit);
  if (notice.newMaximum) result.diagnose(DiagnosticLine::kBlockMaximum, notice.text);
  if (notice.warning) result.powerWarning = notice.text;
}

MemResult memAnalyze(const SampleBlock& block, const AnalysisParams& params,
                     ScratchAllocator& scratch, Progress& progress, double& runningMax) {
  MemResult out = memAnalyzeBlock(block, params, scratch, progress);
  noteRunningMax(out, runningMax, block.sixteenBit());
  return out;
}

MemResult memAnalyzeBlock(const SampleBlock& block, const AnalysisParams& params,
                          ScratchAllocator& scratch, Progress& progress) {
  MemResult out;
  if (block.srKHz == 0) return out;
  int nd = block.sampleCount();
  const int mmax = nd / 2;
  const int ns = (1 << params.blockOrder) / 2;

  std::vector<double> x, spec, a;
  std::vector<uint8_t> depths;
  if (!scratch.allocate(x, size_t(nd))) {
    out.fail(formatText("mem nd %d", nd));
    return out;
  }
  if (!scratch.allocate(spec, size_t(ns))) {
    out.fail("mem ns");
    return out;
  }
  if (!scratch.allocate(a, size_t(mmax))) {
    out.fail("mem mx");
    return out;
  }
  if (!scratch.allocate(depths, size_t(ns))) {
    out.fail("mem s2");
    return out;
  }
  const MemRate rate = memRate(block.rate());

  if (params.autocorrelation) {
    // The model is fitted to half as many lags; the highest order tried stays nd/2 of the block.
    nd = nd / 2;
    if (!compensatedAutocorr(x.data(), block, nd, scratch, progress, out)) return out;
  } else {
    for (int i = 0; i < nd; ++i) x[i] = block.sample(i);
  }

  int m = 0;
  double pm = 0.0;
  if (burgFit(x.data(), nd, mmax, a.data(), m, pm, scratch, progress, out) == 1) {
    out.cancelled = !out.failed();
    return out;
  }

  const bool linear = params.view == kSpectrumLinear;
  const MemPoints points = memPoints(block.srKHz, params.blockOrder, linear);
  if (memEstimate(spec.data(), ns, m, a.data(), rate.dt, pm, points.f0, points.fmax, points.step,
                  linear ? 1 : 2, progress) == 1) {
    out.cancelled = true;
    return out;
  }

  const MemExtremes extremes = memExtremes(spec.data(), points, params.pinkNoiseFlat);
  out.diagnose(DiagnosticLine::kBlockMinimum, formatText("min=%8.1e ", extremes.min));
  out.peakFrequency = linear ? extremes.index * static_cast<double>(block.rate().hz()) / ns / 2.0
                             : points.frequency(extremes.index);
  out.peakPower = extremes.max;

  memDepths(depths.data(), spec.data(), points, extremes, block.sixteenBit(), params);
  out.frame.zeroDbPower = memZeroDbPower(block.sixteenBit(), extremes.max, params);
  out.frame.depths = std::move(depths);
  for (int i = 0; i < ns; ++i) {
    double v = spec[size_t(i)];
    if (params.pinkNoiseFlat)
      v = linear ? i * v / points.count : v * points.frequency(i) / points.fmax;
    out.frame.powers.push_back(v);
    // Each point is named by the frequency it was estimated at (the peak readout keeps its own
    // rule for the linear axis).
    out.frame.frequencies.push_back(points.frequency(i));
  }
  out.analysed = true;
  return out;
}

}  // namespace korimu

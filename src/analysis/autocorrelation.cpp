#include "analysis/autocorrelation.h"

#include <algorithm>
#include <cmath>

#include "analysis/fft.h"
#include "analysis/scratch_memory.h"

namespace korimu {

namespace {

int log2Of(int powerOfTwo) {
  int order = 0;
  while ((1 << order) < powerOfTwo) ++order;
  return order;
}

}  // namespace

int powerOfTwoAtLeast(long n) {
  int l = 1;
  while (l < n) l *= 2;
  return l;
}

void autocorrRaw(double* a, double* b, int n, int l, const SampleBlock& block, Progress& progress) {
  // Never read past the block, whatever the caller asked for.
  const int available = std::min(n, block.sampleCount());
  for (int j = 0; j < l; ++j) {
    a[j] = j < available ? static_cast<double>(block.sample(j)) : 0.0;
    b[j] = 0.0;
  }
  const int order = log2Of(l);
  directFft(a, b, order, -1.0);
  // Two transforms of a large block take long enough to be felt: let the window breathe between.
  // A stop takes effect once the block is done, so the answer is not needed here.
  static_cast<void>(progress.cancelled());
  for (int j = 0; j < l; ++j) {
    a[j] = a[j] * a[j] + b[j] * b[j];
    b[j] = 0.0;
  }
  directFft(a, b, order, 1.0);
  static_cast<void>(progress.cancelled());
}

std::vector<double> autocorrNormalized(double& r0, double& g, int l, int n, int m,
                                       const SampleBlock& block, ScratchAllocator& scratch,
                                       Progress& progress, AnalysisNotes& notes) {
  std::vector<double> a;
  std::vector<double> b;
  if (!scratch.allocate(a, size_t(l)) || !scratch.allocate(b, size_t(l))) {
    notes.fail("self mem error");
    return {};
  }
  autocorrRaw(a.data(), b.data(), n, l, block, progress);
  r0 = a[0] == 0.0 ? 1.0 : a[0];
  g = l >= n + m ? 1.0 / std::pow(static_cast<double>(m), 1.5) : 0.0;
  return a;
}

bool compensatedAutocorr(double* values, const SampleBlock& block, int count,
                         ScratchAllocator& scratch, Progress& progress, AnalysisNotes& notes) {
  const int samples = block.sampleCount();
  const int h = samples / 2;
  const int n = std::min(h, count);
  progress.begin("self", n);
  // Zero padding to at least 3n points keeps the n lags free of wrap-around.
  const int l = powerOfTwoAtLeast(3L * n);
  double r0 = 1.0;
  double g = 0.0;
  const std::vector<double> a =
      autocorrNormalized(r0, g, l, 2 * n, n, block, scratch, progress, notes);
  if (a.empty()) return false;
  const double fullScale = block.sixteenBit() ? 31000.0 : 120.0;
  for (int k = 0; k < n; ++k) {
    values[k] = (std::pow(static_cast<double>(k), 1.5) * g + 1.0) * (a[k] / r0) * fullScale;
  }
  for (int k = std::max(h, 0); k < count; ++k) values[k] = 0.0;
  progress.end();
  return true;
}

}  // namespace korimu

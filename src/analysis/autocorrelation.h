// Autocorrelation of a block through the FFT (the inverse transform of the power spectrum of the
// zero-padded block), normalised by its lag-0 value and lifted by a lag gain that undoes the fall
// a finite block causes at the later lags.
#pragma once

#include <vector>

#include "analysis/analysis_notes.h"
#include "analysis/progress.h"
#include "analysis/sample_block.h"
#include "analysis/scratch_memory.h"

namespace korimu {

// a[k] = (1/l) sum_j x[j] x[(j + k) mod l] for k < l, where x is the first n samples of the block
// followed by zeros up to l (a power of two). a and b hold l doubles; b ends all zero. The
// caller's events are handled after each of the two transforms; a stop is noticed afterwards.
void autocorrRaw(double* a, double* b, int n, int l, const SampleBlock& block, Progress& progress);

// The raw autocorrelation of the first n samples in l points. r0 receives the lag-0 value (1.0
// when it is exactly 0), g the lag gain 1/m^1.5 when l >= n + m (else 0). Out of memory fails
// the analysis with "self mem error"; the result is then empty.
std::vector<double> autocorrNormalized(double& r0, double& g, int l, int n, int m,
                                       const SampleBlock& block, ScratchAllocator& scratch,
                                       Progress& progress, AnalysisNotes& notes);

// Replaces values[0..count-1] by the compensated autocorrelation of the block (half its samples'
// worth of lags, at most count), scaled so that lag 0 lands near full scale of the sample format;
// values past the lags are zero. Reports its progress as the step "self". False when it failed.
bool compensatedAutocorr(double* values, const SampleBlock& block, int count,
                         ScratchAllocator& scratch, Progress& progress, AnalysisNotes& notes);

// The smallest power of two that is at least n (1 for n <= 1).
int powerOfTwoAtLeast(long n);

}  // namespace korimu

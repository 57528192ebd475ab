// The orthonormal DCT-II of N real values (N a power of two, at least 2):
// C[0] = (1/sqrt N) sum x[n]; C[k] = sqrt(2/N) sum x[n] cos(pi k (2n + 1) / (2N)).
// Two implementations: through a complex FFT of 2N points (one larger allocation), or by
// recursive halving into DCT-II/III/IV of half the size (small allocations per level).
#pragma once

#include "analysis/scratch_memory.h"

namespace korimu {

// DCT-II through the FFT of the mirrored input. False when memory ran out (out is left as it
// was; the frame analysis then tells the user "dct error" and goes on).
bool fftDct(ScratchAllocator& scratch, double* out, const double* in, int n);

// The recursive DCT-II, DCT-IV (out[k] = sqrt(2/n) sum src[m] cos(pi (2k+1)(2m+1) / (4n))) and
// DCT-III (the inverse of the DCT-II). A level that cannot allocate its scratch arrays returns
// without writing its output.
void fastDct2(ScratchAllocator& scratch, double* out, const double* src, int n);
void fastDct4(ScratchAllocator& scratch, double* out, const double* src, int n);
void fastDct3(ScratchAllocator& scratch, double* out, const double* src, int n);

// The variant the OnMem setting selects: fftDct when on, fastDct2 when off. False when the FFT
// variant ran out of memory.
bool dct(ScratchAllocator& scratch, double* out, const double* in, int n, bool onMem);

}  // namespace korimu

// The butterfly passes of the table-driven FFT. Two radix-2 stages may be done in one pass over
// the data: the butterflies, their twiddles and their order per element are the same as stage by
// stage, so the result is identical; only the memory traffic is halved.
#pragma once

#include <cstdint>

namespace korimu::fft_passes {

// Stages of half-span 1 and 2 together. Their twiddles are exactly 0 and +-1, so the
// multiplications drop out.
void firstTwoStages(int n, double* x, double* y, double sign);

// The same two stages for realFft: point j is (packed[2 bitrev[j]], packed[2 bitrev[j] + 1]),
// gathered from the real values in bit-reversed order into x and y on the way (forward only).
void gatherFirstTwoStages(int n, const double* packed, const int32_t* bitrev, double* x, double* y);

// One stage of half-span k; cs[j], sn[j] are its twiddles (j < k). sign is -1 for the inverse.
void radix2Stage(int n, int k, const double* cs, const double* sn, double sign, double* x,
                 double* y);

// The stages of half-span k and 2k in one pass; cs1/sn1 hold k twiddles, cs2/sn2 hold 2k.
void twoStages(int n, int k, const double* cs1, const double* sn1, const double* cs2,
               const double* sn2, double sign, double* x, double* y);

// The split step of the real transform: from the transform z of the n/2 packed points to the
// spectrum X[k], k < n, of the n real values (re, im), with scale applied (1/4 of z's own scale).
// cosine[j], sine[j] hold cos and sin of 2 pi j / n for j < n/2.
void splitHalves(int n, const double* zr, const double* zi, const double* cosine,
                 const double* sine, double scale, double* re, double* im);

}  // namespace korimu::fft_passes

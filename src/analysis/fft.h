// Radix-2 in-place FFTs on separate arrays of real and imaginary parts. Forward transforms are
// normalised by 1/n (X[k] = (1/n) sum x[j] e^(-2 pi i jk/n)); inverse ones are not, so a forward
// transform followed by an inverse one restores the input.
#pragma once

#include <cstdint>

namespace korimu {

struct TransformTables;

// Complex FFT with the sine table and bit-reversal table kept in `tables` for the last size used.
// n > 0: forward transform of n points; n < 0: inverse transform of -n points; n == 0 frees the
// tables. Returns 0 on success and 1 when the tables could not be allocated (x and y untouched).
int tableFft(TransformTables& tables, int n, double* x, double* y);

// Complex FFT of 2^order points that needs no tables (twiddles by recurrence).
// direction < 0: forward, normalised; direction >= 0: inverse.
void directFft(double* x, double* y, int order, double direction);

// Forward transform of the 2^order real values in re (im ignored on input). Afterwards
// re[k] + i im[k] = X[k] for k < N/2, re[N/2] = im[N/2] = 0, and the upper half holds the
// conjugate mirror. Both arrays hold N doubles. `direction` is always -1.0 (forward). False when
// its scratch arrays could not be allocated (the analysis then fails with "fft2").
[[nodiscard]] bool realFft(TransformTables& tables, double* re, double* im, int order,
                           double direction);

// The bytes the last table build that ran out of memory wanted, once (0 when none did since).
int takeTableFftShortfall(TransformTables& tables);

}  // namespace korimu

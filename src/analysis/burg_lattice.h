// The inner loops of Burg's recursion: the sums that give a reflection coefficient, and the update
// of the forward and backward errors fused with the sums of the next order, so each order reads
// and writes the two error arrays once.
#pragma once

namespace korimu {

struct BurgSums {
  double num = 0.0;  // sum f[j] b[j]
  double den = 0.0;  // sum f[j]^2 + b[j]^2
};

// Which vector unit the loops use: the widest the processor has, or two lanes (what every
// x86-64 processor has), so that both can be checked on one machine.
enum class LatticeLanes { kWidest, kTwo };

// The sums over j < len of forward errors f and backward errors b.
BurgSums burgSums(const double* f, const double* b, int len,
                  LatticeLanes lanes = LatticeLanes::kWidest);

// For j = 0..len-1, in place: f[j] += r b[j]; b[j] = b[j + 1] + r f[j + 1] (both with the values
// from before the call, so f and b must hold len + 1 values). Returns the sums of the new errors
// over the same j, which are the next order's.
BurgSums burgUpdate(double* f, double* b, int len, double r,
                    LatticeLanes lanes = LatticeLanes::kWidest);

}  // namespace korimu

#include "analysis/burg_lattice.h"

#include <cstring>

namespace korimu {

namespace {

// Doubles in one register; the compiler maps them to the machine's vector unit.
typedef double Lanes2 __attribute__((vector_size(16)));
typedef double Lanes4 __attribute__((vector_size(32)));

// Vectors pass by reference only: passing a wide one by value would depend on the target's ABI.
template <class Lanes>
inline __attribute__((always_inline)) void load(Lanes& v, const double* p) {
  std::memcpy(&v, p, sizeof v);
}

template <class Lanes>
inline __attribute__((always_inline)) void store(double* p, const Lanes& v) {
  std::memcpy(p, &v, sizeof v);
}

template <class Lanes>
inline __attribute__((always_inline)) double total(const Lanes& v) {
  double sum = 0.0;
  for (size_t i = 0; i < sizeof v / sizeof(double); ++i) sum += v[i];
  return sum;
}

// Two vectors of partial sums per kind, so that the additions of neighbouring steps overlap.
// With update false the errors are only summed.
template <class Lanes, bool update>
inline __attribute__((always_inline)) BurgSums lattice(double* f, double* b, int len, double r) {
  constexpr int kWidth = sizeof(Lanes) / sizeof(double);
  Lanes num0{}, num1{}, den0{}, den1{};
  int j = 0;
  for (; j + 2 * kWidth <= len; j += 2 * kWidth) {
    Lanes f0, f1, b0, b1;
    load(f0, f + j);
    load(f1, f + j + kWidth);
    load(b0, b + j);
    load(b1, b + j + kWidth);
    if constexpr (update) {
      // b[j] takes f[j + 1] and b[j + 1] before they change: both lie ahead of what is stored.
      Lanes aheadF0, aheadF1, aheadB0, aheadB1;
      load(aheadF0, f + j + 1);
      load(aheadF1, f + j + kWidth + 1);
      load(aheadB0, b + j + 1);
      load(aheadB1, b + j + kWidth + 1);
      f0 += r * b0;
      f1 += r * b1;
      b0 = aheadB0 + r * aheadF0;
      b1 = aheadB1 + r * aheadF1;
      store(f + j, f0);
      store(f + j + kWidth, f1);
      store(b + j, b0);
      store(b + j + kWidth, b1);
    }
    num0 += f0 * b0;
    num1 += f1 * b1;
    den0 += f0 * f0 + b0 * b0;
    den1 += f1 * f1 + b1 * b1;
  }
  num0 += num1;
  den0 += den1;
  double num = total(num0);
  double den = total(den0);
  for (; j < len; ++j) {
    double fj = f[j];
    double bj = b[j];
    if constexpr (update) {
      fj += r * bj;
      bj = b[j + 1] + r * f[j + 1];
      f[j] = fj;
      b[j] = bj;
    }
    num += fj * bj;
    den += fj * fj + bj * bj;
  }
  return {num, den};
}

#if defined(__x86_64__) && defined(__GNUC__)
#define KORIMU_WIDE_LATTICE 1
// Four lanes and fused multiply-adds where the processor has them (it is asked on every call,
// which costs nothing beside a pass over the errors).
__attribute__((target("avx2,fma"))) BurgSums latticeWide(double* f, double* b, int len, double r,
                                                         bool update) {
  return update ? lattice<Lanes4, true>(f, b, len, r) : lattice<Lanes4, false>(f, b, len, r);
}

bool wideLanes() {
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}
#endif

BurgSums latticeAny(double* f, double* b, int len, double r, bool update, LatticeLanes lanes) {
#ifdef KORIMU_WIDE_LATTICE
  if (lanes == LatticeLanes::kWidest && wideLanes()) return latticeWide(f, b, len, r, update);
#else
  static_cast<void>(lanes);
#endif
  return update ? lattice<Lanes2, true>(f, b, len, r) : lattice<Lanes2, false>(f, b, len, r);
}

}  // namespace

BurgSums burgSums(const double* f, const double* b, int len, LatticeLanes lanes) {
  // Only read: the const goes for the shared loop's sake.
  return latticeAny(const_cast<double*>(f), const_cast<double*>(b), len, 0.0, false, lanes);
}

BurgSums burgUpdate(double* f, double* b, int len, double r, LatticeLanes lanes) {
  return latticeAny(f, b, len, r, true, lanes);
}

}  // namespace korimu

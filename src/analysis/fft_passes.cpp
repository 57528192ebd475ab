#include "analysis/fft_passes.h"

// The passes are compiled twice, for AVX2 and for any x86-64, and the loader picks one. Under
// ThreadSanitizer the loader's choice would run before the sanitizer is ready, so that build keeps
// the plain pass.
#if defined(__SANITIZE_THREAD__)
#define KORIMU_VECTOR_CLONES
#else
#define KORIMU_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#endif

namespace korimu::fft_passes {

namespace {

// The helpers below are internal and always inlined, so the calling convention of 32-byte
// vectors without AVX never matters to g++; clang refuses any function that returns one by value
// without AVX, so loads fill a vector given to them.
#pragma GCC diagnostic ignored "-Wpsabi"

using Lanes = double __attribute__((vector_size(32)));

// Four doubles from memory of a double's alignment.
__attribute__((always_inline)) inline void load(Lanes& v, const double* p) {
  __builtin_memcpy(&v, p, sizeof v);
}

__attribute__((always_inline)) inline void store(double* p, const Lanes& v) {
  __builtin_memcpy(p, &v, sizeof v);
}

}  // namespace

namespace {

// Half-span 1 then half-span 2 on four points; the outputs go to x[0..3], y[0..3].
inline void fourPoint(double x0, double x1, double x2, double x3, double y0, double y1, double y2,
                      double y3, double sign, double* x, double* y) {
  const double a0 = x0 + x1;
  const double a1 = x0 - x1;
  const double b0 = y0 + y1;
  const double b1 = y0 - y1;
  const double a2 = x2 + x3;
  const double a3 = x2 - x3;
  const double b2 = y2 + y3;
  const double b3 = y2 - y3;
  x[0] = a0 + a2;
  x[2] = a0 - a2;
  y[0] = b0 + b2;
  y[2] = b0 - b2;
  // The quarter turn: cos 0, sin +-1.
  x[1] = a1 + sign * b3;
  x[3] = a1 - sign * b3;
  y[1] = b1 - sign * a3;
  y[3] = b1 + sign * a3;
}

}  // namespace

void firstTwoStages(int n, double* x, double* y, double sign) {
  for (int i = 0; i < n; i += 4) {
    fourPoint(x[i], x[i + 1], x[i + 2], x[i + 3], y[i], y[i + 1], y[i + 2], y[i + 3], sign, x + i,
              y + i);
  }
}

void gatherFirstTwoStages(int n, const double* packed, const int32_t* bitrev, double* x,
                          double* y) {
  for (int i = 0; i < n; i += 4) {
    const double* p0 = packed + 2 * bitrev[i];
    const double* p1 = packed + 2 * bitrev[i + 1];
    const double* p2 = packed + 2 * bitrev[i + 2];
    const double* p3 = packed + 2 * bitrev[i + 3];
    fourPoint(p0[0], p1[0], p2[0], p3[0], p0[1], p1[1], p2[1], p3[1], 1.0, x + i, y + i);
  }
}

KORIMU_VECTOR_CLONES void radix2Stage(int n, int k, const double* __restrict cs,
                                      const double* __restrict sn, double sign, double* x,
                                      double* y) {
  for (int i0 = 0; i0 < n; i0 += 2 * k) {
    double* __restrict xa = x + i0;
    double* __restrict ya = y + i0;
    double* __restrict xb = x + i0 + k;
    double* __restrict yb = y + i0 + k;
    for (int j = 0; j < k; ++j) {
      const double c = cs[j];
      const double s = sign * sn[j];
      const double dx = s * yb[j] + c * xb[j];
      const double dy = c * yb[j] - s * xb[j];
      xb[j] = xa[j] - dx;
      xa[j] += dx;
      yb[j] = ya[j] - dy;
      ya[j] += dy;
    }
  }
}

// Four lanes at a time (k is a multiple of 4 here). Lane arithmetic is the same IEEE arithmetic
// as the scalar butterflies, so the results do not change.
KORIMU_VECTOR_CLONES void twoStages(int n, int k, const double* __restrict cs1,
                                    const double* __restrict sn1, const double* __restrict cs2,
                                    const double* __restrict sn2, double sign, double* x,
                                    double* y) {
  const Lanes sg = {sign, sign, sign, sign};
  for (int i0 = 0; i0 < n; i0 += 4 * k) {
    double* x0 = x + i0;
    double* x1 = x0 + k;
    double* x2 = x1 + k;
    double* x3 = x2 + k;
    double* y0 = y + i0;
    double* y1 = y0 + k;
    double* y2 = y1 + k;
    double* y3 = y2 + k;
    for (int j = 0; j < k; j += 4) {
      // Stage of half-span k: pairs (0, 1) and (2, 3), twiddle j.
      Lanes c, s, a0, b0, a1, b1, a2, b2, a3, b3;
      load(c, cs1 + j);
      load(s, sn1 + j);
      s *= sg;
      load(a0, x0 + j);
      load(b0, y0 + j);
      load(a1, x1 + j);
      load(b1, y1 + j);
      load(a2, x2 + j);
      load(b2, y2 + j);
      load(a3, x3 + j);
      load(b3, y3 + j);
      Lanes dx = s * b1 + c * a1;
      Lanes dy = c * b1 - s * a1;
      const Lanes p1 = a0 - dx, p0 = a0 + dx, q1 = b0 - dy, q0 = b0 + dy;
      dx = s * b3 + c * a3;
      dy = c * b3 - s * a3;
      const Lanes p3 = a2 - dx, p2 = a2 + dx, q3 = b2 - dy, q2 = b2 + dy;
      // Stage of half-span 2k: pairs (0, 2) with twiddle j and (1, 3) with twiddle j + k.
      Lanes ca, sa;
      load(ca, cs2 + j);
      load(sa, sn2 + j);
      sa *= sg;
      dx = sa * q2 + ca * p2;
      dy = ca * q2 - sa * p2;
      store(x2 + j, p0 - dx);
      store(x0 + j, p0 + dx);
      store(y2 + j, q0 - dy);
      store(y0 + j, q0 + dy);
      Lanes cb, sb;
      load(cb, cs2 + k + j);
      load(sb, sn2 + k + j);
      sb *= sg;
      dx = sb * q3 + cb * p3;
      dy = cb * q3 - sb * p3;
      store(x3 + j, p1 - dx);
      store(x1 + j, p1 + dx);
      store(y3 + j, q1 - dy);
      store(y1 + j, q1 + dy);
    }
  }
}

KORIMU_VECTOR_CLONES void splitHalves(int n, const double* __restrict zr,
                                      const double* __restrict zi, const double* __restrict cosine,
                                      const double* __restrict sine, double scale,
                                      double* __restrict re, double* __restrict im) {
  const int half = n / 2;
  // j = 0 pairs z[0] with z[half], which is z[0] again.
  {
    const double a = zr[0] + zr[0];
    const double b = zi[0] + zi[0];
    const double cc = zr[0] - zr[0];
    const double d = zi[0] - zi[0];
    re[0] = (a + b * cosine[0] - cc * sine[0]) * scale;
    im[0] = (d - b * sine[0] - cc * cosine[0]) * scale;
  }
  for (int j = 1; j < half; ++j) {
    const double c = cosine[j];
    const double s = sine[j];
    const double a = zr[j] + zr[half - j];
    const double b = zi[j] + zi[half - j];
    const double cc = zr[j] - zr[half - j];
    const double d = zi[j] - zi[half - j];
    const double xr = (a + b * c - cc * s) * scale;
    const double xi = (d - b * s - cc * c) * scale;
    re[j] = xr;
    im[j] = xi;
    re[n - j] = xr;
    im[n - j] = -xi;
  }
  re[half] = 0.0;
  im[half] = 0.0;
}

}  // namespace korimu::fft_passes

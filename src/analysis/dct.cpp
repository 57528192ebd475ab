#include "analysis/dct.h"

#include <cmath>
#include <numbers>
#include <vector>

#include "analysis/fft.h"
#include "analysis/scratch_memory.h"

namespace korimu {

namespace {

constexpr double kHalfRoot2 = 0.7071067811865475;
// The recursion divides by the square root of two written with eight decimals.
constexpr double kRoot2Approx = 1.41421356;

struct HalfArrays {
  std::vector<double> p, q, r, s;

  bool allocate(ScratchAllocator& scratch, int half) {
    return scratch.allocate(p, size_t(half)) && scratch.allocate(q, size_t(half)) &&
           scratch.allocate(r, size_t(half)) && scratch.allocate(s, size_t(half));
  }
};

void twoPointDct2(double* out, const double* src) {
  const double a = src[0];
  const double b = src[1];
  out[0] = (a + b) * kHalfRoot2;
  out[1] = (a - b) * kHalfRoot2;
}

using DctPass = void (*)(ScratchAllocator&, double*, const double*, int);

// One level of the DCT-II or the DCT-III: `split` makes the two halves of the points, the first
// is transformed by the same kind (`self`) and the second by the DCT-IV, and `join` makes the
// output of the halves' transforms. Both kinds take two points alike.
template <typename Split, typename Join>
void dctLevel(ScratchAllocator& scratch, double* out, const double* src, int n, DctPass self,
              Split split, Join join) {
  if (n < 2) {
    if (n == 1) out[0] = src[0];
    return;
  }
  if (n == 2) {
    twoPointDct2(out, src);
    return;
  }
  const int h = n / 2;
  HalfArrays a;
  if (!a.allocate(scratch, h)) return;
  for (int i = 0; i < h; ++i) split(a, i);
  self(scratch, a.r.data(), a.p.data(), h);
  fastDct4(scratch, a.s.data(), a.q.data(), h);
  for (int i = 0; i < h; ++i) join(a, i);
}

}  // namespace

bool fftDct(ScratchAllocator& scratch, double* out, const double* in, int n) {
  std::vector<double> q;
  std::vector<double> r;
  if (!scratch.allocate(q, 2 * size_t(n)) || !scratch.allocate(r, 2 * size_t(n))) {
    return false;
  }
  for (int i = 0; i < n; ++i) {
    q[size_t(i)] = in[i];
    q[size_t(2 * n - 1 - i)] = in[i];
  }
  int order = 0;
  while ((1 << order) < 2 * n) ++order;
  directFft(q.data(), r.data(), order, -1.0);
  out[0] = q[0] * std::sqrt(static_cast<double>(n));
  const double scale = std::sqrt(2.0 * n);
  for (int k = 1; k < n; ++k) {
    const double phi = -std::numbers::pi * k / n / 2.0;
    out[k] = (std::cos(phi) * q[size_t(k)] - std::sin(phi) * r[size_t(k)]) * scale;
  }
  return true;
}

void fastDct2(ScratchAllocator& scratch, double* out, const double* src, int n) {
  dctLevel(
      scratch, out, src, n, fastDct2,
      [&](HalfArrays& a, int i) {
        a.p[size_t(i)] = src[i] + src[n - 1 - i];
        a.q[size_t(i)] = src[i] - src[n - 1 - i];
      },
      [&](const HalfArrays& a, int i) {
        out[2 * i] = a.r[size_t(i)] / kRoot2Approx;
        out[2 * i + 1] = a.s[size_t(i)] / kRoot2Approx;
      });
}

void fastDct4(ScratchAllocator& scratch, double* out, const double* src, int n) {
  if (n < 2) {
    if (n == 1) out[0] = src[0];  // sqrt(2) cos(pi/4) = 1
    return;
  }
  if (n == 2) {
    const double a = src[0];
    const double b = src[1];
    out[0] = a * 0.9238795325112867 + b * 0.3826834323650898;
    out[1] = a * 0.3826834323650898 - b * 0.9238795325112867;
    return;
  }
  const int h = n / 2;
  HalfArrays a;
  if (!a.allocate(scratch, h)) return;
  a.p[0] = src[0];
  a.q[0] = src[n - 1];
  for (int i = 1; i < h; ++i) {
    a.p[size_t(i)] = (src[2 * i - 1] + src[2 * i]) * kHalfRoot2;
    a.q[size_t(h - i)] = (src[2 * i - 1] - src[2 * i]) * kHalfRoot2;
  }
  fastDct3(scratch, a.r.data(), a.p.data(), h);
  fastDct3(scratch, a.s.data(), a.q.data(), h);
  for (int i = 1; i < h; i += 2) a.s[size_t(i)] = -a.s[size_t(i)];
  for (int i = 0; i < h; ++i) {
    const double theta = (2 * i + 1) * std::numbers::pi / n / 4.0;
    const double sn = std::sin(theta);
    const double cs = std::cos(theta);
    out[i] = sn * a.s[size_t(i)] + cs * a.r[size_t(i)];
    out[n - 1 - i] = sn * a.r[size_t(i)] - cs * a.s[size_t(i)];
  }
}

void fastDct3(ScratchAllocator& scratch, double* out, const double* src, int n) {
  dctLevel(
      scratch, out, src, n, fastDct3,
      [&](HalfArrays& a, int i) {
        a.p[size_t(i)] = src[2 * i];
        a.q[size_t(i)] = src[2 * i + 1];
      },
      [&](const HalfArrays& a, int i) {
        out[i] = (a.r[size_t(i)] + a.s[size_t(i)]) * kHalfRoot2;
        out[n - 1 - i] = (a.r[size_t(i)] - a.s[size_t(i)]) * kHalfRoot2;
      });
}

bool dct(ScratchAllocator& scratch, double* out, const double* in, int n, bool onMem) {
  if (onMem) return fftDct(scratch, out, in, n);
  fastDct2(scratch, out, in, n);
  return true;
}

}  // namespace korimu

#include "analysis/trig_sums.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace korimu {

namespace {

constexpr int kFine = 16;              // exact angles i w for i < kFine
constexpr int kSpan = 8 * kFine;       // terms between two anchors
constexpr int kExactAnchorEvery = 16;  // anchors between two exact evaluations

struct Angle {
  double c;
  double s;
};

// (a + b): the angle sum from cosines and sines.
Angle add(Angle a, Angle b) {
  return {a.c * b.c - a.s * b.s, a.s * b.c + a.c * b.s};
}

Angle exact(double angle) {
  return {std::cos(angle), std::sin(angle)};
}

// cos(i w) and sin(i w) for i < span, each the product of two exactly evaluated angles
// (i mod 16 and the multiple of 16), so every entry is within a few units of rounding.
void fillTable(double* tableCos, double* tableSin, int span, double w) {
  Angle fine[kFine];
  for (int i = 0; i < kFine && i < span; ++i) fine[i] = exact(i * w);
  for (int coarse = 0; coarse * kFine < span; ++coarse) {
    const Angle base = exact(static_cast<double>(coarse * kFine) * w);
    for (int i = 0; i < kFine && coarse * kFine + i < span; ++i) {
      const Angle a = add(base, fine[i]);
      tableCos[coarse * kFine + i] = a.c;
      tableSin[coarse * kFine + i] = a.s;
    }
  }
}

struct Pair {
  double a;
  double b;
};

// Two doubles in one register; the compiler maps it to the machine's vector unit (or to scalar
// code where there is none).
typedef double Lanes2 __attribute__((vector_size(16)));

Lanes2 load2(const double* p) {
  Lanes2 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// sum p[i] c[i] and sum p[i] s[i] for i < len, in eight interleaved partial sums per kind so the
// additions overlap.
Pair stretchSums(const double* p, const double* c, const double* s, int len) {
  Lanes2 a0 = {0.0, 0.0}, a1 = a0, a2 = a0, a3 = a0;
  Lanes2 b0 = a0, b1 = a0, b2 = a0, b3 = a0;
  int i = 0;
  for (; i + 8 <= len; i += 8) {
    const Lanes2 x0 = load2(p + i), x1 = load2(p + i + 2);
    const Lanes2 x2 = load2(p + i + 4), x3 = load2(p + i + 6);
    a0 += x0 * load2(c + i);
    a1 += x1 * load2(c + i + 2);
    a2 += x2 * load2(c + i + 4);
    a3 += x3 * load2(c + i + 6);
    b0 += x0 * load2(s + i);
    b1 += x1 * load2(s + i + 2);
    b2 += x2 * load2(s + i + 4);
    b3 += x3 * load2(s + i + 6);
  }
  const Lanes2 a = (a0 + a1) + (a2 + a3);
  const Lanes2 b = (b0 + b1) + (b2 + b3);
  Pair out{a[0] + a[1], b[0] + b[1]};
  for (; i < len; ++i) {
    out.a += p[i] * c[i];
    out.b += p[i] * s[i];
  }
  return out;
}

}  // namespace

TrigSums trigSums(const double* v, int count, double w, int first) {
  TrigSums out;
  if (count <= 0) return out;
  const int span = std::min(kSpan, count);
  double tableCos[kSpan];
  double tableSin[kSpan];
  fillTable(tableCos, tableSin, span, w);
  // The anchor advances by span * w per stretch; it is re-evaluated exactly every few stretches
  // so that the rounding of the rotation cannot build up.
  const Angle stride = exact(static_cast<double>(span) * w);
  Angle anchor{1.0, 0.0};
  double cosSum = 0.0;
  double sinSum = 0.0;
  int stretch = 0;
  for (int start = 0; start < count; start += span, ++stretch) {
    if (stretch % kExactAnchorEvery == 0) {
      anchor = exact(static_cast<double>(start + first) * w);
    } else {
      anchor = add(anchor, stride);
    }
    const int len = std::min(span, count - start);
    // a = sum v cos(i w), b = sum v sin(i w) over this stretch.
    const Pair sums = stretchSums(v + start, tableCos, tableSin, len);
    const double sa = sums.a;
    const double sb = sums.b;
    // cos((s + i) w) = cos(s w) cos(i w) - sin(s w) sin(i w), and likewise for the sine.
    cosSum += anchor.c * sa - anchor.s * sb;
    sinSum += anchor.s * sa + anchor.c * sb;
  }
  out.cosSum = cosSum;
  out.sinSum = sinSum;
  return out;
}

TrigSums trigSumsPerTerm(const double* v, int count, double w, int first) {
  TrigSums out;
  for (int j = 0; j < count; ++j) {
    const double angle = static_cast<double>(j + first) * w;
    out.cosSum += std::cos(angle) * v[j];
    out.sinSum += std::sin(angle) * v[j];
  }
  return out;
}

}  // namespace korimu

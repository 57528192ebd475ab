#include "analysis/trig_sums.h"

#include <algorithm>
#include <cmath>

namespace korimu {

namespace {

constexpr int kFine = 16;              // exact angles i w for i < kFine
constexpr int kSpan = 8 * kFine;       // terms between two anchors
constexpr int kLanes = 4;              // independent partial sums, so the additions can overlap
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
    // a = sum v cos(i w), b = sum v sin(i w) over this stretch, in kLanes interleaved sums.
    double a[kLanes] = {};
    double b[kLanes] = {};
    const double* p = v + start;
    int i = 0;
    for (; i + kLanes <= len; i += kLanes) {
      for (int lane = 0; lane < kLanes; ++lane) {
        a[lane] += p[i + lane] * tableCos[i + lane];
        b[lane] += p[i + lane] * tableSin[i + lane];
      }
    }
    for (; i < len; ++i) {
      a[0] += p[i] * tableCos[i];
      b[0] += p[i] * tableSin[i];
    }
    const double sa = (a[0] + a[1]) + (a[2] + a[3]);
    const double sb = (b[0] + b[1]) + (b[2] + b[3]);
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

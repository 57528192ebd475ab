#include "analysis/trig_sums.h"

#include <algorithm>
#include <cmath>

namespace korimu {

namespace {

constexpr int kSpan = 64;  // terms between two exact anchors
constexpr int kLanes = 4;  // independent partial sums, so the additions can overlap

}  // namespace

TrigSums trigSums(const double* v, int count, double w, int first) {
  TrigSums out;
  if (count <= 0) return out;
  const int span = std::min(kSpan, count);
  double tableCos[kSpan];
  double tableSin[kSpan];
  for (int i = 0; i < span; ++i) {
    tableCos[i] = std::cos(i * w);
    tableSin[i] = std::sin(i * w);
  }
  double cosSum = 0.0;
  double sinSum = 0.0;
  for (int start = 0; start < count; start += span) {
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
    const double anchor = static_cast<double>(start + first) * w;
    const double c = std::cos(anchor);
    const double s = std::sin(anchor);
    cosSum += c * sa - s * sb;
    sinSum += s * sa + c * sb;
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

// The octave sequence shared by the log-axis labels and grids: the top label frequency and its
// octaves downwards, each with its position value p on an axis of `count` bins.
#pragma once

#include <cmath>

#include "core/layout.h"
#include "core/sample_rate.h"

namespace korimu {

struct OctaveStart {
  double g0 = 0;  // first (highest) label frequency
  double fN = 0;  // frequency of the axis's top
};

inline OctaveStart octaveStart(SampleRate rate) {
  return {rate.roundTopHz(), rate.nyquistHz()};
}

// Calls visit(k, g, p) for g = g0 / 2^k while the previous p was above 2 (the first p <= 2 is
// still visited).
template <typename Visit>
void forEachOctave(SampleRate rate, double count, Visit visit) {
  const OctaveStart start = octaveStart(rate);
  if (!(start.fN > 0) || !(count > 0)) return;
  double g = start.g0;
  for (int k = 0; k < 64; ++k, g /= 2) {
    const double p = g * count / start.fN;
    visit(k, g, p);
    if (p <= 2) break;
  }
}

// Every second octave label is left out when the labels would not fit: long blocks with a wide
// font (unitW is the width the labels are drawn with).
bool octaveLabelSkipped(int k, int blockOrder, int unitW = kLayout.unitW);

}  // namespace korimu

// The octave sequence shared by the log-axis labels and grids: the top label frequency and its
// octaves downwards, each with its position value p on an axis of `count` bins.
#pragma once

#include <cmath>

namespace korimu {

struct OctaveStart {
  double g0 = 0;  // first (highest) label frequency
  double fN = 0;  // frequency of the axis's top
};

inline OctaveStart octaveStart(int srKHz) {
  switch (srKHz) {
    case 44:
      return {20000, 22050};
    case 22:
      return {10000, 11025};
    case 11:
      return {5000, 5512.5};
    case 88:
      return {40000, 44100};
    default:
      return {srKHz / 2.0 * 1000, srKHz / 2.0 * 1000};
  }
}

// Calls visit(k, g, p) for g = g0 / 2^k while the previous p was above 2 (the first p <= 2 is
// still visited).
template <typename Visit>
void forEachOctave(int srKHz, double count, Visit visit) {
  const OctaveStart start = octaveStart(srKHz);
  if (!(start.fN > 0) || !(count > 0)) return;
  double g = start.g0;
  for (int k = 0; k < 64; ++k, g /= 2) {
    const double p = g * count / start.fN;
    visit(k, g, p);
    if (p <= 2) break;
  }
}

// Every second octave label is left out when the labels would not fit: long blocks with a wide
// font.
bool octaveLabelSkipped(int k);

}  // namespace korimu

// Weighted sums of cosines and sines at equally spaced angles, as the DTFT points and the MEM
// estimate need them: C = sum v[j] cos((j + first) w) and S = sum v[j] sin((j + first) w).
#pragma once

namespace korimu {

struct TrigSums {
  double cosSum = 0.0;
  double sinSum = 0.0;
};

// Fast evaluation: the angles come from a short exact table of cos/sin(i w) combined with an exact
// cos/sin anchor every 64 terms, so no error accumulates along the sum and only about one
// sine-cosine pair per 64 terms is evaluated.
TrigSums trigSums(const double* v, int count, double w, int first);

// The plain evaluation with a library sine and cosine per term, kept to check the fast one.
TrigSums trigSumsPerTerm(const double* v, int count, double w, int first);

}  // namespace korimu

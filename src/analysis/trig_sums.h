// Weighted sums of cosines and sines at equally spaced angles, as the DTFT points and the MEM
// estimate need them: C = sum v[j] cos((j + first) w) and S = sum v[j] sin((j + first) w).
#pragma once

namespace korimu {

struct TrigSums {
  double cosSum = 0.0;
  double sinSum = 0.0;
};

// Fast evaluation: the angles of each stretch of 128 terms come from a table of cos/sin(i w),
// built from products of exactly evaluated angles, turned by the stretch's anchor angle; the
// anchor is rotated from stretch to stretch and re-evaluated exactly every 16 stretches, so no
// error builds up and only about one sine-cosine pair per 100 terms is evaluated.
TrigSums trigSums(const double* v, int count, double w, int first);

// The plain evaluation with a library sine and cosine per term, kept to check the fast one.
TrigSums trigSumsPerTerm(const double* v, int count, double w, int first);

}  // namespace korimu

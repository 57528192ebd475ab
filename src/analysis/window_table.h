// The analysis windows. A table of the rising half (M values) is applied symmetrically over the
// first 2M values; it is kept between blocks and recomputed only when M or the kind changes, so a
// chart run computes it once.
#pragma once

#include <cstdint>
#include <vector>

#include "core/settings.h"

namespace korimu {

struct TransformTables;

// w[i] for i < m of the window.
double windowValue(WindowFunction window, int i, int m);

// Multiplies re[i] and re[2m - 1 - i] by w[i] for i < m, with the table kept in `tables`. The
// rectangle window multiplies nothing and leaves the kept table as it was.
void applyWindow(TransformTables& tables, double* re, int m, WindowFunction window);

}  // namespace korimu

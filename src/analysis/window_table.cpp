#include "analysis/window_table.h"

#include <cmath>
#include <numbers>

#include "analysis/transform_tables.h"

namespace korimu {

namespace {

double gauss(double width, int i, int m) {
  const double t = width * (m - i) / m;
  return std::exp(-(t * t) / 4.0);
}

}  // namespace

double windowValue(WindowFunction window, int i, int m) {
  const double pi = std::numbers::pi;
  switch (window) {
    case WindowFunction::kHanning:
      return 0.5 - 0.5 * std::cos(pi * i / m);
    case WindowFunction::kHamming:
      return 0.54 - 0.46 * std::cos(pi * i / m);
    case WindowFunction::kBlackman:
      return 0.42 - 0.5 * std::cos(pi * i / m) + 0.08 * std::cos(2.0 * pi * i / m);
    case WindowFunction::kTriangle:
      return static_cast<double>(i) / m;
    case WindowFunction::kGauss424:
      return gauss(4.24, i, m);
    case WindowFunction::kGauss650:
      return gauss(6.5, i, m);
    default:
      return 1.0;
  }
}

void applyWindow(TransformTables& tables, double* re, int m, WindowFunction window) {
  if (window == WindowFunction::kRectangle || m <= 0) return;
  WindowCache& cache = tables.window;
  if (m != cache.m || window != cache.window) {
    if (!tables.scratch.allocate(cache.table, size_t(m))) {
      // Without room for the table the window is still applied, value by value.
      cache.m = -1;
      for (int i = 0; i < m; ++i) {
        const double w = windowValue(window, i, m);
        re[i] *= w;
        re[2 * m - 1 - i] *= w;
      }
      return;
    }
    for (int i = 0; i < m; ++i) cache.table[size_t(i)] = windowValue(window, i, m);
    cache.m = m;
    cache.window = window;
    ++cache.builds;
  }
  const double* w = cache.table.data();
  for (int i = 0; i < m; ++i) {
    re[i] *= w[i];
    re[2 * m - 1 - i] *= w[i];
  }
}

}  // namespace korimu

#include "analysis/fft.h"

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "analysis/fft_passes.h"
#include "analysis/scratch_memory.h"
#include "analysis/transform_tables.h"

namespace korimu {

namespace {

bool isPowerOfTwo(int n) {
  return n > 0 && (n & (n - 1)) == 0;
}

// One sine and one square root per table: the rest follows by a rotation recurrence.
void fillSineTable(double* table, int n) {
  const int half = n / 2;
  const int quarter = n / 4;
  const int eighth = n / 8;
  double t = std::sin(std::numbers::pi / n);
  double dc = 2.0 * t * t;
  double ds = std::sqrt(dc * (2.0 - dc));
  t = 2.0 * dc;
  double c = table[quarter] = 1.0;
  double s = table[0] = 0.0;
  for (int i = 1; i < eighth; ++i) {
    c -= dc;
    dc += t * c;
    s += ds;
    ds -= t * s;
    table[i] = s;
    table[quarter - i] = c;
  }
  if (eighth != 0) table[eighth] = std::sqrt(0.5);
  for (int i = 0; i < quarter; ++i) table[half - i] = table[i];
  for (int i = 0; i < half + quarter; ++i) table[i + half] = -table[i];
}

void fillBitReversal(int32_t* table, int n) {
  int i = 0;
  int j = 0;
  for (;;) {
    table[i] = j;
    if (++i >= n) break;
    int k = n / 2;
    while (k <= j) {
      j -= k;
      k /= 2;
    }
    j += k;
  }
}

void releaseTables(FftTables& tables) {
  std::vector<double>().swap(tables.sine);
  std::vector<int32_t>().swap(tables.bitrev);
  std::vector<double>().swap(tables.stageCos);
  std::vector<double>().swap(tables.stageSin);
}

// Replaces the cached tables by those of size n; false (cache emptied) when memory ran out.
bool rebuildTables(FftTables& tables, ScratchAllocator& scratch, int n) {
  tables.size = n;
  releaseTables(tables);
  const int quarter = n / 4;
  if (!scratch.allocate(tables.sine, size_t(n) + size_t(quarter)) ||
      !scratch.allocate(tables.bitrev, size_t(n)) ||
      !scratch.allocate(tables.stageCos, size_t(n)) ||
      !scratch.allocate(tables.stageSin, size_t(n))) {
    releaseTables(tables);
    tables.shortfallBytes = (n + quarter) * 8;
    tables.size = 0;  // the next call retries
    return false;
  }
  fillSineTable(tables.sine.data(), n);
  fillBitReversal(tables.bitrev.data(), n);
  for (int k = 1; k < n; k *= 2) {
    const int d = n / (2 * k);
    for (int j = 0; j < k; ++j) {
      tables.stageCos[size_t(k) + size_t(j)] = tables.sine[size_t(j) * size_t(d) + size_t(quarter)];
      tables.stageSin[size_t(k) + size_t(j)] = tables.sine[size_t(j) * size_t(d)];
    }
  }
  ++tables.builds;
  return true;
}

// The butterflies from half-span 4 on, without the final 1/n; n is a power of two of at least 4
// and the tables are those of size n.
void laterStages(const FftTables& tables, int n, double* x, double* y, double sign) {
  const double* cs = tables.stageCos.data();
  const double* sn = tables.stageSin.data();
  int k = 4;
  for (; 2 * k < n; k *= 4) {
    fft_passes::twoStages(n, k, cs + k, sn + k, cs + 2 * k, sn + 2 * k, sign, x, y);
  }
  if (k < n) fft_passes::radix2Stage(n, k, cs + k, sn + k, sign, x, y);
}

// Fills the split twiddles for size n; false when there is no room (the caller then uses the
// recurrence of the angle instead).
bool prepareSplitTwiddles(SplitTwiddles& split, ScratchAllocator& scratch, int n) {
  if (split.size == n) return true;
  const int half = n / 2;
  split.size = 0;
  if (!scratch.allocate(split.cosine, size_t(half)) ||
      !scratch.allocate(split.sine, size_t(half))) {
    std::vector<double>().swap(split.cosine);
    std::vector<double>().swap(split.sine);
    return false;
  }
  const double step = 2.0 * std::numbers::pi / n;
  for (int j = 0; j < half; ++j) {
    split.cosine[size_t(j)] = std::cos(step * j);
    split.sine[size_t(j)] = std::sin(step * j);
  }
  split.size = n;
  return true;
}

}  // namespace

int tableFft(TransformTables& cache, int n, double* x, double* y) {
  FftTables& tables = cache.fft;
  const bool inverse = n < 0;
  if (inverse) n = -n;
  if (n == 0) {
    tables.size = 0;
    releaseTables(tables);
    return 0;
  }
  // A table of fewer than four entries cannot hold the cosine of angle 0, and other sizes would
  // reverse bits past the end of the arrays; the two-point case needs no table at all.
  if (n == 2) {
    directFft(x, y, 1, inverse ? 1.0 : -1.0);
    return 0;
  }
  if (n == 1) return 0;
  if (!isPowerOfTwo(n)) return 1;
  if (n != tables.size && !rebuildTables(tables, cache.scratch, n)) return 1;
  const int32_t* bitrev = tables.bitrev.data();
  for (int i = 0; i < n; ++i) {
    const int j = bitrev[i];
    if (i < j) {
      std::swap(x[i], x[j]);
      std::swap(y[i], y[j]);
    }
  }
  // Negation is exact, so the inverse uses the same twiddles times -1.
  const double sign = inverse ? -1.0 : 1.0;
  fft_passes::firstTwoStages(n, x, y, sign);
  laterStages(tables, n, x, y, sign);
  if (!inverse) {
    for (int i = 0; i < n; ++i) {
      x[i] /= n;
      y[i] /= n;
    }
  }
  return 0;
}

void directFft(double* x, double* y, int order, double direction) {
  const int n = 1 << order;
  const int half = n / 2;
  int j = 0;
  for (int i = 0; i < n - 1; ++i) {
    if (i <= j) {
      std::swap(x[i], x[j]);
      std::swap(y[i], y[j]);
    }
    int k = half;
    while (k <= j) {
      j -= k;
      k /= 2;
    }
    j += k;
  }
  double theta = std::numbers::pi;
  for (int le = 1; le <= half; le *= 2) {
    const double c = std::cos(theta);
    const double s = direction < 0 ? -std::sin(theta) : std::sin(theta);
    double ur = 1.0;
    double ui = 0.0;
    for (int jj = 0; jj < le; ++jj) {
      for (int i = jj; i < n; i += 2 * le) {
        const int ip = i + le;
        const double tr = x[ip] * ur - y[ip] * ui;
        const double ti = y[ip] * ur + x[ip] * ui;
        x[ip] = x[i] - tr;
        y[ip] = y[i] - ti;
        x[i] += tr;
        y[i] += ti;
      }
      const double next = c * ur - s * ui;
      ui = s * ur + c * ui;
      ur = next;
    }
    theta /= 2.0;
  }
  if (direction < 0) {
    for (int i = 0; i < n; ++i) {
      x[i] /= n;
      y[i] /= n;
    }
  }
}

bool realFft(TransformTables& cache, double* re, double* im, int order, double /*direction*/) {
  FftTables& tables = cache.fft;
  if (order <= 0) {  // a single value is its own transform
    im[0] = 0.0;
    return true;
  }
  const int n = 1 << order;
  const int half = n / 2;
  std::vector<double> tr;
  std::vector<double> ti;
  if (!cache.scratch.allocate(tr, size_t(half)) || !cache.scratch.allocate(ti, size_t(half))) {
    return false;
  }
  // Even samples become the real parts, odd ones the imaginary parts of half complex points,
  // gathered into the scratch arrays (in bit-reversed order when the tables are at hand, which
  // is the permutation the transform starts with). The 1/H of the complex transform is then
  // folded into the split step's 1/4.
  double scale = 0.25;
  if (half >= 4 && (half == tables.size || rebuildTables(tables, cache.scratch, half))) {
    fft_passes::gatherFirstTwoStages(half, re, tables.bitrev.data(), tr.data(), ti.data());
    laterStages(tables, half, tr.data(), ti.data(), 1.0);
    scale = 0.25 / half;
  } else {
    // Without tables (too small, or no memory for them) the direct FFT does the work.
    for (int j = 0; j < half; ++j) {
      tr[size_t(j)] = re[2 * j];
      ti[size_t(j)] = re[2 * j + 1];
    }
    directFft(tr.data(), ti.data(), order - 1, -1.0);
  }
  if (prepareSplitTwiddles(cache.split, cache.scratch, n)) {
    fft_passes::splitHalves(n, tr.data(), ti.data(), cache.split.cosine.data(),
                            cache.split.sine.data(), scale, re, im);
    return true;
  }
  // No room for the twiddles: the angle advances by recurrence instead.
  const double step = 2.0 * std::numbers::pi / n;
  double theta = 0.0;
  for (int j = 0; j < half; ++j, theta += step) {
    const int mirror = j == 0 ? 0 : half - j;
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    const double a = tr[size_t(j)] + tr[size_t(mirror)];
    const double b = ti[size_t(j)] + ti[size_t(mirror)];
    const double cc = tr[size_t(j)] - tr[size_t(mirror)];
    const double d = ti[size_t(j)] - ti[size_t(mirror)];
    re[j] = (a + b * c - cc * s) * scale;
    im[j] = (d - b * s - cc * c) * scale;
    if (j > 0) {
      re[n - j] = re[j];
      im[n - j] = -im[j];
    }
  }
  re[half] = 0.0;
  im[half] = 0.0;
  return true;
}

int takeTableFftShortfall(TransformTables& cache) {
  return std::exchange(cache.fft.shortfallBytes, 0);
}

}  // namespace korimu

#include "analysis/fft.h"

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "analysis/analysis_sink.h"
#include "analysis/scratch_memory.h"
#include "platform/message.h"

namespace korimu {

namespace {

// The tables of the last size tableFft was called with; they live until the size changes.
struct FftTables {
  int size = 0;
  std::vector<double> sine;     // sin(2 pi h / n) for h < n + n/4; entry h + n/4 is cos
  std::vector<int32_t> bitrev;  // i with its log2(n) bits reversed
  long builds = 0;
};

FftTables tables;

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

// Replaces the cached tables by those of size n; false (cache emptied) when memory ran out.
bool rebuildTables(int n) {
  tables.size = n;
  std::vector<double>().swap(tables.sine);
  std::vector<int32_t>().swap(tables.bitrev);
  const int quarter = n / 4;
  if (!allocateScratch(tables.sine, size_t(n + quarter)) ||
      !allocateScratch(tables.bitrev, size_t(n))) {
    std::vector<double>().swap(tables.sine);
    std::vector<int32_t>().swap(tables.bitrev);
    notifySink(analysisSink.windowText, 0, 0, formatText("記憶領域不足 %d", (n + quarter) * 8));
    tables.size = 0;  // the next call retries
    return false;
  }
  fillSineTable(tables.sine.data(), n);
  fillBitReversal(tables.bitrev.data(), n);
  ++tables.builds;
  return true;
}

}  // namespace

int tableFft(int n, double* x, double* y) {
  const bool inverse = n < 0;
  if (inverse) n = -n;
  if (n == 0) {
    tables.size = 0;
    std::vector<double>().swap(tables.sine);
    std::vector<int32_t>().swap(tables.bitrev);
    return 0;
  }
  // A table of fewer than four entries cannot hold the cosine of angle 0, and other sizes would
  // reverse bits past the end of the arrays; the two-point case needs no table at all.
  if (n == 2) {
    directFft(x, y, 1, inverse ? 1.0 : -1.0);
    return 0;
  }
  if (!isPowerOfTwo(n)) return 1;
  if (n != tables.size && !rebuildTables(n)) return 1;

  const int quarter = n / 4;
  const double* sine = tables.sine.data();
  const int32_t* bitrev = tables.bitrev.data();
  for (int i = 0; i < n; ++i) {
    const int j = bitrev[i];
    if (i < j) {
      std::swap(x[i], x[j]);
      std::swap(y[i], y[j]);
    }
  }
  for (int k = 1; k < n; k *= 2) {
    const int span = 2 * k;
    const int d = n / span;
    int h = 0;
    for (int j = 0; j < k; ++j, h += d) {
      const double c = sine[h + quarter];
      const double s = inverse ? -sine[h] : sine[h];
      for (int i = j; i < n; i += span) {
        const int ik = i + k;
        const double dx = s * y[ik] + c * x[ik];
        const double dy = c * y[ik] - s * x[ik];
        x[ik] = x[i] - dx;
        x[i] += dx;
        y[ik] = y[i] - dy;
        y[i] += dy;
      }
    }
  }
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

void realFft(double* re, double* im, int order, double /*direction*/) {
  if (order <= 0) {  // a single value is its own transform
    im[0] = 0.0;
    return;
  }
  const int n = 1 << order;
  const int half = n / 2;
  std::vector<double> tr;
  std::vector<double> ti;
  if (!allocateScratch(tr, size_t(half)) || !allocateScratch(ti, size_t(half))) {
    showMessage("fft2", MessageKind::kFatal);
    return;
  }
  // Even samples become the real parts, odd ones the imaginary parts of half complex points;
  // ascending j reads each source before it is overwritten.
  for (int j = 0; j < half; ++j) {
    const double even = re[2 * j];
    const double odd = re[2 * j + 1];
    re[j] = even;
    im[j] = odd;
  }
  if (tableFft(half, re, im) != 0) directFft(re, im, order - 1, -1.0);
  re[half] = re[0];
  im[half] = im[0];
  const double step = 2.0 * std::numbers::pi / n;
  double theta = 0.0;
  for (int j = 0; j < half; ++j, theta += step) {
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    const double a = re[j] + re[half - j];
    const double b = im[j] + im[half - j];
    const double cc = re[j] - re[half - j];
    const double d = im[j] - im[half - j];
    tr[j] = (a + b * c - cc * s) / 4.0;
    ti[j] = (d - b * s - cc * c) / 4.0;
  }
  for (int j = 0; j < half; ++j) {
    re[j] = tr[j];
    im[j] = ti[j];
  }
  re[half] = 0.0;
  im[half] = 0.0;
  for (int j = 1; j < half; ++j) {
    re[n - j] = tr[j];
    im[n - j] = -ti[j];
  }
}

int tableFftCachedSize() {
  return tables.size;
}
long tableFftBuildCount() {
  return tables.builds;
}
const double* tableFftSineTable() {
  return tables.sine.empty() ? nullptr : tables.sine.data();
}

}  // namespace korimu

#include "analysis/mem.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "analysis/burg_lattice.h"
#include "analysis/depth_math.h"
#include "analysis/scratch_memory.h"
#include "analysis/trig_sums.h"
#include "platform/message.h"

namespace korimu {

MemRate memRate(SampleRate rate) {
  // At 88.2 kHz the top point sits half a hertz above the Nyquist frequency.
  const double top = rate.nyquistHz() + (rate.cdStep() == 3 ? 0.5 : 0.0);
  return {1.0 / (rate.hz() - 1), top};
}

namespace {

// The coefficients of the model of order m from its reflection coefficients, order by order:
// a[k - 1] = r[k - 1] and a[j] = a'[j] + r[k - 1] a'[k - 2 - j], a' being order k - 1's. Done
// once for the chosen order rather than at every order tried, which would cost the square of
// the highest order. previous holds m doubles.
void coefficientsFromReflections(const double* r, int m, double* a, double* previous) {
  for (int k = 1; k <= m; ++k) {
    for (int j = 0; j <= k - 2; ++j) a[j] = previous[j] + r[k - 1] * previous[k - 2 - j];
    a[k - 1] = r[k - 1];
    std::copy(a, a + k, previous);
  }
}

}  // namespace

int burgFit(double* x, int n, int mmax, double* a, int& m, double& pm, ScratchAllocator& scratch,
            Progress& progress, AnalysisNotes& notes) {
  progress.begin("burg", mmax);
  std::vector<double> reflections, previous, eb, fpe;
  const size_t orders = static_cast<size_t>(std::max(mmax, 0));
  if (!scratch.allocate(reflections, orders) || !scratch.allocate(previous, orders) ||
      !scratch.allocate(eb, static_cast<size_t>(std::max(n - 1, 0))) ||
      !scratch.allocate(fpe, orders + 1)) {
    notes.fail("burg");
    return 1;
  }
  if (n <= 0) {  // nothing to fit
    pm = 0.0;
    return 0;
  }

  long double sum = 0.0L;
  for (int i = 0; i < n; ++i) sum += x[i];
  const long double mean = sum / n;
  long double energy = 0.0L;
  for (int i = 0; i < n; ++i) {
    x[i] = static_cast<double>(x[i] - mean);
    energy += static_cast<long double>(x[i]) * x[i];
  }
  for (int i = 1; i < n; ++i) eb[i - 1] = x[i];

  double p = static_cast<double>(energy / n);
  // A single sample leaves no degrees of freedom; its order-0 error is taken as is.
  fpe[0] = n > 1 ? p * (n + 1) / (n - 1) : p;
  double fmin = fpe[0];
  int best = 0;  // the order with the smallest error so far (0: the mean alone)
  pm = p;
  notes.diagnose(DiagnosticLine::kModelOrders,
                 formatText("mmax=%5u ", static_cast<unsigned>(mmax)));
  // The last order fitted and its error, noted once the fit ends (formatted only then, so the
  // recursion allocates nothing per order).
  int lastOrder = 0;
  double lastFpe = 0.0;
  const auto noteLastOrder = [&] {
    if (lastOrder == 0) return;
    notes.diagnose(DiagnosticLine::kModelStep,
                   formatText("m=%5u fpe[m]=%e  ", static_cast<unsigned>(lastOrder), lastFpe));
  };

  // Order n - 1 uses the last pair of errors; higher orders would have nothing to sum.
  const int highestOrder = std::min(mmax, n - 1);
  BurgSums sums = burgSums(x, eb.data(), n - 1);
  for (int k = 1; k <= highestOrder; ++k) {
    if (progress.cancelled()) {
      noteLastOrder();
      return 1;
    }
    progress.step(k, mmax);

    const double num = sums.num;
    const double den = sums.den;
    double r;
    if (den != 0.0) {
      r = -2.0 * num / den;
    } else {
      r = num == 0.0 ? 0.0 : (num > 0.0 ? -1.0e36 : 1.0e36);
    }

    reflections[size_t(k - 1)] = r;
    p = p * (1.0 - r * r);
    if (p < 0.0) {
      p = -p;
      notes.notice("pm is minus");
    }
    fpe[k] = (n == k + 1) ? 1.0e36 : p * (n + k + 1) / (n - k - 1);
    lastOrder = k;
    lastFpe = fpe[k];

    if (fpe[k] <= fmin) {
      fmin = fpe[k];
      best = k;
      pm = p;
      if (fmin == 0.0) break;
    } else if (fpe[k] > 2.0 * fmin || fmin < 1e-22) {
      break;
    }

    // Forward errors replace x; the pass also sums the errors of the next order.
    sums = burgUpdate(x, eb.data(), n - k - 1, r);
  }
  noteLastOrder();
  if (best > 0) {
    m = best;
    coefficientsFromReflections(reflections.data(), m, a, previous.data());
  }
  notes.diagnose(DiagnosticLine::kModelChoice,
                 formatText("m=%5u fpe[m]=%e  ", static_cast<unsigned>(m), fmin));
  return 0;
}

int memEstimate(double* spec, int count, int m, const double* a, double dt, double pm, double f0,
                double /*fmax*/, double step, int mode, Progress& progress) {
  progress.begin("estimate", count);
  const double omega = 2.0 * std::numbers::pi * dt;
  double f = f0;
  int result = 0;
  for (int i = 0; i < count; ++i) {
    if (progress.cancelled()) {
      result = 1;
      break;
    }
    progress.step(i + 1, count);
    // theta_j = (j + 1) w f
    const TrigSums sums = trigSums(a, m, omega * f, 1);
    const double re = 1.0 + sums.cosSum;
    const double im = sums.sinSum;
    double d = re * re + im * im;
    if (d == 0.0) d = 1e-100;
    spec[i] = dt * pm / d;
    f = mode == 2 ? f * step : f0 + (i + 1) * step;
  }
  progress.end();
  return result;
}

double MemPoints::frequency(int i) const {
  return linear ? i * step : f0 * std::pow(step, i);
}

MemPoints memPoints(int srKHz, int order, bool linear) {
  MemPoints points;
  points.count = (1 << order) / 2;
  points.linear = linear;
  points.fmax = memRate(SampleRate(srKHz)).fmax;
  const int ns = points.count;
  if (linear) {
    points.f0 = 0.0;
    points.step = ns > 1 ? points.fmax / (ns - 1) : 0.0;
  } else {
    points.f0 = points.fmax / ns;
    points.step = ns > 1 ? std::exp(std::log(points.fmax / points.f0) / (ns - 1)) : 1.0;
  }
  return points;
}

namespace {

// The pink tilt of point i (+3 dB per octave) applied to v: v * i / ns on the linear axis,
// v * fi / fmax on the logarithmic one, multiplied before dividing.
double pinkTilted(double v, const MemPoints& points, int i) {
  if (points.linear) return v * i / points.count;
  return v * points.frequency(i) / points.fmax;
}

bool rectangle(const AnalysisParams& params) {
  return params.window == WindowFunction::kRectangle;
}

double logReference(bool sixteenBit, double max, const AnalysisParams& params) {
  if (rectangle(params) || params.displayGain == 0) return max;
  switch (params.displayGain) {
    case 1:
      return sixteenBit ? 3.0e9 : 20000.0;
    case 2:
      return sixteenBit ? 30000.0 : 200.0;
    default:
      return sixteenBit ? 300.0 : 20.0;
  }
}

}  // namespace

double memZeroDbPower(bool sixteenBit, double max, const AnalysisParams& params) {
  return logReference(sixteenBit, max, params);
}

namespace {

const double kLogFloor = std::log(1e-35) / 25.0;

uint8_t logDepth(double v, double lmin, const AnalysisParams& params) {
  double level = v > 1e-35 ? std::log(v) / 25.0 : kLogFloor;
  if (!rectangle(params)) {
    // The reference at the top, the block's minimum at the bottom.
    if (level < lmin) level = lmin;
    if (level > 0.0) level = 0.0;
    if (lmin == 0.0) return 0;
    return toDepth(level * 255.0 / lmin);
  }
  switch (params.displayGain) {
    case 0:
      return toDepth(-clampTo(level, -2.0, 0.0) * 127.0);
    case 1:
      return toDepth(-clampTo(level, -1.0, 0.0) * 255.0);
    case 2:
      return toDepth(-clampTo(level, -0.5, 0.0) * 510.0);
    default:
      return toDepth(-clampTo(level, -0.25, 0.0) * 1020.0);
  }
}

uint8_t linearDepth(double v, int displayGain) {
  switch (displayGain) {
    case 0:
      return toDepth(255.0 - clampTo(v, 0.0, 2.0) * 127.0);
    case 1:
      return toDepth(255.0 - clampTo(v, 0.0, 1.0) * 255.0);
    case 2:
      return toDepth(255.0 - clampTo(v, 0.0, 0.5) * 510.0);
    default:
      return toDepth(255.0 - clampTo(v, 0.0, 0.25) * 1020.0);
  }
}

}  // namespace

MemExtremes memExtremes(const double* spec, const MemPoints& points, bool pinkNoiseFlat) {
  MemExtremes out;
  for (int i = 1; i < points.count; ++i) {
    double v = spec[i];
    if (pinkNoiseFlat)
      v = points.linear ? i * spec[i] / points.count : spec[i] * points.frequency(i) / points.fmax;
    if (v > out.max) {
      out.max = v;
      out.index = i;
    }
    if (i > 3 && v < out.min) out.min = v;
  }
  return out;
}

void memDepths(uint8_t* depths, const double* spec, const MemPoints& points,
               const MemExtremes& extremes, bool sixteenBit, const AnalysisParams& params) {
  const bool logarithmic = params.scale == SpectrumScale::kLog;
  double ref;
  if (logarithmic) {
    ref = logReference(sixteenBit, extremes.max, params);
  } else {
    ref = rectangle(params) ? extremes.max : (sixteenBit ? 60000.0 : 400.0);
  }
  // A ratio that is not a number (0 / 0) counts as below the floor.
  const double floorRatio = ref != 0.0 ? extremes.min / ref : 0.0;
  const double lmin = floorRatio > 1e-35 ? std::log(floorRatio) / 25.0 : kLogFloor;

  for (int i = 0; i < points.count; ++i) {
    double v = 0.0;
    if (ref != 0.0) {
      v = spec[i] / ref;
      if (params.pinkNoiseFlat) v = pinkTilted(v, points, i);
    }
    if (logarithmic) {
      depths[i] = logDepth(v, lmin, params);
    } else {
      if (params.scale == SpectrumScale::kAmplitude) v = std::sqrt(v);
      depths[i] = linearDepth(v, params.displayGain);
    }
  }
}

}  // namespace korimu

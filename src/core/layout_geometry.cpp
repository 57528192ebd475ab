// Rectangles of the main window's children, all derived from the layout units.
#include <algorithm>

#include "core/layout.h"

namespace korimu {

namespace {

// trunc() of a real value written with halves and quarters, done in doubles as the layout rules
// are.
int truncated(double v) {
  return static_cast<int>(v);
}

}  // namespace

ControlSizes computeControlSizes(const LayoutUnits& u) {
  const int h = u.unitH;
  const int w = u.unitW;
  ControlSizes s;
  s.buttonHeight = h > 7 ? 3 * h + 3 : 4 * h;
  s.amplitudeRadioH = h > 7 ? 2 * h : truncated(2.5 * h);
  s.powerRadioH = h > 7 ? 2 * h + 2 : 3 * h;
  s.buttonWidth = (13 * w) / 2;
  s.baseLine = (11 * h) / 2 + u.overviewHeight + kPlotHeight;
  s.comboWidth = w < 8 ? 10 * w : 9 * w;
  return s;
}

std::array<Rect, kChildWindowCount> computeChildRects(const LayoutUnits& u) {
  const int h = u.unitH;
  const int w = u.unitW;
  const int l = u.layoutWidth;
  const int p = u.smallFontPad;
  const ControlSizes s = computeControlSizes(u);
  const int bh = s.buttonHeight;
  const int a = s.amplitudeRadioH;
  const int b = s.powerRadioH;
  const int y = s.baseLine;
  const int q = y - 4 * bh - 4 * b;

  std::array<Rect, kChildWindowCount> r{};
  r[kOverviewChild] = {w, 3 * h, kPlotWidth, u.overviewHeight};  // column for column above the plot

  const int buttonX = l - s.buttonWidth - w / 2;
  for (int i = 0; i < 4; ++i)
    r[size_t(kAnalyzeButton) + size_t(i)] = {buttonX, y - (4 - i) * bh, s.buttonWidth, bh};

  // The six navigation buttons step by 8 W from (59 W) div 2.
  const int navX[6] = {(59 * w) / 2, (67 * w) / 2, (75 * w) / 2,
                       (83 * w) / 2, (91 * w) / 2, (99 * w) / 2};
  for (int i = 0; i < 6; ++i)
    r[size_t(kNavFastBack) + size_t(i)] = {navX[i], 1, 4 * w, (5 * h) / 2};

  r[kSpanCombo] = {l - 2 - s.comboWidth, 0, s.comboWidth, 13 * h};

  const Rect amplitude{8 * w + 514, (13 * h) / 4 + p, 7 * w + 1, (15 * h) / 4 + 2 * a};
  r[kAmplitudePanel] = amplitude;
  r[kAmplitudeGroup] = amplitude;
  const int normalY = (13 * h) / 4 + 3 * h + p;
  r[kAmplitudeNormal] = {8 * w + 515, normalY, 7 * w - 2, a};
  r[kAmplitudeDouble] = {8 * w + 515, normalY + a, 7 * w - 2, a};

  const Rect power{l - 7 * w - 2, truncated(q - 3.5 * h), 6 * w + 2, truncated(4 * b + 3.25 * h)};
  r[kPowerPanel] = power;
  r[kPowerGroup] = power;
  for (int i = 0; i < 4; ++i)
    r[size_t(kPowerAt) + size_t(i)] = {l - 7 * w - 1, y - 4 * bh - (4 - i) * b - h, 6 * w - 1, b};
  return r;
}

ChildLayout adjustForNewShell(const ChildLayout& current, int remeasuredAscent,
                              int remeasuredAverageWidth, int vscrollWidth, int previousExtra) {
  ChildLayout next = current;
  const int oldW = current.units.unitW;
  const int extra = 2 * oldW + 1 < vscrollWidth ? vscrollWidth - (2 * oldW + 1) : 0;

  // The overview height stays what the controls were created with.
  LayoutUnits units = computeUnits(remeasuredAscent, remeasuredAverageWidth);
  units.overviewHeight = current.units.overviewHeight;
  units.plotTop = (11 * units.unitH) / 2 + units.overviewHeight;
  units.clientHeight = 9 * units.unitH + units.overviewHeight + kPlotHeight;
  next.units = units;

  if (extra != previousExtra) {
    const int comboWidth = units.unitW < 8 ? 10 * units.unitW : 9 * units.unitW;
    next.children[kSpanCombo] = {units.layoutWidth - 2 - comboWidth, 0, comboWidth + extra,
                                 13 * units.unitH};
  }
  next.extraWidth = extra;
  next.clientWidth = units.layoutWidth + extra;
  next.clientHeight = units.clientHeight;
  next.plotArea = {units.unitW, units.plotTop, kPlotWidth, kPlotHeight};
  return next;
}

ChildLayout computeChildLayout(const LayoutUnits& u, int vscrollWidth) {
  ChildLayout created;
  created.units = u;
  created.sizes = computeControlSizes(u);
  created.children = computeChildRects(u);
  created.plotArea = {u.unitW, u.plotTop, kPlotWidth, kPlotHeight};
  created.clientWidth = u.layoutWidth;
  created.clientHeight = u.clientHeight;
  // Re-measuring the window's own font gives the same fixed font here.
  return adjustForNewShell(created, 2 * u.unitH, u.unitW, vscrollWidth, 0);
}

}  // namespace korimu

// Layout units and the geometry of the main window, derived from the fixed font's metrics.
// Nothing is resizable: everything is computed once at start-up.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/fixed_font.h"

namespace korimu {

// The plot: 512 columns (one per chart column or spectrum point) by 256 rows (one per depth),
// at (unitW, plotTop) of the main window's client area.
inline constexpr int kPlotWidth = 512;
inline constexpr int kPlotHeight = 256;

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct LayoutUnits {
  int unitH = 7;            // H: half the font's ascent
  int unitW = 8;            // W: the font's average character width
  int overviewHeight = 64;  // G
  int smallFontPad = 2;     // P
  int layoutWidth = 640;    // L
  int plotTop = 102;        // (11 H) div 2 + G
  int clientHeight = 383;   // 9 H + G + 256
  friend bool operator==(const LayoutUnits&, const LayoutUnits&) = default;
};

// Units from the font's ascent and average width.
constexpr LayoutUnits computeUnits(int ascent, int averageWidth) {
  LayoutUnits u;
  u.unitH = ascent / 2;
  u.unitW = averageWidth;
  u.overviewHeight = u.unitH <= 8 ? 64 : 8 * u.unitH;
  u.smallFontPad = u.unitH <= 7 ? 2 : 0;
  u.layoutWidth = std::max(16 * u.unitW + kPlotWidth, 80 * u.unitW);
  u.plotTop = (11 * u.unitH) / 2 + u.overviewHeight;
  u.clientHeight = 9 * u.unitH + u.overviewHeight + kPlotHeight;
  return u;
}

// The units of the window: every text is drawn in the fixed bitmap font, so they are known when
// the program is built (the window's re-measure of its font gives the same).
inline constexpr LayoutUnits kLayout = computeUnits(FixedFont::kAscent, FixedFont::kAverageWidth);

// The 22 child windows of the main window, in creation order.
enum ChildWindow : int {
  kOverviewChild = 0,
  kAnalyzeButton,
  kPlayButton,
  kPartialButton,
  kStopButton,
  kNavFastBack,     // "<<<"
  kNavBack,         // "<<"
  kNavStepBack,     // "<"
  kNavStepForward,  // ">"
  kNavForward,      // ">>"
  kNavFastForward,  // ">>>"
  kSpanCombo,
  kAmplitudePanel,  // blank static under the amplitude group
  kAmplitudeGroup,
  kAmplitudeNormal,  // "標準"
  kAmplitudeDouble,  // "２倍"
  kPowerPanel,       // blank static under the power group
  kPowerGroup,
  kPowerAt,  // "Ａt" (or "1/2")
  kPowerX1,
  kPowerX2,
  kPowerX4,
  kChildWindowCount
};

// Sizes derived from the units that several rectangles share.
struct ControlSizes {
  int buttonHeight = 0;     // bh
  int buttonWidth = 0;      // bw
  int amplitudeRadioH = 0;  // A
  int powerRadioH = 0;      // B
  int baseLine = 0;         // Y: the graph's bottom edge
  int comboWidth = 0;       // C
};

struct ChildLayout {
  LayoutUnits units;   // H and W after the new-shell re-measure; G as created
  ControlSizes sizes;  // of the units the controls were created with
  std::array<Rect, kChildWindowCount> children{};
  Rect plotArea;         // kPlotWidth x kPlotHeight graph area
  int extraWidth = 0;    // widening for a scroll bar wider than 2 W + 1
  int clientWidth = 0;   // L + extra
  int clientHeight = 0;  // 9 H + G + 256
};

ControlSizes computeControlSizes(const LayoutUnits& u);

// Every child rectangle as created from the units (before any new-shell adjustment).
std::array<Rect, kChildWindowCount> computeChildRects(const LayoutUnits& u);

// The new-shell adjustment: extra width = scroll-bar width - (2 W + 1) when positive (old W),
// then the units re-measured from the window's own font (G kept), the combobox moved and widened
// by the extra width, and the client sized L + extra by 9 H + G + 256.
// previousExtra is the extra width of the last adjustment (0 at start); the combobox only moves
// when the extra width changes.
ChildLayout adjustForNewShell(const ChildLayout& current, int remeasuredAscent,
                              int remeasuredAverageWidth, int vscrollWidth, int previousExtra);

// The whole layout at start-up: the created rectangles followed by the new-shell adjustment with
// the same font (this platform is a new-shell system).
ChildLayout computeChildLayout(const LayoutUnits& u, int vscrollWidth);

}  // namespace korimu

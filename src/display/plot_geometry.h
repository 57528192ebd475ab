// The plot: 512 columns (one per chart column or spectrum point) by 256 rows (one per depth),
// at (unitW, plotTop) of the main window's client area.
#pragma once

namespace korimu {

inline constexpr int kPlotWidth = 512;
inline constexpr int kPlotHeight = 256;

}  // namespace korimu

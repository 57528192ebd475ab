#include "display/run_texts.h"

#include <algorithm>

#include "core/layout.h"
#include "platform/fixed_font.h"
#include "platform/message.h"

namespace korimu {

namespace {

int progressRowY() {
  return kLayout.plotTop - 2 * kLayout.unitH - 2;
}

Rect text(Canvas& canvas, int x, int y, const std::string& s) {
  const int width = canvas.textOut(x, y, s);
  return {x, y, width, FixedFont::kCellHeight};
}

Rect unite(const Rect& a, const Rect& b) {
  const int x = std::min(a.x, b.x), y = std::min(a.y, b.y);
  return {x, y, std::max(a.x + a.w, b.x + b.w) - x, std::max(a.y + a.h, b.y + b.h) - y};
}

}  // namespace

Rect drawProgressText(Canvas& canvas, std::string_view name, long done, long total) {
  const std::string s =
      formatText("%-8.*s %5ld/%5ld ", static_cast<int>(name.size()), name.data(), done, total);
  // Eight columns from the plot's right edge, whatever the counters' width.
  const int x = kPlotWidth - (static_cast<int>(s.size()) - 8) * kLayout.unitW;
  return text(canvas, x, progressRowY(), s);
}

Rect drawProgressCounter(Canvas& canvas, long done) {
  return text(canvas, kPlotWidth - 4 * kLayout.unitW, progressRowY(), formatText("%5ld", done));
}

Rect clearProgressText(Canvas& canvas) {
  return text(canvas, kPlotWidth - 13 * kLayout.unitW, progressRowY(), std::string(21, ' '));
}

Rect drawPowerWarning(Canvas& canvas, const std::string& warning) {
  return text(canvas, 0, progressRowY(), warning);
}

Rect drawWaveZoomExtremes(Canvas& canvas, int32_t maximum, int32_t minimum,
                          const TextCatalogue& texts) {
  const int x = kPlotWidth + 2 * kLayout.unitW;
  const int zeroY = kLayout.plotTop + kPlotHeight / 2;
  Rect area = text(canvas, x, zeroY, formatText("%+6d", maximum));
  area = unite(area, text(canvas, x, zeroY - 5 * kLayout.unitH / 2, formatText("%+6d", minimum)));
  return unite(area, text(canvas, x, zeroY - 5 * kLayout.unitH, texts.translate("Canvas", "振幅")));
}

Rect drawTableShortfall(Canvas& canvas, int bytes, const TextCatalogue& texts) {
  return text(canvas, 0, 0,
              formatText(texts.translate("Canvas", "記憶領域不足 %d").c_str(), bytes));
}

}  // namespace korimu

#include "analysis/analysis_sink.h"

#include "core/layout.h"

namespace korimu {

AnalysisSink analysisSink;

namespace {

int progressY() {
  return layout.plotTop - 2 * layout.unitH - 2;
}

}  // namespace

void showProgress(const std::string& text, long done, long total) {
  const int x = 512 - (static_cast<int>(text.size()) - 8) * layout.unitW;
  notifySink(analysisSink.windowText, x, progressY(), text);
  notifySink(analysisSink.progress, done, total);
}

void clearProgress() {
  const std::string blank(21, ' ');
  notifySink(analysisSink.windowText, 512 - 13 * layout.unitW, progressY(), blank);
}

}  // namespace korimu

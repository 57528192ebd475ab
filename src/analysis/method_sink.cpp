#include "analysis/method_sink.h"

#include "analysis/analysis_sink.h"
#include "core/app_state.h"
#include "core/layout.h"
#include "platform/message.h"

namespace korimu {

MethodSink methodSink;

void showProgressCounter(long value, long total) {
  const int y = layout.plotTop - 2 * layout.unitH - 2;
  notifySink(analysisSink.windowText, 512 - 4 * layout.unitW, y, formatText("%5ld", value));
  notifySink(analysisSink.progress, value, total);
}

void showDiagnostic(int x, int y, const std::string& text) {
  if (appState.diagnosticText) notifySink(methodSink.overviewTextAt, x, y, text);
}

}  // namespace korimu

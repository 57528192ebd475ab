// What every analyser reports beside its numbers: whether it was stopped, the messages for the
// user (a fatal one ends the analysis, and the caller then ends the process), and the diagnostic
// texts the overview shows with /D.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace korimu {

struct AnalysisMessage {
  std::string text;
  bool fatal = false;  // the analysis could not go on (the caller ends the process)
};

// Which diagnostic line a text is; the display knows where each one goes.
enum class DiagnosticLine {
  kAutoScale,     // the wave zoom's automatic scale
  kModelOrders,   // MEM: the highest model order tried
  kModelStep,     // MEM: the last order fitted and its prediction error
  kModelChoice,   // MEM: the order chosen and its prediction error
  kBlockMaximum,  // MEM and wavelet: a new largest power
  kBlockMinimum,  // MEM and wavelet: the block's smallest power
};

struct Diagnostic {
  DiagnosticLine line;
  std::string text;
};

struct AnalysisNotes {
  bool cancelled = false;
  std::vector<AnalysisMessage> messages;
  std::vector<Diagnostic> diagnostics;
  int tableShortfallBytes = 0;  // the FFT tables did not fit: what they wanted (0: they did)

  // True when a fatal message ended the analysis.
  bool failed() const {
    for (const AnalysisMessage& m : messages)
      if (m.fatal) return true;
    return false;
  }
  // Ends the analysis with a fatal message.
  void fail(std::string text) { messages.push_back({std::move(text), true}); }
  // A message that lets the analysis go on.
  void notice(std::string text) { messages.push_back({std::move(text), false}); }
  void diagnose(DiagnosticLine line, std::string text) {
    diagnostics.push_back({line, std::move(text)});
  }
};

}  // namespace korimu

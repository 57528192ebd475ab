// How a long analysis reports how far it is and learns that it should stop. The caller decides
// what progress means: the window draws the progress text and handles its pending events, the
// command line prints a line, a test counts. Every member defaults to doing nothing.
#pragma once

#include <string_view>

namespace korimu {

class Progress {
 public:
  virtual ~Progress() = default;
  // A long step starts: its short name ("DTFT", "burg", "estimate", "self", "wavelet") and how
  // many parts it has.
  virtual void begin(std::string_view /*name*/, long /*total*/) {}
  // `done` of `total` parts are finished.
  virtual void step(long /*done*/, long /*total*/) {}
  // The step is over and its report can go.
  virtual void end() {}
  // Whether the analysis should stop now. Asked before every point, row or order, so this is
  // where the window handles its pending events (among them a press of Stop).
  virtual bool cancelled() { return false; }
};

}  // namespace korimu

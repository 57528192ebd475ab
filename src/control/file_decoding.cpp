// Decoding a file the reader refuses, inside the window: the window's controls are off as during
// an analysis run, the status text counts up once the decode has taken half a second, and Esc or
// Stop cancels it, leaving no file open.
#include "control/controller.h"
#include "core/layout.h"
#include "core/settings.h"
#include "display/client_area.h"
#include "display/peak_readout.h"
#include "display/status_texts.h"
#include "platform/event_pump.h"
#include "wave/source_opening.h"

namespace korimu {

class WindowDecodeProgress : public DecodeProgress {
 public:
  WindowDecodeProgress(Controller& controller, RunListener& window)
      : controller_(controller), window_(window), startMs_(tickCountMs()) {
    controller_.session_.busy = true;
    controller_.stopRequested_ = false;
    controller_.enter(UiState::kAnalysing);
  }
  ~WindowDecodeProgress() override {
    controller_.session_.busy = false;
    controller_.enter(controller_.stateOfFlags());
  }
  WindowDecodeProgress(const WindowDecodeProgress&) = delete;
  WindowDecodeProgress& operator=(const WindowDecodeProgress&) = delete;

  void advanced(double fraction) override {
    if (tickCountMs() - startMs_ < kDecodeQuietMs) return;
    const int percent = int(fraction * 100.0);
    if (percent == shownPercent_) return;
    shownPercent_ = percent;
    drawDecodeProgress(controller_.clientCanvas(), percent);
    controller_.view_.refreshClient();
  }
  // The window handles its events here; Esc and Stop reach the controller.
  bool cancelled() override {
    const bool windowStops = window_.cancelled();
    return windowStops || controller_.stopRequested_;
  }

 private:
  Controller& controller_;
  RunListener& window_;
  unsigned long startMs_;
  int shownPercent_ = -1;
};

DecodeResult Controller::decodeInWindow(const std::string& source) {
  DecodeResult result;
  view_.runAnalysis([&](RunListener& window) {
    WindowDecodeProgress progress(*this, window);
    result = decodedCopy(source, defaultDecodeCache(), progress);
  });
  return result;
}

void Controller::forgetFile() {
  closeWave(session_.wave, true);
  Document& document = session_.document;
  document = Document{};
  stopRequested_ = false;
  setTitle();
  // The chart, its peak box and the numbers behind them belong to the file that was open before.
  view_.closeCrossSection();
  lastRun_ = RunRecord{};
  DisplayState& shown = display();
  shown.fileRate = SampleRate{0};
  hideFileFacts(shown, true);
  forgetPeakReadout(shown);
  // The whole client afresh, as at start-up: the last run's labels lie outside the frame.
  clientCanvas().clear(kButtonFace);
  const Rect plot{kLayout.unitW, kLayout.plotTop, kPlotWidth, kPlotHeight};
  for (Canvas* canvas : {&shown.surfaces.backBuffer, &clientCanvas()})
    if (canvas->width() > 0) canvas->whiteness(plot.x, plot.y, plot.w, plot.h);
  composeClientArea(shown, session_.settings, clientCanvas(), session_.wave.source, document);
  view_.refreshClient();
  view_.invalidateOverview();
  enter(UiState::kNoFile);
}

}  // namespace korimu

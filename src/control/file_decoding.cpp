// Decoding a file the reader refuses, inside the window: the window's controls are off as during
// an analysis run, the status text counts up once the decode has taken half a second, and Esc or
// Stop cancels it, leaving no file open.
#include "control/controller.h"
#include "core/settings.h"
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
  document.fileName.clear();
  document.fileSelected = false;
  document.position = 0;
  stopRequested_ = false;
  setTitle();
  hideFileFacts(display(), true);
  drawPositionText(clientCanvas(), session_.wave.source, document.position);
  drawFormatTexts(display(), clientCanvas(), session_.wave.source, document);
  drawSpanText(display(), clientCanvas(), session_.wave.source, session_.settings.framesPerColumn);
  view_.refreshClient();
  view_.invalidateOverview();
  enter(UiState::kNoFile);
}

}  // namespace korimu

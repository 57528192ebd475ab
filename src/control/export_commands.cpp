// The analysis run as the controller follows it, and the commands that take the last run's
// results away: its picture as PNG or on the clipboard, its numbers as CSV. The run fills the
// controller's record, sets its state and shows what it drew through the controller's listener,
// which passes the rest on to the window's.
#include <string>

#include "control/controller.h"
#include "core/layout.h"
#include "display/overview.h"
#include "display/status_texts.h"
#include "export/csv_export.h"
#include "export/export_names.h"
#include "export/png_writer.h"
#include "platform/message.h"
#include "run/run_driver.h"

namespace korimu {

// The window's listener with the controller's part added: the record, the running state, Stop
// and the repaints of the client canvas.
class ControllerRunListener : public RunListener {
 public:
  ControllerRunListener(Controller& controller, RunListener& window)
      : controller_(controller), window_(window) {}

  void begin(std::string_view name, long total) override { window_.begin(name, total); }
  void step(long done, long total) override { window_.step(done, total); }
  void end() override { window_.end(); }
  // The window handles its events here; a Stop among them reaches the controller.
  bool cancelled() override {
    const bool windowStops = window_.cancelled();
    return windowStops || controller_.stopRequested_;
  }
  void runningChanged(bool running) override {
    // The window hears of a run before the controls change, and of its end after.
    if (running) window_.runningChanged(true);
    controller_.runStateChanged(running);
    if (!running) window_.runningChanged(false);
  }
  void clientChanged() override { controller_.view_.refreshClient(); }
  void clientAreaChanged(const Rect& area) override { controller_.view_.refreshClientArea(area); }
  void viewChanged(int32_t from, int32_t to) override { window_.viewChanged(from, to); }
  void chartRun(bool chart) override { window_.chartRun(chart); }
  void overviewText(int x, int y, const std::string& text) override {
    if (controller_.diagnosticText_) window_.overviewText(x, y, text);
  }
  void blockStarting(const SampleBlock& block, int column, int width) override {
    window_.blockStarting(block, column, width);
  }
  RunRecord* record() override { return &controller_.lastRun_; }
  void fileOpened(const WaveOpenResult& result) override { controller_.fileOpened(result); }

 private:
  Controller& controller_;
  RunListener& window_;
};

void Controller::analyze() {
  view_.runAnalysis([this](RunListener& window) {
    ControllerRunListener listener(*this, window);
    runAnalysis(session_, listener);
  });
}

Canvas Controller::picture() {
  // In the window the overview strip is a widget above the canvas; the picture has it where the
  // command line's has it.
  Canvas picture = session_.display.surfaces.window;
  Canvas strip(kPlotWidth, kLayout.overviewHeight, picture.depthBits());
  drawOverviewOfOpenFile(strip, session_.wave.source, session_.document.position,
                         session_.settings.framesPerColumn, session_.settings.amplitudeZoom);

  picture.copyFrom(strip, 0, 0, strip.width(), strip.height(), kLayout.unitW, 3 * kLayout.unitH);
  return picture;
}

void Controller::savePicture() {
  if (!lastRun_.drawn || session_.busy) return;
  std::string path;
  const std::string proposed = proposedExportName(lastRun_.run.fileName, lastRun_.run.analysis.view,
                                                  lastRun_.run.analysis.method, "png");
  if (!view_.chooseFileToSave(proposed, "png", &path) || path.empty()) return;
  const Canvas shown = picture();
  if (!writePng(path, shown, 0, 0, shown.width(), shown.height()))
    showMessage(formatText("%s に画像を保存できません。", path.c_str()));
}

void Controller::saveNumbers() {
  if (!lastRun_.drawn || session_.busy) return;
  std::string path;
  const std::string proposed = proposedExportName(lastRun_.run.fileName, lastRun_.run.analysis.view,
                                                  lastRun_.run.analysis.method, "csv");
  if (!view_.chooseFileToSave(proposed, "csv", &path) || path.empty()) return;
  std::string reason;
  if (!writeTextFile(path, runCsv(lastRun_), reason))
    showMessage(formatText("%s に数値を保存できません。(%s)", path.c_str(), reason.c_str()));
}

}  // namespace korimu

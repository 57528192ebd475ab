// The commands that take the last run's results away: its picture as PNG or on the clipboard,
// its numbers as CSV.
#include <string>

#include "control/controller.h"
#include "core/layout.h"
#include "display/client_area.h"
#include "display/overview.h"
#include "display/status_texts.h"
#include "export/csv_export.h"
#include "export/export_names.h"
#include "export/png_writer.h"
#include "platform/message.h"

namespace korimu {

Canvas Controller::picture() {
  // In the window the overview strip is a widget above the canvas; the picture has it where the
  // command line's has it.
  Canvas picture = session_.display.surfaces.window;
  // The stop notice stays in the window until the next run, but a saved or copied picture shows
  // only what the run drew (the table says the run was stopped).
  copyPlotFromBackBuffer(session_.display, picture);
  Canvas strip(kPlotWidth, kLayout.overviewHeight, picture.depthBits());
  // A saved picture is the whole picture: a summary on its way is waited for.
  overviewSummary_.wait();
  drawOverviewOfOpenFile(strip, session_.wave.source, overviewSummary().get(),
                         session_.document.position, session_.settings.framesPerColumn,
                         session_.settings.amplitudeZoom, session_.wave.messages);

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
    session_.wave.messages.show(formatText(
        session_.wave.messages.texts.translate("Message", "%s に画像を保存できません。").c_str(),
        path.c_str()));
}

void Controller::saveNumbers() {
  if (!lastRun_.drawn || session_.busy) return;
  std::string path;
  const std::string proposed = proposedExportName(lastRun_.run.fileName, lastRun_.run.analysis.view,
                                                  lastRun_.run.analysis.method, "csv");
  if (!view_.chooseFileToSave(proposed, "csv", &path) || path.empty()) return;
  std::string reason;
  if (!writeTextFile(path, runCsv(lastRun_), reason))
    session_.wave.messages.show(formatText(
        session_.wave.messages.texts.translate("Message", "%s に数値を保存できません。(%s)")
            .c_str(),
        path.c_str(), reason.c_str()));
}

}  // namespace korimu

// The cross-section window's commands: which chart it shows, its picture, its arrows and the
// saving of its column's numbers. The window only shows the canvas and forwards its buttons.
#include <array>
#include <string>

#include "control/controller.h"
#include "core/layout.h"
#include "display/cross_section.h"
#include "export/csv_export.h"
#include "export/export_names.h"
#include "platform/message.h"
#include "run/chart_column.h"
#include "run/chart_description.h"

namespace korimu {

bool Controller::crossSectionOfLastRun() const {
  return chartRecord(lastRun_) && session_.document.fileSelected;
}

CrossSectionChart Controller::crossSectionChart() const {
  if (crossSectionOfLastRun()) return crossSectionChartOf(lastRun_);
  return crossSectionChartFromSettings(session_.display.fileRate, session_.settings,
                                       session_.wave.source, session_.document);
}

int Controller::crossSectionColumnShown() const {
  return crossSectionColumn(session_.document, kLayout.unitW);
}

void Controller::paintCrossSection(Canvas& client) {
  DisplayState& shown = display();
  const CrossSectionChart chart = crossSectionChart();
  if (!crossSectionOfLastRun()) {
    // No chart to describe: the graph shows whatever the back buffer holds (black before any).
    korimu::paintCrossSection(shown, session_.settings, client, shown.surfaces.backBuffer, chart,
                              session_.document, -1);
    return;
  }
  // The graph comes from the chart's numbers, so a run under way (which has the back buffer)
  // changes nothing here. The peak is the loudest row the run computed for the column; a column
  // no block drew shows the cleared chart, whose loudest row is named instead.
  std::array<uint8_t, kCrossSectionRows> depths{};
  const int column = crossSectionColumnShown();
  const int loudestShade = chartColumnGraphDepths(lastRun_, shown, displayDepthBits(shown.surfaces),
                                                  column, depths.data());
  const ChartColumn numbers = chartColumnOf(lastRun_, column);
  korimu::paintCrossSection(shown, session_.settings, client, depths.data(), chart,
                            session_.document, numbers.drawn ? numbers.loudest : loudestShade);
}

void Controller::stepCrossSectionColumn(int direction) {
  stepCrossSection(session_.document, crossSectionChart(), direction);
}

bool Controller::saveCrossSectionNumbersTo(const std::string& path, std::string& reason) const {
  if (!chartRecord(lastRun_)) {
    reason = "no chart has been drawn";
    return false;
  }
  // The numbers the run computed for the column shown now, even before the window painted it.
  return writeTextFile(path, crossSectionCsv(lastRun_, crossSectionColumnShown()), reason);
}

void Controller::saveCrossSectionNumbers() {
  if (!chartRecord(lastRun_)) return;
  std::string proposed = proposedExportName(lastRun_.run.fileName, lastRun_.run.analysis.view,
                                            lastRun_.run.analysis.method, "csv");
  proposed.insert(proposed.size() - 4, "-column" + std::to_string(crossSectionColumnShown()));
  std::string path;
  if (!view_.chooseFileToSave(proposed, "csv", &path) || path.empty()) return;
  std::string reason;
  if (!saveCrossSectionNumbersTo(path, reason))
    session_.wave.messages.show(formatText(
        session_.wave.messages.texts.translate("Message", "%s に数値を保存できません。(%s)")
            .c_str(),
        path.c_str(), reason.c_str()));
}

}  // namespace korimu

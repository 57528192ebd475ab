#include "app/module_calls.h"

#include "analysis/run_driver.h"
#include "app/cross_section_window.h"
#include "app/run_quit.h"
#include "app/shell_widgets.h"
#include "app/widgets.h"
#include "core/layout.h"
#include "core/settings_file.h"
#include "dialogs/about_dialog.h"
#include "dialogs/info_dialog.h"
#include "dialogs/options_dialog.h"
#include "display/chart.h"
#include "display/display_state.h"
#include "display/frame_parts.h"
#include "display/graph_frame.h"
#include "display/peak_readout.h"
#include "platform/audio_device.h"
#include "wave/playback.h"

namespace korimu {

// Modules still on their way into the program do nothing visible here yet.

void loadSettingsFromFile() {
  loadSettings();
}
void saveSettingsToFile() {
  saveSettings();
}

void startPlaybackNow(bool partial) {
  startPlayback(partial);
}
void stopPlaybackNow() {
  stopPlayback();
}
void releasePlaybackNow() {
  releasePlaybackAtExit();
}
void playbackMarkerTick() {
  markerTick();
}
int countOutputDevices() {
  return audioBackend().outputDeviceCount();
}

void runAnalysisNow() {
  {
    const QuitEndsRun quitEndsRun;
    runAnalysis();
  }
  if (shell().window) shell().window->closeIfAskedDuringRun();
}

void drawGraphFrameOn(Canvas& client) {
  drawGraphFrame(client);
  // The frame's legend clear runs through the peak box.
  redrawPeakReadout(client);
}
void drawRangeMarkerOn(Canvas& client) {
  drawRangeMarker(client);
}
void clearRangeBandOn(Canvas& client) {
  clearRangeBand(client);
}
void prepareAnalysisNow() {
  prepareAnalysis();
}
void copyChartTo(Canvas& client) {
  // The back buffer uses window coordinates: its graph area sits where the window's does.
  const Canvas& chart = displaySurfaces.backBuffer;
  if (chart.width() == 0) return;
  client.copyFrom(chart, layout.unitW, layout.plotTop, 512, 256, layout.unitW, layout.plotTop);
}

bool showOptionsDialog() {
  return runOptionsDialog(shell().window, [](int32_t fromView, int32_t toView) {
    checkMenuItem(fromView, false);
    checkMenuItem(toView, true);
  });
}
void showInfoDialog() {
  runInfoDialog(shell().window);
}
void showAboutDialog() {
  runAboutDialog(shell().window);
}

bool crossSectionWindowOpen() {
  return crossSectionWindow() != nullptr;
}
void openCrossSectionWindow() {
  openCrossSectionWindowFor(shell().window);
}
void refreshCrossSectionWindow() {
  updateCrossSectionWindow();
}

}  // namespace korimu

#include "app/module_calls.h"

#include "platform/audio_device.h"

namespace korimu {

// The modules below arrive one by one; until a module is in the program its call does nothing
// visible.

void loadSettingsFromFile() {}
void saveSettingsToFile() {}

void startPlaybackNow(bool) {}
void stopPlaybackNow() {}
int countOutputDevices() {
  return audioBackend().outputDeviceCount();
}

void runAnalysisNow() {}

void drawGraphFrameOn(Canvas&) {}
void drawRangeMarkerOn(Canvas&) {}
void clearRangeBandOn(Canvas&) {}
void prepareAnalysisNow() {}
void copyChartTo(Canvas&) {}

bool showOptionsDialog() {
  return false;
}
void showInfoDialog() {}
void showAboutDialog() {}

bool crossSectionWindowOpen() {
  return false;
}
void openCrossSectionWindow() {}
void refreshCrossSectionWindow() {}

}  // namespace korimu

// Calls from the main window into the modules that own playback, analysis, the graph frame and
// the dialogs. Each one forwards to its module.
#pragma once

#include "platform/canvas.h"

namespace korimu {

// Settings file.
void loadSettingsFromFile();
void saveSettingsToFile();

// Playback.
void startPlaybackNow(bool partial);
void stopPlaybackNow();
// The window is going away during a playback: stop the device and free the buffers.
void releasePlaybackNow();
// Window timer 1 of the main window: the playback marker.
void playbackMarkerTick();
int countOutputDevices();

// Analysis run (Analyze).
void runAnalysisNow();

// Graph frame and chart.
void drawGraphFrameOn(Canvas& client);
void drawRangeMarkerOn(Canvas& client);
void clearRangeBandOn(Canvas& client);
void prepareAnalysisNow();
// Copies the chart's back buffer into the graph area when the chart exists.
void copyChartTo(Canvas& client);

// Dialogs; showOptions returns true when the user pressed OK.
bool showOptionsDialog();
void showInfoDialog();
void showAboutDialog();

// The spectrum cross-section window.
bool crossSectionWindowOpen();
void openCrossSectionWindow();
void refreshCrossSectionWindow();

}  // namespace korimu

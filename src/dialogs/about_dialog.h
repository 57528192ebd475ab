// The About dialog: program name and version, the build's word size and toolchain, and the
// number of recording and playback devices.
#pragma once

#include <QDialog>

#include "core/settings.h"

namespace korimu {

// Builds the dialog (not yet shown) in the look the settings choose (its 3D-look item switches
// them); the device counts are asked of the audio layer now.
QDialog* createAboutDialog(QWidget* parent, AppSettings& settings);

void runAboutDialog(QWidget* parent, AppSettings& settings);

}  // namespace korimu

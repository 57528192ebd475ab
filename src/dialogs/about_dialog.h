// The About dialog: program name and version, the build's word size and toolchain, and the
// number of recording and playback devices.
#pragma once

#include <QDialog>

#include "core/settings.h"
#include "platform/audio_device.h"

namespace korimu {

// Builds the dialog (not yet shown) in the look the settings choose (its 3D-look item switches
// them), naming the devices the window's backend counted.
QDialog* createAboutDialog(QWidget* parent, AppSettings& settings, const DeviceCounts& devices);

void runAboutDialog(QWidget* parent, AppSettings& settings, const DeviceCounts& devices);

}  // namespace korimu

// The About dialog: program name and version, the build's word size and toolchain, and the
// number of recording and playback devices.
#pragma once

#include <QDialog>

namespace korimu {

// Builds the dialog (not yet shown); the device counts are asked of the audio layer now.
QDialog* createAboutDialog(QWidget* parent);

void runAboutDialog(QWidget* parent);

}  // namespace korimu

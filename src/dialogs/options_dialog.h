// The Options dialog: analysis method, resolutions, window function, scale, note colouring,
// on-memory analysis, playback buffer length and playback speed.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>

#include "core/settings.h"

namespace korimu {

// Moves the View menu's check mark from one view item to another.
using ViewCheckMover = std::function<void(int32_t fromView, int32_t toView)>;

// Builds the dialog from `settings` (not yet shown), which must outlive it. OK writes the
// settings and, when WT forced the time-frequency chart, calls `moveViewCheck`; Cancel (or
// closing) restores the playback speed and the note colouring, which change live while the
// dialog is open.
QDialog* createOptionsDialog(QWidget* parent, AppSettings& settings,
                             const ViewCheckMover& moveViewCheck = {});

// Runs the dialog modally; true after OK. The caller then redraws the range marker (unless the
// chart is shown) and prepares the analysis.
bool runOptionsDialog(QWidget* parent, AppSettings& settings,
                      const ViewCheckMover& moveViewCheck = {});

}  // namespace korimu

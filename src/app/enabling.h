// Enabling of commands by program state: idle, file selected, playing, analysing.
#pragma once

namespace korimu {

// Navigation buttons, Analyze (and Play / Partial when a device exists); on: focus to Analyze.
void enableFileControls(bool on);
// The file controls plus the span combobox, the amplitude radios, Open, Options and drops.
void enableIdleControls(bool on);
// Around an analysis run: off leaves only Stop (captioned "中断") and moving the window.
void enableRunControls(bool on);
// The Stop button and menu item; on: focus to Stop.
void enableStop(bool on);

}  // namespace korimu

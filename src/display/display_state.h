// State the display shares: the two drawing surfaces, the note reference and colours, the
// 16-colour scale, and what the display needs to know about the open file.
#pragma once

#include <array>
#include <cstdint>

#include "core/sample_rate.h"
#include "platform/canvas.h"
#include "wave/wave_source.h"

namespace korimu {

// The main window's client area and the chart's off-screen back buffer. Both use window
// coordinates, so the plot area sits at (unitW, plotTop) in each.
struct DisplaySurfaces {
  Canvas window;
  Canvas backBuffer;  // created by the first prepareAnalysis
  // The rate of the file whose format was read last: the frequency scales are drawn for it.
  SampleRate fileRate{0};
};
extern DisplaySurfaces displaySurfaces;

// Depth of the screen in bits per pixel: the window canvas's, or KORIMU_DISPLAY_BITS before the
// window exists.
int displayDepthBits();

// The open file's rate (0 kHz before a format has been read).
SampleRate openRate();
// An open read the file's format: the pictures follow its rate from now on.
void followFileRate(const WaveOpenResult& opened, const WaveSource& file);

// La of the chosen key in Hz (1760 for C major), set by prepareAnalysis.
extern double referenceLa;
inline constexpr double kSemitone = 1.0594630943592953;

// Semitones above la, 0 .. 11; 12 stands for the zero-frequency bin.
int noteClassOf(double frequency);
Rgb noteColour(int noteClass);

// The chart's 16 colours on a 16-colour display, darkest first (built by prepareAnalysis).
extern std::array<Rgb, 16> chartColours16;
extern bool chartColours16Built;

}  // namespace korimu

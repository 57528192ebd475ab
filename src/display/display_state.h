// What the display keeps for one window (or one rendered picture): the two drawing surfaces, the
// cross-section's column, the note reference, the 16-colour scale, the peak readout's lines and
// whether the file facts are hidden. Its owner passes it to the drawing routines.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/layout.h"
#include "core/sample_rate.h"
#include "platform/canvas.h"
#include "platform/text_catalogue.h"
#include "wave/wave_source.h"

namespace korimu {

// The main window's client area and the chart's off-screen back buffer. Both use window
// coordinates, so the plot area sits at (unitW, plotTop) in each.
struct DisplaySurfaces {
  Canvas window;
  Canvas backBuffer;  // created by the first prepareAnalysis
};

// The cross-section graph is as high as the plot (one pixel per depth); zoomed it is as wide as
// the plot, else half as wide.
inline constexpr int kWideSectionWidth = kPlotWidth;
inline constexpr int kNarrowSectionWidth = kPlotWidth / 2;

// The cross-section window's state, kept across its openings.
struct CrossSectionState {
  int sectionWidth = kNarrowSectionWidth;  // kNarrowSectionWidth or kWideSectionWidth
  // The column as depths (element 0 the bottom row); allocated while the window is open.
  std::vector<uint8_t> column;
};

// The two lines of the peak readout, kept to draw them again over the chart's labels.
struct ReadoutLines {
  std::string frequency;
  std::string power;
};

struct DisplayState {
  DisplaySurfaces surfaces;
  // The rate of the file whose format was read last: the frequency scales are drawn for it.
  SampleRate fileRate{0};
  CrossSectionState crossSection;
  // La of the chosen key in Hz (1760 for C major), set by prepareAnalysis.
  double referenceLa = 1760.0;
  // The chart's 16 colours on a 16-colour display, darkest first (built by prepareAnalysis).
  std::array<Rgb, 16> chartColours16{};
  bool chartColours16Built = false;
  // The peak readout's last lines; none while no peak is shown.
  std::optional<ReadoutLines> peakReadout;
  // After a failed open the format and span texts draw blanks: the facts still held describe a
  // file that is no longer open.
  bool fileFactsHidden = false;
  // The window's text is at least as bright as the window (a dark scheme): the peak box and the
  // range bar are drawn light on dark.
  bool darkScheme = false;
  // The words of the texts drawn into the canvases, written in Japanese; the window may
  // translate them.
  TextCatalogue texts;
};

// Depth of the screen in bits per pixel: the window canvas's (its owner made it at the depth it
// read), or 24 before the window exists.
int displayDepthBits(const DisplaySurfaces& surfaces);

// An open read the file's format: the pictures follow its rate from now on.
void followFileRate(DisplayState& display, const WaveOpenResult& opened, const WaveSource& file);

inline constexpr double kSemitone = 1.0594630943592953;

// Semitones above la (referenceLa), 0 .. 11; 12 stands for the zero-frequency bin.
int noteClassOf(double frequency, double referenceLa);
Rgb noteColour(int noteClass);

}  // namespace korimu

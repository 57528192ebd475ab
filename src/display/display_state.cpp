#include "display/display_state.h"

#include <cmath>

#include "wave/wave_source.h"

namespace korimu {

int displayDepthBits(const DisplaySurfaces& surfaces) {
  if (surfaces.window.width() > 0) return surfaces.window.depthBits();
  return 24;
}

void followFileRate(DisplayState& display, const WaveOpenResult& opened, const WaveSource& file) {
  if (opened.formatRead) display.fileRate = SampleRate(file.srKHz);
}

int noteClassOf(double frequency, double referenceLa) {
  if (!(frequency > 0.0)) return 12;
  const double q = std::log(frequency / referenceLa) / std::log(kSemitone);
  const int rounded = int(q > 0 ? q + 0.5 : q - 0.5);
  int noteClass = rounded % 12;
  if (noteClass < 0) noteClass += 12;
  return noteClass;
}

Rgb noteColour(int noteClass) {
  switch (noteClass) {
    case 3:
      return Rgb{255, 0, 0};  // do
    case 5:
      return Rgb{128, 128, 0};  // re
    case 7:
      return Rgb{0, 128, 0};  // mi
    case 8:
      return Rgb{128, 128, 128};  // fa
    case 10:
      return Rgb{0, 0, 255};  // sol
    case 0:
      return Rgb{255, 0, 255};  // la
    case 2:
      return Rgb{0, 128, 128};  // ti
    default:
      return kBlack;  // sharps, flats and the zero-frequency bin
  }
}

}  // namespace korimu

// The level meter (up to ten bands as wide bars or a polyline) and the waveform zoom.
#pragma once

#include <cstdint>
#include <vector>

#include "core/sample_rate.h"
#include "core/settings.h"
#include "platform/canvas.h"

namespace korimu {

// Octave bands of linear bins: the top half of the bins, then each lower half.
void drawOctaveMeter(Canvas& canvas, const AppSettings& settings, const uint8_t* depths, int len);
// Ten bands of equal bin counts (log-spaced bins).
void drawEqualCountMeter(Canvas& canvas, const AppSettings& settings, const uint8_t* depths,
                         int len);
// One depth per sample (or autocorrelation lag) over the time axis.
void drawWaveZoom(Canvas& canvas, SampleRate rate, const AppSettings& settings,
                  const uint8_t* depths, int len);

// One band of a meter: bins [begin, end) and the depth its bar (the loudest bin) or its line point
// (the mean depth) stands at.
struct MeterBand {
  int begin = 0;
  int end = 0;
  double depth = 255.0;
};
// The bands the meters draw from len depths, the highest band first (the rightmost one). The
// octave meter has as many bands as octaveBandCount gives for the block order; with pink noise
// drawn flat the line leaves out the lowest single-bin band.
std::vector<MeterBand> octaveMeterBands(const uint8_t* depths, int len, bool line, int blockOrder,
                                        bool pinkNoiseFlat);
std::vector<MeterBand> equalCountMeterBands(const uint8_t* depths, int len, bool line);

// Clears the plot and draws the bands as bars or as a polyline, as the settings choose.
void drawMeter(Canvas& canvas, const AppSettings& settings, const std::vector<MeterBand>& bands);

// Bands the octave meter draws for a block order: 8 or 9 give 8, 10 gives 9, more give 10.
int octaveBandCount(int blockOrder);
// Pixels per sample of the waveform zoom for the open file (0 when no file is open), whose time
// axis spans spanFrames (waveSpanFrames).
double waveZoomScale(SampleRate rate, int spanFrames);

}  // namespace korimu

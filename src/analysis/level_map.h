// Turning spectral values into display depths, and the peak readout beside the plot. Shared by
// the FFT/DCT frame analysis and the DTFT, MEM and wavelet analysers.
#pragma once

#include <cstdint>
#include <string>

#include "analysis/analysis_params.h"

namespace korimu {

// Writes n/2 depths from the complex values re[k] + i im[k], k < n/2, under the params' scale,
// gain and pink tilt. Depth 0 is full scale, 255 silence; every input (even NaN) maps inside
// 0..255.
void levelMap(uint8_t* depths, const double* re, const double* im, int n, double divisor,
              const AnalysisParams& params);

// The depth of one power value q (already divided by the method's divisor) for a scale and gain.
uint8_t depthOfLevel(double q, SpectrumScale scale, int gain);

// The readout lines: "Peak ...Hz" with as many decimals as fit five digits, and "Pow%8.1e".
std::string peakFrequencyText(double frequency);
std::string peakPowerText(double power);

}  // namespace korimu

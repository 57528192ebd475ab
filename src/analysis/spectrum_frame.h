// What an analyser hands to the spectrum, meter and chart painters: one depth per frequency point,
// lowest frequency first. Depth 0 is full scale (the top row of the plot), 255 is silence.
#pragma once

#include <cstdint>
#include <vector>

namespace korimu {

struct SpectrumFrame {
  std::vector<uint8_t> depths;
  // For the numbers saved beside the picture: each point's frequency in Hz and the power its
  // depth was mapped from (tilted like the peak when pink noise is made flat).
  std::vector<double> frequencies;
  std::vector<double> powers;
  // The power the log scale draws at its 0 dB line (the method's divisor, or MEM's reference):
  // a point's level in dB is 10 log10(power / zeroDbPower).
  double zeroDbPower = 1.0;

  int bins() const { return static_cast<int>(depths.size()); }
  const uint8_t* data() const { return depths.data(); }
};

}  // namespace korimu

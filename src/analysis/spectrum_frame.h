// What an analyser hands to the spectrum, meter and chart painters: one depth per frequency point,
// lowest frequency first. Depth 0 is full scale (the top row of the plot), 255 is silence.
#pragma once

#include <cstdint>
#include <vector>

namespace korimu {

struct SpectrumFrame {
  std::vector<uint8_t> depths;

  int bins() const { return static_cast<int>(depths.size()); }
  const uint8_t* data() const { return depths.data(); }
};

}  // namespace korimu

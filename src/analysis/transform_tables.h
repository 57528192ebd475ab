// The analysers' working memory: the tables the transforms build for one size and keep while the
// size stays the same (the FFT's sine and bit-reversal tables with their per-stage twiddles, the
// real FFT's split twiddles, and the analysis window's rising half), and the allocator every
// scratch array comes from. A chart run builds the tables once for its 512 blocks. Whoever runs
// analyses owns one (the session) and passes it down; two threads never share one.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/scratch_memory.h"
#include "analysis/window_table.h"

namespace korimu {

// The per-stage twiddles are the sine table's own values laid out in the order the butterflies
// use them, so that each stage reads them sequentially.
struct FftTables {
  int size = 0;
  std::vector<double> sine;      // sin(2 pi h / n) for h < n + n/4; entry h + n/4 is cos
  std::vector<int32_t> bitrev;   // i with its log2(n) bits reversed
  std::vector<double> stageCos;  // stage of half-span k: entries k..2k-1
  std::vector<double> stageSin;
  long builds = 0;
  int shortfallBytes = 0;  // what the last build that ran out of memory wanted (0: none since)
};

// realFft's split-step twiddles cos and sin of 2 pi j / N for j < N/2, kept for the last N.
struct SplitTwiddles {
  int size = 0;
  std::vector<double> cosine;
  std::vector<double> sine;
};

struct WindowCache {
  std::vector<double> table;
  int m = -1;
  WindowFunction window = WindowFunction::kRectangle;
  long builds = 0;
};

struct TransformTables {
  FftTables fft;
  SplitTwiddles split;
  WindowCache window;
  ScratchAllocator scratch;
};

}  // namespace korimu

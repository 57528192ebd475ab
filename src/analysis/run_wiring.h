// Connects the analysers to the display: the analysis and method sinks draw into the chart back
// buffer and the main window's canvas, and the analyser of the chosen method is picked per block.
#pragma once

#include "analysis/sample_block.h"

namespace korimu {

// Installs the painters of the display into the analysis and method sinks (replacing any).
void installRunWiring();

// Copies the whole plot area to the window at every step instead of only what the step drew, the
// simple way the incremental copy is compared against. Off unless a test turns it on.
void setWholePlotCopies(bool on);

// One chart block for the current method: the wavelet (blockFrames is the frames of a full
// block), MEM, DTFT, or the frame analysis for FFT and DCT.
void analyzeChartBlock(const SampleBlock& block, int blockFrames, int column, int columnsPerBlock);

}  // namespace korimu

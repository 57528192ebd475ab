// The analysis run: one Analyze command from start to end. It re-opens the file, sizes the block
// buffers, reads the file block by block from `position` (never past the end of the data chunk),
// mixes stereo blocks to mono and hands each block to the analyser of the chosen method. In the
// time-frequency chart a run fills the 512 columns from left to right; in every other view it
// analyses the one block at `position`. The listener is asked whether to stop after every block
// (and by the analysers inside long blocks).
#pragma once

#include <cstdint>

#include "run/run_listener.h"
#include "run/session.h"

namespace korimu {

// The block length in bytes for a method and view, from the file's format and the settings:
// 65536 frames for the wavelet, else timeResolution frames at 11025 Hz (or 8000 Hz for rates
// outside that family), raised to whole frames and, in the chart, never more than the chart.
uint32_t computeBlockBytes(int32_t method, int32_t view, uint32_t bytesPerSecond, int srKHz,
                           uint32_t blockAlign, int timeResolution, int framesPerColumn);

// Chart columns one block covers, and blocks one column stands for (both at least 1).
int columnsPerBlock(uint32_t blockBytes, uint32_t blockAlign, int framesPerColumn);
int blocksPerColumn(uint32_t blockBytes, uint32_t blockAlign, int framesPerColumn);

// Averages the two channels of `stereo` into `mono`, which receives monoBytes bytes: 16-bit
// frames as (left + right) / 2 truncated toward zero, 8-bit frames as floor((left + right) / 2).
void mixStereoToMono(const uint8_t* stereo, uint8_t* mono, uint32_t monoBytes, bool sixteenBit);
// The same from sample-buffer slot 0 into slot 1, for the open file's sample width.
void monoMix(WaveSession& wave, uint32_t monoBytes);

// The analyser whose spectrum a single block's run draws over the frame analysis's FFT: MEM in
// every spectrum view, DTFT in the log spectrum; kFft when none does (and in the wave zoom).
int32_t overlayMethod(int32_t method, int32_t view);

// One analysis run of the open file under the settings as they are when it starts, for the
// session that keeps what runs carry over.
void runAnalysis(Session& session, RunListener& listener);

}  // namespace korimu

// The analysis run: one Analyze command from start to end. It re-opens the file, sizes the block
// buffers, reads the file block by block from `position` (never past the end of the data chunk),
// mixes stereo blocks to mono and hands each block to the analyser of the chosen method. In the
// time-frequency chart a run fills the 512 columns from left to right; in every other view it
// analyses the one block at `position`. One pending event is handled after every block.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "analysis/sample_block.h"

namespace korimu {

// What a run asks of the front end beyond the shell hooks. Every member may be empty.
struct RunHooks {
  // The check mark and the enabled state of a menu item.
  std::function<void(int id, bool checked)> checkMenuItem;
  std::function<void(int id, bool enabled)> enableMenuItem;
  // Text at (x, y) of the waveform overview window (diagnostic numbers).
  std::function<void(int x, int y, const std::string& text)> overviewText;
  // Each block just before its analysis, with the chart column and width it is drawn at
  // (0 and 0 outside the chart).
  std::function<void(const SampleBlock& block, int column, int columnsPerBlock)> blockRead;
};
extern RunHooks runHooks;

// Bytes of one analysis block of the current run.
extern uint32_t blockBytes;

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
void monoMix(uint32_t monoBytes);

// One analysis run of the open file under the current settings.
void runAnalysis();

}  // namespace korimu

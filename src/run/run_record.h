// What one run computed, kept for everything that shows or saves it: the run's own parameters
// (taken once when it started, so later changes to the settings do not reach them), and the
// numbers its painters drew from. The picture, the CSV and the cross-section all come from here;
// nothing is read back from a surface.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/analysis_params.h"
#include "analysis/spectrum_frame.h"
#include "core/chart_placement.h"
#include "core/layout.h"
#include "core/sample_rate.h"
#include "platform/canvas.h"

namespace korimu {

// The chart fills the plot: one column per plot column, one row per plot row.
inline constexpr int kChartColumns = kPlotWidth;
inline constexpr int kChartRows = kPlotHeight;

// How the run analysed, and what it read.
struct RunParameters {
  AnalysisParams analysis;  // method, view, block order, window, scale, gain, pink, autocorrelation
  int timeResolution = 1024;
  int framesPerColumn = 512;
  // The frames the chart's columns cover: 512 x framesPerColumn, or for the whole recording
  // exactly the frames from the position to its end.
  int64_t spanFrames = 512 * 512;
  bool wholeSpan = false;
  bool lineGraph = false;  // meters: line points are mean depths, bars the loudest bin
  std::string fileName;
  // What the file is when it is not the WAV that was read (a decoded copy's source), as the
  // format check names it; empty for a WAV read directly.
  std::string sourceDescription;
  // The format of the samples read.
  int formatTag = 1;
  int srKHz = 0;
  int bitsPerSample = 16;
  int channels = 1;
  uint32_t bytesPerSecond = 0;
  uint32_t blockAlign = 0;
  uint32_t position = 0;  // byte offset in the data chunk where the run started
  uint32_t blockBytes = 0;

  SampleRate rate() const { return SampleRate(srKHz); }
  // Where the chart's blocks were read and which samples each column shows.
  ChartPlacement placement() const {
    return chartPlacement(position, blockAlign, blockBytes, framesPerColumn, spanFrames, wholeSpan);
  }
  // Byte offset in the data chunk of the samples chart column `column` shows.
  uint64_t columnBytePosition(int column) const { return placement().columnBytePosition(column); }
  double secondsAt(uint64_t bytes) const {
    return bytesPerSecond == 0 ? 0.0 : double(bytes) / bytesPerSecond;
  }
};

// A power in decibels against the power drawn as 0 dB (-inf for no power at all).
inline double decibelsOf(double power, double zeroDbPower) {
  return 10.0 * std::log10(power / zeroDbPower);
}

// One band of a meter as drawn: the bins [firstBin, endBin), the depth its bar (the loudest bin)
// or its line point (the mean depth) stands at, and the power that depth stands for.
struct MeterBandResult {
  int firstBin = 0;
  int endBin = 0;
  double depth = 255.0;
  double power = 0.0;
};

// One analysed block of the chart: where it was read, the columns it was drawn into, its peak
// and the power its method draws at 0 dB.
struct ChartBlock {
  uint64_t bytePosition = 0;
  int column = 0;
  int width = 0;
  bool peakShown = false;
  double peakFrequency = 0.0;
  double peakPower = 0.0;
  double zeroDbPower = 1.0;
};

// The chart's cells, row 0 the top: the depth each cell is drawn at, the power that depth came
// from and the block that drew it (-1 for a cell no block drew, which shows the cleared chart).
// Only a chart run has them (a megabyte and more): `allocate` gives it the cleared chart. The
// powers and blocks are the chart's numbers, kept unless the run is told that no one reads them
// (a render that writes only the picture).
struct ChartCells {
  std::vector<uint8_t> depths;
  std::vector<double> powers;
  std::vector<int16_t> blocks;

  void allocate(bool keepNumbers) {
    const size_t count = size_t{kChartRows} * kChartColumns;
    depths.assign(count, 255);
    if (!keepNumbers) return;
    powers.assign(count, 0.0);
    blocks.assign(count, -1);
  }
  bool allocated() const { return !depths.empty(); }
  bool numbersKept() const { return !blocks.empty(); }
  static size_t at(int row, int column) { return size_t(row) * kChartColumns + size_t(column); }
  // The power and block of a cell no block drew.
  double power(size_t i) const { return numbersKept() ? powers[i] : 0.0; }
  int block(size_t i) const { return numbersKept() ? blocks[i] : -1; }
  void set(int row, int column, uint8_t depth, double power, int block) {
    const size_t i = at(row, column);
    depths[i] = depth;
    if (!numbersKept()) return;
    powers[i] = power;
    blocks[i] = int16_t(block);
  }
};

struct RunRecord {
  bool drawn = false;     // a run started drawing (the rest is meaningless before)
  bool complete = false;  // the run reached its end (stopped runs keep what they drew)
  RunParameters run;

  bool peakShown = false;
  double peakFrequency = 0.0;
  double peakPower = 0.0;

  // The last spectrum drawn (meters and spectrum views): linear bins of the FFT or DCT, or the
  // log-spaced (or MEM's linear) points of MEM and DTFT, with their powers and frequencies.
  SpectrumFrame spectrum;
  bool spectrumPoints = false;  // drawn as points (MEM, DTFT) rather than FFT/DCT bins
  // The meter's bands, the highest first (the rightmost bar).
  std::vector<MeterBandResult> bands;

  // Waveform zoom: one row and one value per sample or lag.
  std::vector<uint8_t> waveRows;
  std::vector<double> waveValues;

  // Chart: the blocks in the order analysed, the columns drawn from the left, the cells, and
  // each row's frequency (row 0 the top).
  std::vector<ChartBlock> chartBlocks;
  int chartColumns = 0;
  ChartCells chartCells;
  std::array<double, kChartRows> chartRowFrequencies{};
  // The colour of each row (row 0 the top) of the cleared chart, which a cell no block drew
  // shows: white, or the note rows and grid lines of the frequency axis.
  std::array<Rgb, kChartRows> chartClearColours{};
  // Where the data ended before the chart did: from this column on the cells show no sound
  // (white with the grid rows) in these colours. kChartColumns when the chart was filled or
  // stopped.
  int chartEmptyFrom = kChartColumns;
  std::array<Rgb, kChartRows> chartEmptyColours{};
};

}  // namespace korimu

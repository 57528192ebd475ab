// The numbers behind one run's picture, kept for whoever saves them: what the run analysed, the
// spectrum or waveform rows it drew last, its peak readout and the chart's depths as painted.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/analysis_params.h"
#include "analysis/spectrum_frame.h"
#include "core/layout.h"

namespace korimu {

// The chart fills the plot: one column per plot column, one row per plot row.
inline constexpr int kChartColumns = kPlotWidth;
inline constexpr int kChartRows = kPlotHeight;

struct RunRecord {
  bool drawn = false;     // a run started drawing (the rest is meaningless before)
  bool complete = false;  // the run reached its end (stopped runs keep what they drew)
  AnalysisParams params;  // as the run made them from the settings
  std::string fileName;
  // The file's format and where the run read.
  int formatTag = 1;
  int srKHz = 0;
  int bitsPerSample = 16;
  int channels = 1;
  uint32_t bytesPerSecond = 0;
  uint32_t blockAlign = 0;
  uint32_t position = 0;
  uint32_t blockBytes = 0;
  int framesPerColumn = 512;
  bool lineGraph = false;  // meters: line points are mean depths, bars the loudest bin

  bool peakShown = false;
  double peakFrequency = 0.0;
  double peakPower = 0.0;

  // The last spectrum drawn (meters and spectrum views): linear bins of the FFT or DCT, or the
  // log-spaced (or MEM's linear) points of MEM and DTFT.
  SpectrumFrame spectrum;
  bool spectrumPoints = false;  // drawn as points (MEM, DTFT) rather than FFT/DCT bins

  // Waveform zoom: one row and one value per sample or lag.
  std::vector<uint8_t> waveRows;
  std::vector<double> waveValues;

  // Chart: the columns painted from the left, each column's depths top row first, read back
  // from the back buffer the way the cross-section reads it, and each row's frequency.
  int chartColumns = 0;
  std::vector<uint8_t> chartDepths;  // [row * kChartColumns + column], row 0 the top
  std::array<double, kChartRows> chartRowFrequencies{};
};

}  // namespace korimu

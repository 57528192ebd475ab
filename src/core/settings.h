// The record of user choices. Its owner (the window's session, or a render's) passes it to what
// reads it. Seven of its fields persist in KORIMU.INI (the settings file code owns the file's keys
// and codes); the rest start from fixed defaults on every run.

#pragma once

#include <cstdint>

namespace korimu {

enum AnalysisMethod : int32_t { kFft = 0, kMem = 1, kWt = 2, kDct = 3, kDtft = 4 };

// View modes are identified by their View-menu command ids.
enum ViewMode : int32_t {
  kWaveZoom = 1106,
  kLevelMeter = 1107,
  kSpectrumLinear = 1108,
  kSpectrumLog = 1109,
  kTimeFrequencyChart = 1110,
};

// Graph styles are identified by their View-menu command ids.
enum GraphStyle : int32_t { kLineGraph = 1113, kBarGraph = 1114 };

// How a power is turned into a height: its square root, the power itself, or its logarithm.
enum class SpectrumScale : int32_t { kAmplitude = 0, kPower = 1, kLog = 2 };

// The analysis windows, in the order the Options dialog lists them.
enum class WindowFunction : int32_t {
  kHanning = 0,
  kHamming = 1,
  kBlackman = 2,
  kTriangle = 3,
  kRectangle = 4,
  kGauss424 = 5,
  kGauss650 = 6,
};

// The width of graph lines and of the narrowest bars.
enum class LineWidth : int32_t { kThin = 1, kThick = 2 };

constexpr int pixels(LineWidth width) {
  return width == LineWidth::kThick ? 2 : 1;
}

struct AppSettings {
  // Persistent.
  bool colorScale = false;  // spectra and charts in note colours instead of grey
  bool onMem = false;       // read the whole file into memory
  int32_t memSize = 15;     // the memory the samples may take, in MB
  bool dialog3d = true;     // dialogs with the three-dimensional look
  LineWidth lineWidth = LineWidth::kThin;
  ViewMode display = kWaveZoom;
  WindowFunction windowFunction = WindowFunction::kHanning;
  // Per run.
  AnalysisMethod method = kFft;
  int32_t timeResolution = 1024;  // the analysis step in samples at 11025 Hz
  int32_t blockOrder = 10;        // the transform has 2^blockOrder points
  SpectrumScale spectrumType = SpectrumScale::kLog;
  int32_t musicalKey = 0;            // 0 to 11: the key the note colours start from
  bool autocorrelation = false;      // analyse each block's autocorrelation
  int32_t playBufferSeconds = 2048;  // the playback buffer in samples at 11025 Hz
  int32_t playSpeed = 0;             // -240 to 0: speed 2^(playSpeed / 120)
  bool pinkNoiseFlat = false;        // +3 dB per octave, so that pink noise draws flat
  GraphStyle graphStyle = kBarGraph;
  int32_t framesPerColumn = 512;
  // The span is the whole file from the position ("全体"): framesPerColumn follows the file and
  // the position.
  bool wholeSpan = false;
  int32_t amplitudeZoom = 1;  // 1 or 2: vertical zoom of the overview
  int32_t displayGain = 1;    // 0 automatic, 1..3 the gain steps
};

}  // namespace korimu

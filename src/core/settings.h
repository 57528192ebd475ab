// The one record of user choices that every module reads. All fields are 32-bit ints; seven of
// them persist in KORIMU.INI, the rest start from fixed defaults on every run.
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

enum GraphStyle : int32_t { kLineGraph = 1113, kBarGraph = 1114 };

struct AppSettings {
  // Persistent (KORIMU.INI, section "KORIMU").
  int32_t colorScale = 0;
  int32_t onMem = 0;
  int32_t memSize = 15;
  int32_t dialog3d = 1;
  int32_t futosa = 1;
  int32_t display = kWaveZoom;
  int32_t mado = 0;
  // Per run.
  int32_t method = kFft;
  int32_t timeResolution = 1024;
  int32_t blockOrder = 10;
  int32_t spectrumType = 2;
  int32_t musicalKey = 0;
  int32_t autocorrelation = 0;
  int32_t playBufferSeconds = 2048;
  int32_t playSpeed = 0;
  int32_t pinkNoiseFlat = 0;
  int32_t graphStyle = kBarGraph;
  int32_t framesPerColumn = 512;
  int32_t amplitudeZoom = 1;
  int32_t displayGain = 1;
};

// The process-wide settings record.
extern AppSettings settings;

}  // namespace korimu

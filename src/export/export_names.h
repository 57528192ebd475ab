// The words that name views and methods on the command line and in saved files, and the name
// proposed for a saved picture or table: "<file>-<view>-<method>.<ext>" beside the recording.
#pragma once

#include <cstdint>
#include <string>

namespace korimu {

// "wave-zoom", "level-meter", "spectrum-linear", "spectrum-log", "chart" ("" when unknown).
const char* viewWord(int32_t view);
// "fft", "mem", "wt", "dct", "dtft" ("" when unknown).
const char* methodWord(int32_t method);
// "amplitude", "power", "log".
const char* scaleWord(int32_t scale);

// recording "/a/b/take 1.wav", chart, FFT, "png" -> "/a/b/take 1-chart-fft.png".
std::string proposedExportName(const std::string& recording, int32_t view, int32_t method,
                               const std::string& extension);

}  // namespace korimu

#include "export/export_names.h"

#include <filesystem>

#include "core/settings.h"

namespace korimu {

const char* viewWord(int32_t view) {
  switch (view) {
    case kWaveZoom:
      return "wave-zoom";
    case kLevelMeter:
      return "level-meter";
    case kSpectrumLinear:
      return "spectrum-linear";
    case kSpectrumLog:
      return "spectrum-log";
    case kTimeFrequencyChart:
      return "chart";
    default:
      return "";
  }
}

const char* methodWord(int32_t method) {
  switch (method) {
    case kFft:
      return "fft";
    case kMem:
      return "mem";
    case kWt:
      return "wt";
    case kDct:
      return "dct";
    case kDtft:
      return "dtft";
    default:
      return "";
  }
}

const char* scaleWord(int32_t scale) {
  switch (scale) {
    case 0:
      return "amplitude";
    case 1:
      return "power";
    default:
      return "log";
  }
}

std::string proposedExportName(const std::string& recording, int32_t view, int32_t method,
                               const std::string& extension) {
  const std::filesystem::path path(recording);
  const std::string stem = path.stem().string();
  const std::string name = (stem.empty() ? std::string("korimu") : stem) + "-" + viewWord(view) +
                           "-" + methodWord(method) + "." + extension;
  return (path.parent_path() / name).string();
}

}  // namespace korimu

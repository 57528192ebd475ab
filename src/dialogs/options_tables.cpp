#include "dialogs/options_tables.h"

#include <algorithm>
#include <cmath>

#include "core/settings_file.h"
#include "platform/message.h"

namespace korimu {

std::string blockOrderText(int index, bool wavelet) {
  if (index < 0 || index >= kBlockOrderRowCount) return {};
  if (wavelet) return kWaveletResolutionTexts[size_t(index)];
  const int lines = 1 << (kFirstBlockOrder + index - 1);
  return formatText("%5d", lines);
}

int timeRowOfValue(int32_t value, int rowCount) {
  for (int i = 0; i < rowCount && i < int(kTimeResolutionRows.size()); ++i) {
    if (kTimeResolutionRows[size_t(i)].value == value) return i;
  }
  return -1;
}

std::string speedReadout(int32_t playSpeed) {
  return formatText("%.1f%%", std::pow(2.0, playSpeed / 120.0) * 100.0);
}

int32_t speedAfterScroll(int32_t current, ScrollCode code, int thumbPosition) {
  int32_t next = current;
  switch (code) {
    case ScrollCode::kLineLeft:
      next -= 1;
      break;
    case ScrollCode::kLineRight:
      next += 1;
      break;
    case ScrollCode::kPageLeft:
      next -= 10;
      break;
    case ScrollCode::kPageRight:
      next += 10;
      break;
    case ScrollCode::kThumbPosition:
    case ScrollCode::kThumbTrack:
      next = int16_t(uint16_t(thumbPosition));
      break;
    case ScrollCode::kOther:
      break;
  }
  return std::clamp(next, kSlowestSpeed, int32_t{0});
}

int32_t memSizeFromText(std::string_view text, uint16_t winVersion) {
  int32_t value = 0;
  for (size_t i = 0; i < text.size() && i < 3; ++i) {
    if (text[i] < '0' || text[i] > '9') break;
    value = value * 10 + (text[i] - '0');
  }
  return clampedMemSize(value, winVersion);
}

bool applyOptionsChoice(const OptionsChoice& c, AppSettings& s, uint16_t winVersion,
                        ViewMode* previousView) {
  s.spectrumType = c.spectrumType;
  s.autocorrelation = c.autocorrelation;
  // A list without a selection keeps what was stored.
  if (c.keyIndex >= 0 && c.keyIndex < int(kMusicalKeyNames.size())) s.musicalKey = c.keyIndex;
  if (c.windowIndex >= 0 && c.windowIndex < int(kWindowFunctionNames.size())) {
    s.windowFunction = WindowFunction(c.windowIndex);
  }
  if (c.blockOrderIndex >= 0 && c.blockOrderIndex < kBlockOrderRowCount) {
    s.blockOrder = c.blockOrderIndex + kFirstBlockOrder;
  }
  if (c.timeResolutionIndex >= 0 && c.timeResolutionIndex < int(kTimeResolutionRows.size())) {
    s.timeResolution = kTimeResolutionRows[size_t(c.timeResolutionIndex)].value;
  }
  if (c.playBufferIndex >= 0 && c.playBufferIndex < kPlayBufferRowCount) {
    s.playBufferSeconds = kTimeResolutionRows[size_t(c.playBufferIndex)].value;
  }
  s.onMem = c.onMem;
  s.memSize = memSizeFromText(c.memSizeText, winVersion);
  s.method = c.method;
  if (previousView) *previousView = s.display;
  if (s.method != kWt) return false;
  // A wavelet run always draws the time-frequency chart.
  s.display = kTimeFrequencyChart;
  return true;
}

}  // namespace korimu

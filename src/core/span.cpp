#include "core/span.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/layout.h"

namespace korimu {

std::string spanLabel(int64_t frames) {
  std::string digits;
  if (frames > kWidestFixedSpanFrames && frames % (int64_t{1} << 30) == 0)
    digits = std::to_string(frames >> 30) + "G";
  else if (frames > kWidestFixedSpanFrames && frames % (int64_t{1} << 20) == 0)
    digits = std::to_string(frames >> 20) + "M";
  else
    digits = std::to_string(frames);
  return std::string(digits.size() < 6 ? 6 - digits.size() : 0, ' ') + digits;
}

std::string spanLabelWithin(int64_t frames, int cells) {
  std::string label = spanLabel(frames);
  if (int(label.size()) <= cells) return label;
  const bool giga = frames >= int64_t{1} << 30;
  const double units = double(frames) / double(int64_t{1} << (giga ? 30 : 20));
  for (int decimals = 1; decimals >= 0; --decimals) {
    char text[32];
    const int length =
        std::snprintf(text, sizeof text, "%.*f%c", decimals, units, giga ? 'G' : 'M');
    label = std::string(length < 6 ? size_t(6 - length) : 0, ' ') + text;
    if (int(label.size()) <= cells) break;
  }
  return label;
}

std::vector<std::string> spanLabels(uint64_t fileFrames) {
  // Without a file the list is the control bar's eleven.
  std::vector<std::string> labels;
  if (fileFrames > 0) labels.emplace_back(kWholeSpanLabel);
  // The widest power first: the smallest one that holds the whole file.
  int64_t widest = kWidestFixedSpanFrames;
  while (widest < kWidestSpanFrames && uint64_t(widest) < fileFrames) widest *= 2;
  for (int64_t frames = widest; frames >= 512; frames /= 2) labels.push_back(spanLabel(frames));
  return labels;
}

SpanChoice spanOfLabel(std::string_view label) {
  const size_t first = label.find_first_not_of(' ');
  const size_t last = label.find_last_not_of(' ');
  SpanChoice choice;
  if (first == std::string_view::npos) return choice;
  const std::string_view text = label.substr(first, last - first + 1);
  if (text == "全体" || text == "whole") {
    choice.valid = choice.whole = true;
    return choice;
  }
  int64_t unit = 1;
  std::string_view digits = text;
  if (digits.back() == 'M' || digits.back() == 'G') {
    unit = digits.back() == 'M' ? int64_t{1} << 20 : int64_t{1} << 30;
    digits.remove_suffix(1);
  }
  if (digits.empty() || digits.size() > 10 ||
      digits.find_first_not_of("0123456789") != std::string_view::npos)
    return choice;
  const int64_t frames = std::strtoll(std::string(digits).c_str(), nullptr, 10) * unit;
  choice.valid = frames >= 512 && frames <= kWidestSpanFrames && (frames & (frames - 1)) == 0;
  choice.frames = choice.valid ? frames : 0;
  return choice;
}

int32_t wholeSpanFramesPerColumn(uint64_t framesLeft) {
  const uint64_t perColumn = (framesLeft + kPlotWidth - 1) / kPlotWidth;
  return int32_t(std::clamp<uint64_t>(perColumn, 1, INT32_MAX));
}

int32_t wholeSpanFramesPerColumn(uint32_t dataSize, uint32_t blockAlign, uint32_t position) {
  const uint32_t left = dataSize - std::min(position, dataSize);
  return wholeSpanFramesPerColumn(uint64_t{blockAlign != 0 ? left / blockAlign : 0});
}

}  // namespace korimu

#include "control/navigation.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace korimu {

namespace {

// Offset of the last whole frame; 0 when the data is shorter than one frame.
uint32_t lastFrame(const DataExtent& e) {
  return e.dataSize >= e.blockAlign ? e.dataSize - e.blockAlign : 0;
}

// position + step stays inside the data (compared without 32-bit overflow).
bool staysInside(uint32_t position, uint32_t step, const DataExtent& e) {
  return uint64_t{position} + step < e.dataSize;
}

}  // namespace

bool isNavigationCommand(int id) {
  return id >= kStepBack && id <= kFastForward;
}

uint32_t navigatedPosition(int command, uint32_t position, const DataExtent& e) {
  const uint32_t block210 = 210u * e.blockAlign;
  switch (command) {
    case kStepBack:
      return position >= e.blockAlign ? position - e.blockAlign : lastFrame(e);
    case kBack:
      return block210 <= position ? position - block210 : 0;
    case kFastBack:
      return position >= e.bytesPerSecond ? position - e.bytesPerSecond : 0;
    case kStepForward:
      return staysInside(position, e.blockAlign, e) ? position + e.blockAlign : 0;
    case kForward:
      return staysInside(position, block210, e) ? position + block210 : lastFrame(e);
    case kFastForward:
      return staysInside(position, e.bytesPerSecond, e) ? position + e.bytesPerSecond
                                                        : lastFrame(e);
    default:
      return position;
  }
}

uint32_t positionUnderStripX(double x, uint32_t position, int64_t framesPerColumn,
                             const DataExtent& e) {
  if (e.blockAlign == 0 || !(x >= 0)) return position;
  const auto frames =
      static_cast<uint64_t>(std::llround(x * double(std::max<int64_t>(framesPerColumn, 1))));
  const uint64_t wanted = uint64_t{position} + frames * e.blockAlign;
  return static_cast<uint32_t>(std::min<uint64_t>(wanted, lastFrame(e)));
}

uint32_t positionBackByStripX(double x, uint32_t position, int64_t framesPerColumn,
                              const DataExtent& e) {
  if (e.blockAlign == 0 || !(x >= 0)) return position;
  const auto frames =
      static_cast<uint64_t>(std::llround(x * double(std::max<int64_t>(framesPerColumn, 1))));
  const uint64_t back = frames * e.blockAlign;
  return back >= position ? 0 : position - uint32_t(back);
}

uint32_t positionAfterSpanMove(SpanMove move, int count, uint32_t position, int64_t spanFrames,
                               const DataExtent& e) {
  if (e.blockAlign == 0) return position;
  const uint64_t spanBytes = uint64_t(std::max<int64_t>(spanFrames, 1)) * e.blockAlign;
  const uint64_t dataEnd = uint64_t(lastFrame(e)) + e.blockAlign;
  const uint64_t lastSpan = spanBytes >= dataEnd ? 0 : dataEnd - spanBytes;
  uint64_t stepBytes = spanBytes;
  switch (move) {
    case SpanMove::kToStart:
      return 0;
    case SpanMove::kToEnd:
      return uint32_t(lastSpan);
    case SpanMove::kBySpans:
      break;
    case SpanMove::kByTenths:
      // A tenth of the span in whole frames, at least one.
      stepBytes = std::max<uint64_t>(spanBytes / e.blockAlign / 10, 1) * e.blockAlign;
      break;
  }
  const uint64_t distance = stepBytes * uint64_t(std::abs(int64_t{count}));
  if (count < 0) return distance >= position ? 0 : position - uint32_t(distance);
  const uint64_t limit = std::max<uint64_t>(position, lastSpan);
  return uint32_t(std::min<uint64_t>(uint64_t{position} + distance, limit));
}

std::optional<double> secondsOfTimeText(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::vector<std::string_view> fields;
  for (size_t start = 0;;) {
    const size_t colon = text.find(':', start);
    fields.push_back(text.substr(start, colon == std::string_view::npos ? colon : colon - start));
    if (colon == std::string_view::npos) break;
    start = colon + 1;
  }
  if (fields.size() > 3) return std::nullopt;
  double seconds = 0;
  for (size_t i = 0; i < fields.size(); ++i) {
    const std::string_view field = fields[i];
    const bool last = i + 1 == fields.size();
    // Only the seconds may have a fraction; no field may have a sign.
    if (field.empty() || field.front() == '-' || field.front() == '+' ||
        (!last && field.find('.') != std::string_view::npos))
      return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size() || !std::isfinite(value))
      return std::nullopt;
    if (i > 0 && value >= 60) return std::nullopt;
    seconds = seconds * 60 + value;
  }
  return seconds;
}

std::string timeTextOfSeconds(double seconds) {
  const auto millis = static_cast<int64_t>(std::llround(std::max(seconds, 0.0) * 1000));
  char text[48];
  std::snprintf(text, sizeof text, "%lld:%02d.%03d", static_cast<long long>(millis / 60000),
                int(millis / 1000 % 60), int(millis % 1000));
  return text;
}

uint32_t positionAtSeconds(double seconds, const DataExtent& e) {
  if (e.blockAlign == 0 || !(seconds > 0)) return 0;
  const double frames = std::floor(seconds * double(e.bytesPerSecond) / e.blockAlign + 0.5);
  const double bytes = frames * e.blockAlign;
  return bytes >= double(lastFrame(e)) ? lastFrame(e) : uint32_t(bytes);
}

}  // namespace korimu

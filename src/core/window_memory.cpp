#include "core/window_memory.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/settings.h"
#include "core/settings_file.h"
#include "core/span.h"

namespace korimu {

namespace {

constexpr std::string_view kSection = kWindowMemorySection;

std::optional<int32_t> readInt(const IniDocument& document, std::string_view key) {
  const std::optional<std::string> text = document.get(kSection, key);
  if (!text || text->empty()) return std::nullopt;
  // Only plain decimal numbers: "12abc" is damaged, not 12.
  const std::string_view digits = (*text)[0] == '-' ? std::string_view(*text).substr(1) : *text;
  if (digits.empty() || digits.size() > 9 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return profileInteger(*text);
}

// The value when it is one the window can take, else the fallback.
template <typename Valid>
int32_t readChoice(const IniDocument& document, std::string_view key, int32_t fallback,
                   Valid valid) {
  const std::optional<int32_t> value = readInt(document, key);
  return value && valid(*value) ? *value : fallback;
}

std::string recentKey(size_t index) {
  return "Recent" + std::to_string(index + 1);
}

// A path the file can give back as it was: one line, without blanks or quotes the reading of a
// value would take away.
bool storable(const std::string& path) {
  if (path.empty() || path[0] != '/' || path.find_first_of("\r\n") != std::string::npos)
    return false;
  const char last = path.back();
  return last != ' ' && last != '\t' && !(last == '"' || last == '\'');
}

bool timeResolutionListed(int32_t samples) {
  // 32768, 16384, ... 32: the Options dialog's eleven steps.
  return samples >= 32 && samples <= 32768 && (samples & (samples - 1)) == 0;
}

}  // namespace

void readWindowMemory(const IniDocument& document, AppSettings& settings, WindowMemory& memory) {
  const AppSettings defaults;
  settings.method = AnalysisMethod(readChoice(document, "Method", defaults.method,
                                              [](int32_t m) { return m >= kFft && m <= kDtft; }));
  settings.blockOrder = readChoice(document, "BlockOrder", defaults.blockOrder,
                                   [](int32_t order) { return order >= 8 && order <= 16; });
  settings.timeResolution =
      readChoice(document, "TimeResolution", defaults.timeResolution, timeResolutionListed);
  settings.playSpeed = readChoice(document, "PlaySpeed", defaults.playSpeed,
                                  [](int32_t speed) { return speed >= -240 && speed <= 0; });
  // The file keeps the label without its blanks; the list shows it six cells wide.
  const std::optional<std::string> span = document.get(kSection, "Span");
  const SpanChoice choice = span ? spanOfLabel(*span) : SpanChoice{};
  memory.span = !choice.valid  ? std::string()
                : choice.whole ? std::string(kWholeSpanLabel)
                               : spanLabel(choice.frames);
  const std::optional<int32_t> x = readInt(document, "WindowX");
  const std::optional<int32_t> y = readInt(document, "WindowY");
  memory.place = x && y ? std::optional(WindowPlace{*x, *y}) : std::nullopt;
  const std::optional<std::string> language = document.get(kSection, "Language");
  memory.language = languageOfCode(language.value_or("")).value_or(Language::kJapanese);
  memory.recent.clear();
  for (size_t i = 0; i < kRecentFileCount; ++i) {
    const std::optional<std::string> path = document.get(kSection, recentKey(i));
    // Only absolute paths, each once: anything else was not written by the window.
    if (path && storable(*path) &&
        std::find(memory.recent.begin(), memory.recent.end(), *path) == memory.recent.end())
      memory.recent.push_back(*path);
  }
}

void writeWindowMemory(IniDocument& document, const AppSettings& settings,
                       const WindowMemory& memory) {
  const auto put = [&](std::string_view key, const std::string& value) {
    document.set(kSection, key, value);
  };
  put("Method", std::to_string(int32_t(settings.method)));
  put("BlockOrder", std::to_string(settings.blockOrder));
  put("TimeResolution", std::to_string(settings.timeResolution));
  put("PlaySpeed", std::to_string(settings.playSpeed));
  const size_t first = memory.span.find_first_not_of(' ');
  put("Span", first == std::string::npos ? std::string() : memory.span.substr(first));
  put("WindowX", memory.place ? std::to_string(memory.place->x) : std::string());
  put("WindowY", memory.place ? std::to_string(memory.place->y) : std::string());
  put("Language", std::string(languageCode(memory.language)));
  std::vector<std::string> recent;
  for (const std::string& path : memory.recent)
    if (storable(path) && recent.size() < kRecentFileCount) recent.push_back(path);
  // Paths are the only values without a bound: the oldest go until the file fits.
  for (size_t kept = recent.size();; --kept) {
    for (size_t i = 0; i < kRecentFileCount; ++i)
      put(recentKey(i), i < kept ? recent[i] : std::string());
    if (kept == 0 || document.text().size() <= kProfileSizeLimit) break;
  }
}

void rememberRecentFile(std::vector<std::string>& recent, const std::string& path) {
  if (path.empty()) return;
  recent.erase(std::remove(recent.begin(), recent.end(), path), recent.end());
  recent.insert(recent.begin(), path);
  if (recent.size() > kRecentFileCount) recent.resize(kRecentFileCount);
}

}  // namespace korimu

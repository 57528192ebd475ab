// The settings file on any text: loading holds every value to its domain, a document reads back
// byte for byte, saving keeps every line that is not one of the seven keys (with its own line
// end, in order), what was saved loads again, and saving twice changes nothing more.
#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings.h"
#include "core/settings_file.h"
#include "fuzz_support.h"
#include "platform/ini_profile.h"

using namespace korimu;

namespace {

struct Line {
  std::string text;
  std::string end;
};

// The lines of a text split at LF, CR LF and lone CR (a leading byte-order mark left out).
std::vector<Line> linesOf(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<Line> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back({std::string(text.substr(start)), ""});
      break;
    }
    const size_t length = text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
    lines.push_back(
        {std::string(text.substr(start, end - start)), std::string(text.substr(end, length))});
    start = end + length;
  }
  return lines;
}

bool sameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Whether saving may rewrite this line: it names one of the seven keys before an "=".
bool mayBeRewritten(const std::string& line) {
  const size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  std::string_view key(line.data(), eq);
  while (!key.empty() && (key.front() == ' ' || key.front() == '\t')) key.remove_prefix(1);
  while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.remove_suffix(1);
  for (const char* name :
       {"ColorScale", "OnMem", "MemSize", "dialog3d", "futosa", "display", "mado"})
    if (sameKey(key, name)) return true;
  return false;
}

std::string fileText(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::array<int32_t, 7> persistent(const AppSettings& s) {
  return {s.colorScale,
          s.onMem,
          s.memSize,
          s.dialog3d,
          pixels(s.lineWidth),
          s.display,
          int32_t(s.windowFunction)};
}

void checkDomains(const AppSettings& s, uint16_t version) {
  fuzz::check(s.memSize >= 2 && s.memSize <= (version <= 0x30B ? 15 : 255), "MemSize range");
  fuzz::check(s.lineWidth == LineWidth::kThin || s.lineWidth == LineWidth::kThick, "line width");
  fuzz::check(s.display >= kWaveZoom && s.display <= kTimeFrequencyChart, "display a view");
  fuzz::check(int(s.windowFunction) >= 0 && int(s.windowFunction) <= 6, "a window function");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string original(reinterpret_cast<const char*>(data), size);
  const uint16_t version = size % 2 ? 0x400 : 0x30B;

  IniDocument document;
  document.parse(original);
  fuzz::check(document.text() == original, "a document reads back byte for byte");

  const std::string& file = fuzz::writeInput(data, size);
  AppSettings settings;
  fuzz::check(loadSettingsFrom(file, version, settings) == ProfileStatus::kRead,
              "the file is read");
  checkDomains(settings, version);

  // New values in their domains, chosen by the input.
  const uint8_t pick = size ? data[size / 2] : 0;
  settings.colorScale = pick & 1;
  settings.onMem = pick >> 1 & 1;
  settings.memSize = 2 + pick % 14;
  // Older systems neither read nor write dialog3d; it stays 1 there.
  settings.dialog3d = version >= 0x35F ? pick >> 2 & 1 : 1;
  settings.lineWidth = pick >> 3 & 1 ? LineWidth::kThick : LineWidth::kThin;
  settings.display = ViewMode(kWaveZoom + pick % 5);
  settings.windowFunction = WindowFunction(pick % 7);
  const auto saved = persistent(settings);
  fuzz::check(saveSettingsTo(file, version, settings), "the file is written");
  const std::string after = fileText(file);

  // Every line that is not one of the seven keys is still there, in order, with its line end
  // (a last line without one may have gained one).
  const std::vector<Line> before = linesOf(original), now = linesOf(after);
  size_t next = 0;
  for (const Line& line : before) {
    if (mayBeRewritten(line.text)) continue;
    while (next < now.size() &&
           !(now[next].text == line.text && (now[next].end == line.end || line.end.empty())))
      ++next;
    fuzz::check(next < now.size(), "a line that is not a setting was kept");
    ++next;
  }
  fuzz::check((original.rfind("\xEF\xBB\xBF", 0) == 0) == (after.rfind("\xEF\xBB\xBF", 0) == 0),
              "the byte-order mark is kept");

  settings = AppSettings{};
  loadSettingsFrom(file, version, settings);
  fuzz::check(persistent(settings) == saved, "what was saved loads again");
  fuzz::check(saveSettingsTo(file, version, settings) && fileText(file) == after,
              "a second save is the same");
  return 0;
}

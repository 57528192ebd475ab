#include "core/settings_file.h"

#include <cstdlib>
#include <limits>
#include <string>

#include "core/app_state.h"
#include "core/settings.h"
#include "platform/ini_profile.h"

namespace korimu {

namespace {

constexpr char kSection[] = "KORIMU";
constexpr uint16_t kNewShellVersion = 0x35F;
constexpr uint16_t kOldestBigMemoryVersion = 0x30B;  // this and older allow at most 15 MB

int32_t readInt(const IniDocument& document, const char* key, const char* defaultValue) {
  const auto value = document.get(kSection, key);
  std::string text = value ? *value : defaultValue;
  // Values are read through a 32-byte buffer.
  if (text.size() > 31) text.resize(31);
  return profileInteger(text);
}

}  // namespace

int32_t profileInteger(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                             text[i] == '\r' || text[i] == '\v' || text[i] == '\f'))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t(std::numeric_limits<int32_t>::max()) + 1) break;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return int32_t(value);
}

std::filesystem::path settingsFilePath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config) return std::filesystem::path(config) / "korimu" / "KORIMU.INI";
  const char* home = std::getenv("HOME");
  if (home && *home) return std::filesystem::path(home) / ".config" / "korimu" / "KORIMU.INI";
  return "KORIMU.INI";
}

int32_t clampedMemSize(int32_t value, uint16_t systemVersion) {
  if (value < 2) value = 2;
  if (value > 255) value = 255;
  if (systemVersion <= kOldestBigMemoryVersion && value > 15) value = 15;
  return value;
}

void clampMemSize() {
  settings.memSize = clampedMemSize(settings.memSize, kWinVersion);
}

void loadSettingsFrom(const std::filesystem::path& file, uint16_t systemVersion) {
  const IniDocument document = loadProfile(file);
  settings.colorScale = readInt(document, "ColorScale", "0");
  settings.onMem = readInt(document, "OnMem", "0");
  settings.memSize = clampedMemSize(readInt(document, "MemSize", "15"), systemVersion);
  if (systemVersion >= kNewShellVersion) settings.dialog3d = readInt(document, "dialog3d", "1");
  settings.futosa = readInt(document, "futosa", "1");
  const int32_t display = readInt(document, "display", "1106");
  settings.display = display < kWaveZoom             ? kWaveZoom
                     : display > kTimeFrequencyChart ? kTimeFrequencyChart
                                                     : display;
  const int32_t mado = readInt(document, "mado", "0");
  // Only the seven window functions exist; anything else would index past their table.
  settings.mado = mado >= 0 && mado <= 6 ? mado : 0;
}

bool saveSettingsTo(const std::filesystem::path& file, uint16_t systemVersion) {
  IniDocument document = loadProfile(file);
  const auto put = [&](const char* key, int32_t value) {
    document.set(kSection, key, std::to_string(value));
  };
  put("ColorScale", settings.colorScale);
  put("OnMem", settings.onMem);
  put("MemSize", settings.memSize);
  if (systemVersion >= kNewShellVersion) put("dialog3d", settings.dialog3d);
  put("futosa", settings.futosa);
  put("display", settings.display);
  put("mado", settings.mado);
  return saveProfileAtomically(file, document);
}

void loadSettings() {
  loadSettingsFrom(settingsFilePath(), kWinVersion);
}

void saveSettings() {
  // Write failures are ignored: the program is ending anyway.
  saveSettingsTo(settingsFilePath(), kWinVersion);
}

}  // namespace korimu

#include "core/settings_file.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "core/settings.h"
#include "core/window_memory.h"
#include "platform/ini_profile.h"
#include "platform/message.h"
#include "platform/system_facts.h"

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

// A stored value outside its domain is taken as its default: a hand-edited or damaged file must
// not give line widths or switches no code expects.
int32_t inDomain(int32_t value, int32_t lowest, int32_t highest, int32_t fallback) {
  return value >= lowest && value <= highest ? value : fallback;
}

}  // namespace

// The home folder: HOME when it is an absolute path, else the password database's entry.
std::filesystem::path homeFolder() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size_t(size > 0 ? size : 16384));
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && found->pw_dir[0] == '/')
    return found->pw_dir;
  return {};
}

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
  // Only an absolute XDG_CONFIG_HOME counts; a relative one would follow the current folder.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return std::filesystem::path(config) / "korimu" / "KORIMU.INI";
  const std::filesystem::path home = homeFolder();
  if (home.empty()) return {};
  return home / ".config" / "korimu" / "KORIMU.INI";
}

int32_t clampedMemSize(int32_t value, uint16_t systemVersion) {
  if (value < 2) value = 2;
  if (value > 255) value = 255;
  if (systemVersion <= kOldestBigMemoryVersion && value > 15) value = 15;
  return value;
}

ProfileStatus loadSettingsFrom(const std::filesystem::path& file, uint16_t systemVersion,
                               AppSettings& settings, WindowMemory* memory) {
  ProfileStatus status = ProfileStatus::kMissing;
  const IniDocument document = file.empty() ? IniDocument{} : loadProfile(file, &status);
  settings.colorScale = inDomain(readInt(document, "ColorScale", "0"), 0, 1, 0) == 1;
  settings.onMem = inDomain(readInt(document, "OnMem", "0"), 0, 1, 0) == 1;
  settings.memSize = clampedMemSize(readInt(document, "MemSize", "15"), systemVersion);
  if (systemVersion >= kNewShellVersion)
    settings.dialog3d = inDomain(readInt(document, "dialog3d", "1"), 0, 1, 1) == 1;
  // futosa is 1 for thin lines, 2 for thick ones.
  settings.lineWidth = inDomain(readInt(document, "futosa", "1"), 1, 2, 1) == 2 ? LineWidth::kThick
                                                                                : LineWidth::kThin;
  const int32_t display = readInt(document, "display", "1106");
  settings.display = ViewMode(std::clamp<int32_t>(display, kWaveZoom, kTimeFrequencyChart));
  // mado numbers the seven window functions in their enumeration's order; anything else would
  // index past their table.
  settings.windowFunction = WindowFunction(inDomain(readInt(document, "mado", "0"), 0, 6, 0));
  if (memory) readWindowMemory(document, settings, *memory);
  return status;
}

bool saveSettingsTo(const std::filesystem::path& file, uint16_t systemVersion,
                    const AppSettings& settings, std::string* reason, const WindowMemory* memory) {
  ProfileStatus status = ProfileStatus::kMissing;
  IniDocument document = loadProfile(file, &status);
  // Never replace what could not be read with the seven keys alone.
  if (status == ProfileStatus::kUnreadable) {
    if (reason) *reason = "the file could not be read";
    return false;
  }
  const auto put = [&](const char* key, int32_t value) {
    document.set(kSection, key, std::to_string(value));
  };
  put("ColorScale", settings.colorScale ? 1 : 0);
  put("OnMem", settings.onMem ? 1 : 0);
  put("MemSize", settings.memSize);
  if (systemVersion >= kNewShellVersion) put("dialog3d", settings.dialog3d ? 1 : 0);
  put("futosa", settings.lineWidth == LineWidth::kThick ? 2 : 1);
  put("display", settings.display);
  put("mado", int32_t(settings.windowFunction));
  if (memory) writeWindowMemory(document, settings, *memory);
  return saveProfileAtomically(file, document, reason);
}

SettingsOrigin loadSettings(AppSettings& settings, WindowMemory* memory) {
  SettingsOrigin origin;
  origin.file = settingsFilePath();
  origin.status = loadSettingsFrom(origin.file, kSystemVersion, settings, memory);
  return origin;
}

void saveSettings(const AppSettings& settings, const SettingsOrigin& origin,
                  const WindowMemory* memory) {
  if (origin.file.empty() || origin.status == ProfileStatus::kUnreadable) return;
  // The program is ending: the reason is all that can still be given.
  std::string reason;
  if (!saveSettingsTo(origin.file, kSystemVersion, settings, &reason, memory))
    std::fprintf(stderr, "korimu: the settings were not saved to %s: %s; the file is as it was\n",
                 origin.file.c_str(), reason.c_str());
}

void reportSettingsProblem(const SettingsOrigin& origin, const Messages& messages) {
  if (origin.status != ProfileStatus::kUnreadable) return;
  messages.show(
      formatText(
          messages.texts
              .translate("Message",
                         "設定ファイル %s を読み取れません。既定の設定で続け、設定は保存しません。")
              .c_str(),
          origin.file.c_str()),
      MessageKind::kExclamation);
}

}  // namespace korimu

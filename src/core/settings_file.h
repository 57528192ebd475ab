// Persistence of the seven lasting settings in KORIMU.INI, section "KORIMU". The file lives at
// $XDG_CONFIG_HOME/korimu/KORIMU.INI (~/.config/korimu/KORIMU.INI when that is not set or not an
// absolute path; the home folder comes from the password database when HOME is not set).
// Settings that were there but could not be read (or a file too large to be settings) are never
// written back: the file keeps what the user has in it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/ini_profile.h"
#include "platform/message.h"

namespace korimu {

struct AppSettings;
struct WindowMemory;

// Where the settings were read from, and how that went: saving goes back there.
struct SettingsOrigin {
  std::filesystem::path file;
  ProfileStatus status = ProfileStatus::kMissing;
};

// The home folder: HOME when it is an absolute path, else the password database's entry; empty
// when neither names one.
std::filesystem::path homeFolder();

// The settings file; empty when there is no home folder to put it in.
std::filesystem::path settingsFilePath();

// Reads the persistent fields of the settings file into `settings`, applying the range rules;
// with `memory` (the window), also what the window remembers (core/window_memory.h).
SettingsOrigin loadSettings(AppSettings& settings, WindowMemory* memory = nullptr);
// Writes the persistent fields (every one, changed or not) back where they came from, unless
// that file could not be read, with what the window remembers when `memory` is given, in one
// write. A save that fails (the file would grow past the size a settings file may have, or
// cannot be written) is told on stderr; the old file is kept.
void saveSettings(const AppSettings& settings, const SettingsOrigin& origin,
                  const WindowMemory* memory = nullptr);
// When the settings file could not be read: says so through `messages` (a message box in the
// window, stderr on the command line). Does nothing otherwise.
void reportSettingsProblem(const SettingsOrigin& origin, const Messages& messages);

// The same for an explicit file and system version (older systems keep dialog3d out of the file
// and limit MemSize to 15).
ProfileStatus loadSettingsFrom(const std::filesystem::path& file, uint16_t systemVersion,
                               AppSettings& settings, WindowMemory* memory = nullptr);
bool saveSettingsTo(const std::filesystem::path& file, uint16_t systemVersion,
                    const AppSettings& settings, std::string* reason = nullptr,
                    const WindowMemory* memory = nullptr);
int32_t clampedMemSize(int32_t value, uint16_t systemVersion);

// Decimal conversion of a profile value: leading blanks and a sign, then digits up to the first
// other character; no digits give 0. Values beyond 32 bits are held at the nearest limit.
int32_t profileInteger(std::string_view text);

}  // namespace korimu

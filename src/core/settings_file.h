// Persistence of the seven lasting settings in KORIMU.INI, section "KORIMU". The file lives at
// $XDG_CONFIG_HOME/korimu/KORIMU.INI (~/.config/korimu/KORIMU.INI when that is not set).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace korimu {

std::filesystem::path settingsFilePath();

// Reads the persistent fields into `settings`, applying the range rules.
void loadSettings();
// Writes the persistent fields (every one, changed or not).
void saveSettings();
// The MemSize rule applied to settings.memSize.
void clampMemSize();

// The same for an explicit file and system version (older systems keep dialog3d out of the file
// and limit MemSize to 15).
void loadSettingsFrom(const std::filesystem::path& file, uint16_t systemVersion);
bool saveSettingsTo(const std::filesystem::path& file, uint16_t systemVersion);
int32_t clampedMemSize(int32_t value, uint16_t systemVersion);

// Decimal conversion of a profile value: leading blanks and a sign, then digits up to the first
// other character; no digits give 0. Values beyond 32 bits are held at the nearest limit.
int32_t profileInteger(std::string_view text);

}  // namespace korimu

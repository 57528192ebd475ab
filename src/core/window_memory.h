// What the window remembers from one start to the next beside the seven settings: the analysis
// choices (method, block order, time resolution), the playback speed, the span, where the window
// was, the files opened last and the language the window speaks. They live in KORIMU.INI in a
// section of the window's own, so the settings' section keeps its seven keys as they are. A damaged
// or foreign value gives the default; the settings' own load and save (core/settings_file.h) read
// and write this section in the same file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/language.h"
#include "platform/ini_profile.h"

namespace korimu {

struct AppSettings;

inline constexpr char kWindowMemorySection[] = "KORIMU window";
inline constexpr size_t kRecentFileCount = 8;

struct WindowPlace {
  int x = 0, y = 0;
  friend bool operator==(const WindowPlace&, const WindowPlace&) = default;
};

struct WindowMemory {
  std::string span;                  // the span list's label ("262144", "1M", "全体"); "" none
  std::optional<WindowPlace> place;  // the window's top-left corner, frame included
  std::vector<std::string> recent;   // newest first, at most kRecentFileCount
  Language language = Language::kJapanese;
};

// Reads the section into the analysis choices and speed of `settings` and into `memory`.
void readWindowMemory(const IniDocument& document, AppSettings& settings, WindowMemory& memory);
// Writes the section; recent files are dropped, oldest first, as long as the whole document
// would be larger than a settings file may be.
void writeWindowMemory(IniDocument& document, const AppSettings& settings,
                       const WindowMemory& memory);

// `path` becomes the newest entry of `recent` (once), which keeps at most kRecentFileCount.
void rememberRecentFile(std::vector<std::string>& recent, const std::string& path);

}  // namespace korimu

// Private profile (INI) files with the rules the settings rely on: section and key names compare
// without regard to case, a missing file, section or key gives the default, and writing keeps every
// other section, key and comment while replacing the file atomically (a crash part-way leaves the
// old file in place).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korimu {

// The lines of one profile file, edited in memory.
class IniDocument {
 public:
  void parse(std::string_view text);
  std::string text() const;

  // The value of key in section (blanks around it removed), or nothing.
  std::optional<std::string> get(std::string_view section, std::string_view key) const;
  // Replaces the key's value, adds the key at the end of its section, or adds the section at the
  // end of the document.
  void set(std::string_view section, std::string_view key, std::string_view value);

 private:
  std::vector<std::string> lines_;  // without line ends
  std::string lineEnd_ = "\n";
  bool finalLineEnd_ = true;
};

// GetPrivateProfileString: the value (cut to bufferSize - 1 bytes) or the default.
std::string readProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              size_t bufferSize = 32);

// Reads the whole file into a document; a missing or unreadable file gives an empty one.
IniDocument loadProfile(const std::filesystem::path& file);
// Writes a document through a temporary file in the same folder, flushed and renamed over the
// old one. Creates the folder when needed. False when anything failed (the old file is kept).
bool saveProfileAtomically(const std::filesystem::path& file, const IniDocument& document);

// WritePrivateProfileString for one key (one atomic replace).
bool writeProfileString(const std::filesystem::path& file, std::string_view section,
                        std::string_view key, std::string_view value);

}  // namespace korimu

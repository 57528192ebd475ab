// Private profile (INI) files with the rules the settings rely on: section and key names compare
// without regard to case, a missing file, section or key gives the default, and writing keeps every
// other section, key and comment while replacing the file atomically (a crash part-way leaves the
// old file in place). Every line keeps its own line end (LF, CR LF or a lone CR), a UTF-8
// byte-order mark is kept, and a file reached through a symbolic link is replaced at the link's
// target, so the link stays.
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
  struct Line {
    std::string text;  // without its line end
    std::string end;   // "\n", "\r\n", "\r", or "" for a last line without one
  };
  void insertLine(size_t at, std::string text);

  std::vector<Line> lines_;
  std::string lineEnd_ = "\n";  // the first line end of the file
  bool byteOrderMark_ = false;
};

// What reading a profile file found.
enum class ProfileStatus {
  kMissing,     // no such file: the defaults apply and the file may be created
  kRead,        // read whole
  kUnreadable,  // there, but it could not be read (permissions, a folder, an I/O error, too large)
};

// GetPrivateProfileString: the value (cut to bufferSize - 1 bytes) or the default.
std::string readProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              size_t bufferSize = 32);

// The largest settings file read: the program's own keys take a few hundred bytes, and a larger
// file (a mistake, or a file made to be slow to read) is taken as unreadable.
inline constexpr size_t kProfileSizeLimit = 64 * 1024;

// Reads the whole file into a document; a missing, unreadable or too large file gives an empty
// one, and `status` (when given) tells which.
IniDocument loadProfile(const std::filesystem::path& file, ProfileStatus* status = nullptr);
// The file a write to `file` replaces: `file` itself, or the end of its chain of symbolic links.
std::filesystem::path profileWriteTarget(const std::filesystem::path& file);
// Writes a document through a temporary file in the same folder, flushed and renamed over the
// old one. Creates the folder when needed. A document larger than kProfileSizeLimit is not
// written: the next read would refuse it. False when anything failed, with the reason in `reason`
// when given (the old file is kept).
bool saveProfileAtomically(const std::filesystem::path& file, const IniDocument& document,
                           std::string* reason = nullptr);

// WritePrivateProfileString for one key (one atomic replace).
bool writeProfileString(const std::filesystem::path& file, std::string_view section,
                        std::string_view key, std::string_view value);

}  // namespace korimu

#include "platform/ini_profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

namespace korimu {

namespace {

std::string_view trimmed(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

// The section name of a "[name]" line.
std::optional<std::string_view> sectionOf(std::string_view line) {
  const std::string_view t = trimmed(line);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  const size_t close = t.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return trimmed(t.substr(1, close - 1));
}

bool isComment(std::string_view line) {
  const std::string_view t = trimmed(line);
  return !t.empty() && (t.front() == ';' || t.front() == '#');
}

// The key of a "key=value" line, when the line is one.
std::optional<std::string_view> keyOf(std::string_view line) {
  if (isComment(line)) return std::nullopt;
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return trimmed(line.substr(0, eq));
}

}  // namespace

void IniDocument::parse(std::string_view text) {
  lines_.clear();
  lineEnd_ = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
  finalLineEnd_ = text.empty() || text.back() == '\n';
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines_.emplace_back(line);
    start = end + 1;
  }
}

std::string IniDocument::text() const {
  std::string out;
  for (size_t i = 0; i < lines_.size(); ++i) {
    out += lines_[i];
    if (i + 1 < lines_.size() || finalLineEnd_) out += lineEnd_;
  }
  return out;
}

std::optional<std::string> IniDocument::get(std::string_view section, std::string_view key) const {
  bool inSection = false;
  for (const std::string& line : lines_) {
    if (const auto name = sectionOf(line)) {
      inSection = sameName(*name, section);
      continue;
    }
    if (!inSection) continue;
    const auto k = keyOf(line);
    if (k && sameName(*k, key)) {
      std::string_view value = trimmed(std::string_view(line).substr(line.find('=') + 1));
      // A value in matching quotes is taken without them.
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
          value.back() == value.front())
        value = value.substr(1, value.size() - 2);
      return std::string(value);
    }
  }
  return std::nullopt;
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
  std::string entry(key);
  entry.append("=").append(value);
  bool inSection = false;
  size_t lastInSection = 0;  // index after the last non-blank line of the section
  bool found = false;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (const auto name = sectionOf(lines_[i])) {
      if (inSection) break;
      inSection = sameName(*name, section);
      if (inSection) {
        found = true;
        lastInSection = i + 1;
      }
      continue;
    }
    if (!inSection) continue;
    const auto k = keyOf(lines_[i]);
    if (k && sameName(*k, key)) {
      lines_[i] = entry;
      return;
    }
    if (!trimmed(lines_[i]).empty()) lastInSection = i + 1;
  }
  if (found) {
    lines_.insert(lines_.begin() + std::ptrdiff_t(lastInSection), entry);
    return;
  }
  if (!lines_.empty() && !trimmed(lines_.back()).empty()) lines_.emplace_back();
  std::string header("[");
  header.append(section).append("]");
  lines_.push_back(std::move(header));
  lines_.push_back(entry);
  finalLineEnd_ = true;
}

IniDocument loadProfile(const std::filesystem::path& file) {
  IniDocument document;
  std::ifstream in(file, std::ios::binary);
  if (!in) return document;
  std::ostringstream text;
  text << in.rdbuf();
  document.parse(text.str());
  return document;
}

std::string readProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              size_t bufferSize) {
  const auto value = loadProfile(file).get(section, key);
  std::string out(value ? std::string_view(*value) : defaultValue);
  if (bufferSize > 0 && out.size() > bufferSize - 1) out.resize(bufferSize - 1);
  return out;
}

bool saveProfileAtomically(const std::filesystem::path& file, const IniDocument& document) {
  std::error_code ec;
  const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
  std::filesystem::create_directories(folder, ec);
  std::string temporary = (folder / (file.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  const std::string text = document.text();
  bool ok = true;
  size_t written = 0;
  while (ok && written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n <= 0)
      ok = false;
    else
      written += size_t(n);
  }
  ok = ok && ::fsync(fd) == 0;
  // The replacement keeps the old file's permissions (a new one is readable by all, like a
  // freshly created file), not mkstemp's owner-only mode.
  struct stat old {};
  const mode_t mode = ::stat(file.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
  ok = ::fchmod(fd, mode) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  ok = ok && std::rename(temporary.c_str(), file.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

bool writeProfileString(const std::filesystem::path& file, std::string_view section,
                        std::string_view key, std::string_view value) {
  IniDocument document = loadProfile(file);
  document.set(section, key, value);
  return saveProfileAtomically(file, document);
}

}  // namespace korimu

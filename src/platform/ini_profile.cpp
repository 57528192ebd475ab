#include "platform/ini_profile.h"

#include "platform/atomic_file.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
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
  lineEnd_.assign(1, '\n');  // GCC 12 at -O3 takes a literal assignment here for an overlap
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  byteOrderMark_ = text.substr(0, 3) == kByteOrderMark;
  if (byteOrderMark_) text.remove_prefix(3);
  bool firstEnd = true;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines_.push_back({std::string(text.substr(start)), ""});
      break;
    }
    const size_t endLength = text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
    lines_.push_back(
        {std::string(text.substr(start, end - start)), std::string(text.substr(end, endLength))});
    if (firstEnd) lineEnd_ = lines_.back().end;
    firstEnd = false;
    start = end + endLength;
  }
}

std::string IniDocument::text() const {
  std::string out = byteOrderMark_ ? "\xEF\xBB\xBF" : "";
  for (const Line& line : lines_) out.append(line.text).append(line.end);
  return out;
}

void IniDocument::insertLine(size_t at, std::string text) {
  // A new line takes the end of the line before it: an empty line ending in LF after a lone CR
  // would read back as one CR LF, and the empty line would be gone. A line added after a last
  // line without an end gives that line the file's usual end and becomes the last without one.
  std::string end = at > 0 ? lines_[at - 1].end : lineEnd_;
  if (at > 0 && end.empty()) lines_[at - 1].end = lineEnd_;
  lines_.insert(lines_.begin() + std::ptrdiff_t(at), Line{std::move(text), std::move(end)});
}

std::optional<std::string> IniDocument::get(std::string_view section, std::string_view key) const {
  bool inSection = false;
  for (const Line& entry : lines_) {
    const std::string& line = entry.text;
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
    const std::string& line = lines_[i].text;
    if (const auto name = sectionOf(line)) {
      if (inSection) break;
      inSection = sameName(*name, section);
      if (inSection) {
        found = true;
        lastInSection = i + 1;
      }
      continue;
    }
    if (!inSection) continue;
    const auto k = keyOf(line);
    if (k && sameName(*k, key)) {
      lines_[i].text = entry;
      return;
    }
    if (!trimmed(line).empty()) lastInSection = i + 1;
  }
  if (found) {
    insertLine(lastInSection, std::move(entry));
    return;
  }
  if (!lines_.empty() && !trimmed(lines_.back().text).empty()) insertLine(lines_.size(), "");
  std::string header("[");
  header.append(section).append("]");
  insertLine(lines_.size(), std::move(header));
  insertLine(lines_.size(), std::move(entry));
  // A new section ends with a line end like the rest of the file.
  if (lines_.back().end.empty()) lines_.back().end = lineEnd_;
}

IniDocument loadProfile(const std::filesystem::path& file, ProfileStatus* status) {
  IniDocument document;
  ProfileStatus found = ProfileStatus::kUnreadable;
  std::error_code ec;
  if (!std::filesystem::exists(file, ec) && !ec) {
    found = ProfileStatus::kMissing;
  } else if (std::filesystem::is_regular_file(file, ec)) {
    std::ifstream in(file, std::ios::binary);
    // One byte past the limit tells a file that is too large, whatever its size said before.
    std::string text(kProfileSizeLimit + 1, '\0');
    in.read(text.data(), std::streamsize(text.size()));
    text.resize(size_t(in.gcount()));
    if (in.is_open() && !in.bad() && text.size() <= kProfileSizeLimit) {
      document.parse(text);
      found = ProfileStatus::kRead;
    }
  }
  if (status) *status = found;
  return document;
}

std::filesystem::path profileWriteTarget(const std::filesystem::path& file) {
  std::filesystem::path target = file;
  std::error_code ec;
  // A bounded walk: a loop of links ends where the system's own limit would.
  for (int hops = 0; hops < 40 && std::filesystem::is_symlink(target, ec); ++hops) {
    const std::filesystem::path next = std::filesystem::read_symlink(target, ec);
    if (ec) break;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target;
}

std::string readProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              size_t bufferSize) {
  const auto value = loadProfile(file).get(section, key);
  std::string out(value ? std::string_view(*value) : defaultValue);
  if (bufferSize > 0 && out.size() > bufferSize - 1) out.resize(bufferSize - 1);
  return out;
}

bool saveProfileAtomically(const std::filesystem::path& link, const IniDocument& document,
                           std::string* reason) {
  std::string why;
  const std::string text = document.text();
  bool saved = false;
  if (text.size() > kProfileSizeLimit) {
    // Cutting the user's own lines to make room would lose them; the old file stays instead.
    why = "it would be " + std::to_string(text.size()) + " bytes, more than the " +
          std::to_string(kProfileSizeLimit) + " a settings file may hold";
  } else {
    // The temporary is renamed over the link's target: renaming over the link would put a plain
    // file in its place.
    const std::filesystem::path file = profileWriteTarget(link);
    std::error_code ec;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
    saved = writeFileAtomically(file.string(), text, why);
  }
  if (!saved && reason) *reason = why;
  return saved;
}

bool writeProfileString(const std::filesystem::path& file, std::string_view section,
                        std::string_view key, std::string_view value) {
  ProfileStatus status = ProfileStatus::kMissing;
  IniDocument document = loadProfile(file, &status);
  // Writing what could not be read would replace the file with this one key.
  if (status == ProfileStatus::kUnreadable) return false;
  document.set(section, key, value);
  return saveProfileAtomically(file, document);
}

}  // namespace korimu

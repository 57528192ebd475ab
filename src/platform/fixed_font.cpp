#include "platform/fixed_font.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace korimu {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool parseHexLine(std::string_view line, char32_t* codePoint, Glyph* glyph) {
  const size_t colon = line.find(':');
  if (colon == std::string::npos || colon == 0 || colon > 8) return false;
  uint32_t cp = 0;
  for (size_t i = 0; i < colon; ++i) {
    const int v = hexValue(line[i]);
    if (v < 0) return false;
    cp = cp * 16 + uint32_t(v);
  }
  std::string_view bits = line.substr(colon + 1);
  while (!bits.empty() && (bits.back() == '\r' || bits.back() == ' ')) bits.remove_suffix(1);
  const size_t digitsPerRow = bits.size() == 32 ? 2 : bits.size() == 64 ? 4 : 0;
  if (digitsPerRow == 0) return false;
  glyph->width = digitsPerRow == 2 ? 8 : 16;
  for (size_t row = 0; row < 16; ++row) {
    uint32_t value = 0;
    for (size_t d = 0; d < digitsPerRow; ++d) {
      const int v = hexValue(bits[row * digitsPerRow + d]);
      if (v < 0) return false;
      value = value * 16 + uint32_t(v);
    }
    glyph->rows[row] = uint16_t(digitsPerRow == 2 ? value << 8 : value);
  }
  *codePoint = char32_t(cp);
  return true;
}

Glyph boxGlyph(int width) {
  Glyph g;
  g.width = width;
  const uint16_t full = width == 8 ? 0xFE00 : 0xFFFE;
  const uint16_t sides = width == 8 ? 0x8200 : 0x8002;
  g.rows[2] = full;
  for (size_t r = 3; r < 13; ++r) g.rows[r] = sides;
  g.rows[13] = full;
  return g;
}

bool isHalfWidth(char32_t cp) {
  return cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F);
}

// The line that starts at `at`, without its newline.
std::string_view lineAt(std::string_view text, size_t at) {
  const size_t end = text.find('\n', at);
  return text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
}

}  // namespace

FixedFont::~FixedFont() {
  unmap();
}

void FixedFont::unmap() {
  if (text_.data() != nullptr) munmap(const_cast<char*>(text_.data()), text_.size());
  text_ = {};
  for (auto& page : known_) page.store(nullptr, std::memory_order_relaxed);
  pages_.clear();
  glyphs_.clear();
  everyLineParsed_ = false;
}

bool FixedFont::load(const std::string& path, std::string* error) {
  unmap();
  // Without O_NONBLOCK the open of a named pipe would wait for a writer that may never come.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (error) *error = "cannot open " + path;
    return false;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    if (error) *error = "not a regular file: " + path;
    return false;
  }
  void* mapped = MAP_FAILED;
  if (info.st_size > 0) mapped = mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
  ::close(fd);
  missingNarrow_ = boxGlyph(8);
  missingWide_ = boxGlyph(16);
  if (mapped != MAP_FAILED)
    text_ = std::string_view(static_cast<const char*>(mapped), size_t(info.st_size));
  // A font file has a glyph on its first line that is one at all.
  for (size_t at = 0; at < text_.size();) {
    const std::string_view line = lineAt(text_, at);
    char32_t cp = 0;
    Glyph glyph;
    if (parseHexLine(line, &cp, &glyph)) return true;
    at += line.size() + 1;
  }
  unmap();
  if (error) *error = "no glyphs in " + path;
  return false;
}

// Binary search over the lines between byte offsets lo and hi (both at line starts); lines that
// are not glyphs are stepped over.
bool FixedFont::search(char32_t codePoint, Glyph* glyph) const {
  size_t lo = 0, hi = text_.size();
  while (lo < hi) {
    size_t start = lo + (hi - lo) / 2;
    while (start > lo && text_[start - 1] != '\n') --start;
    // The first glyph line from the middle line on.
    size_t at = start, next = start;
    char32_t cp = 0;
    bool parsed = false;
    while (!parsed && at < hi) {
      const std::string_view line = lineAt(text_, at);
      next = at + line.size() + 1;
      parsed = parseHexLine(line, &cp, glyph);
      if (!parsed) at = next;
    }
    if (parsed && cp == codePoint) return true;
    if (!parsed || codePoint < cp) {
      hi = start;
    } else {
      lo = std::min(next, hi);
    }
  }
  return false;
}

void FixedFont::parseEveryLine() const {
  everyLineParsed_ = true;
  for (size_t at = 0; at < text_.size();) {
    const std::string_view line = lineAt(text_, at);
    char32_t cp = 0;
    Glyph glyph;
    // A glyph already found stays where it is: lookups without the lock may be reading it.
    if (parseHexLine(line, &cp, &glyph)) glyphs_.try_emplace(cp, glyph);
    at += line.size() + 1;
  }
}

const Glyph& FixedFont::glyph(char32_t codePoint) const {
  if (codePoint <= 0xFFFF) {
    const GlyphPage* page = known_[codePoint >> 8].load(std::memory_order_acquire);
    if (page != nullptr) {
      const Glyph* known = (*page)[codePoint & 0xFF].load(std::memory_order_acquire);
      if (known != nullptr) return *known;
    }
  }
  const std::lock_guard lock(cacheLock_);
  const Glyph& found = lookUp(codePoint);
  remember(codePoint, found);
  return found;
}

// Under the lock: publishes where the glyph of a code point is for lock-free lookups.
void FixedFont::remember(char32_t codePoint, const Glyph& glyph) const {
  if (codePoint > 0xFFFF) return;
  GlyphPage* page = known_[codePoint >> 8].load(std::memory_order_relaxed);
  if (page == nullptr) {
    page = pages_.emplace_back(std::make_unique<GlyphPage>()).get();
    known_[codePoint >> 8].store(page, std::memory_order_release);
  }
  (*page)[codePoint & 0xFF].store(&glyph, std::memory_order_release);
}

// Under the lock: the glyph from the parsed ones, the file, or the missing glyph's box.
const Glyph& FixedFont::lookUp(char32_t codePoint) const {
  auto it = glyphs_.find(codePoint);
  if (it != glyphs_.end()) return it->second;
  if (!everyLineParsed_ && text_.data() != nullptr) {
    Glyph found;
    if (search(codePoint, &found)) return glyphs_.emplace(codePoint, found).first->second;
    parseEveryLine();
    it = glyphs_.find(codePoint);
    if (it != glyphs_.end()) return it->second;
  }
  return isHalfWidth(codePoint) ? missingNarrow_ : missingWide_;
}

std::string fixedFontPath() {
  const char* overridePath = std::getenv("KORIMU_FONT");
  return overridePath != nullptr && *overridePath != '\0' ? std::string(overridePath)
                                                          : "/usr/share/unifont/unifont_jp.hex";
}

namespace {

// Loaded once, by whichever thread draws first (a local static is made exactly once).
struct ProcessFont {
  FixedFont font;
  std::string problem;
  ProcessFont() {
    std::string error;
    if (!font.load(fixedFontPath(), &error))
      problem = "The fixed font could not be loaded (" + error +
                "). Install the 'unifont' package or set KORIMU_FONT.";
  }
};

const ProcessFont& processFont() {
  static const ProcessFont loaded;
  return loaded;
}

}  // namespace

const FixedFont& fixedFont() {
  return processFont().font;
}

const std::string& fixedFontProblem() {
  return processFont().problem;
}

std::vector<char32_t> decodeUtf8(std::string_view text) {
  std::vector<char32_t> out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    int extra = 0;
    char32_t cp = 0;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      cp = c & 0x07;
    } else {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    if (i + size_t(extra) >= text.size()) {
      out.push_back(0xFFFD);
      break;
    }
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      const auto cc = static_cast<unsigned char>(text[i + size_t(k)]);
      if ((cc & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!ok) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    out.push_back(cp);
    i += size_t(extra) + 1;
  }
  return out;
}

int textCells(std::string_view utf8) {
  int cells = 0;
  for (char32_t cp : decodeUtf8(utf8)) cells += isHalfWidth(cp) ? 1 : 2;
  return cells;
}

}  // namespace korimu

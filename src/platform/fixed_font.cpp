#include "platform/fixed_font.h"

#include <cstdlib>
#include <fstream>

#include "platform/message.h"

namespace korimu {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool parseHexLine(const std::string& line, char32_t* codePoint, Glyph* glyph) {
  const size_t colon = line.find(':');
  if (colon == std::string::npos || colon == 0 || colon > 8) return false;
  uint32_t cp = 0;
  for (size_t i = 0; i < colon; ++i) {
    const int v = hexValue(line[i]);
    if (v < 0) return false;
    cp = cp * 16 + uint32_t(v);
  }
  std::string_view bits(line);
  bits.remove_prefix(colon + 1);
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

}  // namespace

bool FixedFont::load(const std::string& path, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    if (error) *error = "cannot open " + path;
    return false;
  }
  glyphs_.clear();
  std::string line;
  while (std::getline(in, line)) {
    char32_t cp = 0;
    Glyph glyph;
    if (parseHexLine(line, &cp, &glyph)) glyphs_[cp] = glyph;
  }
  missingNarrow_ = boxGlyph(8);
  missingWide_ = boxGlyph(16);
  if (glyphs_.empty()) {
    if (error) *error = "no glyphs in " + path;
    return false;
  }
  return true;
}

const Glyph& FixedFont::glyph(char32_t codePoint) const {
  const auto it = glyphs_.find(codePoint);
  if (it != glyphs_.end()) return it->second;
  return isHalfWidth(codePoint) ? missingNarrow_ : missingWide_;
}

std::string fixedFontPath() {
  const char* overridePath = std::getenv("KORIMU_FONT");
  return overridePath != nullptr && *overridePath != '\0' ? std::string(overridePath)
                                                          : "/usr/share/unifont/unifont_jp.hex";
}

const FixedFont& fixedFont() {
  static FixedFont font;
  static bool tried = false;
  if (!tried) {
    tried = true;
    std::string error;
    if (!font.load(fixedFontPath(), &error)) {
      showMessage("The fixed font could not be loaded (" + error +
                      "). Install the 'unifont' package or set KORIMU_FONT.",
                  MessageKind::kFatal);
    }
  }
  return font;
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

// The stock fixed font: GNU Unifont's Japanese glyph forms, read at run time from the system's
// unifont package (unifont_jp.hex; KORIMU_FONT overrides the path). Half-width glyphs are 8 x 16
// pixels, full-width ones 16 x 16. The font reports ascent 14 and average width 8.
//
// The file (3.7 MB, lines sorted by code point) is mapped, not read: a glyph is parsed when it
// is first drawn, found by a binary search over the lines, so a start costs nothing for the
// fonts' thousands of glyphs a run never shows. A file that is not sorted still works: a glyph
// the search does not find makes the font parse every line once.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace korimu {

struct Glyph {
  int width = 8;                    // 8 or 16
  std::array<uint16_t, 16> rows{};  // bit 15 is the leftmost pixel
  bool bit(int row, int col) const { return (rows[size_t(row)] >> (15 - col)) & 1u; }
};

class FixedFont {
 public:
  FixedFont() = default;
  ~FixedFont();
  FixedFont(const FixedFont&) = delete;
  FixedFont& operator=(const FixedFont&) = delete;

  static constexpr int kCellHeight = 16;
  static constexpr int kAscent = 14;
  static constexpr int kAverageWidth = 8;

  // Loads a .hex font file; false (with a reason in *error) when it cannot be read.
  bool load(const std::string& path, std::string* error);
  bool loaded() const { return text_.data() != nullptr; }
  // The glyph of a code point; a missing one is drawn as a box of its cell width.
  const Glyph& glyph(char32_t codePoint) const;

 private:
  void unmap();
  bool search(char32_t codePoint, Glyph* glyph) const;
  void parseEveryLine() const;

  std::string_view text_;  // the mapped file
  const Glyph& lookUp(char32_t codePoint) const;
  void remember(char32_t codePoint, const Glyph& glyph) const;

  // Renders on several threads share the font. A glyph of the Basic Multilingual Plane once
  // looked up is found again without a lock: pages of 256 published pointers, each page made
  // once, under the lock, and never changed but for pointers set from null.
  using GlyphPage = std::array<std::atomic<const Glyph*>, 256>;
  mutable std::array<std::atomic<GlyphPage*>, 256> known_{};
  mutable std::vector<std::unique_ptr<GlyphPage>> pages_;
  // Glyphs parsed so far; after parseEveryLine every glyph of the file. The parse is locked;
  // entries never move once made.
  mutable std::mutex cacheLock_;
  mutable std::unordered_map<char32_t, Glyph> glyphs_;
  mutable bool everyLineParsed_ = false;
  Glyph missingNarrow_;
  Glyph missingWide_;
};

// The default font path: $KORIMU_FONT or /usr/share/unifont/unifont_jp.hex.
std::string fixedFontPath();

// The process-wide font, loaded on first use (without glyphs when its file cannot be read).
const FixedFont& fixedFont();
// Why the font could not be loaded, as the user is told it ("" when it was): whoever is about to
// draw (a render, the window's start-up) shows it as a fatal message.
const std::string& fixedFontProblem();

// UTF-8 decoding; malformed bytes become U+FFFD.
std::vector<char32_t> decodeUtf8(std::string_view text);

// Cells a text takes: 1 for ASCII and half-width katakana, 2 for every other character. This is
// the byte count the same text has in the Japanese code page.
int textCells(std::string_view utf8);

}  // namespace korimu

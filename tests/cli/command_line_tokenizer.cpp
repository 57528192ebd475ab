// The one-string command-line tokenizer of the original program: its rules, kept with their tests
// (the program itself gets its items from argv).
#include <algorithm>
#include <string>
#include <vector>

#include "cli/command_line_tokenizer.h"

namespace korimu {

namespace {

constexpr size_t kMaxItems = 15;

// A double quote counts as a quoting mark unless a backslash stands right before it. (A backslash
// byte is never part of a multi-byte character in UTF-8, so no lead-byte test is needed.)
bool escapedQuote(const std::string& text, size_t i) {
  return i > 0 && text[i - 1] == '\\';
}

// An item as stored: trailing blanks gone, quoting marks gone, and the backslash of an escaped
// quote gone.
std::string storedItem(const std::string& text, size_t start, size_t end) {
  while (end > start && text[end - 1] == ' ') --end;
  std::string item;
  for (size_t i = start; i < end; ++i) {
    const char c = text[i];
    if (c == '"' && !escapedQuote(text, i)) continue;
    if (c == '\\' && i + 1 < end && text[i + 1] == '"') continue;
    item += c;
  }
  return item;
}

}  // namespace

std::vector<std::string> tokenizeCommandLine(const std::string& text) {
  std::vector<std::string> items;
  size_t start = 0;
  size_t i = 0;
  bool inQuotes = false;
  for (;;) {
    if (i >= text.size()) {
      items.push_back(storedItem(text, start, std::min(i, text.size())));
      return items;
    }
    const char c = text[i];
    if (c == '"' && !escapedQuote(text, i)) inQuotes = !inQuotes;
    if (inQuotes) {
      ++i;
      continue;
    }
    const bool endsItem = c == '/' || (c == ' ' && (items.empty() || text[start] == '/'));
    if (!endsItem) {
      ++i;
      continue;
    }
    items.push_back(storedItem(text, start, i));
    if (items.size() == kMaxItems) return items;
    start = i;
    while (start < text.size() && text[start] == ' ') ++start;
    // Blanks up to the end leave no further item.
    if (start >= text.size()) return items;
    // The item's first character is stepped over (a switch keeps its "/"), but a quote there
    // still opens quoting like any other.
    if (text[start] == '"' && !escapedQuote(text, start)) inQuotes = !inQuotes;
    i = start + 1;
  }
}

}  // namespace korimu

#include "core/language.h"

namespace korimu {

std::string_view languageCode(Language language) {
  return language == Language::kEnglish ? "en" : "ja";
}

std::optional<Language> languageOfCode(std::string_view code) {
  if (code == "ja") return Language::kJapanese;
  if (code == "en") return Language::kEnglish;
  return std::nullopt;
}

}  // namespace korimu

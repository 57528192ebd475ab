// The languages the window speaks: Japanese (its texts as written, the default whatever the
// desktop's locale) and English.
#pragma once

#include <optional>
#include <string_view>

namespace korimu {

enum class Language { kJapanese, kEnglish };

// "ja" or "en", as --lang and the settings file write it.
std::string_view languageCode(Language language);
// The language of a code ("ja", "en"); nothing for any other text.
std::optional<Language> languageOfCode(std::string_view code);

}  // namespace korimu

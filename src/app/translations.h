// The window's language through Qt's translators: the program's own catalogue (korimu_en.qm,
// compiled from the .ts kept with the sources) and Qt's catalogue of its own dialogs and buttons
// (qtbase_ja or qtbase_en from the system's Qt translations).
#pragma once

#include <string>

#include "core/language.h"
#include "platform/qt/qt_text_catalogue.h"

namespace korimu {

// Installs the translators of `language` in place of those an earlier call installed (QApplication
// must exist). The program's catalogue is read from `folder`; Japanese needs none. Returns "" or
// a message saying what is missing (the window then shows its texts as written, in Japanese; a
// missing Qt catalogue only leaves Qt's own words in English).
std::string installTranslations(Language language, const std::string& folder);

}  // namespace korimu

// Where the program's own files are: the program itself and its help page, which is found
// relative to the program so that a build tree and any installed tree work without configuration.
#pragma once

#include <string>

#include "core/language.h"

namespace korimu {

// The running program's absolute path ("" when the system does not tell).
std::string programPath();

// The help file's name by the module-path rule: ".EXE" and what follows becomes ".HLP"; a path
// without ".EXE" gives "KORIMU.HLP".
std::string helpFileName(const std::string& modulePath);

// The help page of a program at modulePath: help/index.html beside the program (a build tree),
// else share/korimu/help/index.html of the tree the program is installed in, either as
// PREFIX/bin/korimu or as a private part in PREFIX/lib/korimu/ or PREFIX/libexec/korimu/. When
// none exists, the installed place beside bin/ is named. The English page is index.en.html.
std::string helpPagePath(const std::string& modulePath, Language language = Language::kJapanese);

// The folder of the window's translations (korimu_en.qm), by the same rule: translations/ beside
// the program, else share/korimu/translations/ of the installed tree.
std::string translationsFolder(const std::string& modulePath);

}  // namespace korimu

#include "core/program_files.h"

#include <filesystem>
#include <system_error>

namespace korimu {

namespace fs = std::filesystem;

std::string programPath() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : self.string();
}

std::string helpFileName(const std::string& modulePath) {
  const size_t at = modulePath.find(".EXE");
  if (at == std::string::npos) return "KORIMU.HLP";
  return modulePath.substr(0, at) + ".HLP";
}

namespace {

// `relative` (a file or a folder) of the program's own files: beside a program at modulePath,
// else below share/korimu/ of the tree it is installed in; the installed place when none exists.
std::string programFile(const std::string& modulePath, const fs::path& relative) {
  const fs::path hlp = helpFileName(modulePath);
  const fs::path dir =
      hlp.has_parent_path() ? hlp.parent_path() : fs::path(modulePath).parent_path();
  const fs::path installed = "share/korimu" / relative;
  const fs::path candidates[] = {dir / relative, dir.parent_path() / installed,
                                 dir.parent_path().parent_path() / installed};
  std::error_code ec;
  for (const fs::path& found : candidates)
    if (fs::exists(found, ec)) return found.lexically_normal().string();
  return candidates[1].lexically_normal().string();
}

}  // namespace

std::string helpPagePath(const std::string& modulePath, Language language) {
  return programFile(modulePath,
                     language == Language::kEnglish ? "help/index.en.html" : "help/index.html");
}

std::string translationsFolder(const std::string& modulePath) {
  return programFile(modulePath, "translations");
}

}  // namespace korimu

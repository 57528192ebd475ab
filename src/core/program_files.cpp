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

std::string helpPagePath(const std::string& modulePath) {
  const fs::path hlp = helpFileName(modulePath);
  const fs::path dir =
      hlp.has_parent_path() ? hlp.parent_path() : fs::path(modulePath).parent_path();
  const fs::path installed = "share/korimu/help/index.html";
  const fs::path candidates[] = {dir / "help" / "index.html", dir.parent_path() / installed,
                                 dir.parent_path().parent_path() / installed};
  std::error_code ec;
  for (const fs::path& page : candidates)
    if (fs::is_regular_file(page, ec)) return page.lexically_normal().string();
  return candidates[1].lexically_normal().string();
}

}  // namespace korimu

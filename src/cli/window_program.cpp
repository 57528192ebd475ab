#include "cli/window_program.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/program_files.h"

namespace korimu {

std::string windowProgramPath(const std::string& selfPath) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(selfPath).parent_path();
  for (const fs::path& candidate :
       {dir / kWindowProgramName, dir / ".." / "libexec" / "korimu" / kWindowProgramName}) {
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0)
      return candidate.lexically_normal().string();
  }
  return "";
}

int handOverToWindowProgram(char** argv) {
  const std::string self = programPath();
  const std::string program = windowProgramPath(self);
  if (program.empty()) {
    std::fprintf(stderr,
                 "korimu: the window program %s is missing (looked beside %s and in "
                 "../libexec/korimu/); the commands --render and --check work without it\n",
                 kWindowProgramName, self.c_str());
    return 1;
  }
  ::execv(program.c_str(), argv);
  std::fprintf(stderr, "korimu: cannot start %s: %s\n", program.c_str(), std::strerror(errno));
  return 1;
}

}  // namespace korimu

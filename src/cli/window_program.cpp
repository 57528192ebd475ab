#include "cli/window_program.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "cli/batch_render.h"
#include "cli/render.h"
#include "core/program_files.h"

namespace korimu {

std::optional<int> runHeadlessMode(const CommandLine& commandLine) {
  switch (commandLine.mode) {
    case HeadlessMode::kHelp:
      std::cout << usageText();
      return 0;
    case HeadlessMode::kVersion:
      std::cout << "KORIMU  Version 0.10\n";
      return 0;
    case HeadlessMode::kCheck:
      return runCheck(commandLine.fileName);
    case HeadlessMode::kUsageError:
      std::cerr << "korimu: " << commandLine.error << "\nRun 'korimu --help' for the options.\n";
      return 2;
    case HeadlessMode::kRender:
      return runRender(commandLine.outputPath, commandLine.renderOptions, commandLine.fileName);
    case HeadlessMode::kBatchRender:
      return runBatchRender(commandLine.outputPath, commandLine.renderOptions, commandLine.files);
    case HeadlessMode::kScreenshot:
    case HeadlessMode::kNone:
      break;
  }
  return std::nullopt;
}

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

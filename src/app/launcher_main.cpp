// The korimu command: the headless modes run here without Qt; the window modes are handed to the
// window program (korimu-window), which is built from main.cpp.
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/render.h"
#include "cli/window_program.h"

int main(int argc, char** argv) {
  using namespace korimu;
  const CommandLine commandLine = parseArguments(std::vector<std::string>(argv, argv + argc));
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
    case HeadlessMode::kScreenshot:
    case HeadlessMode::kNone:
      break;
  }
  return handOverToWindowProgram(argv);
}

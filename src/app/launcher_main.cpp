// The korimu command: the headless modes run here without Qt; the window modes are handed to the
// window program (korimu-window), which is built from main.cpp.
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/window_program.h"

int main(int argc, char** argv) {
  using namespace korimu;
  const CommandLine commandLine = parseArguments(std::vector<std::string>(argv, argv + argc));
  if (const auto code = runHeadlessMode(commandLine)) return *code;
  return handOverToWindowProgram(argv);
}

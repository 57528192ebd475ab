// A small command-line program that checks WAV files with the program's reader, for machines
// where the window is not built: `korimu-check [--check] FILE.wav`.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_line.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  if (args.size() == 2 && !args[1].empty() && args[1][0] != '-')
    args.insert(args.begin() + 1, "--check");
  const korimu::CommandLine line = korimu::parseArguments(args);
  switch (line.mode) {
    case korimu::HeadlessMode::kCheck:
      return korimu::runCheck(line.fileName);
    case korimu::HeadlessMode::kHelp:
      std::fputs(korimu::usageText().c_str(), stdout);
      return 0;
    case korimu::HeadlessMode::kVersion:
      std::puts("KORIMU  Version 0.10");
      return 0;
    case korimu::HeadlessMode::kUsageError:
      std::fprintf(stderr, "korimu-check: %s\n", line.error.c_str());
      return 2;
    default:
      std::fprintf(stderr, "korimu-check only checks files\n%s", korimu::usageText().c_str());
      return 2;
  }
}

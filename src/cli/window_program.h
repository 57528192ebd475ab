// The window of `korimu` lives in a second program, korimu-window, so that the headless commands
// (--help, --version, --check, --render) start without loading Qt and its many libraries. korimu
// hands every window mode to it by exec, with the same arguments.
#pragma once

#include <optional>
#include <string>

#include "cli/command_line.h"

namespace korimu {

inline constexpr const char* kWindowProgramName = "korimu-window";

// Where korimu-window is for a korimu at `selfPath`: beside it (the build tree) or in
// ../libexec/korimu/ (an installed tree). "" when neither holds an executable one.
std::string windowProgramPath(const std::string& selfPath);

// Runs a headless mode (--help, --version, --check, --render, a usage error) and returns its exit
// code; nothing for the window modes, which the caller opens.
std::optional<int> runHeadlessMode(const CommandLine& commandLine);

// Replaces this process by the window program with the same arguments. Returns only on failure,
// with an exit code after a message on stderr.
int handOverToWindowProgram(char** argv);

}  // namespace korimu

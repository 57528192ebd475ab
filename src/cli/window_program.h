// The window of `korimu` lives in a second program, korimu-window, so that the headless commands
// (--help, --version, --check, --render) start without loading Qt and its many libraries. korimu
// hands every window mode to it by exec, with the same arguments.
#pragma once

#include <string>

namespace korimu {

inline constexpr const char* kWindowProgramName = "korimu-window";

// Where korimu-window is for a korimu at `selfPath`: beside it (the build tree) or in
// ../libexec/korimu/ (an installed tree). "" when neither holds an executable one.
std::string windowProgramPath(const std::string& selfPath);

// Replaces this process by the window program with the same arguments. Returns only on failure,
// with an exit code after a message on stderr.
int handOverToWindowProgram(char** argv);

}  // namespace korimu

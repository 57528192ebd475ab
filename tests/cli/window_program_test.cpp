// korimu finds its window program beside itself in a build tree and in libexec when installed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "cli/window_program.h"
#include "wave/wav_builder.h"

namespace korimu {
namespace {

namespace fs = std::filesystem;

void program(const fs::path& path, bool executable) {
  fs::create_directories(path.parent_path());
  testing::writeFile(path, {'#', '!'});
  ::chmod(path.c_str(), executable ? 0755 : 0644);
}

TEST(WindowProgram, FoundBesideKorimuOrInLibexecAndOnlyWhenExecutable) {
  testing::TempDir dir;
  const fs::path build = dir.path() / "build" / "src" / "app";
  program(build / "korimu", true);
  program(build / "korimu-window", true);
  EXPECT_EQ(windowProgramPath((build / "korimu").string()), (build / "korimu-window").string());

  const fs::path usr = dir.path() / "usr";
  program(usr / "bin" / "korimu", true);
  EXPECT_EQ(windowProgramPath((usr / "bin" / "korimu").string()), "") << "not installed yet";
  program(usr / "libexec" / "korimu" / "korimu-window", false);
  EXPECT_EQ(windowProgramPath((usr / "bin" / "korimu").string()), "") << "not executable";
  ::chmod((usr / "libexec" / "korimu" / "korimu-window").c_str(), 0755);
  EXPECT_EQ(windowProgramPath((usr / "bin" / "korimu").string()),
            (usr / "libexec" / "korimu" / "korimu-window").string());
}

}  // namespace
}  // namespace korimu

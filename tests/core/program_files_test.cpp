// The program finds its help page beside itself (a build tree) or in the tree it is installed in.
#include "core/program_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "wave/wav_builder.h"

namespace korimu {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFiles, ProgramPathIsThisRunningProgram) {
  const fs::path self = programPath();
  EXPECT_TRUE(self.is_absolute());
  EXPECT_EQ(self.filename(), "core_program_files_test");
}

TEST(ProgramFiles, HelpPageIsFoundInEveryLayout) {
  struct Layout {
    const char* program;  // relative to the tree
    const char* page;     // where the page is put, relative to the tree
  };
  const Layout layouts[] = {
      {"build/src/app/korimu", "build/src/app/help/index.html"},
      {"usr/bin/korimu", "usr/share/korimu/help/index.html"},
      {"usr/libexec/korimu/korimu-window", "usr/share/korimu/help/index.html"},
      {"opt/k/lib/korimu/libkorimu_window.so", "opt/k/share/korimu/help/index.html"},
  };
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.program);
    testing::TempDir tree;
    const fs::path page = tree.path() / layout.page;
    fs::create_directories(page.parent_path());
    testing::writeFile(page, {'<'});
    EXPECT_EQ(helpPagePath((tree.path() / layout.program).string()), page.string());
  }
  // Nothing there: the installed place is named.
  EXPECT_EQ(helpPagePath("/nonexistent-folder/bin/korimu"),
            "/nonexistent-folder/share/korimu/help/index.html");
}

}  // namespace
}  // namespace korimu

#include "platform/ini_profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "wave/wav_builder.h"

namespace korimu {
namespace {

std::string fileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeText(const std::filesystem::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

TEST(IniProfile, NamesCompareWithoutCase) {
  IniDocument doc;
  doc.parse("; settings\n[korimu]\n  memsize = 64 \nDisplay=1109\n[Other]\nMemSize=3\n");
  EXPECT_EQ(doc.get("KORIMU", "MemSize"), "64");
  EXPECT_EQ(doc.get("KORIMU", "DISPLAY"), "1109");
  EXPECT_EQ(doc.get("other", "memsize"), "3");
  EXPECT_FALSE(doc.get("KORIMU", "mado").has_value());
  EXPECT_FALSE(doc.get("Missing", "MemSize").has_value());
}

TEST(IniProfile, MissingFileSectionOrKeyGivesTheDefault) {
  testing::TempDir dir;
  const auto file = dir.path() / "KORIMU.INI";
  EXPECT_EQ(readProfileString(file, "KORIMU", "MemSize", "15"), "15");
  writeText(file, "[Other]\nMemSize=3\n[KORIMU]\nmado=4\n");
  EXPECT_EQ(readProfileString(file, "KORIMU", "MemSize", "15"), "15");
  EXPECT_EQ(readProfileString(file, "KORIMU", "MADO", "0"), "4");
  EXPECT_EQ(readProfileString(file, "Nowhere", "mado", "0"), "0");
}

TEST(IniProfile, ValuesAreCutToTheBuffer) {
  testing::TempDir dir;
  const auto file = dir.path() / "KORIMU.INI";
  writeText(file, "[KORIMU]\nMemSize=" + std::string(40, '7') + "\n");
  EXPECT_EQ(readProfileString(file, "KORIMU", "MemSize", "15").size(), 31u);
}

TEST(IniProfile, WritingKeepsEverythingElse) {
  testing::TempDir dir;
  const auto file = dir.path() / "KORIMU.INI";
  const std::string before =
      "; written by hand\r\n[Fonts]\r\nface=Unifont\r\n\r\n[KORIMU]\r\nMemSize=15\r\n"
      "; keep this comment\r\nmado=2\r\n\r\n[Last]\r\nx=1\r\n";
  writeText(file, before);
  ASSERT_TRUE(writeProfileString(file, "korimu", "memsize", "64"));
  ASSERT_TRUE(writeProfileString(file, "KORIMU", "display", "1110"));
  ASSERT_TRUE(writeProfileString(file, "New", "key", "v"));
  const std::string after = fileText(file);
  EXPECT_EQ(after,
            "; written by hand\r\n[Fonts]\r\nface=Unifont\r\n\r\n[KORIMU]\r\nmemsize=64\r\n"
            "; keep this comment\r\nmado=2\r\ndisplay=1110\r\n\r\n[Last]\r\nx=1\r\n\r\n"
            "[New]\r\nkey=v\r\n");
  EXPECT_EQ(readProfileString(file, "KORIMU", "MemSize", ""), "64");
  // Only the file itself is left in the folder: the temporary was renamed over it.
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

// A section named twice: a write stays inside the first, which is also the one read first.
TEST(IniProfile, ASectionNamedTwiceIsWrittenInItsFirstPlace) {
  const std::string twice = "[KORIMU]\nmado=1\n\n[Other]\nx=1\n[KORIMU]\nMemSize=64\n";
  struct Case {
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"mado", "[KORIMU]\nmado=5\n\n[Other]\nx=1\n[KORIMU]\nMemSize=64\n"},
      {"display", "[KORIMU]\nmado=1\ndisplay=5\n\n[Other]\nx=1\n[KORIMU]\nMemSize=64\n"},
      {"MemSize", "[KORIMU]\nmado=1\nMemSize=5\n\n[Other]\nx=1\n[KORIMU]\nMemSize=64\n"},
  };
  for (const Case& c : cases) {
    IniDocument doc;
    doc.parse(twice);
    doc.set("KORIMU", c.key, "5");
    EXPECT_EQ(doc.text(), c.expected) << c.key;
    EXPECT_EQ(doc.get("KORIMU", c.key), "5") << c.key;
  }
}

TEST(IniProfile, WritingCreatesTheFolderAndFile) {
  testing::TempDir dir;
  const auto file = dir.path() / "config" / "korimu" / "KORIMU.INI";
  ASSERT_TRUE(writeProfileString(file, "KORIMU", "ColorScale", "1"));
  EXPECT_EQ(fileText(file), "[KORIMU]\nColorScale=1\n");
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST(IniProfile, FailedReplaceLeavesNoTemporaryBehind) {
  testing::TempDir dir;
  const auto file = dir.path() / "KORIMU.INI";
  std::filesystem::create_directories(file / "inside");  // a folder where the file should be
  EXPECT_FALSE(writeProfileString(file, "KORIMU", "MemSize", "64"));
  EXPECT_TRUE(std::filesystem::is_directory(file / "inside"));
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

}  // namespace
}  // namespace korimu

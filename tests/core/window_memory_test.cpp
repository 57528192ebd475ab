// What the window remembers, through the settings file: a round trip gives back what was saved,
// the settings' own section keeps its seven keys, damaged or foreign values give the defaults, and
// a save never writes a file the next start would refuse.
#include "core/window_memory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "core/settings.h"
#include "core/settings_file.h"
#include "core/span.h"
#include "platform/ini_profile.h"
#include "wave/wav_builder.h"

namespace korimu {
namespace {

constexpr uint16_t kNewShell = 0x400;

std::string fileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(WindowMemory, SavedChoicesComeBackAndTheSevenKeysStayAsTheyWere) {
  testing::TempDir dir;
  const std::filesystem::path file = dir.path() / "KORIMU.INI";
  AppSettings saved;
  saved.method = kWt;
  saved.blockOrder = 13;
  saved.timeResolution = 256;
  saved.playSpeed = -120;
  saved.colorScale = true;
  WindowMemory memory;
  memory.span = std::string(kWholeSpanLabel);
  memory.place = WindowPlace{-20, 700};
  memory.recent = {"/music/b.wav", "/music/a b.flac", "/music/ü.wav"};
  ASSERT_TRUE(saveSettingsTo(file, kNewShell, saved, nullptr, &memory));

  AppSettings loaded;
  WindowMemory back;
  ASSERT_EQ(loadSettingsFrom(file, kNewShell, loaded, &back), ProfileStatus::kRead);
  EXPECT_EQ(loaded.method, kWt);
  EXPECT_EQ(loaded.blockOrder, 13);
  EXPECT_EQ(loaded.timeResolution, 256);
  EXPECT_EQ(loaded.playSpeed, -120);
  EXPECT_TRUE(loaded.colorScale);
  EXPECT_EQ(back.span, memory.span);
  EXPECT_EQ(back.place, memory.place);
  EXPECT_EQ(back.recent, memory.recent);

  // The settings' section holds its seven keys and nothing else; a load without the window's
  // memory (the command line's) leaves the per-run choices at their start values.
  const std::string text = fileText(file);
  EXPECT_EQ(text.rfind("[KORIMU]\nColorScale=1\nOnMem=0\nMemSize=15\ndialog3d=1\nfutosa=1\n"
                       "display=1106\nmado=0\n\n[KORIMU window]\n",
                       0),
            0u)
      << text;
  AppSettings commandLine;
  loadSettingsFrom(file, kNewShell, commandLine);
  EXPECT_EQ(commandLine.method, AppSettings{}.method);
  EXPECT_EQ(commandLine.blockOrder, AppSettings{}.blockOrder);

  // Every span of the list comes back as the list shows it, blanks and all.
  for (const std::string& label : spanLabels(uint64_t{1} << 31)) {
    memory.span = label;
    ASSERT_TRUE(saveSettingsTo(file, kNewShell, saved, nullptr, &memory));
    loadSettingsFrom(file, kNewShell, loaded, &back);
    EXPECT_EQ(back.span, label);
  }
}

// The language the window speaks comes back as it was chosen; anything but "ja" or "en" (or no
// key, as in a file from before the choice existed) is Japanese, whatever the desktop's locale.
TEST(WindowMemory, TheLanguageComesBackAndIsJapaneseUnlessEnglishWasChosen) {
  testing::TempDir dir;
  const std::filesystem::path file = dir.path() / "KORIMU.INI";
  for (const Language language : {Language::kEnglish, Language::kJapanese}) {
    WindowMemory memory;
    memory.language = language;
    ASSERT_TRUE(saveSettingsTo(file, kNewShell, AppSettings{}, nullptr, &memory));
    AppSettings loaded;
    WindowMemory back;
    back.language = language == Language::kEnglish ? Language::kJapanese : Language::kEnglish;
    ASSERT_EQ(loadSettingsFrom(file, kNewShell, loaded, &back), ProfileStatus::kRead);
    EXPECT_EQ(back.language, language);
  }
  for (const char* section : {"Language=EN\n", "Language=fr\n", "Language=\n", "Method=1\n"}) {
    SCOPED_TRACE(section);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << "[KORIMU window]\n" << section;
    AppSettings loaded;
    WindowMemory memory;
    memory.language = Language::kEnglish;
    loadSettingsFrom(file, kNewShell, loaded, &memory);
    EXPECT_EQ(memory.language, Language::kJapanese);
  }
}

TEST(WindowMemory, DamagedOrForeignValuesGiveTheDefaults) {
  const struct {
    const char* name;
    const char* section;
  } rows[] = {
      {"out of range", "Method=5\nBlockOrder=17\nTimeResolution=1000\nPlaySpeed=1\nSpan=300\n"},
      {"below the range", "Method=-1\nBlockOrder=7\nTimeResolution=16\nPlaySpeed=-241\n"},
      {"not numbers",
       "Method=fft\nBlockOrder=1O\nTimeResolution=\nPlaySpeed=--5\nWindowX=12abc\nWindowY=3\n"},
      {"too long", "Method=0000000000001\nBlockOrder=99999999999999999999\n"},
      {"one coordinate", "WindowX=100\n"},
      {"foreign recent entries", "Recent1=relative.wav\nRecent2=\nRecent3=/x.wav'\n"},
  };
  const AppSettings defaults;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    testing::TempDir dir;
    const std::filesystem::path file = dir.path() / "KORIMU.INI";
    std::ofstream(file, std::ios::binary) << "[KORIMU window]\n" << row.section;
    AppSettings loaded;
    WindowMemory memory;
    memory.span = "stale";
    memory.recent = {"/stale.wav"};
    loadSettingsFrom(file, kNewShell, loaded, &memory);
    EXPECT_EQ(loaded.method, defaults.method);
    EXPECT_EQ(loaded.blockOrder, defaults.blockOrder);
    EXPECT_EQ(loaded.timeResolution, defaults.timeResolution);
    EXPECT_EQ(loaded.playSpeed, defaults.playSpeed);
    EXPECT_EQ(memory.span, "");
    EXPECT_FALSE(memory.place);
    EXPECT_TRUE(memory.recent.empty());
  }
}

// Recent paths are the only values without a bound: a save drops the oldest until the file is
// one the next start reads, and skips a path the file could not give back as it was.
TEST(WindowMemory, ASaveNeverWritesAFileTooLargeToRead) {
  testing::TempDir dir;
  const std::filesystem::path file = dir.path() / "KORIMU.INI";
  // The user's own notes already take most of the room.
  std::ofstream(file, std::ios::binary) << "[Notes]\nText=" << std::string(40000, 'n') << "\n";
  WindowMemory memory;
  for (char c = 'a'; c < 'a' + 8; ++c) memory.recent.push_back("/" + std::string(4000, c));
  memory.recent[1] = "/line\nbreak.wav";
  ASSERT_TRUE(saveSettingsTo(file, kNewShell, AppSettings{}, nullptr, &memory));
  EXPECT_LE(std::filesystem::file_size(file), kProfileSizeLimit);
  AppSettings loaded;
  WindowMemory back;
  ASSERT_EQ(loadSettingsFrom(file, kNewShell, loaded, &back), ProfileStatus::kRead);
  ASSERT_FALSE(back.recent.empty());
  EXPECT_LT(back.recent.size(), 7u);
  // The newest stay, in order; the path with a line break is not written at all.
  EXPECT_EQ(back.recent[0], memory.recent[0]);
  for (size_t i = 1; i < back.recent.size(); ++i) EXPECT_EQ(back.recent[i], memory.recent[i + 1]);
  EXPECT_NE(fileText(file).find("Text=" + std::string(40000, 'n')), std::string::npos);
}

TEST(WindowMemory, TheRecentListKeepsTheNewestEightOnce) {
  std::vector<std::string> recent;
  for (int i = 0; i < 10; ++i) rememberRecentFile(recent, "/f" + std::to_string(i));
  ASSERT_EQ(recent.size(), kRecentFileCount);
  EXPECT_EQ(recent.front(), "/f9");
  EXPECT_EQ(recent.back(), "/f2");
  rememberRecentFile(recent, "/f5");
  EXPECT_EQ(recent.front(), "/f5");
  EXPECT_EQ(std::count(recent.begin(), recent.end(), "/f5"), 1);
  EXPECT_EQ(recent.size(), kRecentFileCount);
  rememberRecentFile(recent, "");
  EXPECT_EQ(recent.front(), "/f5");
}

}  // namespace
}  // namespace korimu

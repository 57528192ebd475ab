#include "core/settings_file.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "core/settings.h"
#include "platform/ini_profile.h"
#include "platform/message.h"
#include "wave/wav_builder.h"

namespace korimu {
namespace {

constexpr uint16_t kNewShell = 0x400;
constexpr uint16_t kOld = 0x30B;

class SettingsFileTest : public ::testing::Test {
 protected:
  // Stores `body` in the settings file and reads it back as the given shell version.
  void loadStored(const std::string& body, uint16_t version = kNewShell) {
    std::ofstream(file_, std::ios::binary) << "[KORIMU]\n" << body;
    loadSettingsFrom(file_, version, settings);
  }
  std::string text() const {
    std::ifstream in(file_, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  testing::TempDir dir_;
  std::filesystem::path file_ = dir_.path() / "KORIMU.INI";
  AppSettings settings;
};

TEST_F(SettingsFileTest, FirstRunUsesDefaultsAndWritesSevenKeys) {
  settings.memSize = 99;
  settings.display = kTimeFrequencyChart;
  loadSettingsFrom(file_, kNewShell, settings);
  EXPECT_FALSE(settings.colorScale);
  EXPECT_FALSE(settings.onMem);
  EXPECT_EQ(settings.memSize, 15);
  EXPECT_TRUE(settings.dialog3d);
  EXPECT_EQ(settings.lineWidth, LineWidth::kThin);
  EXPECT_EQ(settings.display, kWaveZoom);
  EXPECT_EQ(settings.windowFunction, WindowFunction::kHanning);
  ASSERT_TRUE(saveSettingsTo(file_, kNewShell, settings));
  EXPECT_EQ(text(),
            "[KORIMU]\nColorScale=0\nOnMem=0\nMemSize=15\ndialog3d=1\nfutosa=1\n"
            "display=1106\nmado=0\n");
}

TEST_F(SettingsFileTest, OlderSystemsLeaveDialog3dOut) {
  loadStored("dialog3d=0\n", kOld);
  EXPECT_TRUE(settings.dialog3d);
  std::filesystem::remove(file_);
  ASSERT_TRUE(saveSettingsTo(file_, kOld, settings));
  EXPECT_EQ(text().find("dialog3d"), std::string::npos);
  EXPECT_EQ(loadProfile(file_).get("KORIMU", "mado"), "0");
}

TEST_F(SettingsFileTest, MemSizeIsHeldInRange) {
  loadStored("MemSize=1\n");
  EXPECT_EQ(settings.memSize, 2);
  loadStored("MemSize=300\n");
  EXPECT_EQ(settings.memSize, 255);
  loadStored("MemSize=64\n");
  EXPECT_EQ(settings.memSize, 64);
  loadSettingsFrom(file_, kOld, settings);
  EXPECT_EQ(settings.memSize, 15);
  loadStored("MemSize=lots\n");
  EXPECT_EQ(settings.memSize, 2);

  EXPECT_EQ(clampedMemSize(1000, kNewShell), 255);
}

TEST_F(SettingsFileTest, DisplayIsHeldToTheFiveViews) {
  loadStored("display=2000\n");
  EXPECT_EQ(settings.display, kTimeFrequencyChart);
  loadStored("display=0\n");
  EXPECT_EQ(settings.display, kWaveZoom);
  loadStored("display=abc\n");
  EXPECT_EQ(settings.display, kWaveZoom);
  loadStored("display=1108\n");
  EXPECT_EQ(settings.display, kSpectrumLinear);
}

// Values outside their domain come back as the defaults; no width or switch is taken as read.
TEST_F(SettingsFileTest, EveryStoredValueIsHeldToItsDomain) {
  loadStored("futosa=0\nColorScale=7\nOnMem=-3\ndialog3d=5\nmado=6\n");
  EXPECT_EQ(settings.lineWidth, LineWidth::kThin);
  EXPECT_FALSE(settings.colorScale);
  EXPECT_FALSE(settings.onMem);
  EXPECT_TRUE(settings.dialog3d);
  EXPECT_EQ(settings.windowFunction, WindowFunction::kGauss650);
  loadStored("futosa=2147483647\nColorScale=1\nOnMem=1\ndialog3d=0\n");
  EXPECT_EQ(settings.lineWidth, LineWidth::kThin);
  EXPECT_TRUE(settings.colorScale);
  EXPECT_TRUE(settings.onMem);
  EXPECT_FALSE(settings.dialog3d);
  loadStored("futosa=2\n");
  EXPECT_EQ(settings.lineWidth, LineWidth::kThick);
}

// Every choice other than the defaults comes back as the same codes, byte for byte.
TEST_F(SettingsFileTest, ChoicesOtherThanTheDefaultsSurviveARoundTrip) {
  const std::string stored =
      "[KORIMU]\nColorScale=1\nOnMem=1\nMemSize=64\ndialog3d=0\nfutosa=2\ndisplay=1109\n"
      "mado=5\n";
  std::ofstream(file_, std::ios::binary) << stored;
  loadSettingsFrom(file_, kNewShell, settings);
  EXPECT_EQ(settings.lineWidth, LineWidth::kThick);
  EXPECT_EQ(settings.windowFunction, WindowFunction::kGauss424);
  std::filesystem::remove(file_);
  ASSERT_TRUE(saveSettingsTo(file_, kNewShell, settings));
  EXPECT_EQ(text(), stored);
}

TEST_F(SettingsFileTest, WindowFunctionOutsideTheTableFallsBackToHanning) {
  loadStored("mado=7\n");
  EXPECT_EQ(settings.windowFunction, WindowFunction::kHanning);
  loadStored("mado=-1\n");
  EXPECT_EQ(settings.windowFunction, WindowFunction::kHanning);
}

TEST_F(SettingsFileTest, ChartViewIsRememberedAndOtherSectionsKept) {
  std::ofstream(file_, std::ios::binary) << "; mine\n[Elsewhere]\na=1\n[KORIMU]\ndisplay=1106\n";
  settings.display = kTimeFrequencyChart;
  ASSERT_TRUE(saveSettingsTo(file_, kNewShell, settings));
  EXPECT_EQ(loadProfile(file_).get("KORIMU", "display"), "1110");
  EXPECT_EQ(loadProfile(file_).get("Elsewhere", "a"), "1");
  EXPECT_EQ(text().rfind("; mine\n", 0), 0u);
}

TEST(ProfileInteger, ConvertsLikeTheStandardDecimalConversion) {
  EXPECT_EQ(profileInteger("  42"), 42);
  EXPECT_EQ(profileInteger("-17x"), -17);
  EXPECT_EQ(profileInteger("+8"), 8);
  EXPECT_EQ(profileInteger("12 34"), 12);
  EXPECT_EQ(profileInteger("abc"), 0);
  EXPECT_EQ(profileInteger(""), 0);
  EXPECT_EQ(profileInteger("99999999999"), 2147483647);
  EXPECT_EQ(profileInteger("-99999999999"), -2147483647 - 1);
}

// The environment as a test left it, restored afterwards.
class SavedVariable {
 public:
  explicit SavedVariable(const char* name) : name_(name) {
    const char* value = std::getenv(name);
    if (value) value_ = value;
    had_ = value != nullptr;
  }
  ~SavedVariable() {
    if (had_)
      setenv(name_, value_.c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::string value_;
  bool had_ = false;
};

TEST(SettingsPath, AbsoluteConfigFolderOrHomeFromTheEnvironmentOrThePasswordDatabase) {
  SavedVariable config("XDG_CONFIG_HOME"), home("HOME");
  setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
  EXPECT_EQ(settingsFilePath(), std::filesystem::path("/tmp/cfg/korimu/KORIMU.INI"));
  setenv("HOME", "/home/someone", 1);
  for (const char* ignored : {"", "relative/cfg", "."}) {
    setenv("XDG_CONFIG_HOME", ignored, 1);
    EXPECT_EQ(settingsFilePath(), std::filesystem::path("/home/someone/.config/korimu/KORIMU.INI"))
        << "XDG_CONFIG_HOME=\"" << ignored << "\"";
  }
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("HOME");
  const passwd* me = ::getpwuid(::getuid());
  ASSERT_NE(me, nullptr);
  EXPECT_EQ(settingsFilePath(), std::filesystem::path(me->pw_dir) / ".config/korimu/KORIMU.INI");
  setenv("HOME", "not/absolute", 1);
  EXPECT_EQ(settingsFilePath(), std::filesystem::path(me->pw_dir) / ".config/korimu/KORIMU.INI");
}

// Runs `check` as a user without the root's right to read every file: in a child process that
// has given up root when the tests run as root. Returns what `check` returned (-1 when it could
// not run).
int asOrdinaryUser(const std::function<int()>& check) {
  if (::getuid() != 0) return check();
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
    ::_exit(check());
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// A settings file that is there but cannot be read: the defaults apply, the problem is told
// once, and the file keeps every byte when the program ends.
TEST(SettingsSafety, AnUnreadableFileIsNeverWrittenBack) {
  testing::TempDir dir;
  const auto folder = dir.path() / "korimu";
  std::filesystem::create_directories(folder);
  const auto file = folder / "KORIMU.INI";
  const std::string mine = "; my notes\n[KORIMU]\nmado=3\nMemSize=64\n[Other]\nx=1\n";
  std::ofstream(file, std::ios::binary) << mine;
  // Anyone may write into the folders, so only the rule can keep the file from being replaced.
  std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
  std::filesystem::permissions(folder, std::filesystem::perms::all);
  std::filesystem::permissions(file, std::filesystem::perms::none);
  SavedVariable config("XDG_CONFIG_HOME");
  setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);

  const int result = asOrdinaryUser([] {
    int told = 0;
    const Messages recorder{[&told](std::string_view, MessageKind) { ++told; }};
    AppSettings settings;
    settings.windowFunction = WindowFunction::kGauss424;
    const SettingsOrigin origin = loadSettings(settings);
    const bool defaults =
        settings.windowFunction == WindowFunction::kHanning && settings.memSize == 15;
    reportSettingsProblem(origin, recorder);
    settings.windowFunction = WindowFunction::kRectangle;
    saveSettings(settings, origin);
    // The lower-level save refuses on its own, whoever calls it.
    const bool refused = !saveSettingsTo(origin.file, kNewShell, settings);
    return (defaults ? 0 : 1) | (told == 1 ? 0 : 2) | (refused ? 0 : 4);
  });
  std::filesystem::permissions(file, std::filesystem::perms::owner_read);
  EXPECT_EQ(result, 0)
      << "bit 1: defaults not taken, bit 2: not told exactly once, bit 4: saveSettingsTo wrote";
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), mine);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                          std::filesystem::directory_iterator()),
            1);
}

// A file larger than any settings file (10 MB of line ends once cost a gigabyte to read) is not
// read past the limit: it is unreadable, the defaults apply, and it is never replaced. A file at
// the limit is still read.
TEST_F(SettingsFileTest, AFileBeyondTheSizeLimitIsUnreadableAndKept) {
  const std::string settingsPart = "[KORIMU]\nmado=3\n;";
  const std::string atLimit =
      settingsPart + std::string(kProfileSizeLimit - settingsPart.size(), 'x');
  for (const std::string& stored : {atLimit + "x", atLimit + std::string(10 << 20, '\n')}) {
    std::ofstream(file_, std::ios::binary) << stored;
    settings.windowFunction = WindowFunction::kGauss424;
    EXPECT_EQ(loadSettingsFrom(file_, kNewShell, settings), ProfileStatus::kUnreadable);
    EXPECT_EQ(settings.windowFunction, WindowFunction::kHanning);
    EXPECT_FALSE(saveSettingsTo(file_, kNewShell, settings));
    EXPECT_EQ(std::filesystem::file_size(file_), stored.size());
  }
  std::ofstream(file_, std::ios::binary) << atLimit;
  EXPECT_EQ(loadSettingsFrom(file_, kNewShell, settings), ProfileStatus::kRead);
  EXPECT_EQ(settings.windowFunction, WindowFunction::kTriangle);
}

// A save never writes a file the next start would refuse: when the seven keys would take the file
// past the limit, the save fails, says why and leaves every byte; a save that fits is written and
// reads back.
TEST_F(SettingsFileTest, ASaveNeverWritesAFileThatWouldNotBeRead) {
  const std::string keys =
      "[KORIMU]\nColorScale=0\nOnMem=0\nMemSize=15\ndialog3d=1\nfutosa=1\ndisplay=1106\nmado=0\n";
  // The user's notes, filled up to `size` bytes in all with what comes after them.
  const auto notesOf = [](size_t size, const std::string& after) {
    return "; " + std::string(size - after.size() - 3, 'n') + "\n" + after;
  };
  struct Case {
    const char* what;
    std::string stored;
    bool fits;
  };
  const Case cases[] = {
      {"at the limit without the keys", notesOf(kProfileSizeLimit, ""), false},
      {"a few bytes short of the limit", notesOf(kProfileSizeLimit - 10, ""), false},
      {"one key short", notesOf(kProfileSizeLimit, keys.substr(0, keys.size() - 7)), false},
      {"at the limit with every key", notesOf(kProfileSizeLimit, keys), true},
      {"room for the keys to the byte", notesOf(kProfileSizeLimit - keys.size(), "\n"), true},
      {"a byte short of room for them", notesOf(kProfileSizeLimit - keys.size() + 1, "\n"), false},
      {"a small file", "; mine\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_LE(c.stored.size(), kProfileSizeLimit);
    std::ofstream(file_, std::ios::binary) << c.stored;
    ASSERT_EQ(loadSettingsFrom(file_, kNewShell, settings), ProfileStatus::kRead);
    std::string reason;
    EXPECT_EQ(saveSettingsTo(file_, kNewShell, settings, &reason), c.fits) << reason;
    const std::string after = text();
    EXPECT_LE(after.size(), kProfileSizeLimit);
    ProfileStatus status = ProfileStatus::kMissing;
    const IniDocument read = loadProfile(file_, &status);
    EXPECT_EQ(status, ProfileStatus::kRead);
    if (c.fits) {
      EXPECT_EQ(after.rfind(c.stored.substr(0, c.stored.find('\n')), 0), 0u) << "notes kept";
      EXPECT_EQ(read.get("KORIMU", "display"), "1106");
    } else {
      EXPECT_TRUE(after == c.stored) << "the file was changed";
      EXPECT_NE(reason.find("65536"), std::string::npos) << reason;
    }
  }

  // At the program's end the refusal is told on stderr.
  SavedVariable config("XDG_CONFIG_HOME");
  setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
  const std::filesystem::path atHome = dir_.path() / "korimu" / "KORIMU.INI";
  std::filesystem::create_directories(atHome.parent_path());
  const std::string full = notesOf(kProfileSizeLimit, "");
  std::ofstream(atHome, std::ios::binary) << full;
  const SettingsOrigin origin = loadSettings(settings);
  ASSERT_EQ(origin.status, ProfileStatus::kRead);
  ::testing::internal::CaptureStderr();
  saveSettings(settings, origin);
  const std::string told = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(told.find("not saved"), std::string::npos) << told;
  EXPECT_NE(told.find(atHome.string()), std::string::npos) << told;
  EXPECT_EQ(std::filesystem::file_size(atHome), full.size());
}

TEST_F(SettingsFileTest, AFolderInPlaceOfTheFileIsNotReplaced) {
  std::filesystem::create_directories(file_ / "inside");
  EXPECT_EQ(loadSettingsFrom(file_, kNewShell, settings), ProfileStatus::kUnreadable);
  EXPECT_FALSE(saveSettingsTo(file_, kNewShell, settings));
  EXPECT_TRUE(std::filesystem::is_directory(file_ / "inside"));
}

TEST_F(SettingsFileTest, ASymbolicLinkIsUpdatedThroughTheLink) {
  const auto elsewhere = dir_.path() / "dotfiles";
  std::filesystem::create_directories(elsewhere);
  const auto real = elsewhere / "korimu.ini";
  std::ofstream(real, std::ios::binary) << "; kept\n[KORIMU]\nmado=2\n";
  std::filesystem::create_symlink("dotfiles/korimu.ini", file_);  // relative, like most links
  EXPECT_EQ(loadSettingsFrom(file_, kNewShell, settings), ProfileStatus::kRead);
  EXPECT_EQ(settings.windowFunction, WindowFunction::kBlackman);
  settings.windowFunction = WindowFunction::kGauss424;
  ASSERT_TRUE(saveSettingsTo(file_, kNewShell, settings));
  EXPECT_TRUE(std::filesystem::is_symlink(file_));
  EXPECT_EQ(loadProfile(real).get("KORIMU", "mado"), "5");
  std::ifstream in(real, std::ios::binary);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, "; kept");
}

TEST_F(SettingsFileTest, AByteOrderMarkIsReadAndKept) {
  std::ofstream(file_, std::ios::binary) << "\xEF\xBB\xBF[KORIMU]\nmado=3\n";
  loadSettingsFrom(file_, kNewShell, settings);
  EXPECT_EQ(settings.windowFunction, WindowFunction::kTriangle);
  ASSERT_TRUE(saveSettingsTo(file_, kNewShell, settings));
  const std::string after = text();
  EXPECT_EQ(after.rfind("\xEF\xBB\xBF[KORIMU]\n", 0), 0u);
  EXPECT_EQ(after.find("[KORIMU]"), after.rfind("[KORIMU]")) << "one section, not two";
}

// Every line keeps its own end: CR-only files stay CR-only, mixed files stay mixed (new lines
// take the end of the line before them), and the last line keeps its lone CR.
TEST_F(SettingsFileTest, EachLineKeepsItsOwnLineEnd) {
  std::ofstream(file_, std::ios::binary) << "[KORIMU]\rmado=3\r; note\r";
  loadSettingsFrom(file_, kNewShell, settings);
  EXPECT_EQ(settings.windowFunction, WindowFunction::kTriangle);
  ASSERT_TRUE(saveSettingsTo(file_, kNewShell, settings));
  EXPECT_EQ(text(),
            "[KORIMU]\rmado=3\r; note\rColorScale=0\rOnMem=0\rMemSize=15\rdialog3d=1\r"
            "futosa=1\rdisplay=1106\r");

  std::ofstream(file_, std::ios::binary) << "[A]\r\nx=1\n[KORIMU]\rmado=2\r\n; end\r";
  loadSettingsFrom(file_, kNewShell, settings);
  EXPECT_EQ(settings.windowFunction, WindowFunction::kBlackman);
  ASSERT_TRUE(saveSettingsTo(file_, kNewShell, settings));
  EXPECT_EQ(text(),
            "[A]\r\nx=1\n[KORIMU]\rmado=2\r\n; end\rColorScale=0\rOnMem=0\rMemSize=15\r"
            "dialog3d=1\rfutosa=1\rdisplay=1106\r");

  // A section added after a lone CR in a file of LF lines keeps its blank line.
  std::ofstream(file_, std::ios::binary) << "a=1\nb=2\r";
  ASSERT_TRUE(saveSettingsTo(file_, kNewShell, settings));
  EXPECT_EQ(text().rfind("a=1\nb=2\r\r[KORIMU]\rColorScale=0\r", 0), 0u);
}

}  // namespace
}  // namespace korimu

#include "core/settings_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/settings.h"
#include "platform/ini_profile.h"
#include "wave/wav_builder.h"

namespace korimu {
namespace {

constexpr uint16_t kNewShell = 0x400;
constexpr uint16_t kOld = 0x30B;

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override { settings = AppSettings{}; }
  // Stores `body` in the settings file and reads it back as the given shell version.
  void loadStored(const std::string& body, uint16_t version = kNewShell) {
    std::ofstream(file_, std::ios::binary) << "[KORIMU]\n" << body;
    loadSettingsFrom(file_, version);
  }
  std::string text() const {
    std::ifstream in(file_, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  testing::TempDir dir_;
  std::filesystem::path file_ = dir_.path() / "KORIMU.INI";
};

TEST_F(SettingsFileTest, FirstRunUsesDefaultsAndWritesSevenKeys) {
  settings.memSize = 99;
  settings.display = 0;
  loadSettingsFrom(file_, kNewShell);
  EXPECT_EQ(settings.colorScale, 0);
  EXPECT_EQ(settings.onMem, 0);
  EXPECT_EQ(settings.memSize, 15);
  EXPECT_EQ(settings.dialog3d, 1);
  EXPECT_EQ(settings.futosa, 1);
  EXPECT_EQ(settings.display, kWaveZoom);
  EXPECT_EQ(settings.mado, 0);
  ASSERT_TRUE(saveSettingsTo(file_, kNewShell));
  EXPECT_EQ(text(),
            "[KORIMU]\nColorScale=0\nOnMem=0\nMemSize=15\ndialog3d=1\nfutosa=1\n"
            "display=1106\nmado=0\n");
}

TEST_F(SettingsFileTest, OlderSystemsLeaveDialog3dOut) {
  loadStored("dialog3d=0\n", kOld);
  EXPECT_EQ(settings.dialog3d, 1);
  std::filesystem::remove(file_);
  ASSERT_TRUE(saveSettingsTo(file_, kOld));
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
  loadSettingsFrom(file_, kOld);
  EXPECT_EQ(settings.memSize, 15);
  loadStored("MemSize=lots\n");
  EXPECT_EQ(settings.memSize, 2);

  settings.memSize = 1000;
  clampMemSize();
  EXPECT_EQ(settings.memSize, 255);
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

TEST_F(SettingsFileTest, OtherFieldsAreTakenAsRead) {
  loadStored("futosa=0\nColorScale=7\nOnMem=-3\ndialog3d=5\nmado=6\n");
  EXPECT_EQ(settings.futosa, 0);
  EXPECT_EQ(settings.colorScale, 7);
  EXPECT_EQ(settings.onMem, -3);
  EXPECT_EQ(settings.dialog3d, 5);
  EXPECT_EQ(settings.mado, 6);
}

TEST_F(SettingsFileTest, WindowFunctionOutsideTheTableFallsBackToHanning) {
  loadStored("mado=7\n");
  EXPECT_EQ(settings.mado, 0);
  loadStored("mado=-1\n");
  EXPECT_EQ(settings.mado, 0);
}

TEST_F(SettingsFileTest, ChartViewIsRememberedAndOtherSectionsKept) {
  std::ofstream(file_, std::ios::binary) << "; mine\n[Elsewhere]\na=1\n[KORIMU]\ndisplay=1106\n";
  settings.display = kTimeFrequencyChart;
  ASSERT_TRUE(saveSettingsTo(file_, kNewShell));
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

TEST(SettingsPath, FollowsTheConfigFolder) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string keep = saved ? saved : "";
  setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
  EXPECT_EQ(settingsFilePath(), std::filesystem::path("/tmp/cfg/korimu/KORIMU.INI"));
  unsetenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (home && *home) {
    EXPECT_EQ(settingsFilePath(), std::filesystem::path(home) / ".config/korimu/KORIMU.INI");
  }
  if (saved) setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
}

}  // namespace
}  // namespace korimu

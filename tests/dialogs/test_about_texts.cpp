#include <gtest/gtest.h>

#include "dialogs/about_texts.h"

namespace korimu {
namespace {

TEST(AboutTexts, DeviceCountsAreTwoWideRecordingFirst) {
  EXPECT_EQ(deviceCountsText(0, 0), "録音ﾃﾞﾊﾞｲｽ= 0個  再生ﾃﾞﾊﾞｲｽ= 0個");
  EXPECT_EQ(deviceCountsText(1, 3), "録音ﾃﾞﾊﾞｲｽ= 1個  再生ﾃﾞﾊﾞｲｽ= 3個");
  EXPECT_EQ(deviceCountsText(12, 105), "録音ﾃﾞﾊﾞｲｽ=12個  再生ﾃﾞﾊﾞｲｽ=105個");
}

TEST(AboutTexts, WordSizeNamesThisBuild) {
  EXPECT_EQ(wordSizeText(32), "32 bit 版");
  EXPECT_EQ(wordSizeText(), wordSizeText(int(sizeof(void*)) * 8));
  EXPECT_STREQ(kAboutVersion, "KORIMU  Version 0.10");
}

TEST(AboutTexts, ToolchainLabelNamesCompilerAndQt) {
  const std::string label = toolchainLabel(6, 4);
  EXPECT_NE(label.find("Qt6.4"), std::string::npos);
  EXPECT_TRUE(label.rfind("g++", 0) == 0 || label.rfind("clang", 0) == 0) << label;
}

}  // namespace
}  // namespace korimu

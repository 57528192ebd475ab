#include "platform/system_facts.h"

#include <gtest/gtest.h>

namespace korimu {
namespace {

TEST(SystemFacts, FollowsTheFourHundredRules) {
  EXPECT_EQ(kSystemVersion, 0x400);
  EXPECT_GE(kSystemVersion, 0x35F);  // a new-shell system
}

TEST(SystemFacts, VolumeOfAFileAndOfAMissingOne) {
  VolumeInfo root;
  ASSERT_TRUE(queryVolumeCapacity("/", &root));
  EXPECT_GT(root.totalCapacity, 0u);
  EXPECT_GT(root.bytesPerCluster, 0u);
  EXPECT_LE(root.freeBytes, root.totalCapacity);
  // A name that does not exist is answered for the current folder's volume.
  VolumeInfo missing;
  EXPECT_TRUE(queryVolumeCapacity("/no/such/file.wav", &missing));
  EXPECT_GT(missing.totalCapacity, 0u);
}

TEST(SystemFacts, VolumeQueryCanBeReplaced) {
  const VolumeQuery diskette = [](const std::filesystem::path&, VolumeInfo* info) {
    info->totalCapacity = 1457664;
    return true;
  };
  VolumeInfo info;
  EXPECT_TRUE(queryVolumeCapacity(diskette, "/", &info));
  EXPECT_EQ(info.totalCapacity, 1457664u);
  // An unset query asks the system.
  VolumeInfo asked;
  VolumeInfo system;
  EXPECT_TRUE(queryVolumeCapacity(VolumeQuery{}, "/", &asked));
  EXPECT_TRUE(queryVolumeCapacity("/", &system));
  EXPECT_EQ(asked.totalCapacity, system.totalCapacity);
}

TEST(SystemFacts, TickNeverRunsBackwards) {
  const unsigned long first = systemTickMs();
  const unsigned long second = systemTickMs();
  EXPECT_GE(second, first);
}

}  // namespace
}  // namespace korimu

// Playback from one buffer (OnMem), with the timer-driven marker.
#include "wave/playback_fixture.h"

namespace korimu {
namespace {

using testing::PlaybackTest;

class PlaybackSingleBuffer : public PlaybackTest {
 protected:
  void SetUp() override {
    PlaybackTest::SetUp();
    settings.onMem = true;
  }
};

TEST_F(PlaybackSingleBuffer, PlaysTheRangeFromOneBufferWithTheMarkerTimer) {
  makeFile(100000);
  position_ = 4000;
  start(false);
  ASSERT_TRUE(wave_.playback.playing);
  ASSERT_EQ(device_.writes.size(), 1u);
  EXPECT_EQ(everythingWritten(), dataFrom(4000, 96000));
  EXPECT_TRUE(wave_.playback.lastQueued);
  // The wait cursor while the whole range is allocated and while it is read.
  EXPECT_EQ(events_, (std::vector<std::string>{"wait", "wait over", "starting", "wait", "wait over",
                                               "frame", "playing"}));
  EXPECT_EQ(timerPeriod_, 186);  // 2048 samples at 11025 Hz, in ms
  ASSERT_TRUE(returnOne());
  EXPECT_FALSE(wave_.playback.playing);
  EXPECT_EQ(timerPeriod_, 0);  // killed
  EXPECT_EQ(position_, 0u);
  EXPECT_FALSE(device_.open);
  EXPECT_TRUE(wave_.sampleBuffer[0].empty());
}

TEST_F(PlaybackSingleBuffer, TheTimerPeriodFollowsTheSpeed) {
  makeFile(100000);
  settings.playSpeed = -120;
  start(false);
  EXPECT_EQ(timerPeriod_, 372);
}

TEST_F(PlaybackSingleBuffer, StopAdvancesThePositionByTheTimePlayed) {
  makeFile(400000);
  position_ = 4000;
  start(false);
  now_ += 500;
  stopPlayback(wave_);
  EXPECT_EQ(position_, 4000u + 22050 * 4);  // half a second of 44.1 kHz frames
  EXPECT_EQ(timerPeriod_, 0);
  EXPECT_EQ(device_.resets, 1);
  EXPECT_FALSE(device_.open);
  EXPECT_TRUE(wave_.sampleBuffer[0].empty());

  // At half speed the device has played half as many frames in the same time.
  settings.playSpeed = -120;
  position_ = 4000;
  start(false);
  now_ += 500;
  stopPlayback(wave_);
  EXPECT_EQ(position_, 4000u + 11025 * 4);
}

TEST_F(PlaybackSingleBuffer, StopNeverMovesPastTheBufferThatWasPlayed) {
  settings.memSize = 2;
  makeFile(3 << 20);  // only the first 2 MB - 4 fit the buffer
  start(false);
  EXPECT_EQ(device_.writes.at(0).second.size(), (2u << 20) - 4);
  now_ += 600000;  // ten minutes: far more than the buffer holds
  stopPlayback(wave_);
  EXPECT_EQ(position_, (2u << 20) - 4);
}

TEST_F(PlaybackSingleBuffer, PartialPlayMovesTheMarkerOnTimerTicks) {
  settings.framesPerColumn = 64;  // w = 128 columns, T = 186 ms
  makeFile(400000);
  start(true);
  ASSERT_TRUE(wave_.playback.playing);
  EXPECT_EQ(device_.writes.at(0).second.size(), 131068u);  // the span, less 4 bytes
  using Runs = std::vector<std::pair<int, int>>;
  EXPECT_EQ(invertedRuns(), (Runs{{0, 128}}));
  now_ += 100;
  markerTick(wave_);  // rounds to 1 step
  EXPECT_EQ(invertedRuns(), (Runs{{128, 256}}));
  now_ += 272;  // 372 ms: still step 2
  markerTick(wave_);
  EXPECT_EQ(invertedRuns(), (Runs{{256, 384}}));
  now_ += 186;
  markerTick(wave_);
  EXPECT_EQ(invertedRuns(), (Runs{{384, 512}}));
  EXPECT_TRUE(stripsCoverFullHeight());
  const int w = kLayout.unitW;
  EXPECT_EQ(crossSectionColumns_, (std::vector<int>{w, 128 + w, 256 + w, 384 + w}));
  ASSERT_TRUE(returnOne());
  EXPECT_TRUE(invertedRuns().empty());
  EXPECT_FALSE(wave_.playback.playing);
  EXPECT_EQ(position_, 0u);
}

TEST_F(PlaybackSingleBuffer, SeveralStepsDueAtOneTickAreAllDrawn) {
  settings.framesPerColumn = 64;
  makeFile(400000);
  start(true);
  now_ += 3 * 186;
  markerTick(wave_);
  EXPECT_EQ(invertedRuns(), (std::vector<std::pair<int, int>>{{384, 512}}));
  EXPECT_EQ(wave_.playback.ticksShown, 3u);
}

TEST_F(PlaybackSingleBuffer, StopDuringPartialPlayRemovesTheMarker) {
  settings.framesPerColumn = 64;
  makeFile(400000);
  position_ = 40000;
  start(true);
  now_ += 186;
  markerTick(wave_);
  stopPlayback(wave_);
  EXPECT_TRUE(invertedRuns().empty());
  EXPECT_EQ(position_, 40000u);
}

TEST_F(PlaybackSingleBuffer, WholePlaybackHasNoMarker) {
  makeFile(400000);
  start(false);
  now_ += 1000;
  markerTick(wave_);
  EXPECT_TRUE(invertedRuns().empty());
}

}  // namespace
}  // namespace korimu

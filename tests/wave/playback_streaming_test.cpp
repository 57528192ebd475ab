// Whole and partial playback streamed through two buffers.
#include "wave/playback_fixture.h"

namespace korimu {
namespace {

using testing::FormatFields;
using testing::PlaybackTest;

using PlaybackStreaming = PlaybackTest;

TEST_F(PlaybackStreaming, PlaysEveryByteFromThePositionThenReturnsToTheStart) {
  makeFile(100000);
  position_ = 4000;
  start(false);
  ASSERT_TRUE(messages_.empty()) << messages_.front();
  ASSERT_TRUE(wave_.playback.playing);
  EXPECT_EQ(wave_.bufferBytes, 32768u);  // 44.1 kHz 16-bit stereo, PB 2048
  ASSERT_EQ(device_.writes.size(), 2u);
  EXPECT_FALSE(wave_.playback.lastQueued);
  EXPECT_EQ(events_, (std::vector<std::string>{"starting", "playing"}));

  events_.clear();
  playToEnd();
  EXPECT_FALSE(wave_.playback.playing);
  EXPECT_EQ(everythingWritten(), dataFrom(4000, 96000));
  std::vector<int> headers;
  for (const auto& w : device_.writes) headers.push_back(w.first);
  EXPECT_EQ(headers, (std::vector<int>{0, 1, 0}));  // 32768 + 32768 + 30464
  // The end: position 0 (its text and the overview follow), then idle.
  EXPECT_EQ(position_, 0u);
  EXPECT_EQ(events_, (std::vector<std::string>{"position", "idle"}));
  EXPECT_FALSE(device_.open);
  EXPECT_EQ(device_.closes, 1);
  EXPECT_FALSE(wave_.outputDeviceOpen);
  EXPECT_TRUE(wave_.sampleBuffer[0].empty());
  EXPECT_TRUE(wave_.sampleBuffer[1].empty());
}

TEST_F(PlaybackStreaming, DeclaresTheRateTheSpeedGives) {
  makeFile(50000);
  const std::pair<int32_t, uint32_t> cases[] = {{0, 44100}, {-120, 22050}, {-240, 11025}};
  for (const auto& [speed, rate] : cases) {
    settings.playSpeed = speed;
    start(false);
    ASSERT_TRUE(wave_.playback.playing);
    EXPECT_EQ(device_.format.samplesPerSec, rate);
    EXPECT_EQ(device_.format.avgBytesPerSec, rate * 4);
    EXPECT_EQ(device_.format.blockAlign, 4);
    stopPlayback(wave_);
  }
  // An 8 kHz file at -60: 2^-0.5 of 8000, rounded.
  FormatFields slow;
  slow.rate = 8000;
  slow.channels = 1;
  slow.bits = 8;
  makeFile(20000, slow);
  settings.playSpeed = -60;
  start(false);
  EXPECT_EQ(device_.format.samplesPerSec, 5657u);  // trunc(8000 * 2^-0.5 + 0.5)
}

TEST_F(PlaybackStreaming, RemainderInOneBufferQueuesOnlyHeaderZero) {
  makeFile(40000);
  position_ = 20000;
  start(false);
  ASSERT_TRUE(wave_.playback.playing);
  ASSERT_EQ(device_.writes.size(), 1u);
  EXPECT_EQ(device_.writes[0].first, 0);
  EXPECT_TRUE(wave_.playback.lastQueued);
  ASSERT_TRUE(returnOne());
  EXPECT_FALSE(wave_.playback.playing);
  EXPECT_EQ(device_.writes.size(), 1u);
  EXPECT_EQ(everythingWritten(), dataFrom(20000, 20000));
  EXPECT_EQ(position_, 0u);
}

TEST_F(PlaybackStreaming, StopLeavesThePositionAfterTheBytesHandedOver) {
  makeFile(200000);
  position_ = 1000;
  start(false);
  ASSERT_TRUE(returnOne());  // buffer 0 comes back and is refilled
  stopPlayback(wave_);
  EXPECT_FALSE(wave_.playback.playing);
  EXPECT_EQ(device_.resets, 1);
  EXPECT_FALSE(device_.open);
  EXPECT_EQ(position_, 1000u + everythingWritten().size());
  EXPECT_EQ(position_, 1000u + 3 * 32768u);
  EXPECT_TRUE(wave_.sampleBuffer[0].empty());
  // A notice still queued after Stop changes nothing.
  const auto positionAfterStop = position_;
  bufferDone(wave_, 1);
  EXPECT_EQ(position_, positionAfterStop);
  EXPECT_EQ(device_.writes.size(), 3u);
}

TEST_F(PlaybackStreaming, StopAfterTheLastBufferWasQueuedGoesToTheEndOfTheData) {
  makeFile(50000);
  start(false);
  ASSERT_TRUE(returnOne());  // 17232 bytes remained: both buffers are out, nothing left
  ASSERT_TRUE(wave_.playback.playing);
  stopPlayback(wave_);
  EXPECT_EQ(position_, 50000u);
}

TEST_F(PlaybackStreaming, PartialPlayStopsRefillingAtTheOverviewsRightEdge) {
  settings.framesPerColumn = 64;  // the overview shows 32768 frames = 131072 bytes
  makeFile(400000);
  position_ = 8000;
  start(true);
  ASSERT_TRUE(wave_.playback.playing);
  EXPECT_EQ(wave_.markerFrames, 32768 - 8192);
  playToEnd();
  EXPECT_FALSE(wave_.playback.playing);
  EXPECT_EQ(everythingWritten(), dataFrom(8000, 131072));
  EXPECT_EQ(position_, 8000u);  // a partial play never moves the position
}

TEST_F(PlaybackStreaming, MarkerStripsWalkThroughTheOverview) {
  settings.framesPerColumn = 64;  // r = 4 * 2048 = 8192 frames, w = 128 columns
  makeFile(400000);
  start(true);
  using Runs = std::vector<std::pair<int, int>>;
  EXPECT_EQ(invertedRuns(), (Runs{{0, 128}}));
  ASSERT_TRUE(returnOne());
  EXPECT_EQ(invertedRuns(), (Runs{{128, 256}}));
  ASSERT_TRUE(returnOne());
  EXPECT_EQ(invertedRuns(), (Runs{{256, 384}}));
  ASSERT_TRUE(returnOne());
  EXPECT_EQ(invertedRuns(), (Runs{{384, 512}}));
  EXPECT_TRUE(stripsCoverFullHeight());
  ASSERT_TRUE(returnOne());  // the last one: the strip is removed
  EXPECT_FALSE(wave_.playback.playing);
  EXPECT_EQ(invertedRuns(), Runs{});
  // The cross-section column follows the marker: W at the start, then each strip's left edge.
  const int w = kLayout.unitW;
  EXPECT_EQ(crossSectionColumns_, (std::vector<int>{w, 128 + w, 256 + w, 384 + w}));
}

TEST_F(PlaybackStreaming, StopDuringPartialPlayRemovesTheMarker) {
  settings.framesPerColumn = 64;
  makeFile(400000);
  start(true);
  ASSERT_TRUE(returnOne());
  ASSERT_EQ(invertedRuns(), (std::vector<std::pair<int, int>>{{128, 256}}));
  stopPlayback(wave_);
  EXPECT_TRUE(invertedRuns().empty());
  EXPECT_EQ(position_, 0u);
  EXPECT_EQ(crossSectionColumns_.back(), 128 + kLayout.unitW);
}

TEST_F(PlaybackStreaming, NoPacingDelayAtTheShortestBuffers) {
  settings.playBufferSeconds = 256;
  makeFile(60000);
  start(false);
  const int returned = playToEnd();
  EXPECT_GT(returned, 10);
  EXPECT_EQ(pacingWaits_, 0);
  EXPECT_EQ(everythingWritten(), dataFrom(0, 60000));
}

TEST_F(PlaybackStreaming, LongBuffersAreProcessedAtLeastThePacingDelayApart) {
  const std::pair<uint32_t, uint32_t> families[] = {{44100, 320}, {48000, 400}};
  for (const auto& [rate, delay] : families) {
    FormatFields f;
    f.rate = rate;
    settings.playBufferSeconds = 8192;
    makeFile(rate * 4 * 5, f);  // five seconds
    device_.writes.clear();
    device_.writeTimes.clear();
    start(false);
    playToEnd();
    ASSERT_GE(device_.writeTimes.size(), 4u);
    // Each refill happens while a returned buffer is processed.
    for (size_t i = 3; i < device_.writeTimes.size(); ++i)
      EXPECT_GE(device_.writeTimes[i] - device_.writeTimes[i - 1], delay) << rate << " " << i;
    EXPECT_EQ(everythingWritten(), dataFrom(0, rate * 4 * 5));
  }
}

// A buffer handed back before its pacing time waits for the timer, not on the thread: the notice
// returns at once with the timer asked for and nothing refilled; the timer refills it, and Stop
// drops a buffer still waiting.
TEST_F(PlaybackStreaming, ABufferWaitsForThePacingTimerNotOnTheThread) {
  settings.playBufferSeconds = 8192;  // 320 ms at 44.1 kHz
  makeFile(44100 * 4 * 5);
  start(false);
  ASSERT_TRUE(returnOne());
  for (const bool stopWhileWaiting : {false, true}) {
    const size_t written = device_.writes.size();
    const uint32_t returnedAt = now_;
    ASSERT_FALSE(device_.queued.empty());
    const int index = device_.queued.front();
    device_.queued.pop_front();
    device_.notice(index);
    EXPECT_EQ(now_, returnedAt) << "the notice waited";
    EXPECT_EQ(pacingDueIn_, 320u);
    EXPECT_EQ(device_.writes.size(), written);
    if (stopWhileWaiting) {
      stopPlayback(wave_);
      ASSERT_TRUE(firePacingTimer());
      EXPECT_EQ(device_.writes.size(), written);
    } else {
      ASSERT_TRUE(firePacingTimer());
      ASSERT_EQ(device_.writes.size(), written + 1);
      EXPECT_EQ(device_.writeTimes.back(), returnedAt + 320);
    }
  }
}

TEST_F(PlaybackStreaming, FailuresShowTheirMessageAndLeaveNothingBehind) {
  makeFile(100000);
  device_.openSucceeds = false;
  start(false);
  EXPECT_EQ(messages_, std::vector<std::string>{"音声出力デバイスを開けません。"});
  EXPECT_FALSE(wave_.playback.playing);
  EXPECT_FALSE(wave_.source.hasFormat);
  EXPECT_TRUE(events_.empty());  // the controls were never taken

  messages_.clear();
  device_.openSucceeds = true;
  device_.writeSucceeds = false;
  settings.framesPerColumn = 64;
  start(true);
  EXPECT_EQ(messages_, std::vector<std::string>{"デバイスへの出力に失敗しました。"});
  EXPECT_FALSE(wave_.playback.playing);
  EXPECT_FALSE(device_.open);
  EXPECT_TRUE(wave_.sampleBuffer[0].empty());
  EXPECT_TRUE(wave_.sampleBuffer[1].empty());
  EXPECT_EQ(events_.back(), "idle");
  EXPECT_TRUE(invertedRuns().empty());  // the first strip is taken back

  messages_.clear();
  events_.clear();
  device_.writeSucceeds = true;
  wave_.sampleMemoryLimit = 1000;
  start(false);
  EXPECT_EQ(messages_, std::vector<std::string>{"メモリ不足です。"});
  EXPECT_FALSE(device_.open);
  EXPECT_FALSE(wave_.playback.playing);
  EXPECT_TRUE(events_.empty());  // the controls were never taken
}

TEST_F(PlaybackStreaming, AShortReadIsReportedWithTheBufferAndItsLength) {
  makeFile(100000);
  // The file loses its data after validation, before the first buffer is read.
  onOpened_ = [this] { std::filesystem::resize_file(fileName_, 2000); };
  start(false);
  EXPECT_EQ(messages_, std::vector<std::string>{"データチャンクを読み取れません。0 32768"});
  EXPECT_FALSE(wave_.playback.playing);
  EXPECT_FALSE(device_.open);
  EXPECT_TRUE(device_.writes.empty());
  EXPECT_TRUE(wave_.sampleBuffer[0].empty());
  EXPECT_EQ(events_.back(), "idle");
}

TEST_F(PlaybackStreaming, ClosingTheWindowDuringPlaybackFreesEverything) {
  makeFile(100000);
  start(false);
  ASSERT_TRUE(wave_.playback.playing);
  releasePlaybackAtExit(wave_, true);
  closeWave(wave_, true);
  EXPECT_EQ(device_.resets, 1);
  EXPECT_FALSE(device_.open);
  EXPECT_FALSE(wave_.playback.playing);
  EXPECT_TRUE(wave_.sampleBuffer[0].empty());
  EXPECT_TRUE(wave_.sampleBuffer[1].empty());
}

TEST_F(PlaybackStreaming, NoSecondPlaybackWhileOneIsUnderWay) {
  makeFile(100000);
  start(false);
  start(true);
  EXPECT_EQ(device_.opens, 1);
  EXPECT_FALSE(wave_.playback.partialPlay);
}

}  // namespace
}  // namespace korimu

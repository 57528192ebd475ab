// Speed, marker steps, timer period and the pacing table.
#include <gtest/gtest.h>

#include "wave/playback.h"

namespace korimu {
namespace {

TEST(PlaybackNumbers, SpeedFactorAndDeclaredRate) {
  EXPECT_DOUBLE_EQ(speedFactor(0), 1.0);
  EXPECT_DOUBLE_EQ(speedFactor(-120), 0.5);
  EXPECT_DOUBLE_EQ(speedFactor(-240), 0.25);
  EXPECT_EQ(declaredSampleRate(44100, 0), 44100u);
  EXPECT_EQ(declaredSampleRate(44100, -120), 22050u);
  EXPECT_EQ(declaredSampleRate(44100, -240), 11025u);
  EXPECT_EQ(declaredSampleRate(22050, -240), 5513u);  // 5512.5 rounds up
  EXPECT_EQ(declaredSampleRate(48000, -1), 47724u);   // 47723.54 rounds up
}

TEST(PlaybackNumbers, FramesPerStepAndStripWidth) {
  EXPECT_EQ(framesPerStep(SampleRate(44), 2048), 8192);
  EXPECT_EQ(framesPerStep(SampleRate(22), 2048), 4096);
  EXPECT_EQ(framesPerStep(SampleRate(11), 256), 256);
  EXPECT_EQ(framesPerStep(SampleRate(48), 2048), 12288);
  EXPECT_EQ(framesPerStep(SampleRate(8), 2048), 2048);
  EXPECT_EQ(framesPerStep(SampleRate(16), 1024), 2048);
  EXPECT_EQ(markerStripWidth(SampleRate(44), 2048, 512), 16);
  EXPECT_EQ(markerStripWidth(SampleRate(44), 256, 2048), 1);
  EXPECT_EQ(markerStripWidth(SampleRate(11), 256, 4096), 1);  // never narrower than one column
}

TEST(PlaybackNumbers, TimerPeriod) {
  EXPECT_EQ(markerTimerPeriod(SampleRate(44), 2048, 0), 186u);
  EXPECT_EQ(markerTimerPeriod(SampleRate(44), 2048, -120), 372u);
  EXPECT_EQ(markerTimerPeriod(SampleRate(44), 256, 0), 23u);
  EXPECT_EQ(markerTimerPeriod(SampleRate(48), 2048, 0), 256u);
  EXPECT_EQ(markerTimerPeriod(SampleRate(48), 2048, -240), 1024u);
  EXPECT_EQ(markerTimerPeriod(SampleRate(8), 32768, 0), 4096u);
}

TEST(PlaybackNumbers, PacingTableByBufferAndSpeed) {
  struct Row {
    int32_t pb, speed;
    uint32_t family11, other;
  };
  const Row rows[] = {
      {32768, 0, 320, 400},   {8192, -240, 320, 400}, {4096, 0, 320, 400},
      {2048, -240, 320, 400}, {2048, -101, 320, 400}, {2048, -100, 210, 300},
      {2048, -41, 210, 300},  {2048, -40, 160, 200},  {2048, 0, 160, 200},
      {1024, -240, 320, 400}, {1024, -221, 320, 400}, {1024, -220, 210, 300},
      {1024, -161, 210, 300}, {1024, -160, 160, 200}, {1024, -101, 160, 200},
      {1024, -100, 105, 150}, {1024, -41, 105, 150},  {1024, -40, 50, 100},
      {1024, 0, 50, 100},     {512, -240, 160, 200},  {512, -221, 160, 200},
      {512, -220, 105, 150},  {512, -161, 105, 150},  {512, -160, 50, 100},
      {512, -101, 50, 100},   {512, -100, 0, 0},      {512, 0, 0, 0},
      {256, -240, 0, 0},      {256, 0, 0, 0},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(pacingDelayMs(r.pb, r.speed, SampleRate(44)), r.family11) << r.pb << " " << r.speed;
    EXPECT_EQ(pacingDelayMs(r.pb, r.speed, SampleRate(48)), r.other) << r.pb << " " << r.speed;
  }
}

}  // namespace
}  // namespace korimu

#include "core/sample_rate.h"

#include <gtest/gtest.h>

namespace korimu {
namespace {

TEST(SampleRate, FamiliesAndTheirFrequencies) {
  struct Row {
    int kHz;
    bool cd;
    int step, hz;
    double roundTop, framesPerBaseStep;
  };
  const Row rows[] = {
      {11, true, 0, 11025, 5000, 1},     {22, true, 1, 22050, 10000, 2},
      {44, true, 2, 44100, 20000, 4},    {88, true, 3, 88200, 40000, 8},
      {33, true, -1, 33000, 16500, 3},   {0, true, -1, 0, 0, 0},
      {8, false, -1, 8000, 4000, 1},     {48, false, -1, 48000, 24000, 6},
      {12, false, -1, 12000, 6000, 1.5}, {96, false, -1, 96000, 48000, 12},
  };
  for (const Row& r : rows) {
    const SampleRate rate(r.kHz);
    EXPECT_EQ(rate.cdFamily(), r.cd) << r.kHz;
    EXPECT_EQ(rate.cdStep(), r.step) << r.kHz;
    EXPECT_EQ(rate.hz(), r.hz) << r.kHz;
    EXPECT_DOUBLE_EQ(rate.nyquistHz() * 2, r.hz) << r.kHz;
    EXPECT_DOUBLE_EQ(rate.roundTopHz(), r.roundTop) << r.kHz;
    EXPECT_LE(rate.roundTopHz(), rate.nyquistHz()) << r.kHz;
    EXPECT_DOUBLE_EQ(rate.framesPerBaseStep(), r.framesPerBaseStep) << r.kHz;
  }
}

TEST(SampleRate, BytesOfBaseStepsCountIn11025Or8000) {
  EXPECT_EQ(bytesOfBaseSteps(176400, 1024), 16u * 1024);  // 44.1 kHz 16-bit stereo
  EXPECT_EQ(bytesOfBaseSteps(11025, 32768), 32768u);      // 11.025 kHz 8-bit mono
  EXPECT_EQ(bytesOfBaseSteps(96000, 1024), 12u * 1024);   // 48 kHz 16-bit mono
  EXPECT_EQ(bytesOfBaseSteps(12000, 1024), 1536u);        // 12 kHz: 1.5 bytes a step
  EXPECT_EQ(bytesOfBaseSteps(1001, 3), 0u);               // rounded down
  EXPECT_EQ(bytesOfBaseSteps(4004000, 1000), 500500u);    // neither family: a fraction
}

}  // namespace
}  // namespace korimu

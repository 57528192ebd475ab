// Every analyser driven directly on synthetic blocks, the same properties for each: silence gives
// the floor, a sine is loudest at its own frequency, a stop ends the analysis at once with a
// stopped result, and a failure comes back as a fatal message instead of ending the process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "analysis/dtft.h"
#include "analysis/frame_analysis.h"
#include "analysis/mem.h"
#include "analysis/scratch_memory.h"
#include "analysis/wavelet.h"
#include "analysis_test_support.h"

namespace korimu {
namespace {

using testing::CountingProgress;

// What every analyser's result tells, in one shape.
struct Outcome {
  bool analysed = false;
  bool cancelled = false;
  bool failed = false;
  std::vector<uint8_t> depths;  // every depth the analyser gave (all rows of the wavelet)
  double peakFrequency = 0.0;
  double peakPower = 0.0;
};

template <typename Result>
Outcome outcomeOf(const Result& r, const std::vector<uint8_t>& depths) {
  return {r.analysed, r.cancelled, r.failed(), depths, r.peakFrequency, r.peakPower};
}

struct Method {
  const char* name;
  AnalysisMethod method;
  double frequencyTolerance;  // how far from the sine its peak may be, as a ratio
  bool stoppable;             // asks whether to stop while it works
};

// `failingAllocation` > 0 makes that scratch allocation of the analysis fail.
Outcome analyse(const Method& m, const SampleBlock& block, CountingProgress& progress,
                int failingAllocation = 0) {
  TransformTables tables;
  tables.scratch.failAfter(failingAllocation);
  AnalysisParams params;
  params.method = m.method;
  params.view = kSpectrumLog;
  params.blockOrder = 10;
  params.scale = SpectrumScale::kLog;
  params.displayGain = 1;
  switch (m.method) {
    case kDtft: {
      const DtftResult r = dtftAnalyze(block, params, tables, progress);
      return outcomeOf(r, r.frame.depths);
    }
    case kMem: {
      double runningMax = 0.0;
      const MemResult r = memAnalyze(block, params, tables.scratch, progress, runningMax);
      return outcomeOf(r, r.frame.depths);
    }
    case kWt: {
      std::vector<uint8_t> rows;
      const WaveletResult r = waveletBlock(
          block, static_cast<int>(block.sampleCount()), params, tables, progress,
          [&](int, const uint8_t* d, const double*, int n) { rows.insert(rows.end(), d, d + n); });
      return outcomeOf(r, rows);
    }
    default: {
      const FrameResult r = computeFrame(block, params, tables, progress);
      return outcomeOf(r, r.frame.depths);
    }
  }
}

const Method kMethods[] = {
    {"FFT", kFft, 0.0, false}, {"DCT", kDct, 0.03, false}, {"DTFT", kDtft, 0.01, true},
    {"MEM", kMem, 0.02, true}, {"WT", kWt, 0.03, true},
};

// A sine with a little noise, as a recording has (a model fitted to a pure sine degenerates).
std::vector<uint8_t> sineBytes(int count, double frequency, double amplitude) {
  std::mt19937 engine(7);
  std::normal_distribution<double> noise(0.0, 20.0);
  std::vector<int> samples(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i)
    samples[size_t(i)] = static_cast<int>(std::lround(
        amplitude * std::sin(2.0 * std::numbers::pi * frequency * i / 44100.0) + noise(engine)));
  return testing::bytes16(samples);
}

TEST(Analysers, SilenceGivesTheFloor) {
  const std::vector<uint8_t> silence(4096, 0);
  const SampleBlock block{silence.data(), 4096, 16, 44};
  for (const Method& m : kMethods) {
    CountingProgress progress;
    const Outcome o = analyse(m, block, progress);
    ASSERT_TRUE(o.analysed) << m.name;
    ASSERT_FALSE(o.depths.empty()) << m.name;
    EXPECT_TRUE(std::all_of(o.depths.begin(), o.depths.end(), [](uint8_t d) { return d == 255; }))
        << m.name;
    EXPECT_EQ(o.peakPower, 0.0) << m.name;
  }
}

TEST(Analysers, ASineIsLoudestAtItsOwnFrequency) {
  // Bin 64 of the 1024-point FFT at 44.1 kHz.
  const double frequency = 64 * 44100.0 / 1024.0;
  const std::vector<uint8_t> bytes = sineBytes(2048, frequency, 20000.0);
  const SampleBlock block{bytes.data(), static_cast<uint32_t>(bytes.size()), 16, 44};
  for (const Method& m : kMethods) {
    CountingProgress progress;
    const Outcome o = analyse(m, block, progress);
    ASSERT_TRUE(o.analysed) << m.name;
    EXPECT_NEAR(o.peakFrequency, frequency, frequency * m.frequencyTolerance) << m.name;
    EXPECT_GT(o.peakPower, 0.0) << m.name;
    // Well above the floor: at least a quarter of the plot's height.
    EXPECT_LT(*std::min_element(o.depths.begin(), o.depths.end()), 192) << m.name;
  }
}

// Every analyser is a function of its arguments: two threads analysing at once, each with its own
// tables, get what one analysis alone gets (a ThreadSanitizer build also sees no shared state).
TEST(Analysers, TwoThreadsAtOnceGetWhatOneAloneGets) {
  const std::vector<uint8_t> bytes = sineBytes(4096, 3000.0, 12000.0);
  const SampleBlock block{bytes.data(), static_cast<uint32_t>(bytes.size()), 16, 44};
  for (const Method& m : kMethods) {
    CountingProgress progress;
    const Outcome alone = analyse(m, block, progress);
    Outcome together[2];
    {
      std::vector<std::jthread> threads;
      for (Outcome& o : together)
        threads.emplace_back([&m, &block, &o] {
          CountingProgress own;
          o = analyse(m, block, own);
        });
    }
    for (const Outcome& o : together) {
      EXPECT_EQ(o.depths, alone.depths) << m.name;
      EXPECT_EQ(o.peakFrequency, alone.peakFrequency) << m.name;
      EXPECT_EQ(o.peakPower, alone.peakPower) << m.name;
    }
  }
}

TEST(Analysers, AStopEndsTheAnalysisAtTheQuestionThatToldIt) {
  const std::vector<uint8_t> bytes = sineBytes(2048, 1000.0, 20000.0);
  const SampleBlock block{bytes.data(), static_cast<uint32_t>(bytes.size()), 16, 44};
  for (const Method& m : kMethods) {
    if (!m.stoppable) continue;
    CountingProgress progress;
    progress.stopAtEvent = 3;
    const Outcome o = analyse(m, block, progress);
    EXPECT_TRUE(o.cancelled) << m.name;
    EXPECT_FALSE(o.failed) << m.name;
    EXPECT_EQ(progress.events, 3) << m.name << ": no question after the stop";
    EXPECT_EQ(progress.steps.size(), 2u) << m.name << ": two parts done";
  }
}

TEST(Analysers, AFailureComesBackAsAFatalMessage) {
  const std::vector<uint8_t> bytes = sineBytes(2048, 1000.0, 20000.0);
  const SampleBlock block{bytes.data(), static_cast<uint32_t>(bytes.size()), 16, 44};
  for (const Method& m : kMethods) {
    CountingProgress progress;
    const Outcome o = analyse(m, block, progress, 1);
    EXPECT_TRUE(o.failed) << m.name;
    EXPECT_FALSE(o.analysed) << m.name;
    EXPECT_TRUE(o.depths.empty()) << m.name;
  }
}

}  // namespace
}  // namespace korimu

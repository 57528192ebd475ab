// Runs and decodes on a worker thread: the hand-off between the worker and the window's thread,
// and the property that matters, that a run or a decode on a worker leaves the window exactly as
// the same run done at once on the window's thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "control/controller.h"
#include "export/csv_export.h"
#include "platform/message.h"
#include "run/worker_handoff.h"
#include "threaded_view.h"
#include "wave/sndfile_writer.h"
#include "wave/wav_builder.h"

namespace korimu {
namespace {

using namespace std::chrono_literals;
using testing::ThreadedView;

TEST(WorkerHandoff, TasksReachTheOwnerInOrderAndAWaitingWorkerGoesOnOnceItsTaskRan) {
  ThreadedView owner;
  std::vector<int> seen;
  std::atomic<int> seenWhenWaitReturned{-1};
  WorkerHandoff handoff([&] { owner.wakeOwner([&] { handoff.deliver(); }); });
  handoff.start([&] {
    for (int i = 0; i < 100; ++i) handoff.post([&seen, i] { seen.push_back(i); });
    handoff.postAndWait([&seen] { seen.push_back(100); });
    // Read on the worker once its wait is over: the owner ran everything up to the waited task.
    seenWhenWaitReturned = 1;
  });
  ASSERT_TRUE(owner.runUntil([&] { return handoff.done(); }));
  handoff.finish();
  std::vector<int> expected(101);
  for (int i = 0; i <= 100; ++i) expected[size_t(i)] = i;
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(seenWhenWaitReturned, 1);
}

TEST(WorkerHandoff, StopReleasesAWaitingWorkerAndTheEndWaitsForIt) {
  std::atomic<bool> released{false};
  {
    WorkerHandoff handoff([] {});  // the owner never delivers
    handoff.start([&] {
      handoff.postAndWait([] {});
      released = true;
    });
    handoff.requestStop();
    // Leaving the scope joins the worker.
  }
  EXPECT_TRUE(released);
}

class BackgroundRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::FormatFields format;
    format.rate = 22050;
    file_ = dir_.write("tone.wav", testing::simpleWave(format, 2 * 22050 * 3));
    const char* cache = std::getenv("XDG_CACHE_HOME");
    savedCache_ = cache ? std::optional<std::string>(cache) : std::nullopt;
    setenv("XDG_CACHE_HOME", (dir_.path() / "cache").c_str(), 1);
  }
  void TearDown() override {
    if (savedCache_) {
      setenv("XDG_CACHE_HOME", savedCache_->c_str(), 1);
    } else {
      unsetenv("XDG_CACHE_HOME");
    }
  }

  // A controller of `view` with a file open and the settings of a run.
  void prepare(Controller& controller, const std::string& file, ViewMode view,
               AnalysisMethod method) {
    controller.session().wave.messages.sink = [this](std::string_view text, MessageKind) {
      messages_.emplace_back(text);
    };
    controller.session().display.surfaces.window = Canvas(640, 383);
    controller.session().document.fileName = file;
    controller.openFile();
    controller.session().settings.display = view;
    controller.session().settings.method = method;
    controller.session().settings.blockOrder = 10;
  }

  testing::TempDir dir_;
  std::string file_;
  std::vector<std::string> messages_;
  std::optional<std::string> savedCache_;
};

TEST_F(BackgroundRunTest, ARunOnAWorkerLeavesTheWindowAsTheSameRunAtOnce) {
  struct Case {
    ViewMode view;
    AnalysisMethod method;
  };
  for (const Case& c : {Case{kTimeFrequencyChart, kFft},
                        {kTimeFrequencyChart, kDct},
                        {kTimeFrequencyChart, kMem},
                        {kTimeFrequencyChart, kWt},
                        {kSpectrumLog, kDtft},
                        {kLevelMeter, kFft},
                        {kWaveZoom, kFft}}) {
    SCOPED_TRACE(std::to_string(c.view) + " " + std::to_string(c.method));
    WindowView atOnceView;
    Controller atOnce(atOnceView);
    prepare(atOnce, file_, c.view, c.method);
    atOnce.command(kAnalyzeId);

    ThreadedView workerView;
    Controller worker(workerView);
    prepare(worker, file_, c.view, c.method);
    worker.command(kAnalyzeId);
    EXPECT_TRUE(worker.busy()) << "the command returns while the run goes on";
    ASSERT_TRUE(workerView.runUntil([&] { return !worker.busy(); }));

    EXPECT_EQ(worker.session().display.surfaces.window.pixels(),
              atOnce.session().display.surfaces.window.pixels());
    EXPECT_EQ(worker.session().display.surfaces.backBuffer.pixels(),
              atOnce.session().display.surfaces.backBuffer.pixels());
    EXPECT_EQ(runCsv(worker.lastRun()), runCsv(atOnce.lastRun()));
    EXPECT_EQ(worker.session().settings.display, atOnce.session().settings.display);
    EXPECT_EQ(worker.state(), UiState::kFileSelected);
  }
  EXPECT_TRUE(messages_.empty());
}

TEST_F(BackgroundRunTest, StopEndsARunOnAWorkerAndASecondAnalyzeMeanwhileIsIgnored) {
  ThreadedView view;
  Controller controller(view);
  prepare(controller, file_, kTimeFrequencyChart, kMem);
  controller.session().settings.blockOrder = 14;
  controller.command(kAnalyzeId);
  controller.session().settings.method = kFft;
  controller.command(kAnalyzeId);  // while the first runs: no second run starts
  controller.command(kStopId);
  ASSERT_TRUE(view.runUntil([&] { return !controller.busy(); }));
  EXPECT_TRUE(controller.lastRun().drawn);
  EXPECT_FALSE(controller.lastRun().complete);
  EXPECT_EQ(controller.lastRun().run.analysis.method, kMem);
  EXPECT_EQ(controller.state(), UiState::kFileSelected);
}

TEST_F(BackgroundRunTest, ADecodeOnAWorkerOpensTheCopyAsADecodeAtOnceDoes) {
  const std::string flac = (dir_.path() / "tone.flac").string();
  ASSERT_TRUE(testing::writeSndfile(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1,
                                    testing::multiTone16(22050, 1, 0.5)));
  WindowView atOnceView;
  Controller atOnce(atOnceView);
  atOnce.session().display.surfaces.window = Canvas(640, 383);
  atOnce.session().document.fileName = flac;
  EXPECT_TRUE(atOnce.openFile());

  ThreadedView workerView;
  Controller worker(workerView);
  worker.session().display.surfaces.window = Canvas(640, 383);
  worker.session().document.fileName = flac;
  EXPECT_FALSE(worker.openFile()) << "not open while it decodes";
  EXPECT_EQ(worker.state(), UiState::kAnalysing);
  ASSERT_TRUE(workerView.runUntil([&] { return !worker.busy(); }));

  ASSERT_TRUE(worker.session().document.decodedFrom.has_value());
  // Both read the same copy, each through a descriptor of its own.
  EXPECT_EQ(std::filesystem::read_symlink(worker.session().document.wavePath()),
            std::filesystem::read_symlink(atOnce.session().document.wavePath()));
  EXPECT_EQ(worker.session().display.surfaces.window.pixels(),
            atOnce.session().display.surfaces.window.pixels());
  EXPECT_EQ(worker.state(), UiState::kFileSelected);
  EXPECT_TRUE(messages_.empty());
}

// An Analyze that cannot read the file draws nothing: the chart's numbers and the cross-section
// reading them stay those of the run before, on the window's thread and on a worker alike.
TEST_F(BackgroundRunTest, AFailedAnalyzeKeepsTheLastChartsNumbersAndItsCrossSection) {
  struct CountingView : ThreadedView {
    bool threaded = false;
    int crossSectionCloses = 0;
    bool runsInBackground() override { return threaded; }
    void closeCrossSection() override { ++crossSectionCloses; }
  };
  const std::pair<const char*, std::function<void(const std::string&)>> failures[] = {
      {"replaced by text",
       [this](const std::string& file) {
         std::filesystem::remove(file);
         dir_.write(std::filesystem::path(file).filename().string(),
                    std::vector<uint8_t>(300, 'x'));
       }},
      {"removed", [](const std::string& file) { std::filesystem::remove(file); }}};
  for (const bool threaded : {false, true})
    for (const auto& [failure, spoil] : failures) {
      SCOPED_TRACE(std::string(threaded ? "worker " : "at once ") + failure);
      testing::FormatFields format;
      format.rate = 22050;
      const std::string file = dir_.write("kept.wav", testing::simpleWave(format, 2 * 22050 * 3));
      CountingView view;
      view.threaded = threaded;
      Controller controller(view);
      prepare(controller, file, kTimeFrequencyChart, kFft);
      controller.command(kAnalyzeId);
      ASSERT_TRUE(view.runUntil([&] { return !controller.busy(); }));
      ASSERT_TRUE(controller.lastRun().complete);
      const std::string numbers = runCsv(controller.lastRun());
      const std::string column = crossSectionCsv(controller.lastRun(), 100);

      const int closesBefore = view.crossSectionCloses;  // an open closes what showed before
      spoil(file);
      messages_.clear();
      controller.command(kAnalyzeId);
      ASSERT_TRUE(view.runUntil([&] { return !controller.busy(); }));
      EXPECT_EQ(messages_.size(), 1u) << "the failure is told";
      EXPECT_EQ(runCsv(controller.lastRun()), numbers);
      EXPECT_EQ(crossSectionCsv(controller.lastRun(), 100), column);
      EXPECT_TRUE(controller.session().document.fileSelected);
      EXPECT_EQ(view.crossSectionCloses, closesBefore);
    }
}

// Stop while a decode runs on a worker ends it as cancelled: no file is open, no copy and no part
// of one is left, and nothing is told.
TEST_F(BackgroundRunTest, StopDuringADecodeOnAWorkerLeavesNoFileAndNoCopy) {
  // A minute of stereo: the decode lasts long after Stop is pressed.
  const std::string flac = (dir_.path() / "long.flac").string();
  ASSERT_TRUE(testing::writeSndfile(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2,
                                    testing::multiTone16(44100, 2, 60.0)));
  const std::filesystem::path decoded = dir_.path() / "cache" / "korimu" / "decoded";
  const auto partWritten = [&] {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(decoded, error))
      if (entry.path().filename().string().starts_with(".part-") && entry.file_size(error) > 0)
        return true;
    return false;
  };
  ThreadedView view;
  Controller controller(view);
  controller.session().wave.messages.sink = [this](std::string_view text, MessageKind) {
    messages_.emplace_back(text);
  };
  controller.session().display.surfaces.window = Canvas(640, 383);
  controller.session().document.fileName = flac;
  EXPECT_FALSE(controller.openFile()) << "not open while it decodes";
  ASSERT_TRUE(controller.busy());
  // Stop once the decode has begun writing its copy.
  const auto deadline = std::chrono::steady_clock::now() + 1min;
  while (!partWritten() && controller.busy() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(1ms);
  ASSERT_TRUE(partWritten()) << "the decode wrote nothing before it ended";
  controller.command(kStopId);
  ASSERT_TRUE(view.runUntil([&] { return !controller.busy(); }));

  EXPECT_FALSE(controller.session().document.fileSelected);
  EXPECT_EQ(controller.session().document.fileName, "");
  EXPECT_FALSE(controller.session().document.decodedFrom.has_value());
  EXPECT_EQ(controller.state(), UiState::kNoFile);
  EXPECT_TRUE(std::filesystem::is_empty(decoded));
  EXPECT_TRUE(messages_.empty());
}

}  // namespace
}  // namespace korimu

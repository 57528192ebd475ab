// The controller driven directly, without a display: sequences of commands against a real file
// and a wave-output device that hands buffers back when the test says so; the view records what
// it is told.
#include "control/controller.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/render.h"
#include "core/layout.h"
#include "core/settings.h"
#include "core/span.h"
#include "display/chart.h"
#include "display/status_texts.h"
#include "export/csv_export.h"
#include "platform/audio_device.h"
#include "platform/fixed_font.h"
#include "platform/message.h"
#include "platform/system_facts.h"
#include "run/chart_column.h"
#include "wave/decoded_copy.h"
#include "wave/sndfile_writer.h"
#include "wave/wav_builder.h"
#include "wave/wave_source.h"

namespace korimu {
namespace {

using testing::FormatFields;
using testing::simpleWave;
using testing::TempDir;

// The view a test sees: the states whose enabling it was shown, and what else it was asked.
struct RecordingView : WindowView {
  const Controller* controller = nullptr;
  std::vector<UiState> shown;
  Enabling last;
  int overviewRepaints = 0;
  int strips = 0;
  std::string title;
  void showEnabling(const Enabling& enabling) override {
    shown.push_back(controller->state());
    last = enabling;
  }
  void invalidateOverview() override { ++overviewRepaints; }
  void invertOverviewStrip(int, int) override { ++strips; }
  // Tasks another thread asked the window's thread to run, waited for by the test.
  std::mutex wakeMutex;
  std::condition_variable woken;
  std::deque<std::function<void()>> wakeTasks;
  void wakeOwner(const std::function<void()>& task) override {
    const std::lock_guard<std::mutex> lock(wakeMutex);
    wakeTasks.push_back(task);
    woken.notify_all();
  }
  // Runs the next task another thread posted (false when none came within a minute).
  bool runNextWakeTask() {
    std::unique_lock<std::mutex> lock(wakeMutex);
    if (!woken.wait_for(lock, std::chrono::minutes(1), [this] { return !wakeTasks.empty(); }))
      return false;
    const std::function<void()> task = std::move(wakeTasks.front());
    wakeTasks.pop_front();
    lock.unlock();
    task();
    return true;
  }
  void setTitle(const std::string& t) override { title = t; }
  // The Save dialog: what it proposed each time, and where the user saves next ("" cancels).
  std::vector<std::string> saveProposals;
  std::string nextSave;
  bool chooseFileToSave(const std::string& proposed, const std::string&,
                        std::string* chosen) override {
    saveProposals.push_back(proposed);
    *chosen = nextSave;
    return !nextSave.empty();
  }
  bool crossSection = false;
  bool crossSectionOpen() override { return crossSection; }
  void openCrossSection() override { crossSection = true; }
  // The Go-to box: what it was shown, and what the user types next ("" cancels).
  std::string timeShown;
  std::string nextTime;
  bool askTime(const std::string& current, std::string* answer) override {
    timeShown = current;
    *answer = nextTime;
    return !nextTime.empty();
  }
  std::vector<Canvas> copied;
  void copyPictureToClipboard(const Canvas& picture) override { copied.push_back(picture); }
  void closeCrossSection() override { crossSection = false; }
  // The Open dialog: where it started each time, and what the user picks next.
  std::vector<std::string> openFolders;
  std::string nextChoice;
  bool chooseFileToOpen(const std::string& folder, std::string* chosen) override {
    openFolders.push_back(folder);
    *chosen = nextChoice;
    return !nextChoice.empty();
  }
  // Called at each block of an analysis run.
  std::function<void()> onBlock;
  // The user presses Esc at once whenever the window runs a long task.
  bool escapeAtOnce = false;
  // Follows the runs and decodes, which run at once on the test's thread.
  struct BlockFollower : RunListener {
    RecordingView& view;
    explicit BlockFollower(RecordingView& v) : view(v) {}
    bool followsClosely() override { return true; }
    void blockStarting(const SampleBlock&, int, int) override {
      if (view.onBlock) view.onBlock();
    }
    bool cancelled() override {
      if (view.onAsked) view.onAsked();
      return view.escapeAtOnce;
    }
    void chartRun(bool chart) override { view.crossSectionItem = chart; }
  } follower{*this};
  // スペクトル断面を表示 is on: the last run drew a chart.
  bool crossSectionItem = false;
  // Called whenever a run or decode asks whether to stop.
  std::function<void()> onAsked;
  RunListener& runListener() override { return follower; }
};

bool enabled(const std::vector<std::pair<int, bool>>& parts, int id) {
  for (const auto& [part, on] : parts)
    if (part == id) return on;
  ADD_FAILURE() << "no entry for " << id;
  return false;
}

class ControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    controller_.session().display.surfaces.window = Canvas(640, 383);
    wave().messages.sink = [this](std::string_view text, MessageKind) {
      messages_.emplace_back(text);
    };
    wave().volumeQuery = [](const std::filesystem::path&, VolumeInfo* info) {
      info->totalCapacity = uint64_t(100) << 30;  // a hard disk: playback streams
      return true;
    };
    wave().clock.nowMs = [this] { return now_; };
    view_.controller = &controller_;
    file_ = dir_.write("tone.wav", simpleWave(FormatFields{}, 200000));
    flac_ = (dir_.path() / "tone.flac").string();
    ASSERT_TRUE(testing::writeSndfile(flac_, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 2,
                                      testing::multiTone16(22050, 2, 0.5)));
    // Decoded copies go into the test's folder.
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache) savedCache_ = cache;
    hadCache_ = cache != nullptr;
    setenv("XDG_CACHE_HOME", (dir_.path() / "cache").c_str(), 1);
  }
  void TearDown() override {
    if (wave().playback.playing) stopPlayback(wave());
    closeWave(wave(), true);
    releaseFormatCopy(wave().source);
    if (hadCache_) {
      setenv("XDG_CACHE_HOME", savedCache_.c_str(), 1);
    } else {
      unsetenv("XDG_CACHE_HOME");
    }
  }

  // Starts as the window does, with or without an output device.
  void start(bool device) {
    AudioBackend b;
    b.outputDeviceCount = [device] { return device ? 1 : 0; };
    b.supportsFormat = [](const WaveFormat&) { return true; };
    b.open = [this](const WaveFormat&, std::function<void(int)> notice) {
      notice_ = std::move(notice);
      ++opens_;
      return true;
    };
    b.write = [this](int header, const uint8_t*, size_t) {
      held_.push_back(header);
      return true;
    };
    b.reset = [this] { held_.clear(); };
    b.close = [this] { held_.clear(); };
    wave().audio = std::move(b);
    controller_.setOutputDeviceCount(device ? 1 : 0);
    controller_.enter(UiState::kNoFile);
  }

  // One step of a sequence: a command id, or one of the words below.
  void act(const std::string& step) {
    if (step == "open") {
      controller_.session().document.fileName = file_;
      controller_.openFile();
    } else if (step == "decode") {
      controller_.session().document.fileName = flac_;
      controller_.openFile();
    } else if (step == "escaped decode") {
      view_.escapeAtOnce = true;
      controller_.dropFiles({flac_});
      view_.escapeAtOnce = false;
    } else if (step == "drop") {
      controller_.session().document.position = 4000;
      controller_.dropFiles({file_, "second.wav", "third.wav"});
    } else if (step == "end") {  // the device plays everything it is given
      for (int guard = 0; wave().playback.playing && !held_.empty() && guard < 100; ++guard) {
        const int header = held_.front();
        held_.pop_front();
        notice_(header);
      }
    } else {
      controller_.command(std::stoi(step));
    }
  }

  WaveSession& wave() { return controller_.session().wave; }

  // The client canvas of a program that has only ever opened `file`, with the test's settings.
  Canvas windowThatOnlyOpened(const std::string& file) {
    RecordingView view;
    Controller fresh(view);
    view.controller = &fresh;
    fresh.session().display.surfaces.window = Canvas(640, 383);
    fresh.session().settings = controller_.session().settings;
    prepareAnalysis(fresh.session().display, fresh.session().settings.musicalKey);
    fresh.enter(UiState::kNoFile);
    fresh.dropFiles({file});
    return fresh.session().display.surfaces.window;
  }

  TempDir dir_;
  std::string file_;
  std::string flac_;  // a file the reader refuses and libsndfile decodes
  std::string savedCache_;
  bool hadCache_ = false;
  RecordingView view_;
  Controller controller_{view_};
  std::function<void(int)> notice_;
  std::deque<int> held_;
  int opens_ = 0;
  uint32_t now_ = 1000;
  std::vector<std::string> messages_;
};

// 1201 Play, 1213 Partial, 1202 Stop, 1203 Analyze, 1207 ">".
struct Sequence {
  const char* name;
  bool device;
  std::vector<std::string> steps;
  std::vector<UiState> shown;  // every state the view was shown, after the start
};

TEST_F(ControllerTest, EveryCommandSequenceEndsInTheStateItsTableRowShows) {
  using S = UiState;
  const Sequence sequences[] = {
      {"commands without a file do nothing", true, {"1201", "1213", "1202", "1203", "1207"}, {}},
      {"a file", true, {"open"}, {S::kFileSelected}},
      {"a file without a device", false, {"open", "1207"}, {S::kFileSelected}},
      {"a drop", true, {"drop"}, {S::kFileSelected}},
      {"play", true, {"open", "1201"}, {S::kFileSelected, S::kStartingPlayback, S::kPlaying}},
      {"play to the end",
       true,
       {"open", "1201", "end"},
       {S::kFileSelected, S::kStartingPlayback, S::kPlaying, S::kFileSelected}},
      {"stop a partial play",
       true,
       {"open", "1213", "1202"},
       {S::kFileSelected, S::kStartingPlayback, S::kPlaying, S::kFileSelected}},
      {"analyse", true, {"open", "1203"}, {S::kFileSelected, S::kAnalysing, S::kFileSelected}},
      {"analyse without a device",
       false,
       {"open", "1203"},
       {S::kFileSelected, S::kAnalysing, S::kFileSelected}},
      {"a decoded file", true, {"decode"}, {S::kFileSelected, S::kAnalysing, S::kFileSelected}},
      {"play and analyse a decoded file",
       true,
       {"decode", "1201", "1202", "1203"},
       {S::kFileSelected, S::kAnalysing, S::kFileSelected, S::kStartingPlayback, S::kPlaying,
        S::kFileSelected, S::kAnalysing, S::kFileSelected}},
      {"Esc during the decode of another file (the decoded file above stays open)",
       true,
       {"escaped decode"},
       {S::kAnalysing, S::kFileSelected}},
  };
  for (const Sequence& sequence : sequences) {
    SCOPED_TRACE(sequence.name);
    TearDown();
    messages_.clear();
    opens_ = 0;
    SetUp();
    start(sequence.device);
    view_.shown.clear();
    for (const std::string& step : sequence.steps) act(step);
    EXPECT_TRUE(messages_.empty()) << messages_.front();
    EXPECT_EQ(view_.shown, sequence.shown);
    // The view always shows the controller's state, and that state is what the flags say.
    const UiState now = controller_.state();
    const Enabling& e = view_.last;
    EXPECT_EQ(controller_.stateOfFlags(), now);
    const Enabling expected = enablingFor(now, sequence.device, true, controller_.lastRun().drawn);
    EXPECT_EQ(e.controls, expected.controls);
    EXPECT_EQ(e.menuItems, expected.menuItems);
    EXPECT_EQ(enabled(e.controls, kPlayId), sequence.device && now == S::kFileSelected);
    EXPECT_EQ(enabled(e.controls, kAnalyzeId), now == S::kFileSelected);
    if (now == S::kNoFile) {
      EXPECT_EQ(opens_, 0);
    }
  }
}

TEST_F(ControllerTest, EachStateEnablesWhatTheWindowPromises) {
  for (const bool device : {false, true}) {
    for (const UiState state :
         {UiState::kNoFile, UiState::kFileSelected, UiState::kStartingPlayback, UiState::kPlaying,
          UiState::kAnalysing}) {
      const Enabling e = enablingFor(state, device, true);
      const bool idle = state == UiState::kNoFile || state == UiState::kFileSelected;
      const bool playing = state == UiState::kPlaying;
      const bool running = state == UiState::kAnalysing;
      SCOPED_TRACE(int(state));
      ASSERT_EQ(e.controls.size(), 17u);  // every control of the bar, each once
      for (int id = kPlayId; id <= kGainX4Id; ++id) {
        const bool file = state == UiState::kFileSelected;
        const bool isNavigation = id >= kStepBackId && id <= kFastForwardId;
        bool want = false;
        if (id == kStopId) want = playing || running;
        if (id == kPlayId || id == kPartialId) want = file && device;
        if (id == kAnalyzeId || isNavigation) want = file;
        if (id == kSpanComboId || id == kNormalZoomId || id == kDoubleZoomId) want = idle;
        if (id >= kGainAtId) want = !running;
        EXPECT_EQ(enabled(e.controls, id), want) << id;
      }
      EXPECT_EQ(enabled(e.menuItems, 1202), playing);
      EXPECT_EQ(enabled(e.menuItems, 1101), !playing && state != UiState::kStartingPlayback);
      EXPECT_EQ(e.menuBar, !running);
      EXPECT_EQ(e.stopAborts, running);
      EXPECT_EQ(e.acceptDrops, idle || running);
      EXPECT_FALSE(enablingFor(state, device, false).acceptDrops);
    }
  }
}

TEST_F(ControllerTest, PlaybackShowsItsMarkerAndEndsAtTheStartOfTheFile) {
  start(true);
  act("open");
  controller_.session().document.position = 8000;
  controller_.session().settings.framesPerColumn = 64;
  act("1213");
  EXPECT_EQ(view_.strips, 1);  // the first strip
  act("end");
  EXPECT_GT(view_.strips, 2);
  EXPECT_EQ(controller_.session().document.position, 8000u);  // a partial play leaves the position
  act("1201");
  controller_.deferOverviewRepaint();  // the overview asked to repaint meanwhile
  const int repaints = view_.overviewRepaints;
  act("end");
  EXPECT_EQ(controller_.session().document.position, 0u);
  EXPECT_FALSE(controller_.overviewRepaintPending());
  EXPECT_GE(view_.overviewRepaints, repaints + 2);  // the new position, then the deferred one
}

TEST_F(ControllerTest, AnOverviewRepaintAskedForDuringARunHappensAfterIt) {
  start(true);
  act("open");
  const int before = view_.overviewRepaints;
  int repaintsDuringRun = 0;
  view_.onBlock = [&] {
    controller_.deferOverviewRepaint();
    repaintsDuringRun += view_.overviewRepaints - before;
  };
  act("1203");
  EXPECT_EQ(repaintsDuringRun, 0);
  EXPECT_EQ(view_.overviewRepaints, before + 1);
  EXPECT_FALSE(controller_.overviewRepaintPending());
}

TEST_F(ControllerTest, NavigationAndDropsMoveThePosition) {
  start(true);
  act("drop");
  EXPECT_EQ(controller_.session().document.fileName, file_);  // only the first file is taken
  EXPECT_EQ(controller_.session().document.position, 0u);
  EXPECT_EQ(view_.title, "KORIMU- " + file_ + " ");
  act("1204");  // "<" wraps to the last frame
  EXPECT_EQ(controller_.session().document.position, 200000u - 4);
  act("1207");  // ">" wraps to the start
  EXPECT_EQ(controller_.session().document.position, 0u);
  act("1209");  // ">>>" one second on
  EXPECT_EQ(controller_.session().document.position, 44100u * 4);
}

// The open reports what it learned; the controller shows it before the refusal is told, so the
// message box stands over texts that describe the refused file.
TEST_F(ControllerTest, AFileThatIsRefusedShowsItsFormatBeforeTheMessage) {
  start(true);
  FormatFields compressed;
  compressed.tag = 2;
  compressed.rate = 22050;
  controller_.session().document.fileName = dir_.write("adpcm.wav", simpleWave(compressed, 4096));
  bool textsWereCurrent = false;
  wave().messages.sink = [&](std::string_view text, MessageKind) {
    messages_.emplace_back(text);
    const DisplayState& display = controller_.session().display;
    Canvas redrawn = display.surfaces.window;
    drawFormatTexts(display, redrawn, wave().source, controller_.session().document);
    textsWereCurrent = redrawn.pixels() == display.surfaces.window.pixels();
  };
  EXPECT_FALSE(controller_.openFile());
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_TRUE(messages_[0].starts_with("指定したファイルは、PCMファイルではありません。\n"));
  EXPECT_EQ(wave().source.srKHz, 22);
  EXPECT_TRUE(textsWereCurrent);
}

// The Open dialog starts in the open file's folder, else in the folder of the last choice.
TEST_F(ControllerTest, TheOpenDialogStartsWhereTheUserWasLast) {
  start(true);
  std::filesystem::create_directories(dir_.path() / "a");
  std::filesystem::create_directories(dir_.path() / "b");
  const std::string inA = (dir_.path() / "a" / "tone.wav").string();
  std::filesystem::copy_file(file_, inA);
  const std::string brokenInB = dir_.write("b/broken.wav", std::vector<uint8_t>(64, 'x'));
  for (const std::string& choice : {std::string(), inA, brokenInB, std::string(), file_}) {
    view_.nextChoice = choice;
    controller_.command(kOpenId);
  }
  const std::string a = (dir_.path() / "a").string(), b = (dir_.path() / "b").string();
  // Nothing open and nothing chosen yet; then the open file's folder (also after a cancel); after
  // a file that did not open, the folder it was chosen in.
  EXPECT_EQ(view_.openFolders, (std::vector<std::string>{"", "", a, b, b}));
}

// After a file that does not open, the window is as if nothing had been opened: one message, no
// command that needs a file, and nothing of the file before (texts, chart, peak box, results).
TEST_F(ControllerTest, AFailedOpenLeavesNothingOfTheFileBefore) {
  const std::string text = dir_.write("notes.wav", std::vector<uint8_t>(300, 'x'));
  const struct {
    const char* name;
    std::string file;
    std::function<void()> prepare;
  } rows[] = {
      {"a text file named .wav", text, [] {}},
      {"a missing file", (dir_.path() / "gone.wav").string(), [] {}},
      {"a FLAC whose copy cannot be written", flac_,
       [this] {
         const std::string blocked = dir_.write("blocked", std::vector<uint8_t>{1});
         setenv("XDG_CACHE_HOME", blocked.c_str(), 1);
       }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    setenv("XDG_CACHE_HOME", (dir_.path() / "cache").c_str(), 1);
    start(true);
    controller_.dropFiles({file_});
    controller_.command(kTimeFrequencyChart);
    controller_.command(kAnalyzeId);
    controller_.command(kForwardId);
    ASSERT_TRUE(controller_.lastRun().drawn);
    row.prepare();
    messages_.clear();
    controller_.dropFiles({row.file});
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("\n" + row.file + " ("), std::string::npos) << messages_[0];
    EXPECT_EQ(controller_.state(), UiState::kNoFile);
    EXPECT_FALSE(enabled(view_.last.controls, kAnalyzeId));
    EXPECT_FALSE(enabled(view_.last.menuItems, kInfoId));
    EXPECT_FALSE(enabled(view_.last.menuItems, kSavePictureId));
    EXPECT_FALSE(controller_.lastRun().drawn);
    EXPECT_EQ(controller_.session().document.lastRunView, 0);
    const Canvas shown = controller_.session().display.surfaces.window;
    EXPECT_TRUE(shown.pixels() == windowThatOnlyOpened(row.file).pixels());
    // No command acts as if a file were open.
    messages_.clear();
    for (int id : {kAnalyzeId, kPlayId, kForwardId}) controller_.command(id);
    EXPECT_TRUE(messages_.empty()) << messages_.front();
    EXPECT_FALSE(controller_.lastRun().drawn);
    EXPECT_EQ(controller_.session().document.position, 0u);
  }
}

// Opening another file after a run leaves nothing of that run on the screen: the plot, the peak
// box and the labels are those of a window that only ever opened the new file, there are no
// results to save, and the cross-section window is gone.
TEST_F(ControllerTest, OpeningAFileLeavesNothingOfTheLastRunShown) {
  const std::string slower = dir_.write("slow.wav", simpleWave(FormatFields{1, 1, 11025}, 50000));
  const struct {
    const char* name;
    ViewMode view;
    std::string next;
  } rows[] = {
      {"a chart, then a WAV of another rate", kTimeFrequencyChart, slower},
      {"a chart, then a decoded FLAC", kTimeFrequencyChart, flac_},
      {"a spectrum with its peak box, then the same file", kSpectrumLinear, file_},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    start(true);
    controller_.dropFiles({file_});
    controller_.command(row.view);
    controller_.command(kAnalyzeId);
    ASSERT_TRUE(controller_.lastRun().drawn);
    controller_.clickClientArea(kLayout.unitW + 100, kLayout.plotTop + 10);
    EXPECT_EQ(view_.crossSection, row.view == kTimeFrequencyChart);
    EXPECT_EQ(view_.crossSectionItem, row.view == kTimeFrequencyChart);
    controller_.dropFiles({row.next});
    ASSERT_TRUE(controller_.session().document.fileSelected);
    EXPECT_FALSE(view_.crossSection);
    EXPECT_FALSE(view_.crossSectionItem);
    EXPECT_FALSE(controller_.lastRun().drawn);
    EXPECT_EQ(controller_.session().document.lastRunView, 0);
    EXPECT_TRUE(controller_.session().display.surfaces.window.pixels() ==
                windowThatOnlyOpened(row.next).pixels());
    // A click on the plot finds no chart to show a column of.
    controller_.clickClientArea(kLayout.unitW + 100, kLayout.plotTop + 10);
    EXPECT_FALSE(view_.crossSection);
  }
}

// Stop during a chart run: the window keeps 中断要求受付 over the plot until the next run, the
// saved and copied pictures do not. The run stops after its first block, so the columns under the
// notice stay as the cleared chart left them: white.
TEST_F(ControllerTest, TheStopNoticeStaysOutOfSavedAndCopiedPictures) {
  start(true);
  controller_.dropFiles({file_});
  controller_.command(kTimeFrequencyChart);
  view_.onBlock = [this] { view_.escapeAtOnce = true; };
  controller_.command(kAnalyzeId);
  view_.escapeAtOnce = false;
  ASSERT_TRUE(controller_.lastRun().drawn);
  ASSERT_FALSE(controller_.lastRun().complete);
  Canvas notice(640, 383);
  notice.clear(kWhite);
  const int width = drawStopAccepted(notice);
  const auto inkUnderNotice = [&](const Canvas& canvas) {
    int ink = 0;
    for (int y = 150; y < 150 + FixedFont::kCellHeight; ++y)
      for (int x = 300; x < 300 + width; ++x) ink += canvas.getPixel(x, y) != kWhite;
    return ink;
  };
  ASSERT_GT(inkUnderNotice(notice), 0);
  EXPECT_EQ(inkUnderNotice(controller_.session().display.surfaces.window), inkUnderNotice(notice));
  controller_.command(kCopyPictureId);
  ASSERT_EQ(view_.copied.size(), 1u);
  EXPECT_EQ(inkUnderNotice(view_.copied[0]), 0);
  EXPECT_EQ(inkUnderNotice(controller_.picture()), 0);
}

// A chart whose span runs past the file's end leaves the columns without data empty: with the
// note colours on they look as they do with them off (white and the grid rows), in every
// method's row scale, in the window as in the chart's buffer.
TEST_F(ControllerTest, ChartColumnsPastTheFilesEndAreDrawnEmpty) {
  start(true);
  controller_.dropFiles({file_});
  controller_.command(kTimeFrequencyChart);
  AppSettings& settings = controller_.session().settings;
  const auto columnsWithoutData = [this](const Canvas& canvas) {
    std::vector<Rgb> pixels;
    const int from = controller_.lastRun().chartColumns;
    for (int y = kLayout.plotTop; y < kLayout.plotTop + kPlotHeight; ++y)
      for (int x = kLayout.unitW + from; x < kLayout.unitW + kPlotWidth; ++x)
        pixels.push_back(canvas.getPixel(x, y));
    return pixels;
  };
  for (AnalysisMethod method : {kFft, kMem, kWt}) {
    SCOPED_TRACE(int(method));
    settings.method = method;
    std::vector<Rgb> shown[2];
    for (bool notes : {false, true}) {
      settings.colorScale = notes;
      controller_.command(kAnalyzeId);
      ASSERT_TRUE(controller_.lastRun().complete);
      ASSERT_LT(controller_.lastRun().chartColumns, kPlotWidth);
      const DisplaySurfaces& surfaces = controller_.session().display.surfaces;
      shown[notes] = columnsWithoutData(surfaces.backBuffer);
      EXPECT_EQ(columnsWithoutData(surfaces.window), shown[notes]);
    }
    EXPECT_EQ(shown[true], shown[false]);
    for (const Rgb& pixel : shown[true]) ASSERT_TRUE(pixel == kWhite || pixel == kBlack);
  }
}

// A file shorter than its header claims opens with what is there and is named as such once, when
// it is taken; the opens of later commands keep quiet.
TEST_F(ControllerTest, AFileCutShortIsToldOnceWhenItOpens) {
  start(true);
  testing::ByteWriter chunks;
  chunks.chunk("fmt ", testing::fmtData({}));
  chunks.id("data").u32(1764000).raw(std::vector<uint8_t>(99956, 0));
  const std::string cut = dir_.write("cut.wav", testing::riffWave(chunks.bytes()));
  messages_.clear();
  controller_.dropFiles({cut});
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].find(cut + " (99956 / 1764000 バイト, 0.57秒)"), std::string::npos)
      << messages_[0];
  EXPECT_EQ(controller_.state(), UiState::kFileSelected);
  for (int id : {kAnalyzeId, kForwardId, kPlayId}) controller_.command(id);
  act("end");
  EXPECT_TRUE(controller_.revalidateFile());
  EXPECT_EQ(messages_.size(), 1u);
  EXPECT_TRUE(controller_.lastRun().drawn);
}

// A source longer than a copy may be opens as the copy of its first part, and the window says so
// once, with the counts it shows; a source that fits says nothing.
TEST_F(ControllerTest, ASourceDecodedInPartIsToldOnceWhenItOpens) {
  const std::string piped = (dir_.path() / "piped.flac").string();
  ASSERT_TRUE(testing::writeSndfileThroughPipe(piped, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 2,
                                               testing::multiTone16(22050, 2, 0.5)));
  constexpr uint64_t kOverhead = 44 + 24;  // the copy's header and checksum chunk
  const struct {
    const char* name;
    std::string file;
    uint64_t copyLimit;
    uint32_t frames;     // the copy's
    const char* notice;  // "": none
  } rows[] = {
      {"a FLAC that fits", flac_, kOverhead + 4 * 11025, 11025, ""},
      {"a FLAC one frame over", flac_, kOverhead + 4 * 11024, 11024,
       " (11024 / 11025 フレーム, 0.50 / 0.50秒)"},
      {"a FLAC over", flac_, kOverhead + 4 * 5000, 5000, " (5000 / 11025 フレーム, 0.23 / 0.50秒)"},
      {"a FLAC of unknown length over", piped, kOverhead + 4 * 5000, 5000,
       " (先頭 5000 フレーム, 0.23秒)"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    // Each row decodes afresh, into a cache of its own.
    DecodeCache cache = defaultDecodeCache();
    cache.folder = dir_.path() / "caches" / row.name;
    cache.copyLimitBytes = row.copyLimit;
    start(true);
    controller_.useDecodeCache(cache);
    messages_.clear();
    controller_.dropFiles({row.file});
    EXPECT_EQ(controller_.state(), UiState::kFileSelected);
    EXPECT_EQ(wave().source.dataSize, row.frames * 4u);
    if (*row.notice == '\0') {
      EXPECT_TRUE(messages_.empty()) << messages_.front();
      continue;
    }
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find(row.file + row.notice), std::string::npos) << messages_[0];
    EXPECT_NE(messages_[0].find(std::to_string(row.copyLimit) + " バイトまで"), std::string::npos)
        << messages_[0];
    controller_.command(kAnalyzeId);
    EXPECT_EQ(messages_.size(), 1u);
  }
}

// Home, End, PageUp, PageDown, the wheel, a right click in the strip and the Go-to box, on a file
// of 50000 stereo frames, with a span of 8192 frames and one above the file; none of them moves
// anything while a playback runs.
TEST_F(ControllerTest, KeysWheelAndGoToMoveThroughTheRecording) {
  start(true);
  controller_.dropFiles({file_});
  AppSettings& settings = controller_.session().settings;
  const uint32_t& position = controller_.session().document.position;
  struct Step {
    std::function<void()> act;
    uint32_t expected;
  };
  const auto command = [this](int id) { return [this, id] { controller_.command(id); }; };
  const auto goTo = [this](std::string text) {
    return [this, text] {
      view_.nextTime = text;
      controller_.command(kGoToId);
    };
  };
  const auto wheel = [this](int notches) {
    return [this, notches] { controller_.wheelMove(notches); };
  };
  settings.framesPerColumn = 16;  // a span of 8192 frames, 32768 bytes
  const Step steps[] = {
      {command(kToEndId), 200000 - 32768},
      {command(kToStartId), 0},
      {command(kSpanForwardId), 32768},
      {wheel(1), 32768 + 819 * 4},
      {wheel(-2), 32768 - 819 * 4},
      {command(kSpanBackId), 0},
      {goTo("0:00.5"), 88200},
      {[this] { controller_.clickOverview(10, true); }, 88200 - 160 * 4},
      {goTo("99"), 199996},
      {command(kSpanForwardId), 199996},  // beyond the last span: stays
      {goTo("abc"), 199996},
      {goTo(""), 199996},  // cancelled
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    steps[i].act();
    EXPECT_EQ(position, steps[i].expected);
  }
  EXPECT_EQ(view_.timeShown, "0:01.134");  // 199996 / 176400 s
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].find("abc"), std::string::npos);

  settings.framesPerColumn = 512;  // 262144 frames: above the file
  for (int id : {kToEndId, kSpanForwardId}) {
    controller_.command(kToStartId);
    controller_.command(id);
    EXPECT_EQ(position, 0u) << id;
  }
  controller_.command(kPlayId);
  ASSERT_TRUE(wave().playback.playing);
  for (const Step& step : {Step{command(kSpanForwardId), 0}, Step{wheel(3), 0},
                           Step{goTo("0.5"), 0}, Step{command(kToEndId), 0}}) {
    step.act();
    EXPECT_EQ(position, 0u);
  }
  controller_.command(kStopId);
}

// The files opened last, newest first and each once, by their full paths; a missing one is named
// as such and nothing opens while a playback runs.
TEST_F(ControllerTest, RecentFilesAreTheLastOpenedAndSayWhetherTheyAreThere) {
  start(true);
  const std::string gone = (dir_.path() / "gone.wav").string();
  controller_.setRecentFiles({gone});
  for (const std::string& file : {file_, flac_, file_}) controller_.dropFiles({file});
  const auto entries = controller_.recentFileEntries();
  ASSERT_EQ(entries.size(), 3u);
  const std::string expected[] = {file_, flac_, gone};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(entries[i].path, std::filesystem::absolute(expected[i]).string());
    EXPECT_EQ(entries[i].present, expected[i] != gone) << i;
  }
  controller_.openRecentFile(1);
  EXPECT_EQ(controller_.session().document.fileName, flac_);
  EXPECT_EQ(controller_.recentFiles().front(), flac_);
  controller_.command(kPlayId);
  ASSERT_TRUE(wave().playback.playing);
  controller_.openRecentFile(1);
  EXPECT_EQ(controller_.session().document.fileName, flac_);
  controller_.command(kStopId);
}

// A view with a span list, as the control bar's combobox keeps it.
struct SpanListView : WindowView {
  std::vector<std::string> labels;
  std::string selected;
  void setSpanLabels(const std::vector<std::string>& list) override {
    labels = list;
    if (std::find(labels.begin(), labels.end(), selected) == labels.end()) selected = labels[0];
  }
  bool selectSpan(const std::string& label) override {
    if (std::find(labels.begin(), labels.end(), label) == labels.end()) return false;
    selected = label;
    return true;
  }
  std::string spanText() override { return selected; }
};

// The span the window was closed with comes back: at once when the list has it, else when a file
// long enough offers it; a span the user picks first wins.
TEST_F(ControllerTest, TheRememberedSpanIsChosenWhenTheListOffersIt) {
  testing::FormatFields mono8{1, 1, 8000, 8};
  const std::string longFile = dir_.write("long.wav", simpleWave(mono8, 1100000));
  const struct {
    const char* name;
    std::string remembered;
    bool userPicksFirst;
    std::string shownAtStart, shownWithTheFile;
    int32_t framesPerColumn;
  } rows[] = {
      {"one of the eleven", "131072", false, "131072", "131072", 256},
      {"a wide span", spanLabel(int64_t{1} << 20), false, "262144", spanLabel(int64_t{1} << 20),
       2048},
      {"the whole file", std::string(kWholeSpanLabel), false, "262144",
       std::string(kWholeSpanLabel), wholeSpanFramesPerColumn(1100000)},
      {"the user's choice first", std::string(kWholeSpanLabel), true, "262144", "262144", 512},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    SpanListView view;
    Controller fresh(view);
    fresh.session().display.surfaces.window = Canvas(640, 383);
    view.setSpanLabels(spanLabels(0));
    view.selected = "262144";
    fresh.restoreSpan(row.remembered);
    EXPECT_EQ(view.selected, row.shownAtStart);
    if (row.userPicksFirst) fresh.command(kSpanComboId, kNotifyCloseUp);
    EXPECT_EQ(fresh.spanToRemember(), row.userPicksFirst ? row.shownAtStart : row.remembered);
    fresh.dropFiles({longFile});
    EXPECT_EQ(view.selected, row.shownWithTheFile);
    EXPECT_EQ(fresh.session().settings.framesPerColumn, row.framesPerColumn);
    EXPECT_EQ(fresh.spanToRemember(), row.shownWithTheFile);
    closeWave(fresh.session().wave, true);
  }
}

// A decoded file keeps its own name in the title and the document; every open reads its copy.
TEST_F(ControllerTest, DecodedFileIsShownByItsNameAndReadFromItsCopy) {
  start(true);
  // The column of format texts beside the overview.
  const auto formatColumn = [this] {
    const Canvas& client = controller_.session().display.surfaces.window;
    std::vector<uint32_t> pixels;
    const int x = (3 * kLayout.unitW) / 2 + 512, top = 3 * kLayout.unitH;
    for (int y = top; y < top + kLayout.overviewHeight; ++y)
      for (int dx = 0; dx < 6 * kLayout.unitW; ++dx)
        pixels.push_back(client.pixels()[size_t(y * client.width() + x + dx)]);
    return pixels;
  };
  controller_.dropFiles({file_});
  const std::vector<uint32_t> plainColumn = formatColumn();
  controller_.dropFiles({flac_});
  EXPECT_NE(formatColumn(), plainColumn);
  const Document& document = controller_.session().document;
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(view_.title, "KORIMU- " + flac_ + " ");
  EXPECT_EQ(document.fileName, flac_);
  ASSERT_TRUE(document.decodedFrom);
  EXPECT_EQ(document.decodedFrom->container, "FLAC");
  // Read through the copy's held descriptor, which leads to the copy in the cache.
  EXPECT_EQ(std::filesystem::read_symlink(document.wavePath()).parent_path(),
            dir_.path() / "cache" / "korimu" / "decoded");
  EXPECT_EQ(wave().source.srKHz, 22);
  controller_.command(kAnalyzeId);
  EXPECT_TRUE(controller_.lastRun().drawn);
  EXPECT_EQ(controller_.lastRun().run.fileName, flac_);

  // The plain file's texts leave nothing of the decoded file's longer ones.
  controller_.dropFiles({file_});
  EXPECT_FALSE(document.decodedFrom);
  EXPECT_EQ(document.wavePath(), file_);
  EXPECT_EQ(formatColumn(), plainColumn);
}

// Until a file that must be decoded is ready, the open file stays open and named; a cancelled
// decode leaves it exactly as it was (title, document, texts, plot, results, summary) and keeps
// no copy. Without a file open before, the cancel leaves none.
TEST_F(ControllerTest, ACancelledDecodeLeavesTheOpenFileAsItWas) {
  const std::string otherFlac = (dir_.path() / "other.flac").string();
  ASSERT_TRUE(testing::writeSndfile(otherFlac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000, 1,
                                    testing::multiTone16(8000, 1, 0.3)));
  const struct {
    const char* name;
    std::string open;
  } rows[] = {{"a WAV open", file_}, {"a decoded FLAC open", flac_}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TearDown();
    SetUp();
    start(true);
    controller_.dropFiles({row.open});
    controller_.command(kTimeFrequencyChart);
    controller_.command(kAnalyzeId);
    controller_.command(kForwardId);
    ASSERT_TRUE(controller_.lastRun().drawn);
    const Document before = controller_.session().document;
    const std::string title = view_.title;
    const Canvas shown = controller_.session().display.surfaces.window;
    const uint32_t dataSize = wave().source.dataSize;
    std::filesystem::remove_all(dir_.path() / "cache");
    messages_.clear();
    // Esc as the window's key handling gives it: the notice is drawn, the decode stops.
    view_.onAsked = [this] { controller_.requestStop(); };
    controller_.dropFiles({otherFlac});
    view_.onAsked = nullptr;
    EXPECT_TRUE(messages_.empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir_.path() / "cache" / "korimu" / "decoded"));
    const Document& after = controller_.session().document;
    EXPECT_EQ(controller_.state(), UiState::kFileSelected);
    EXPECT_EQ(view_.title, title);
    EXPECT_EQ(after.fileName, before.fileName);
    EXPECT_EQ(after.wavePath(), before.wavePath());
    EXPECT_EQ(after.position, before.position);
    EXPECT_EQ(after.lastRunView, kTimeFrequencyChart);
    EXPECT_EQ(wave().source.dataSize, dataSize);
    EXPECT_TRUE(controller_.lastRun().drawn);
    // The open file's overview summary still describes it (one made again is as good: removing
    // the cache above changed the held copy's change time).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!controller_.overviewSummary() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_NE(controller_.overviewSummary(), nullptr);
    EXPECT_TRUE(controller_.overviewSummary()->describes(wave().source));
    EXPECT_TRUE(controller_.session().display.surfaces.window.pixels() == shown.pixels());
    // It is still the open file: the next step moves on from where it was.
    controller_.command(kForwardId);
    EXPECT_GT(after.position, before.position);
    // A decode that is not cancelled replaces it.
    controller_.dropFiles({otherFlac});
    EXPECT_EQ(after.fileName, otherFlac);
    EXPECT_EQ(view_.title, "KORIMU- " + otherFlac + " ");
    EXPECT_FALSE(controller_.lastRun().drawn);
  }
  // Without a file open before, a cancelled decode leaves none.
  std::filesystem::remove_all(dir_.path() / "cache");
  RecordingView view;
  Controller fresh(view);
  view.controller = &fresh;
  fresh.session().display.surfaces.window = Canvas(640, 383);
  view.escapeAtOnce = true;
  fresh.dropFiles({otherFlac});
  EXPECT_FALSE(fresh.session().document.fileSelected);
  EXPECT_EQ(view.title, "KORIMU-  ");
  EXPECT_EQ(fresh.state(), UiState::kNoFile);
}

// A file that decodes but whose copy cannot be written is not blamed: the window and --render say
// that the copy cannot be written where, and why, and leave no half-written copy behind.
TEST_F(ControllerTest, ACopyThatCannotBeWrittenIsToldAsSuch) {
  start(true);
  const std::filesystem::path root = dir_.path() / "unwritable";
  struct Row {
    const char* name;
    std::function<void()> prepare;  // makes XDG_CACHE_HOME unusable
    int error;                      // the system's reason
  };
  const std::filesystem::path folder = root / "korimu" / "decoded";
  const Row rows[] = {
      {"cache root is a regular file",
       [&] {
         dir_.write("unwritable", std::vector<uint8_t>{1, 2, 3});
       },
       ENOTDIR},
      {"cache folder without write permission",
       [&] {
         std::filesystem::create_directories(folder);
         std::filesystem::permissions(folder, std::filesystem::perms::owner_write,
                                      std::filesystem::perm_options::remove);
       },
       EACCES},
  };
  // --render reads no user's settings.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::optional<std::string> savedConfig =
      config ? std::optional<std::string>(config) : std::nullopt;
  setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // Root writes into a folder whatever its permissions say: that row proves nothing as root.
    if (row.error == EACCES && ::geteuid() == 0) continue;
    std::filesystem::remove_all(root);
    row.prepare();
    setenv("XDG_CACHE_HOME", root.c_str(), 1);
    const std::string told = flac_ + " を変換できません。変換したコピーを " + folder.string() +
                             " に書けません。(" + std::strerror(row.error) + ")";
    messages_.clear();
    controller_.session().document.fileName = flac_;
    EXPECT_FALSE(controller_.openFile());
    EXPECT_FALSE(controller_.session().document.decodedFrom);
    const std::string png = (dir_.path() / "chart.png").string();
    EXPECT_EQ(runRender(png, {}, flac_, nullptr, wave().messages), 1);
    EXPECT_FALSE(std::filesystem::exists(png));
    const std::string why =
        "cannot write its decoded copy into '" + folder.string() + "': " + std::strerror(row.error);
    EXPECT_EQ(messages_,
              (std::vector<std::string>{told + "\n" + flac_ + " (" + why + ")",
                                        told + "\nkorimu: cannot open '" + flac_ + "': " + why}));
    std::error_code ec;
    EXPECT_TRUE(!std::filesystem::exists(folder) || std::filesystem::is_empty(folder, ec));
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  }
  if (savedConfig) {
    setenv("XDG_CONFIG_HOME", savedConfig->c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

// Every file that opens, decoded ones too, gets the summary its overview draws from; a forgotten
// file keeps none.
TEST_F(ControllerTest, TheOverviewSummaryFollowsTheOpenFile) {
  start(true);
  const auto summaryOfOpenFile = [this] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!controller_.overviewSummary() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto summary = controller_.overviewSummary();
    return summary && summary->describes(wave().source);
  };
  for (const std::string& file : {file_, flac_}) {
    controller_.dropFiles({file});
    EXPECT_TRUE(summaryOfOpenFile()) << file;
  }
  // Rewritten in place at the same size while open (cp new.wav open.wav): summarised again.
  controller_.dropFiles({file_});
  ASSERT_TRUE(summaryOfOpenFile());
  const auto old = controller_.overviewSummary();
  std::vector<uint8_t> bytes = testing::readFile(file_);
  for (size_t i = 44; i < bytes.size(); ++i) bytes[i] = uint8_t(bytes[i] * 7 + i);
  {
    std::ofstream rewrite(file_, std::ios::binary | std::ios::in | std::ios::out);
    rewrite.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  EXPECT_FALSE(old->describes(wave().source));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!summaryOfOpenFile() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(summaryOfOpenFile());
  EXPECT_NE(controller_.overviewSummary(), old);
  // Cut short: 全体 follows it at the next validation.
  controller_.session().settings.wholeSpan = true;
  std::filesystem::resize_file(file_, 44 + 40000);
  controller_.revalidateFile();
  EXPECT_EQ(controller_.session().settings.framesPerColumn,
            wholeSpanFramesPerColumn(wave().source.dataSize, wave().source.blockAlign, 0));
  EXPECT_LE(uint64_t(controller_.session().settings.framesPerColumn) * 512 * 4, 40000u + 2048u);

  messages_.clear();
  controller_.dropFiles({(dir_.path() / "gone.wav").string()});
  EXPECT_EQ(messages_.size(), 1u);
  EXPECT_FALSE(controller_.session().document.fileSelected);
  EXPECT_EQ(controller_.overviewSummary(), nullptr);
}

// The overview is told, not polled: when the open file's summary is ready, the window's thread is
// asked to draw the strip again.
TEST_F(ControllerTest, TheOverviewIsDrawnAgainWhenItsSummaryIsReady) {
  start(true);
  controller_.dropFiles({file_});
  const int repaints = view_.overviewRepaints;
  ASSERT_TRUE(view_.runNextWakeTask()) << "no word came from the summary's build";
  EXPECT_EQ(view_.overviewRepaints, repaints + 1) << "the strip was not asked for again";
  EXPECT_NE(controller_.overviewSummary(), nullptr);
  EXPECT_FALSE(controller_.overviewSummaryPending());
}

// The cross-section's commands need no window: the chart it describes, its arrows, and the saving
// of its column (the proposed name, the numbers of the shown column, a failure told with its
// reason, a cancel that writes nothing, nothing before a chart run).
TEST_F(ControllerTest, TheCrossSectionsCommandsFollowTheChartRun) {
  start(true);
  controller_.dropFiles({file_});
  controller_.session().settings.timeResolution = 1024;
  view_.nextSave = (dir_.path() / "never.csv").string();
  controller_.saveCrossSectionNumbers();
  EXPECT_TRUE(view_.saveProposals.empty()) << "no chart: nothing to save";

  controller_.command(kTimeFrequencyChart);
  controller_.command(kAnalyzeId);
  ASSERT_TRUE(chartRecord(controller_.lastRun()));
  EXPECT_EQ(controller_.crossSectionChart().placement.blockBytes,
            controller_.lastRun().run.blockBytes);
  controller_.session().document.crossSectionX = kLayout.unitW + 40;
  const int step = crossSectionStep(controller_.crossSectionChart());
  ASSERT_GT(step, 1) << "a 1024-frame block covers several columns";
  controller_.stepCrossSectionColumn(+1);
  EXPECT_EQ(controller_.crossSectionColumnShown(), 40 + step);
  controller_.stepCrossSectionColumn(-1);
  controller_.stepCrossSectionColumn(-1);
  EXPECT_EQ(controller_.crossSectionColumnShown(), 40 - step);

  struct Save {
    std::string path;  // "" cancels the dialog
    bool written;
  };
  const std::string good = (dir_.path() / "column.csv").string();
  const std::string unwritable = (dir_.path() / "missing" / "column.csv").string();
  for (const Save& save : {Save{good, true}, Save{"", false}, Save{unwritable, false}}) {
    messages_.clear();
    view_.saveProposals.clear();
    view_.nextSave = save.path;
    controller_.saveCrossSectionNumbers();
    ASSERT_EQ(view_.saveProposals.size(), 1u);
    EXPECT_NE(view_.saveProposals[0].find("-column" + std::to_string(40 - step) + ".csv"),
              std::string::npos)
        << view_.saveProposals[0];
    EXPECT_EQ(std::filesystem::exists(save.path), save.written) << save.path;
    if (save.written) {
      std::ifstream in(save.path, std::ios::binary);
      const std::string text((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
      EXPECT_EQ(text, crossSectionCsv(controller_.lastRun(), 40 - step));
      EXPECT_TRUE(messages_.empty());
    }
    if (save.path == unwritable) {
      ASSERT_EQ(messages_.size(), 1u);
      EXPECT_NE(messages_[0].find("に数値を保存できません。"), std::string::npos) << messages_[0];
      EXPECT_NE(messages_[0].find(std::strerror(ENOENT)), std::string::npos) << messages_[0];
    }
  }
  std::filesystem::remove(good);
}

}  // namespace
}  // namespace korimu

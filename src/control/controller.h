// Command handling of the main window: every menu item, control-bar button, forwarded key and
// drop ends here as a command id. The controller changes the program's state, draws into the
// client canvas and tells its view what to show; it hears the playback through its observer and
// the analysis run through runStateChanged. No Qt: tests drive it directly.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "control/control_ids.h"
#include "control/navigation.h"
#include "control/ui_state.h"
#include "control/window_view.h"
#include "core/language.h"
#include "display/cross_section.h"
#include "run/column_pool.h"
#include "run/run_painter.h"
#include "run/run_record.h"
#include "run/session.h"
#include "wave/decoded_copy.h"
#include "wave/overview_summary.h"
#include "wave/playback.h"
#include "wave/source_opening.h"

namespace korimu {

class Controller : public PlaybackObserver {
 public:
  // The controller hears its own session's playback.
  explicit Controller(WindowView& view) : view_(view) { session_.wave.playback.observer = this; }
  Controller(const Controller&) = delete;
  Controller& operator=(const Controller&) = delete;

  void command(int id, int notification = kNotifyClick);

  // The window's one session: the open document, its samples and what the runs carry over.
  Session& session() { return session_; }
  const Session& session() const { return session_; }

  // What the command line asked of the window: play the named file at once, and write the
  // analysers' diagnostic texts on the overview strip during runs.
  void setCommandLineFlags(bool autoPlay, bool diagnosticText);
  bool autoPlay() const { return autoPlay_; }
  bool diagnosticText() const { return diagnosticText_; }
  // The language the window speaks: the help page shown is the one in it.
  void setLanguage(Language language) { language_ = language; }
  // How a file that does not open is told: in the window's box, or (when nobody is there to read
  // a box) with the command line's English second line.
  void setFailureLine(FailureLine line) { failureLine_ = line; }
  // Where the window's decodes go: the user's cache as the environment names it at each decode,
  // unless given another (a test's, with small limits).
  void useDecodeCache(DecodeCache cache) { decodeCache_ = std::move(cache); }
  // The threads a chart's columns are computed on (1: one after another on the run's worker); one
  // per core until told otherwise. Takes effect at the next run.
  void setColumnThreads(int threads);
  int columnThreads() const { return columnThreads_; }
  // The pool the window's charts run on (none before the first chart run with several threads).
  const ColumnPool* columnPool() const { return columnPool_.get(); }
  // The wave-output devices found at start-up: without one nothing plays.
  void setOutputDeviceCount(int count) { outputDeviceCount_ = count; }
  // An analysis run or a decode is under way.
  bool busy() const { return session_.busy; }
  // Runs what the worker of the current run or decode has handed over (on the window's thread,
  // when the view's wake arrives); a finished task is wound up here.
  void deliverBackgroundWork();
  // Stops the running task and waits for its worker, dropping what it still had to show (the
  // window is going away).
  void abandonBackgroundWork();

  // Takes the document's file: marks it selected, validates it and redraws the overview
  // and the range marker. The controls come on even when validation failed; every later command
  // validates again.
  bool openFile();
  // The file named on the command line: the title, the file, and playback with /P.
  // False when the file named on the command line did not open (it has been reported); a file
  // that needs decoding opens (and plays) when its decode has ended.
  bool openCommandLineFile();
  bool commandLineFileFailed() const { return commandLineFileFailed_; }
  // The overview found the selected file closed: validates it again, showing what became known
  // and any failure. False when it did not open (or no file is selected).
  bool revalidateFile();
  // Files dropped on the window: only the first is taken.
  void dropFiles(const std::vector<std::string>& paths);
  // Escape while an analysis runs, and Stop during a run. The run stops at its next question.
  void requestStop();
  bool stopRequested() const { return stopRequested_; }
  // The overview wanted to draw itself from the file while a playback or a run used it: it is
  // drawn again when they have ended.
  void deferOverviewRepaint() { overviewRepaintPending_ = true; }
  bool overviewRepaintPending() const { return overviewRepaintPending_; }
  // The min/max summary of the open file's samples the overview draws wide spans from; null
  // while it is being built (the window's strip then waits blank; a saved picture waits for it).
  // A file rewritten since it was summarised is summarised again.
  std::shared_ptr<const OverviewSummary> overviewSummary();
  // Whether the open file's summary is still being built (the overview is drawn again when it
  // is ready).
  bool overviewSummaryPending() const { return overviewSummary_.pending(); }
  // A left click in the client area (ignored while busy).
  void clickClientArea(int x, int y);
  // A left click at x (pixels, fractions allowed) in the overview strip: while nothing runs or
  // plays, the position moves to the frame under the pointer, as the navigation buttons move it.
  // A right click (`backwards`) moves it back by the same distance.
  void clickOverview(double x, bool backwards = false);
  // The wheel over the strip or the plot: `notches` tenths of the span, positive forwards.
  void wheelMove(int notches) { moveBySpan(SpanMove::kByTenths, notches); }
  // Redraws the position text and the overview after `position` moved.
  void positionChanged();
  // With the whole-file span, its frames per column follow the file and the position.
  void followWholeSpan();
  // The span list for a file of `fileFrames` frames (0: none).
  void offerSpans(uint64_t fileFrames);
  // The span the window had when it was last closed: chosen as soon as the list offers it (a
  // span wider than the eleven, or "全体", once a file needs it), unless the user chose one first.
  void restoreSpan(const std::string& label);
  // The span to remember: the one chosen, or the one still waiting to be offered.
  std::string spanToRemember();

  // The files opened last, newest first (core/window_memory.h keeps at most eight), and whether
  // each is still there; a missing one cannot be chosen.
  struct RecentFile {
    std::string path;
    bool present = false;
  };
  void setRecentFiles(std::vector<std::string> paths) { recentFiles_ = std::move(paths); }
  const std::vector<std::string>& recentFiles() const { return recentFiles_; }
  std::vector<RecentFile> recentFileEntries() const;
  // Opens the recent file at `index` as Open would (only when Open could be chosen).
  void openRecentFile(size_t index);
  // Help (1105, F1) for a program at modulePath: its help page in the browser, or a message
  // naming the page when it is missing.
  void showHelpPage(const std::string& modulePath);

  // The window enters `state` and shows its enabling.
  void enter(UiState state);
  UiState state() const { return state_; }
  // What the last analysis left to save (nothing before the first), and the picture the window
  // shows: the client area with the overview strip where --render has it.
  const RunRecord& lastRun() const { return lastRun_; }
  // The record of the picture the plot shows: during an analysis run what it has computed so far
  // (a chart's columns as they are handed over), else the last run's.
  const RunRecord& shownRecord() const;

  // The cross-section window's commands. The chart it shows: described by the last run when that
  // drew the chart of the open file, else by the open file and the settings.
  CrossSectionChart crossSectionChart() const;
  // The chart column it shows (0 .. 511).
  int crossSectionColumnShown() const;
  // Its whole client area, the graph from the chart's numbers (from the back buffer when no
  // chart run describes the chart).
  void paintCrossSection(Canvas& client);
  // ← (direction < 0) and →: one block's columns, kept on the chart.
  void stepCrossSectionColumn(int direction);
  // 数値を保存: asks where, proposing <file>-<view>-<method>-column<N>.csv, and writes the shown
  // column's numbers; a failure is told. The second writes to `path` and gives the reason.
  void saveCrossSectionNumbers();
  bool saveCrossSectionNumbersTo(const std::string& path, std::string& reason) const;
  Canvas picture();
  // The state the flags describe: an analysis run, a playback, a selected file, or none.
  UiState stateOfFlags() const;
  // An analysis run entered (true) or left (false) its running state.
  void runStateChanged(bool running);

  // What the playback reports.
  void stateChanged(PlaybackPhase phase) override;
  void markerMoved(const MarkerMove& move) override;
  void markerTimer(uint32_t periodMs) override;
  void redrawDue(PlaybackRedraw part) override;
  void playedTo(uint32_t position) override;
  void readingWhole(bool on) override;
  // An open (the window's, a run's or a playback's) found out what `result` says: the texts it
  // made current are drawn.
  void fileOpened(const WaveOpenResult& result) override;

 private:
  // The main window's client canvas and the display state it is drawn with.
  DisplayState& display() { return session_.display; }
  Canvas& clientCanvas() { return session_.display.surfaces.window; }
  friend class WorkerRunListener;

 public:
  // A run or decode handed to a worker (control/background_task.h).
  struct BackgroundTask;

 private:
  // The open file as the window asks for it: from `position`, playable when a device exists.
  WaveOpenRequest fileRequest() const;
  bool fileSelected() const;
  void setTitle();
  void repaintDeferredOverview();
  void rangeMarkerUnlessChart();
  void openCommand();
  // Where the Open dialog starts: the open file's folder, else the folder of the last choice.
  std::string openDialogFolder() const;
  void selectView(ViewMode id);
  void spanCommand(int notification);
  void amplitudeCommand(int id);
  void gainCommand(int id);
  void navigationCommand(int id);
  // Home, End, PageUp, PageDown, the wheel and 位置 move as the navigation buttons do: only while
  // a file is selected and nothing runs or plays.
  bool canMove() const;
  // The open file's data as the navigation arithmetic sees it.
  DataExtent extent() const;
  void moveBySpan(SpanMove move, int count);
  void moveTo(uint32_t position);
  void goToCommand();
  void savePicture();
  void saveNumbers();
  // The last run drew the chart of the open file: the cross-section is its.
  bool crossSectionOfLastRun() const;
  void analyze();
  // Starts `task`, whose work runs on a worker thread when the view has one, else at once.
  void startBackground(const std::shared_ptr<BackgroundTask>& task);
  // The run's results become the window's: its tables, record and state.
  void finishRun(BackgroundTask& task);
  // The run's steps handed over, painted on the window's thread and shown.
  void paintRunSteps(const std::vector<RunStep>& steps);
  void finishDecode(BackgroundTask& task);
  // The command line's file opened (or not): it plays now when asked to.
  void commandLineOpened(bool opened);
  // A file the reader refuses for its format, decoded on a worker with the window's handling of a
  // long task: progress in the status text from half a second on, Esc or Stop to cancel. The open
  // goes on with finishOpen when the decode ends. With `keepOpenFile` the file open now stays
  // open and named until the decode has ended, and stays as it was when the decode is cancelled.
  void decodeInWindow(const std::string& source, const WaveOpenResult& refused,
                      bool keepOpenFile = false);
  // A file the user chose (Open, a drop) in place of the open one.
  void openChosenFile(const std::string& path);
  // The rest of an open once its source (the file, or its decoded copy) is known.
  bool finishOpen(const SourceOpenResult& source);
  bool takeSource(const SourceOpenResult& source);
  // The file being opened did not open, or the user stopped its decode: no file is open any
  // more, and nothing of the one open before is shown.
  void forgetFile();
  // Nothing of the last run stays: its record, its chart, the peak box's lines and the
  // cross-section window. The client is drawn again by redrawClientAfresh.
  void forgetLastRun();
  // The client canvas as at start-up, around the open file's texts.
  void redrawClientAfresh();
  // Summarises the open file on the summary's thread.
  void startOverviewSummary();
  // After an open of the file already open: what depends on its size and samples follows a file
  // rewritten or cut short since.
  void followFileChanges();

  WindowView& view_;
  Session session_;
  int columnThreads_ = defaultColumnThreads();
  // Made for the first chart run that has more than one thread, and kept; declared before the
  // background task, so that no run outlives it.
  std::unique_ptr<ColumnPool> columnPool_;
  RunRecord lastRun_;
  // The running analysis's record as the window's painter has made it of the steps handed over
  // so far, and that painter, which draws them into the window's display.
  RunRecord runSoFar_;
  RunPainter runPainter_{session_.display, runSoFar_};
  UiState state_ = UiState::kNoFile;
  bool stopRequested_ = false;
  bool overviewRepaintPending_ = false;
  bool autoPlay_ = false;
  Language language_ = Language::kJapanese;
  bool diagnosticText_ = false;
  int outputDeviceCount_ = 0;
  FailureLine failureLine_ = FailureLine::kWindow;
  std::optional<DecodeCache> decodeCache_;
  std::string lastOpenFolder_;
  std::vector<std::string> recentFiles_;
  std::string pendingSpan_;
  // The run or decode under way, and how deep its deliveries are nested (a message box during a
  // delivery delivers again; the task is wound up by the outermost).
  std::shared_ptr<BackgroundTask> background_;
  int deliveryDepth_ = 0;
  // The command line's file is being opened (its decode may end later), and it failed to open.
  bool commandLineOpen_ = false;
  bool commandLineFileFailed_ = false;
  // The last open that ended (a decode ends after openFile has returned) took its file.
  bool lastOpenSucceeded_ = false;
  // Last, so that its thread has ended before anything else goes.
  OverviewSummaryBuild overviewSummary_;
};

}  // namespace korimu

#include "control/controller.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "control/background_task.h"
#include "core/layout.h"
#include "core/program_files.h"
#include "core/settings.h"
#include "core/span.h"
#include "core/window_memory.h"
#include "display/chart.h"
#include "display/client_area.h"
#include "display/display_state.h"
#include "display/graph_frame.h"
#include "display/peak_readout.h"
#include "display/status_texts.h"
#include "platform/message.h"
#include "run/run_driver.h"
#include "wave/source_opening.h"
#include "wave/wave_session.h"
#include "wave/wave_source.h"

namespace korimu {

// ---- state and enabling ----

UiState Controller::stateOfFlags() const {
  if (session_.busy) return UiState::kAnalysing;
  switch (session_.wave.playback.phase) {
    case PlaybackPhase::kStarting:
      return UiState::kStartingPlayback;
    case PlaybackPhase::kPlaying:
      return UiState::kPlaying;
    case PlaybackPhase::kIdle:
      break;
  }
  return session_.document.fileSelected ? UiState::kFileSelected : UiState::kNoFile;
}

void Controller::enter(UiState state) {
  state_ = state;
  view_.showEnabling(enablingFor(state, outputDeviceCount_ > 0,
                                 session_.wave.playback.headersAvailable, lastRun_.drawn));
}

void Controller::runStateChanged(bool running) {
  if (running) stopRequested_ = false;
  // A run always has its file: it ends in the file-selected state.
  enter(running ? UiState::kAnalysing : UiState::kFileSelected);
  if (!running) repaintDeferredOverview();
}

void Controller::repaintDeferredOverview() {
  if (!overviewRepaintPending_) return;
  view_.invalidateOverview();
  overviewRepaintPending_ = false;
}

void Controller::setCommandLineFlags(bool autoPlay, bool diagnosticText) {
  autoPlay_ = autoPlay;
  diagnosticText_ = diagnosticText;
}

// ---- what the playback reports ----

void Controller::stateChanged(PlaybackPhase phase) {
  if (phase == PlaybackPhase::kIdle) repaintDeferredOverview();
  enter(stateOfFlags());
}

void Controller::markerMoved(const MarkerMove& move) {
  view_.invertOverviewStrip(move.stripX, move.stripWidth);
  if (move.crossSectionX >= 0 && view_.crossSectionOpen()) {
    session_.document.crossSectionX = move.crossSectionX;
    view_.refreshCrossSection();
  }
}

void Controller::markerTimer(uint32_t periodMs) {
  view_.setMarkerTimer(periodMs);
}

void Controller::redrawDue(PlaybackRedraw part) {
  if (part == PlaybackRedraw::kGraphFrame) {
    drawGraphFrameWithPeakBox(display(), session_.settings, clientCanvas());
  } else {
    hideFileFacts(display(), false);
    drawFormatTexts(display(), clientCanvas(), session_.wave.source, session_.document);
  }
  view_.refreshClient();
}

void Controller::playedTo(uint32_t position) {
  session_.document.position = position;
  positionChanged();
}

void Controller::readingWhole(bool on) {
  view_.showHourglass(on);
}

bool drawOpenedFileTexts(DisplayState& display, const WaveSource& facts, Document& document,
                         const AppSettings& settings, const WaveOpenResult& result) {
  followFileRate(display, result, facts);
  Canvas& canvas = display.surfaces.window;
  // The format texts as soon as the format is read; the rest once the data chunk is known. The
  // texts describe a file again, so they are no longer hidden.
  if (result.formatRead) {
    hideFileFacts(display, false);
    drawFormatTexts(display, canvas, facts, document);
  }
  if (result.dataFound) {
    drawPositionText(canvas, facts, document.position, display.texts);
    drawFormatTexts(display, canvas, facts, document);
    drawSpanText(display, canvas, facts, settings.framesPerColumn);
  }
  return result.formatRead || result.dataFound;
}

void Controller::fileOpened(const WaveOpenResult& result) {
  if (drawOpenedFileTexts(display(), session_.wave.source, session_.document, session_.settings,
                          result))
    view_.refreshClient();
}

void Controller::followWholeSpan() {
  AppSettings& settings = session_.settings;
  if (!settings.wholeSpan) return;
  const WaveSource& facts = session_.wave.source;
  settings.framesPerColumn =
      wholeSpanFramesPerColumn(facts.dataSize, facts.blockAlign, session_.document.position);
}

void Controller::offerSpans(uint64_t fileFrames) {
  view_.setSpanLabels(spanLabels(fileFrames));
  if (!pendingSpan_.empty() && view_.selectSpan(pendingSpan_)) pendingSpan_.clear();
  // A span no longer listed gives way to the first; "全体" follows the file.
  spanCommand(kNotifyCloseUp);
  followWholeSpan();
}

void Controller::restoreSpan(const std::string& label) {
  pendingSpan_ = label;
  if (pendingSpan_.empty() || !view_.selectSpan(pendingSpan_)) return;
  pendingSpan_.clear();
  spanCommand(kNotifyCloseUp);
}

std::string Controller::spanToRemember() {
  return pendingSpan_.empty() ? view_.spanText() : pendingSpan_;
}

std::vector<Controller::RecentFile> Controller::recentFileEntries() const {
  std::vector<RecentFile> entries;
  for (const std::string& path : recentFiles_) {
    std::error_code ec;
    entries.push_back(RecentFile{path, std::filesystem::is_regular_file(path, ec)});
  }
  return entries;
}

void Controller::openRecentFile(size_t index) {
  // Where Open is off (a playback, a run or a decode), so are the recent files.
  if (background_ || (state_ != UiState::kNoFile && state_ != UiState::kFileSelected)) return;
  if (index >= recentFiles_.size()) return;
  const std::string path = recentFiles_[index];
  lastOpenFolder_ = std::filesystem::path(path).parent_path().string();
  openChosenFile(path);
}

void Controller::positionChanged() {
  if (session_.settings.wholeSpan) {
    followWholeSpan();
    drawSpanText(display(), clientCanvas(), session_.wave.source,
                 session_.settings.framesPerColumn);
    rangeMarkerUnlessChart();
  }
  drawPositionText(clientCanvas(), session_.wave.source, session_.document.position,
                   display().texts);
  view_.refreshClient();
  view_.invalidateOverview();
}

// ---- files ----

void Controller::setTitle() {
  view_.setTitle("KORIMU- " + session_.document.fileName + " ");
}

void Controller::rangeMarkerUnlessChart() {
  if (session_.settings.display == kTimeFrequencyChart) return;
  drawRangeMarker(clientCanvas(), display().fileRate, session_.settings, display().darkScheme,
                  display().texts);
  view_.refreshClient();
}

WaveOpenRequest Controller::fileRequest() const {
  return WaveOpenRequest{session_.document.wavePath(), session_.document.position,
                         outputDeviceCount_ > 0 && !session_.busy};
}

bool Controller::fileSelected() const {
  return session_.document.fileSelected;
}

bool Controller::revalidateFile() {
  // A file not yet taken (or forgotten since) is not the overview's to validate.
  if (!fileSelected()) return false;
  const WaveOpenResult opened = openWave(session_.wave, fileRequest(), session_.settings);
  if (opened.dataFound) followFileChanges();
  fileOpened(opened);
  return reportOpenFailure(opened, session_.wave.messages, failureLine_);
}

void Controller::startOverviewSummary() {
  OverviewSummaryRequest request =
      summaryRequestOf(session_.wave.source, session_.document.wavePath());
  request.keepOpen = session_.document.decodedCopyHold;
  overviewSummary_.start(request, [this] {
    // From the build's thread: the strip is drawn again on the window's.
    view_.wakeOwner([this] { view_.invalidateOverview(); });
  });
}

std::shared_ptr<const OverviewSummary> Controller::overviewSummary() {
  const WaveSource& facts = session_.wave.source;
  // The open handle reads a file rewritten in place as it is now; the summary must follow it.
  if (facts.mmio.isOpen() && facts.formatTag == 1 &&
      facts.mmio.stamp() != overviewSummary_.summarising())
    startOverviewSummary();
  return overviewSummary_.ready();
}

void Controller::followFileChanges() {
  // 全体 covers the file as it is now, a truncated one too.
  followWholeSpan();
  const WaveSource& facts = session_.wave.source;
  if (facts.formatTag == 1 && facts.mmio.stamp() != overviewSummary_.summarising()) {
    // Rewritten since it was summarised: the strip waits for the new summary.
    startOverviewSummary();
    view_.invalidateOverview();
  }
}

bool Controller::openFile() {
  if (background_) return false;  // the controls are off while a task runs
  Document& document = session_.document;
  document.fileSelected = true;
  rememberSource(document, SourceOpenResult{});
  forgetLastRun();
  enter(stateOfFlags());
  const WaveOpenRequest request = fileRequest();
  SourceOpenResult source;
  source.wave = openWave(session_.wave, request, session_.settings);
  if (!source.wave.opened && source.wave.formatRefused) {
    // A decoder may still read it: the open goes on when the decode has ended.
    decodeInWindow(request.fileName, source.wave);
    // Still decoding on a worker: not open yet.
    return !background_ && lastOpenSucceeded_;
  }
  return finishOpen(source);
}

bool Controller::finishOpen(const SourceOpenResult& source) {
  lastOpenSucceeded_ = takeSource(source);
  return lastOpenSucceeded_;
}

bool Controller::takeSource(const SourceOpenResult& source) {
  Document& document = session_.document;
  rememberSource(document, source);
  if (source.cancelled) {
    forgetFile();
    return false;
  }
  if (!source.wave.opened && !source.wave.dataFound) {
    // Nothing was read: no command may act as if a file were open, and nothing of the file that
    // was open before stays on the screen. Forgotten before the message is shown, so that
    // nothing behind the box tries the file again.
    forgetFile();
    reportOpenFailure(source.wave, session_.wave.messages, failureLine_);
    return false;
  }
  // The span list offers what this file needs to be seen whole.
  const WaveSource& facts = session_.wave.source;
  offerSpans(facts.blockAlign != 0 ? facts.dataSize / facts.blockAlign : 1);
  fileOpened(source.wave);
  redrawClientAfresh();  // with the new file's rate in the frame's labels
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(document.fileName, ec);
  if (!ec) rememberRecentFile(recentFiles_, absolute.lexically_normal().string());
  if (session_.wave.source.formatTag == 1) startOverviewSummary();
  const bool result = reportOpenFailure(source.wave, session_.wave.messages, failureLine_);
  // Said once, when the file is taken; the later opens of every command keep quiet about it.
  const std::string cutShort =
      cutShortNotice(source.wave, session_.wave.source, failureLine_, session_.wave.messages.texts);
  if (!cutShort.empty()) session_.wave.messages.show(cutShort, MessageKind::kPlainOk);
  if (source.decodedFrom)
    if (const std::string inPart = decodedInPartNotice(document.fileName, *source.decodedFrom,
                                                       failureLine_, session_.wave.messages.texts);
        !inPart.empty())
      session_.wave.messages.show(inPart, MessageKind::kPlainOk);
  if (!result) {
    // The file is sound but the output device refused its format: it can still be analysed, and
    // every later command validates again.
    hideFileFacts(display(), true);
    drawFormatTexts(display(), clientCanvas(), session_.wave.source, session_.document);
    drawSpanText(display(), clientCanvas(), session_.wave.source,
                 session_.settings.framesPerColumn);
    view_.refreshClient();
  }
  view_.invalidateOverview();
  rangeMarkerUnlessChart();
  return result;
}

bool Controller::openCommandLineFile() {
  if (session_.document.fileName.empty()) return true;
  setTitle();
  commandLineOpen_ = true;
  const bool opened = openFile();
  // A file still decoding plays (or is found missing) when its decode has ended.
  if (!background_) commandLineOpened(opened);
  return opened;
}

void Controller::commandLineOpened(bool opened) {
  if (!commandLineOpen_) return;
  commandLineOpen_ = false;
  commandLineFileFailed_ = !opened;
  if (opened && autoPlay_) startPlayback(session_.wave, fileRequest(), session_.settings, false);
}

void Controller::dropFiles(const std::vector<std::string>& paths) {
  if (paths.empty() || background_) return;
  openChosenFile(paths.front());
}

void Controller::openChosenFile(const std::string& path) {
  if (fileSelected()) {
    // A file that must be decoded first is asked about on a handle of its own, so that the open
    // file stays open and named while the decode runs.
    WaveSession probe;
    probe.volumeQuery = session_.wave.volumeQuery;
    const WaveOpenResult first =
        openWave(probe, WaveOpenRequest{path, 0, false}, session_.settings);
    if (!first.opened && first.formatRefused) {
      decodeInWindow(path, first, true);
      return;
    }
  }
  closeWave(session_.wave, fileSelected());
  session_.document.fileName = path;
  session_.document.position = 0;
  setTitle();
  openFile();
}

std::string Controller::openDialogFolder() const {
  const std::string& open = session_.document.fileName;
  if (open.empty()) return lastOpenFolder_;
  std::error_code ec;
  const std::filesystem::path file = std::filesystem::absolute(open, ec);
  return ec ? lastOpenFolder_ : file.parent_path().string();
}

void Controller::openCommand() {
  const std::string folder = openDialogFolder();
  const std::string saved = session_.document.fileName;
  session_.document.fileName.clear();
  std::string chosen;
  const bool accepted = view_.chooseFileToOpen(folder, &chosen) && !chosen.empty();
  session_.document.fileName = saved;
  setTitle();
  if (!accepted) return;
  lastOpenFolder_ = std::filesystem::path(chosen).parent_path().string();
  openChosenFile(chosen);
}

void Controller::showHelpPage(const std::string& modulePath) {
  const std::string page = helpPagePath(modulePath, language_);
  if (!std::filesystem::exists(page)) {
    session_.wave.messages.show(formatText(
        session_.wave.messages.texts.translate("Message", "ヘルプファイル %s が見つかりません。")
            .c_str(),
        page.c_str()));
    return;
  }
  if (!view_.openHelpPage(page))
    session_.wave.messages.show(formatText(
        session_.wave.messages.texts.translate("Message", "ヘルプファイル %s を表示できません。")
            .c_str(),
        page.c_str()));
}

// ---- the client area ----

void Controller::requestStop() {
  stopRequested_ = true;
  if (background_) {
    background_->handoff->requestStop();
    // A run draws 中断要求受付 into its own canvas at its next question.
    if (background_->kind == BackgroundTask::Kind::kRun) return;
  }
  drawStopAccepted(clientCanvas(), display().texts);
  view_.refreshClient();
}

void Controller::startBackground(const std::shared_ptr<BackgroundTask>& task) {
  WorkerHandoff::Task wake;
  if (view_.runsInBackground()) {
    // The task may be gone when the window's thread gets to it: a stale wake does nothing.
    const std::weak_ptr<BackgroundTask> weak = task;
    wake = [this, weak] {
      view_.wakeOwner([this, weak] {
        if (const auto current = weak.lock(); current && current == background_)
          deliverBackgroundWork();
      });
    };
  }
  task->handoff = std::make_unique<WorkerHandoff>(std::move(wake));
  session_.busy = true;
  stopRequested_ = false;
  background_ = task;
  task->handoff->start(task->work);
  // Without a worker the work is done: wind it up.
  if (!view_.runsInBackground()) deliverBackgroundWork();
}

void Controller::deliverBackgroundWork() {
  const std::shared_ptr<BackgroundTask> task = background_;
  if (!task) return;
  ++deliveryDepth_;
  task->handoff->deliver();
  --deliveryDepth_;
  if (deliveryDepth_ > 0 || background_ != task || !task->handoff->done()) return;
  task->handoff->finish();
  background_.reset();
  session_.busy = false;
  if (task->kind == BackgroundTask::Kind::kRun) {
    finishRun(*task);
  } else {
    finishDecode(*task);
  }
  view_.backgroundEnded();
}

void Controller::abandonBackgroundWork() {
  if (!background_) return;
  background_->handoff->requestStop();
  background_->handoff->finish();
  background_.reset();
  session_.busy = false;
}

void Controller::clickClientArea(int x, int y) {
  if (session_.busy) return;
  const int w = kLayout.unitW;
  const int h = kLayout.unitH;
  const int top = kLayout.plotTop;
  if (x >= 2 * w + kPlotWidth || y < top - h || y >= top + h + kPlotHeight) return;
  session_.document.crossSectionX = std::clamp(x, w, w + kPlotWidth - 1);
  if (!view_.crossSectionOpen()) {
    if (session_.document.lastRunView == kTimeFrequencyChart) view_.openCrossSection();
  } else {
    view_.refreshCrossSection();
  }
}

// ---- commands ----

void Controller::selectView(ViewMode id) {
  if (session_.settings.display == id) return;
  view_.checkMenuItem(session_.settings.display, false);
  session_.settings.display = id;
  view_.checkMenuItem(id, true);
  if (id == kTimeFrequencyChart) {
    clearRangeBand(clientCanvas());
    view_.refreshClient();
  }
  if (id == kWaveZoom) {
    // The waveform shows no peak: a box left from another view would describe another run.
    clearPeakReadout(display(), clientCanvas());
    view_.refreshClient();
  }
}

void Controller::spanCommand(int notification) {
  if (notification != kNotifyCloseUp && notification != kNotifyKillFocus) return;
  const std::string text = view_.spanText();
  if (text.empty()) return;  // no combobox to read
  const SpanChoice choice = spanOfLabel(text);
  if (!choice.valid) return;
  AppSettings& settings = session_.settings;
  const int32_t before = settings.framesPerColumn;
  settings.wholeSpan = choice.whole;
  if (choice.whole)
    followWholeSpan();
  else
    settings.framesPerColumn = int32_t(choice.frames / kPlotWidth);  // the span over the columns
  if (settings.framesPerColumn == before) return;
  view_.invalidateOverview();
  drawSpanText(display(), clientCanvas(), session_.wave.source, session_.settings.framesPerColumn);

  view_.refreshClient();
  rangeMarkerUnlessChart();
}

void Controller::amplitudeCommand(int id) {
  view_.checkRadio(kNormalZoomId, id == kNormalZoomId);
  view_.checkRadio(kDoubleZoomId, id == kDoubleZoomId);
  session_.settings.amplitudeZoom = id == kNormalZoomId ? 1 : 2;
  view_.invalidateOverview();
}

void Controller::gainCommand(int id) {
  for (int other = kGainAtId; other <= kGainX4Id; ++other) view_.checkRadio(other, other == id);
  session_.settings.displayGain = id - kGainAtId;
}

void Controller::command(int id, int notification) {
  const bool click = notification == kNotifyClick;
  switch (id) {
    case kOpenId:
      openCommand();
      break;
    case kInfoId:
      closeWave(session_.wave, fileSelected());
      view_.runInfoDialog(
          session_.settings, session_.document.wavePath(),
          session_.document.decodedFrom ? &*session_.document.decodedFrom : nullptr);
      break;
    case kExitId:
      view_.closeWindow();
      break;
    case kAboutId:
      view_.runAboutDialog(session_.settings);

      break;
    case kHelpId:
      showHelpPage(programPath());
      break;
    case kWaveZoom:
    case kLevelMeter:
    case kSpectrumLinear:
    case kSpectrumLog:
    case kTimeFrequencyChart:
      selectView(ViewMode(id));
      break;
    case kPinkNoiseFlatId:
      session_.settings.pinkNoiseFlat = !session_.settings.pinkNoiseFlat;
      view_.checkMenuItem(kPinkNoiseFlatId, session_.settings.pinkNoiseFlat);
      break;
    case kLineGraph:
    case kBarGraph:
      if (session_.settings.graphStyle != id) {
        view_.checkMenuItem(session_.settings.graphStyle, false);
        session_.settings.graphStyle = GraphStyle(id);
        view_.checkMenuItem(id, true);
      }
      break;
    case kThickLinesId:
      session_.settings.lineWidth =
          session_.settings.lineWidth == LineWidth::kThick ? LineWidth::kThin : LineWidth::kThick;
      view_.checkMenuItem(kThickLinesId, session_.settings.lineWidth == LineWidth::kThick);
      break;
    case kCrossSectionId:
      if (!session_.busy && !view_.crossSectionOpen() &&
          session_.document.lastRunView == kTimeFrequencyChart) {
        session_.document.crossSectionX = kLayout.unitW;
        view_.openCrossSection();
      }
      break;
    case kOptionsId:
      if (view_.runOptionsDialog(session_.settings)) {
        rangeMarkerUnlessChart();
        prepareAnalysis(display(), session_.settings.musicalKey);
        view_.setGainCaption(gainButtonCaption(session_.settings.windowFunction));
      }
      break;
    case kPlayId:
      if (click && session_.document.fileSelected)
        startPlayback(session_.wave, fileRequest(), session_.settings, false);
      break;
    case kPartialId:
      if (click && session_.document.fileSelected)
        startPlayback(session_.wave, fileRequest(), session_.settings, true);
      break;
    case kStopId:
      if (!click) break;
      if (session_.busy) {
        requestStop();
      } else if (session_.document.fileSelected) {
        stopPlayback(session_.wave);
      }
      break;
    case kAnalyzeId:
      if (click && session_.document.fileSelected) analyze();
      break;
    case kSavePictureId:
      savePicture();
      break;
    case kSaveNumbersId:
      saveNumbers();
      break;
    case kCopyPictureId:
      if (lastRun_.drawn && !session_.busy) view_.copyPictureToClipboard(picture());
      break;
    case kSpanComboId:
      if (notification == kNotifyCloseUp) pendingSpan_.clear();  // the user's own choice
      spanCommand(notification);
      break;
    case kToStartId:
      moveBySpan(SpanMove::kToStart, 0);
      break;
    case kToEndId:
      moveBySpan(SpanMove::kToEnd, 0);
      break;
    case kSpanBackId:
    case kSpanForwardId:
      moveBySpan(SpanMove::kBySpans, id == kSpanBackId ? -1 : 1);
      break;
    case kGoToId:
      goToCommand();
      break;
    case kNormalZoomId:
    case kDoubleZoomId:
      amplitudeCommand(id);
      break;
    case kGainAtId:
    case kGainX1Id:
    case kGainX2Id:
    case kGainX4Id:
      gainCommand(id);
      break;
    default:
      // Without a file the numbers left from the last one must not move a position.
      if (isNavigationCommand(id) && session_.document.fileSelected) navigationCommand(id);
      break;
  }
}

}  // namespace korimu

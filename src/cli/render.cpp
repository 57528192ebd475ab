#include "cli/render.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>

#include "cli/command_line.h"
#include "core/layout.h"
#include "core/settings.h"
#include "core/settings_file.h"
#include "core/span.h"
#include "display/chart.h"
#include "display/client_area.h"
#include "display/display_state.h"
#include "display/overview.h"
#include "export/csv_export.h"
#include "export/png_writer.h"
#include "platform/atomic_file.h"
#include "platform/fixed_font.h"
#include "platform/message.h"
#include "platform/tick_clock.h"
#include "run/run_driver.h"
#include "run/session.h"
#include "wave/source_opening.h"
#include "wave/wave_source.h"

namespace korimu {

namespace {

// The chart column and the analyser's own step on stderr once a run has taken longer than a
// second, four times a second. On a terminal one line is rewritten in place and ended with a
// newline; elsewhere (asked for with --progress) every report is a line of its own.
struct RunProgress : RunListener {
  bool enabled = false;
  bool terminal = false;
  unsigned long start = 0;
  unsigned long lastShown = 0;
  bool shown = false;
  int column = 0;
  long done = 0;
  long total = 0;
  RunRecord numbers;
  RunListener* follower = nullptr;
  const Messages* messages = nullptr;

  RunRecord* record() override { return &numbers; }
  void message(std::string_view text, MessageKind kind) override { messages->show(text, kind); }
  void runningChanged(bool running) override {
    if (follower) follower->runningChanged(running);
  }

  void show() {
    if (!enabled) return;
    const unsigned long now = tickCountMs();
    if (now - start < 1000 || (shown && now - lastShown < 250)) return;
    lastShown = now;
    shown = true;
    const char* lead = terminal ? "\r" : "";
    const char* end = terminal ? "" : "\n";
    if (total > 0) {
      std::fprintf(stderr, "%srendering: column %3d of 512, step %5ld of %5ld%s", lead, column,
                   done, total, end);
    } else {
      // On a terminal the blanks wipe the end of a longer line before.
      std::fprintf(stderr, "%srendering: column %3d of 512%*s%s", lead, column, terminal ? 22 : 0,
                   "", end);
    }
    std::fflush(stderr);
  }

  void finish() const {
    if (shown && terminal) std::fprintf(stderr, "\n");
  }

  void blockStarting(const SampleBlock&, int blockColumn, int) override {
    column = blockColumn;
    total = 0;
    show();
  }
  void begin(std::string_view, long stepTotal) override { step(0, stepTotal); }
  void step(long stepDone, long stepTotal) override {
    done = stepDone;
    total = stepTotal;
    show();
  }
};

// Makes sure an output can be made before any work is done: the file that will replace it is
// started and dropped again, which leaves nothing behind (a descriptor such as standard output is
// checked to be open for writing). Returns false with the system's reason.
bool probeOutput(const std::string& path, std::string& reason) {
  AtomicFile probe;
  return probe.open(path, reason);
}

using FileId = std::pair<dev_t, ino_t>;

// The file an output such as "-" or /dev/fd/3 is written into, when it names an open descriptor.
std::optional<FileId> descriptorFile(const std::string& output) {
  const int descriptor = descriptorNamed(output);
  struct stat s {};
  if (descriptor < 0 || ::fstat(descriptor, &s) != 0) return std::nullopt;
  return FileId{s.st_dev, s.st_ino};
}

// Both outputs written through one open file (both "-", or /dev/stdout beside "-"): the picture's
// bytes and the numbers would be mixed in it.
bool outputsShareADescriptor(const std::string& png, const std::string& csv) {
  if (png.empty() || csv.empty()) return false;
  const int pngDescriptor = descriptorNamed(png), csvDescriptor = descriptorNamed(csv);
  if (pngDescriptor < 0 || csvDescriptor < 0) return false;
  if (pngDescriptor == csvDescriptor) return true;
  const std::optional<FileId> pngFile = descriptorFile(png), csvFile = descriptorFile(csv);
  return pngFile && csvFile && *pngFile == *csvFile;
}

}  // namespace

std::string outputThatIsAnInput(const std::vector<std::string>& outputs,
                                const std::vector<std::string>& inputs) {
  const auto spelledOut = [](const std::string& path) {
    std::error_code ec;
    return std::filesystem::absolute(path, ec).lexically_normal().string();
  };
  std::set<FileId> files;
  std::set<std::string> names;
  for (const std::string& input : inputs) {
    if (descriptorNamed(input) >= 0) {
      if (const std::optional<FileId> file = descriptorFile(input)) files.insert(*file);
      continue;
    }
    struct stat s {};
    if (::stat(input.c_str(), &s) == 0) files.emplace(s.st_dev, s.st_ino);
    if (::lstat(input.c_str(), &s) == 0) files.emplace(s.st_dev, s.st_ino);
    names.insert(spelledOut(input));
  }
  // An output replaces what its own name holds: a link there is replaced, not followed. One that
  // names an open descriptor writes into the file behind it.
  for (const std::string& output : outputs) {
    if (output.empty()) continue;
    if (descriptorNamed(output) >= 0) {
      const std::optional<FileId> file = descriptorFile(output);
      if (file && files.count(*file) != 0) return output;
      continue;
    }
    struct stat s {};
    if ((::lstat(output.c_str(), &s) == 0 && files.count({s.st_dev, s.st_ino}) != 0) ||
        names.count(spelledOut(output)) != 0)
      return output;
  }
  return {};
}

bool prepareRender(const RenderOptions& options, RenderSetup& setup) {
  reportSettingsProblem(loadSettings(setup.settings), Messages{});
  std::string error;
  if (!applyRenderOptions(options, setup.settings, setup.choices, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  // A wavelet run draws the chart whatever the view (the picture is the same); it is chosen here
  // once for every file of a batch.

  if (setup.settings.method == kWt) setup.settings.display = kTimeFrequencyChart;
  setup.displayBits = displayBitsFromEnvironment();
  if (setup.choices.jobs == 0) setup.choices.jobs = defaultColumnThreads();
  if (setup.choices.threads == 0) setup.choices.threads = defaultColumnThreads();
  if (setup.choices.threads > 1) {
    setup.columnPool = std::make_shared<ColumnPool>(setup.choices.threads);
    if (!setup.columnPool->usable()) setup.columnPool.reset();
  }
  return true;
}

namespace {

// One file's render, step by step. A step that fails has said why through the file's messages and
// left the exit code.
class FileRender {
 public:
  FileRender(const RenderSetup& setup, const std::string& fileName, const std::string& pngPath,
             const std::string& csvPath, const Messages& messages)
      : setup_(setup), fileName_(fileName), pngPath_(pngPath), csvPath_(csvPath) {
    // The file's own session, under its own copy of the settings: nothing of it outlives this
    // render, and renders on several threads share nothing. A render never plays, so the output
    // device is not asked about the format.
    session_.settings = setup.settings;
    session_.columnPool = setup.columnPool.get();
    session_.keepsChartNumbers = !csvPath.empty();
    session_.document.fileName = fileName;
    session_.document.fileSelected = true;
    session_.wave.messages = messages;
  }
  FileRender(const FileRender&) = delete;
  FileRender& operator=(const FileRender&) = delete;
  ~FileRender() { closeWave(session_.wave, true); }

  int run(RunListener* follower) {
    if (!fontLoaded() || !openInput() || !placeStart() || !outputsCanBeMade()) return exitCode_;
    if (follower) follower->fileOpened(*session_.fileOpenedForRun);
    drawWindowBeforeRun();
    if (!analyse(follower) || !writeTable() || !writePicture()) return exitCode_;
    return 0;
  }

 private:
  const Messages& messages() const { return session_.wave.messages; }
  WaveSource& file() { return session_.wave.source; }

  bool fail(int exitCode, const std::string& text) {
    if (!text.empty()) messages().show(text);
    exitCode_ = exitCode;
    return false;
  }

  // Nothing is drawn without the fixed font.
  bool fontLoaded() {
    const std::string& problem = fixedFontProblem();
    if (problem.empty()) return true;
    messages().show(problem, MessageKind::kFatal);
    return fail(1, "");
  }

  // After the reader's look at the header and before any sample is read or decoded: an output
  // that cannot be made fails at once. Asked once.
  bool outputsCanBeMade() {
    if (outputsProbed_) return true;
    outputsProbed_ = true;
    std::string reason;
    for (const std::string& path : {pngPath_, csvPath_}) {
      if (!path.empty() && !probeOutput(path, reason))
        return fail(1, formatText("korimu: cannot create '%s': %s", path.c_str(), reason.c_str()));
    }
    return true;
  }

  // Opens the file once, for everything the render does with it: as it is, or its decoded copy.
  // The run reads the same handle.
  bool openInput() {
    const WaveOpenRequest request{fileName_, 0, false};
    SourceOpenResult source;
    source.wave = openWave(session_.wave, request, session_.settings);
    if (!source.wave.opened && source.wave.formatRefused) {
      // A file libsndfile reads is decoded (its samples read) only once the outputs can be made;
      // for any other the reader's own message comes first.
      if (probeSource(fileName_) && !outputsCanBeMade()) return false;
      source = openDecodedSource(session_.wave, request, session_.settings, source.wave,
                                 decodeTellingStderr(fileName_, setup_.decodeCache));
    }
    rememberSource(session_.document, source);
    // A source longer than a copy may be is shown in part: said before anything is drawn.
    if (source.wave.opened && source.decodedFrom)
      if (const std::string notice =
              decodedInPartNotice(fileName_, *source.decodedFrom, FailureLine::kCommandLine);
          !notice.empty())
        messages().show(notice);
    followFileRate(session_.display, source.wave, file());
    if (!reportOpenFailure(source.wave, messages(), FailureLine::kCommandLine)) return fail(1, "");
    session_.fileOpenedForRun = source.wave;
    return true;
  }

  // The --position asked for, and the span from there when it is the whole file.
  bool placeStart() {
    const RenderChoices& choices = setup_.choices;
    const WaveSource& wave = file();
    if (choices.hasPosition) {
      const uint32_t align = std::max<uint32_t>(wave.blockAlign, 1);
      // The analysis starts at a frame of the file: at the end there is nothing to analyse.
      const uint32_t lastFrame = wave.dataSize == 0 ? 0 : (wave.dataSize - 1) / align * align;
      if (choices.position >= wave.dataSize || choices.position % align != 0)
        return fail(2, formatText("--position: %u is not allowed; allowed: 0..%u in steps of %u "
                                  "bytes (one frame)",
                                  choices.position, lastFrame, align));
      session_.document.position = choices.position;
    }
    if (session_.settings.wholeSpan)
      session_.settings.framesPerColumn =
          wholeSpanFramesPerColumn(wave.dataSize, wave.blockAlign, session_.document.position);
    return true;
  }

  // The window as it stands before Analyze, with the overview strip its widget shows; the run then
  // draws over it as it does in the window. A picture of the plot alone keeps only the plot's
  // pixels, in the window and its back buffer.
  void drawWindowBeforeRun() {
    DisplayState& display = session_.display;
    const AppSettings& settings = session_.settings;
    const bool plotOnly = setup_.choices.plotOnly;
    const CanvasArea whole{0, 0, kLayout.layoutWidth, kLayout.clientHeight};
    display.surfaces.window = Canvas(kLayout.layoutWidth, kLayout.clientHeight, setup_.displayBits,
                                     kButtonFace, plotOnly ? plotCanvasArea() : whole);
    prepareAnalysis(display, settings.musicalKey);
    if (plotOnly) return;
    Canvas& window = display.surfaces.window;
    Canvas strip(kPlotWidth, kLayout.overviewHeight, window.depthBits());
    drawOverviewOfOpenFile(strip, file(), session_.document.position, settings.framesPerColumn,
                           settings.amplitudeZoom, messages());
    composeClientArea(display, settings, window, file(), session_.document, &strip);
  }

  // The run, with its progress on stderr. A run that could not start (its samples do not fit in
  // memory) has said why; it leaves nothing to write.
  bool analyse(RunListener* follower) {
    progress_.messages = &messages();
    progress_.terminal = ::isatty(STDERR_FILENO) != 0;
    progress_.enabled = progress_.terminal || setup_.choices.progress;
    progress_.start = tickCountMs();
    progress_.follower = follower;
    runAnalysis(session_, progress_);
    progress_.finish();
    closeWave(session_.wave, true);
    return progress_.numbers.drawn || fail(1, "");
  }

  bool writeTable() {
    std::string reason;
    if (csvPath_.empty() ||
        writeTextFile(csvPath_, runCsv(progress_.numbers, setup_.choices.csvValues), reason))
      return true;
    return fail(1, formatText("korimu: cannot write '%s': %s", csvPath_.c_str(), reason.c_str()));
  }

  bool writePicture() {
    if (pngPath_.empty()) return true;
    const Canvas& window = session_.display.surfaces.window;
    std::string reason;
    const bool written =
        setup_.choices.plotOnly
            ? writePng(pngPath_, window, kLayout.unitW, kLayout.plotTop, kPlotWidth, kPlotHeight,
                       reason)
            : writePng(pngPath_, window, 0, 0, window.width(), window.height(), reason);
    return written ||
           fail(1, formatText("korimu: cannot write '%s': %s", pngPath_.c_str(), reason.c_str()));
  }

  const RenderSetup& setup_;
  const std::string& fileName_;
  const std::string& pngPath_;
  const std::string& csvPath_;
  Session session_;
  RunProgress progress_;
  bool outputsProbed_ = false;
  int exitCode_ = 1;
};

}  // namespace

int renderFile(const RenderSetup& setup, const std::string& fileName, const std::string& outputPath,
               const std::string& csvPath, RunListener* follower, const Messages& messages) {
  FileRender render(setup, fileName, outputPath, csvPath, messages);
  return render.run(follower);
}

int runRender(const std::string& outputPath, const RenderOptions& options,
              const std::string& fileName, RunListener* follower, const Messages& messages) {
  RenderSetup setup;
  if (!prepareRender(options, setup)) return 2;
  const std::string& csvPath = setup.choices.csvPath;
  if (outputsShareADescriptor(outputPath, csvPath)) {
    if (outputPath == "-" && csvPath == "-") {
      std::fprintf(stderr,
                   "korimu: --render - and --csv - cannot both write to standard output: the "
                   "picture and the numbers would be mixed; give one of them a file name\n");
    } else {
      std::fprintf(stderr,
                   "korimu: '%s' and '%s' are one open file: the picture and the numbers would "
                   "be mixed in it; give one of them a file name\n",
                   outputPath.c_str(), csvPath.c_str());
    }
    return 2;
  }
  const std::string input = outputThatIsAnInput({outputPath, csvPath}, {fileName});
  if (!input.empty()) {
    if (descriptorNamed(input) >= 0) {
      std::fprintf(stderr,
                   "korimu: '%s' is open on '%s', the file to analyse; it is not written "
                   "over\n",
                   input.c_str(), fileName.c_str());
    } else {
      std::fprintf(stderr, "korimu: '%s' is the file to analyse; it is not written over\n",
                   input.c_str());
    }
    return 2;
  }
  if (!outputPath.empty() && !outputThatIsAnInput({csvPath}, {outputPath}).empty()) {
    std::fprintf(stderr, "korimu: '%s' cannot take both the picture and the numbers\n",
                 csvPath.c_str());
    return 2;
  }
  return renderFile(setup, fileName, outputPath, csvPath, follower, messages);
}

}  // namespace korimu

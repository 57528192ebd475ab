#include "cli/render.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <thread>

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

bool parseNumber(const std::string& text, long long& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

bool powerOfTwo(long long v) {
  return v > 0 && (v & (v - 1)) == 0;
}

template <typename T>
struct Word {
  const char* text;
  T value;
};

// Looks the value up among the words; the error lists them all.
template <typename T>
bool chooseWord(const std::string& name, const std::string& value,
                std::initializer_list<Word<T>> words, T& target, std::string& error) {
  std::string allowed;
  for (const Word<T>& w : words) {
    if (value == w.text) {
      target = w.value;
      return true;
    }
    allowed += allowed.empty() ? w.text : std::string("|") + w.text;
  }
  error = "--" + name + ": \"" + value + "\" is not one of " + allowed;
  return false;
}

// An integer from lo to hi (a power of two when asked).
bool chooseNumber(const std::string& name, const std::string& value, long long lo, long long hi,
                  bool powersOfTwo, long long& number, std::string& error) {
  if (parseNumber(value, number) && number >= lo && number <= hi &&
      (!powersOfTwo || powerOfTwo(number)))
    return true;
  error = "--" + name + ": \"" + value + "\" is out of range; allowed: " + std::to_string(lo) +
          ".." + std::to_string(hi) + (powersOfTwo ? ", a power of two" : "");
  return false;
}

bool chooseInt(const std::string& name, const std::string& value, long long lo, long long hi,
               int32_t& target, std::string& error, bool powersOfTwo = false) {
  long long n = 0;
  if (!chooseNumber(name, value, lo, hi, powersOfTwo, n, error)) return false;
  target = static_cast<int32_t>(n);
  return true;
}

bool applyOption(const std::string& name, const std::string& value, AppSettings& s,
                 RenderChoices& choices, std::string& error) {
  if (name == "view")
    return chooseWord(name, value,
                      {{"wave-zoom", kWaveZoom},
                       {"level-meter", kLevelMeter},
                       {"spectrum-linear", kSpectrumLinear},
                       {"spectrum-log", kSpectrumLog},
                       {"chart", kTimeFrequencyChart}},
                      s.display, error);
  if (name == "method")
    return chooseWord(name, value,
                      {{"fft", kFft}, {"dtft", kDtft}, {"dct", kDct}, {"mem", kMem}, {"wt", kWt}},
                      s.method, error);
  if (name == "scale")
    return chooseWord(name, value,
                      {{"amplitude", SpectrumScale::kAmplitude},
                       {"power", SpectrumScale::kPower},
                       {"log", SpectrumScale::kLog}},
                      s.spectrumType, error);
  if (name == "block-order") return chooseInt(name, value, 8, 16, s.blockOrder, error);
  if (name == "time-resolution")
    return chooseInt(name, value, 32, 32768, s.timeResolution, error, true);
  if (name == "window") {
    int32_t window = 0;
    if (!chooseInt(name, value, 0, 6, window, error)) return false;
    s.windowFunction = WindowFunction(window);  // numbered as the Options dialog lists them
    return true;
  }
  if (name == "gain") return chooseInt(name, value, 0, 3, s.displayGain, error);
  if (name == "key") return chooseInt(name, value, 0, 11, s.musicalKey, error);
  if (name == "zoom") return chooseInt(name, value, 1, 2, s.amplitudeZoom, error);
  if (name == "span") {
    // "whole": the file from the position to its end, worked out once the file is open.
    s.wholeSpan = value == "whole";
    if (s.wholeSpan) return true;
    long long span = 0;
    if (!chooseNumber(name, value, 512, kWidestSpanFrames, true, span, error)) {
      error += ", or whole";
      return false;
    }
    s.framesPerColumn = int32_t(span / kPlotWidth);
    return true;
  }
  if (name == "jobs") {
    long long n = 0;
    if (!chooseNumber(name, value, 1, 256, false, n, error)) return false;
    choices.jobs = int(n);
    return true;
  }
  if (name == "csv") {
    choices.csvPath = value;
    return true;
  }
  if (name == "csv-values")
    return chooseWord(
        name, value,
        {{"db", CsvValues::kDb}, {"power", CsvValues::kPower}, {"level", CsvValues::kLevel}},
        choices.csvValues, error);
  if (name == "position") {
    long long n = 0;
    if (!chooseNumber(name, value, 0, UINT32_MAX, false, n, error)) return false;
    choices.hasPosition = true;
    choices.position = static_cast<uint32_t>(n);
    return true;
  }
  // Switches.
  if (name == "autocorr") {
    s.autocorrelation = true;
  } else if (name == "pink") {
    s.pinkNoiseFlat = true;
  } else if (name == "onmem") {
    s.onMem = true;
  } else if (name == "line") {
    s.graphStyle = kLineGraph;
  } else if (name == "bar") {
    s.graphStyle = kBarGraph;
  } else if (name == "thick") {
    s.lineWidth = LineWidth::kThick;
  } else if (name == "color-scale") {
    s.colorScale = true;
  } else if (name == "plot-only") {
    choices.plotOnly = true;
  } else if (name == "progress") {
    choices.progress = true;
  } else {
    error = "unknown --render option: --" + name;
    return false;
  }
  return true;
}

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

bool applyRenderOptions(const RenderOptions& options, AppSettings& settings, RenderChoices& choices,
                        std::string& error) {
  for (const auto& [name, value] : options)
    if (!applyOption(name, value, settings, choices, error)) return false;
  return true;
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
  if (setup.choices.jobs == 0)
    setup.choices.jobs = int(std::max(1u, std::thread::hardware_concurrency()));
  return true;
}

int renderFile(const RenderSetup& setup, const std::string& fileName, const std::string& outputPath,
               const std::string& csvPath, RunListener* follower, const Messages& messages) {
  const RenderChoices& choices = setup.choices;
  // The file's own session, under its own copy of the settings: nothing of it outlives this
  // render, and renders on several threads share nothing. A render never plays, so the output
  // device is not asked about the format.
  Session session;
  session.settings = setup.settings;
  session.keepsChartNumbers = !csvPath.empty();
  const AppSettings& settings = session.settings;
  Document& document = session.document;
  document.fileName = fileName;
  document.fileSelected = true;
  WaveSession& wave = session.wave;
  wave.messages = messages;
  // Nothing is drawn without the fixed font.
  if (const std::string& problem = fixedFontProblem(); !problem.empty()) {
    wave.messages.show(problem, MessageKind::kFatal);
    return 1;
  }
  // After the reader's look at the header and before any sample is read or decoded: an output
  // that cannot be made fails at once.
  std::string reason;
  bool outputsProbed = false;
  const auto outputsCanBeMade = [&] {
    outputsProbed = true;
    for (const std::string& path : {outputPath, csvPath}) {
      if (!path.empty() && !probeOutput(path, reason)) {
        wave.messages.show(
            formatText("korimu: cannot create '%s': %s", path.c_str(), reason.c_str()));
        return false;
      }
    }
    return true;
  };
  const WaveOpenRequest request{fileName, 0, false};
  SourceOpenResult source;
  source.wave = openWave(wave, request, settings);
  if (!source.wave.opened && source.wave.formatRefused) {
    // A file libsndfile reads is decoded (its samples read) only once the outputs can be made;
    // for any other the reader's own message comes first.
    if (probeSource(fileName) && !outputsCanBeMade()) return 1;
    source = openDecodedSource(wave, request, settings, source.wave,
                               decodeTellingStderr(fileName, setup.decodeCache));
  }
  rememberSource(document, source);
  // A source longer than a copy may be is shown in part: said before anything is drawn.
  if (source.wave.opened && source.decodedFrom)
    if (const std::string notice =
            decodedInPartNotice(fileName, *source.decodedFrom, FailureLine::kCommandLine);
        !notice.empty())
      wave.messages.show(notice);
  const WaveOpenResult& opened = source.wave;
  followFileRate(session.display, opened, wave.source);
  if (!reportOpenFailure(opened, wave.messages, FailureLine::kCommandLine)) return 1;
  if (choices.hasPosition) {
    const uint32_t align = std::max<uint32_t>(wave.source.blockAlign, 1);
    // The analysis starts at a frame of the file: at the end there is nothing to analyse.
    const uint32_t lastFrame =
        wave.source.dataSize == 0 ? 0 : (wave.source.dataSize - 1) / align * align;
    if (choices.position >= wave.source.dataSize || choices.position % align != 0) {
      wave.messages.show(formatText(
          "--position: %u is not allowed; allowed: 0..%u in steps of %u bytes (one frame)",
          choices.position, lastFrame, align));
      closeWave(wave, true);
      return 2;
    }
    document.position = choices.position;
  }
  if (session.settings.wholeSpan)
    session.settings.framesPerColumn =
        wholeSpanFramesPerColumn(wave.source.dataSize, wave.source.blockAlign, document.position);
  if (!outputsProbed && !outputsCanBeMade()) {
    closeWave(wave, true);
    return 1;
  }
  if (follower) follower->fileOpened(opened);

  DisplayState& display = session.display;
  // A picture of the plot alone keeps only the plot's pixels, in the window and its back buffer.
  const CanvasArea whole{0, 0, kLayout.layoutWidth, kLayout.clientHeight};
  display.surfaces.window = Canvas(kLayout.layoutWidth, kLayout.clientHeight, setup.displayBits,
                                   kButtonFace, choices.plotOnly ? plotCanvasArea() : whole);
  Canvas& window = display.surfaces.window;
  prepareAnalysis(display, settings.musicalKey);
  if (!choices.plotOnly) {
    // The window as it stands before Analyze, with the overview strip its widget shows; the run
    // then draws over it as it does in the window (the document's file is selected above).
    Canvas strip(kPlotWidth, kLayout.overviewHeight, window.depthBits());
    drawOverviewOfOpenFile(strip, wave.source, document.position, settings.framesPerColumn,
                           settings.amplitudeZoom, wave.messages);
    composeClientArea(display, settings, window, wave.source, document, &strip);
  }

  RunProgress progress;
  progress.messages = &wave.messages;
  progress.terminal = ::isatty(STDERR_FILENO) != 0;
  progress.enabled = progress.terminal || choices.progress;
  progress.start = tickCountMs();
  progress.follower = follower;
  runAnalysis(session, progress);
  progress.finish();
  closeWave(wave, true);

  // A run that could not start (the file went away since it was opened, or its samples do not
  // fit in memory) has said why; it leaves nothing to write.
  if (!progress.numbers.drawn) return 1;
  if (!csvPath.empty() &&
      !writeTextFile(csvPath, runCsv(progress.numbers, setup.choices.csvValues), reason)) {
    wave.messages.show(
        formatText("korimu: cannot write '%s': %s", csvPath.c_str(), reason.c_str()));
    return 1;
  }
  if (outputPath.empty()) return 0;
  const bool written = choices.plotOnly ? writePng(outputPath, window, kLayout.unitW,
                                                   kLayout.plotTop, kPlotWidth, kPlotHeight, reason)
                                        : writePng(outputPath, window, 0, 0, window.width(),
                                                   window.height(), reason);
  if (!written) {
    wave.messages.show(
        formatText("korimu: cannot write '%s': %s", outputPath.c_str(), reason.c_str()));
    return 1;
  }
  return 0;
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

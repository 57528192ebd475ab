// The numbers of every view of any file as `--csv` writes them, read back: the header block gives
// back the file, the run's view and, for a file taken as a decoded copy, what it was decoded from
// (the whole of a source or its first part); every row has as many fields as the column row, every
// field is a finite number (or empty where a spectrum has no value), and levels are depths 0..255.
// Runs stop after a few blocks, as in the render target, so each input takes milliseconds.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/layout.h"
#include "core/settings.h"
#include "display/chart.h"
#include "display/display_state.h"
#include "export/csv_export.h"
#include "export/export_names.h"
#include "fuzz_support.h"
#include "run/run_driver.h"
#include "run/run_listener.h"
#include "run/session.h"
#include "wave/wave_source.h"

using namespace korimu;

namespace {

void chooseOptions(AppSettings& s, fuzz::TrailingChoices& in) {
  s.method = AnalysisMethod(in.inRange(0, 4));
  s.blockOrder = in.inRange(8, 13);
  s.timeResolution = 32 << in.inRange(0, 10);
  s.spectrumType = SpectrumScale(in.inRange(0, 2));
  s.autocorrelation = in.flag();
  s.windowFunction = WindowFunction(in.inRange(0, 6));
  s.displayGain = in.inRange(0, 3);
  s.pinkNoiseFlat = in.flag();
  s.graphStyle = in.flag() ? kLineGraph : kBarGraph;
  s.framesPerColumn = 1 << in.inRange(0, 8);
}

// Keeps the numbers and stops the run at its `budget`-th question whether to stop.
struct Recorder : RunListener {
  explicit Recorder(int budget) : budget(budget) {}
  bool cancelled() override { return ++asked >= budget; }
  RunRecord* record() override { return &numbers; }
  int budget;
  int asked = 0;
  RunRecord numbers;
};

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (size_t start = 0;;) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

bool finiteNumber(std::string_view field) {
  double value = 0;
  const auto result = std::from_chars(field.data(), field.data() + field.size(), value);
  return result.ec == std::errc() && result.ptr == field.data() + field.size() &&
         std::isfinite(value);
}

bool depth(std::string_view field) {
  int value = -1;
  const auto result = std::from_chars(field.data(), field.data() + field.size(), value);
  return result.ec == std::errc() && result.ptr == field.data() + field.size() && value >= 0 &&
         value <= 255;
}

void checkCsv(const std::string& csv, const RunRecord& numbers, CsvValues values) {
  const auto header = csvHeaderFields(csv);
  fuzz::check(!header.empty() && header.front().first == "KORIMU numbers", "the header block");
  const auto value = [&](std::string_view key) {
    const auto it = std::find_if(header.begin(), header.end(),
                                 [&](const auto& field) { return field.first == key; });
    return it == header.end() ? std::string("(none)") : it->second;
  };
  fuzz::check(value("file") == numbers.run.fileName, "the header gives the file back");
  if (!numbers.run.sourceDescription.empty())
    fuzz::check(value("format").rfind(numbers.run.sourceDescription + " decoded;", 0) == 0,
                "the header gives the decoded source's description back");
  fuzz::check(value("view") == viewWord(numbers.run.analysis.view),
              "the header gives the view back");

  std::vector<std::string_view> lines = split(csv, '\n');
  fuzz::check(lines.back().empty(), "the table ends with a line end");
  lines.pop_back();
  fuzz::check(lines.size() > header.size(), "a column row follows the header block");
  const size_t columns = split(lines[header.size()], ',').size();
  const bool chart = numbers.run.analysis.view == kTimeFrequencyChart;
  if (chart) fuzz::check(lines.size() == header.size() + 1 + kChartRows, "one row per chart row");
  for (size_t i = header.size() + 1; i < lines.size(); ++i) {
    const std::vector<std::string_view> fields = split(lines[i], ',');
    fuzz::check(fields.size() == columns, "every row has as many fields as the column row");
    for (size_t f = 0; f < fields.size(); ++f) {
      // The chart's cells are levels when asked for (empty where no block drew); every other
      // row's last field is its level.
      const bool level = chart ? f > 0 && values == CsvValues::kLevel : f + 1 == fields.size();
      const bool blank = chart && fields[f].empty();
      fuzz::check(level ? blank || depth(fields[f]) : fields[f].empty() || finiteNumber(fields[f]),
                  level ? "levels are depths 0..255" : "every number is finite");
    }
  }
}

// The file as the copy of a decoded source: 1 one that said its length, 2 one three times longer
// than the copy, 3 one longer than the copy that did not say how long.
SourceFormat sourceOf(const WaveSource& copy, int kind) {
  SourceFormat f;
  f.container = "FLAC";
  f.encoding = "PCM_16";
  f.rate = uint32_t(copy.srKHz) * 1000;
  f.channels = (copy.sampleKind & 2) != 0 ? 2 : 1;
  const uint64_t frames = copy.blockAlign != 0 ? copy.dataSize / copy.blockAlign : 0;
  f.frames = kind == 1 ? frames : 3 * frames;
  f.lengthKnown = kind != 3;
  if (kind != 1) {
    f.shownFrames = frames;
    f.copyLimitBytes = copy.dataSize;
  }
  return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::TrailingChoices in(data, size);
  AppSettings chosen;
  chooseOptions(chosen, in);
  const uint32_t positionFrames = uint32_t(in.byte()) << 8 | in.byte();
  const int decodedFrom = in.inRange(0, 3);
  const std::string& file = fuzz::writeInput(in.rest(), in.restSize());
  for (const ViewMode view :
       {kWaveZoom, kLevelMeter, kSpectrumLinear, kSpectrumLog, kTimeFrequencyChart}) {
    Session session;
    session.wave.messages = fuzz::quietMessages();
    session.settings = chosen;
    session.settings.display = view;
    // A wavelet run takes a block of at most 4096 frames here (see the render target).
    if (chosen.method == kWt)
      session.settings.framesPerColumn = std::min(session.settings.framesPerColumn, 8);
    Document& document = session.document;
    document.fileName = file;
    document.fileSelected = true;
    WaveSession& wave = session.wave;
    const WaveOpenResult opened = openWave(wave, {file, 0, false}, session.settings);
    if (!opened.opened) {
      closeWave(wave, true);
      releaseFormatCopy(wave.source);
      break;
    }
    document.position = std::min(positionFrames * wave.source.blockAlign, wave.source.dataSize);
    if (decodedFrom != 0) document.decodedFrom = sourceOf(wave.source, decodedFrom);
    DisplayState& display = session.display;
    display.surfaces.window = Canvas(kLayout.layoutWidth, kLayout.clientHeight);
    prepareAnalysis(display, session.settings.musicalKey);

    Recorder recorder(chosen.method == kWt ? 3 : 6);
    runAnalysis(session, recorder);
    if (recorder.numbers.drawn)
      for (const CsvValues values : {CsvValues::kDb, CsvValues::kPower, CsvValues::kLevel})
        checkCsv(runCsv(recorder.numbers, values), recorder.numbers, values);
    closeWave(wave, true);
    releaseFormatCopy(wave.source);
  }
  return 0;
}

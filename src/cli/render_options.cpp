#include "cli/render_options.h"

#include <charconv>
#include <initializer_list>

#include "core/layout.h"
#include "core/span.h"
#include "run/column_pool.h"

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
bool chooseWord(const RenderOption& option, const std::string& value,
                std::initializer_list<Word<T>> words, T& target, std::string& error) {
  std::string allowed;
  for (const Word<T>& w : words) {
    if (value == w.text) {
      target = w.value;
      return true;
    }
    allowed += allowed.empty() ? w.text : std::string("|") + w.text;
  }
  error = std::string("--") + option.name + ": \"" + value + "\" is not one of " + allowed;
  return false;
}

// An integer from lo to hi (a power of two when asked).
bool chooseNumber(const RenderOption& option, const std::string& value, long long lo, long long hi,
                  bool powersOfTwo, long long& number, std::string& error) {
  if (parseNumber(value, number) && number >= lo && number <= hi &&
      (!powersOfTwo || powerOfTwo(number)))
    return true;
  error = std::string("--") + option.name + ": \"" + value +
          "\" is out of range; allowed: " + std::to_string(lo) + ".." + std::to_string(hi) +
          (powersOfTwo ? ", a power of two" : "");
  return false;
}

template <typename T>
bool chooseInt(const RenderOption& option, const std::string& value, long long lo, long long hi,
               T& target, std::string& error, bool powersOfTwo = false) {
  long long n = 0;
  if (!chooseNumber(option, value, lo, hi, powersOfTwo, n, error)) return false;
  target = static_cast<T>(n);
  return true;
}

bool chooseSpan(const RenderOption& option, const std::string& value, AppSettings& s,
                std::string& error) {
  // "whole": the file from the position to its end, worked out once the file is open.
  s.wholeSpan = value == "whole";
  if (s.wholeSpan) return true;
  long long span = 0;
  if (!chooseNumber(option, value, 512, kWidestSpanFrames, true, span, error)) {
    error += ", or whole";
    return false;
  }
  s.framesPerColumn = int32_t(span / kPlotWidth);
  return true;
}

using Settings = AppSettings;
using Choices = RenderChoices;
using Option = RenderOption;

constexpr RenderOption kOptions[] = {
    {"view", "NAME",
     "wave-zoom (the block's samples), level-meter (octave bands),\n"
     "spectrum-linear, spectrum-log (frequency axis), chart (512 columns\n"
     "of spectra over time)",
     [](const Option& o, const std::string& v, Settings& s, Choices&, std::string& error) {
       return chooseWord(o, v,
                         {{"wave-zoom", kWaveZoom},
                          {"level-meter", kLevelMeter},
                          {"spectrum-linear", kSpectrumLinear},
                          {"spectrum-log", kSpectrumLog},
                          {"chart", kTimeFrequencyChart}},
                         s.display, error);
     }},
    {"method", "NAME",
     "fft, dtft, dct, mem (maximum entropy, Burg) or wt (Morlet wavelet).\n"
     "fft and dct draw every view; dtft the log spectrum and the chart\n"
     "(the level meter and the linear spectrum are drawn by FFT); mem the\n"
     "level meter, both spectra and the chart; wt always the chart,\n"
     "whatever the view; wave-zoom shows the samples for every method",
     [](const Option& o, const std::string& v, Settings& s, Choices&, std::string& error) {
       return chooseWord(
           o, v, {{"fft", kFft}, {"dtft", kDtft}, {"dct", kDct}, {"mem", kMem}, {"wt", kWt}},
           s.method, error);
     }},
    {"block-order", "8..16", "transform length 2^N: 8 gives 256 points, 16 gives 65536",
     [](const Option& o, const std::string& v, Settings& s, Choices&, std::string& error) {
       return chooseInt(o, v, 8, 16, s.blockOrder, error);
     }},
    {"time-resolution", "N",
     "analysis step in samples at 11025 Hz, a power of two from 32 to\n"
     "32768 (32768 is 3 s, 1024 is 1/11 s)",
     [](const Option& o, const std::string& v, Settings& s, Choices&, std::string& error) {
       return chooseInt(o, v, 32, 32768, s.timeResolution, error, true);
     }},
    {"window", "0..6",
     "window function: 0 Hanning, 1 Hamming, 2 Blackman, 3 triangle,\n"
     "4 rectangle, 5 Gauss 4.24, 6 Gauss 6.50",
     [](const Option& o, const std::string& v, Settings& s, Choices&, std::string& error) {
       int32_t window = 0;
       if (!chooseInt(o, v, 0, 6, window, error)) return false;
       s.windowFunction = WindowFunction(window);  // numbered as the Options dialog lists them
       return true;
     }},
    {"scale", "NAME", "amplitude, power or log (levels in decibels)",
     [](const Option& o, const std::string& v, Settings& s, Choices&, std::string& error) {
       return chooseWord(o, v,
                         {{"amplitude", SpectrumScale::kAmplitude},
                          {"power", SpectrumScale::kPower},
                          {"log", SpectrumScale::kLog}},
                         s.spectrumType, error);
     }},
    {"gain", "0..3",
     "the power buttons, each step drawing quiet levels larger: 0 \"At\"\n"
     "(\"1/2\" with the rectangle window), 1 x1, 2 x2, 3 x4. On the log\n"
     "scale FFT, DCT and DTFT draw 0 to -217, 0 to -109, 0 to -81 and\n"
     "-11 to -65 dB; the wavelet 0 to -183, 0 to -122, -27 to -109 and\n"
     "-54 to -109 dB; MEM from the gain's reference (At: the block's\n"
     "loudest point) down to the block's quietest point, or with the\n"
     "rectangle window 0 to -217, -109, -54 and -27 dB below the loudest",
     [](const Option& o, const std::string& v, Settings& s, Choices&, std::string& error) {
       return chooseInt(o, v, 0, 3, s.displayGain, error);
     }},
    {"color-scale", nullptr, "colour the bars of the bar graph by musical note",
     [](const Option&, const std::string&, Settings& s, Choices&, std::string&) {
       s.colorScale = true;
       return true;
     }},
    {"key", "0..11",
     "the key whose tonic the note colours start from: 0 C major/A minor,\n"
     "1 Db/Bb minor, 2 D/B minor, 3 Eb/C minor, 4 E/C# minor, 5 F/D minor,\n"
     "6 Gb/Eb minor, 7 G/E minor, 8 Ab/F minor, 9 A/F# minor,\n"
     "10 Bb/G minor, 11 B/G# minor",
     [](const Option& o, const std::string& v, Settings& s, Choices&, std::string& error) {
       return chooseInt(o, v, 0, 11, s.musicalKey, error);
     }},
    {"span", "FRAMES|whole",
     "frames the overview strip and the chart cover, a power of two from\n"
     "512 to 1073741824 (up to 524288 the chart's blocks follow one another,\n"
     "FRAMES/512 frames a column; wider spans and whole spread the 512\n"
     "columns evenly over the span), or whole: the file from the position\n"
     "to its end. A span wider than 524288 analyses 512 blocks, one a\n"
     "column, where 524288 analyses one per (block frames / 1024) columns:\n"
     "MEM at the default step 4 times the work (4096-frame blocks at\n"
     "44.1 kHz), the wavelet 64 times (65536-frame blocks; about a minute\n"
     "on two cores); its overview strip reads every sample of the span\n"
     "(about 0.2 s of CPU per GB), since each column shows the extremes\n"
     "of all its samples",
     [](const Option& o, const std::string& v, Settings& s, Choices&, std::string& error) {
       return chooseSpan(o, v, s, error);
     }},
    {"zoom", "1|2", "vertical zoom of the overview waveform: 1 standard, 2 double",
     [](const Option& o, const std::string& v, Settings& s, Choices&, std::string& error) {
       return chooseInt(o, v, 1, 2, s.amplitudeZoom, error);
     }},
    {"position", "BYTES",
     "where the analysis starts, in bytes from the start of the samples\n"
     "(a whole number of frames)",
     [](const Option& o, const std::string& v, Settings&, Choices& c, std::string& error) {
       if (!chooseInt(o, v, 0, UINT32_MAX, c.position, error)) return false;
       c.hasPosition = true;
       return true;
     }},
    {"autocorr", nullptr, "analyse the autocorrelation of each block",
     [](const Option&, const std::string&, Settings& s, Choices&, std::string&) {
       s.autocorrelation = true;
       return true;
     }},
    {"pink", nullptr, "tilt the spectrum so that pink noise is drawn flat",
     [](const Option&, const std::string&, Settings& s, Choices&, std::string&) {
       s.pinkNoiseFlat = true;
       return true;
     }},
    {"onmem", nullptr,
     "the Options dialog's on-memory analysis: dct is computed through an\n"
     "FFT of twice the length (one larger piece of memory instead of many\n"
     "small ones, the same transform); other methods are not changed",
     [](const Option&, const std::string&, Settings& s, Choices&, std::string&) {
       s.onMem = true;
       return true;
     }},
    {"line", nullptr, "draw spectra as a line",
     [](const Option&, const std::string&, Settings& s, Choices&, std::string&) {
       s.graphStyle = kLineGraph;
       return true;
     }},
    {"bar", nullptr, "draw spectra as bars (the default)",
     [](const Option&, const std::string&, Settings& s, Choices&, std::string&) {
       s.graphStyle = kBarGraph;
       return true;
     }},
    {"thick", nullptr, "thick graph lines",
     [](const Option&, const std::string&, Settings& s, Choices&, std::string&) {
       s.lineWidth = LineWidth::kThick;
       return true;
     }},
    {"plot-only", nullptr, "save only the 512 x 256 plot",
     [](const Option&, const std::string&, Settings&, Choices& c, std::string&) {
       c.plotOnly = true;
       return true;
     }},
    {"csv", "OUT.csv",
     "also save the numbers the analysis computed as CSV: the settings in\n"
     "\"# key,value\" lines, then one row per bin, band or sample (power,\n"
     "db, level), or for the chart one row per chart row and one column\n"
     "per chart column; in a batch, a folder (CSVDIR/) that gets one\n"
     "NAME.csv per file",
     [](const Option&, const std::string& v, Settings&, Choices& c, std::string&) {
       c.csvPath = v;
       return true;
     }},
    {"csv-values", "WHAT",
     "what the chart's cells hold: db (the default), power or level (the\n"
     "depth drawn, 0 the top of the plot)",
     [](const Option& o, const std::string& v, Settings&, Choices& c, std::string& error) {
       return chooseWord(
           o, v,
           {{"db", CsvValues::kDb}, {"power", CsvValues::kPower}, {"level", CsvValues::kLevel}},
           c.csvValues, error);
     }},
    {"jobs", "N", "in a batch, render N files at once (1 to 256)",
     [](const Option& o, const std::string& v, Settings&, Choices& c, std::string& error) {
       return chooseInt(o, v, 1, 256, c.jobs, error);
     }},
    {"threads", "N",
     "compute a chart's columns on N threads (1 to 256; default one per\n"
     "core, 1 one column after another); a batch's files share them",
     [](const Option& o, const std::string& v, Settings&, Choices& c, std::string& error) {
       return chooseInt(o, v, 1, kMaxColumnThreads, c.threads, error);
     }},
    {"progress", nullptr, "show progress on stderr even when it is not a terminal",
     [](const Option&, const std::string&, Settings&, Choices& c, std::string&) {
       c.progress = true;
       return true;
     }},
};

// The column the descriptions start in.
constexpr size_t kHelpColumn = 26;

}  // namespace

std::span<const RenderOption> renderOptionTable() {
  return kOptions;
}

const RenderOption* findRenderOption(std::string_view name) {
  for (const RenderOption& option : kOptions)
    if (name == option.name) return &option;
  return nullptr;
}

std::string renderOptionsHelp() {
  std::string text;
  for (const RenderOption& option : kOptions) {
    std::string entry = std::string("  --") + option.name;
    if (option.valueWord != nullptr) entry += std::string(" ") + option.valueWord;
    // An entry too long for its column gets a line of its own.
    entry += entry.size() < kHelpColumn ? std::string(kHelpColumn - entry.size(), ' ')
                                        : "\n" + std::string(kHelpColumn, ' ');
    text += entry;
    for (const char* c = option.help; *c != '\0'; ++c) {
      text += *c;
      if (*c == '\n') text += std::string(kHelpColumn, ' ');
    }
    text += '\n';
  }
  return text;
}

bool applyRenderOptions(const RenderOptions& options, AppSettings& settings, RenderChoices& choices,
                        std::string& error) {
  for (const auto& [name, value] : options) {
    const RenderOption* option = findRenderOption(name);
    if (option == nullptr) {
      error = "unknown --render option: --" + name;
      return false;
    }
    if (!option->apply(*option, value, settings, choices, error)) return false;
  }
  return true;
}

}  // namespace korimu

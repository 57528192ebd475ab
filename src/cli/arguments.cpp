// argv rules: switches in Windows and Unix spellings, the last file name wins, and the headless
// commands of the command line.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/batch_render.h"
#include "cli/command_line.h"
#include "core/layout.h"
#include "core/program_files.h"
#include "core/settings_file.h"
#include "wave/decoded_copy.h"

namespace korimu {

namespace {

bool isPlaySwitch(const std::string& a) {
  return a == "/P" || a == "/p" || a == "-p" || a == "--play";
}

bool isDiagnosticSwitch(const std::string& a) {
  return a == "/D" || a == "/d" || a == "-d" || a == "--diagnostic";
}

bool isRenderSwitch(const std::string& a) {
  for (const char* name : {"--autocorr", "--pink", "--onmem", "--line", "--bar", "--thick",
                           "--color-scale", "--plot-only", "--progress"})
    if (a == name) return true;
  return false;
}

// The options of --render and --csv that take a value.
bool isRenderValueOption(const std::string& a) {
  for (const char* name :
       {"--view", "--method", "--block-order", "--time-resolution", "--window", "--scale", "--gain",
        "--key", "--span", "--zoom", "--position", "--csv-values", "--jobs"})
    if (a == name) return true;
  return false;
}

// The value of the last render option `name` (null when none was given).
const std::string* renderOption(const CommandLine& c, const std::string& name) {
  const std::string* value = nullptr;
  for (const auto& [given, v] : c.renderOptions)
    if (given == name) value = &v;
  return value;
}

// "X,Y" as a pixel of the plot; none when it is not two whole numbers inside it.
std::optional<PlotPoint> plotPointOf(const std::string& text) {
  PlotPoint p;
  char comma = 0;
  char rest = 0;
  if (std::sscanf(text.c_str(), "%d%c%d%c", &p.x, &comma, &p.y, &rest) != 3 || comma != ',')
    return std::nullopt;
  if (p.x < 0 || p.x >= kPlotWidth || p.y < 0 || p.y >= kPlotHeight) return std::nullopt;
  return p;
}

CommandLine usageError(std::string message) {
  CommandLine c;
  c.mode = HeadlessMode::kUsageError;
  c.error = std::move(message);
  return c;
}

}  // namespace

CommandLine parseArguments(const std::vector<std::string>& args) {
  CommandLine c;
  bool onlyFiles = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (onlyFiles || a.empty() || (a[0] != '-' && !isPlaySwitch(a) && !isDiagnosticSwitch(a))) {
      c.fileName = a;
      c.files.push_back(a);
      continue;
    }
    if (a == "--") {
      onlyFiles = true;
    } else if (isPlaySwitch(a)) {
      c.autoPlay = true;
    } else if (isDiagnosticSwitch(a)) {
      c.diagnosticText = true;
    } else if (a == "--help" || a == "-h") {
      c.mode = HeadlessMode::kHelp;
      return c;
    } else if (a == "--version") {
      c.mode = HeadlessMode::kVersion;
      return c;
    } else if (a == "--render" && c.mode == HeadlessMode::kRender && c.outputPath.empty()) {
      // --csv came first: the picture joins the table.
      if (i + 1 >= args.size()) return usageError(a + " needs a file name");
      c.outputPath = args[++i];
    } else if (a == "--csv" && c.mode == HeadlessMode::kNone) {
      // The numbers alone: a render that writes no picture.
      if (i + 1 >= args.size()) return usageError(a + " needs a file name");
      c.mode = HeadlessMode::kRender;
      c.renderOptions.emplace_back("csv", args[++i]);
    } else if (a == "--check" || a == "--screenshot" || a == "--render") {
      if (c.mode != HeadlessMode::kNone)
        return usageError(a + " cannot be combined with another command");
      if (i + 1 >= args.size()) return usageError(a + " needs a file name");
      if (a == "--check") {
        c.mode = HeadlessMode::kCheck;
        c.fileName = args[++i];
      } else {
        c.mode = a == "--render" ? HeadlessMode::kRender : HeadlessMode::kScreenshot;
        c.outputPath = args[++i];
      }
    } else if (a == "--readout" && c.mode == HeadlessMode::kScreenshot) {
      if (i + 1 >= args.size()) return usageError(a + " needs a plot point X,Y");
      c.readoutAt = plotPointOf(args[++i]);
      if (!c.readoutAt)
        return usageError("--readout '" + args[i] + "': give X,Y inside the 512 x 256 plot");
    } else if ((c.mode == HeadlessMode::kRender && a.size() > 2 && a.compare(0, 2, "--") == 0) ||
               (c.mode == HeadlessMode::kNone && (isRenderSwitch(a) || isRenderValueOption(a)))) {
      // The renderer checks its own option names and values; its switches take no value. Its
      // options may come before --render or --csv too.
      if (isRenderSwitch(a)) {
        c.renderOptions.emplace_back(a.substr(2), "");
        continue;
      }
      if (i + 1 >= args.size()) return usageError(a + " needs a value");
      c.renderOptions.emplace_back(a.substr(2), args[++i]);
    } else {
      return usageError("unknown option: " + a);
    }
  }
  if (c.mode != HeadlessMode::kRender && !c.renderOptions.empty())
    return usageError("--" + c.renderOptions.front().first +
                      " is an option of --render and --csv; give one of them");
  if (c.mode == HeadlessMode::kRender && renderOption(c, "csv-values") && !renderOption(c, "csv"))
    return usageError("--csv-values needs --csv: it chooses what the table's cells hold");
  if (c.mode == HeadlessMode::kRender && c.fileName.empty())
    return usageError((c.outputPath.empty() ? "--csv" : "--render") +
                      std::string(" needs a WAV file"));
  // Into a folder, every file is rendered; a file output holds the render of one.
  if (c.mode == HeadlessMode::kRender && namesFolder(c.outputPath)) {
    c.mode = HeadlessMode::kBatchRender;
  } else if (c.mode == HeadlessMode::kRender && c.files.size() > 1) {
    const bool picture = !c.outputPath.empty();
    const std::string* csv = renderOption(c, "csv");
    const std::string output = picture ? c.outputPath : csv != nullptr ? *csv : std::string();
    return usageError(std::string(picture ? "--render" : "--csv") + ": '" + output +
                      "' takes one file, not " + std::to_string(c.files.size()) +
                      "; several are rendered into a folder (--render OUTDIR/)");
  }
  return c;
}

std::string usageText() {
  const DecodeCache cache = defaultDecodeCache();
  return R"(Usage: korimu [options] [FILE.wav]
Opens FILE.wav (of several, the last one) in the KORIMU window; the interface is Japanese.
8- and 16-bit PCM WAV files are read as they are. Every other kind libsndfile reads (WAV of
24 or 32 bits, float, A-law, u-law or ADPCM, more channels; RF64, W64, AIFF, AU, CAF, FLAC,
Ogg Vorbis, Opus, MP3, ...) is first decoded into a 16-bit WAV copy in the cache folder (see
Files), which the window, --render and --csv then read; a second open decodes nothing.

  -p, --play, /P          play the file once it is open
  -d, --diagnostic, /D    show diagnostic numbers in the overview strip
  --check FILE.wav        check FILE.wav with the reader and print its format in one line
  --screenshot OUT.png    start the window, save its client area as a PNG, exit
  --screenshot OUT.png --readout X,Y
                          the same after one analysis (as the Analyze button with the
                          window's settings),
                          with the readout shown at pixel X,Y of the 512 x 256 plot (0,0 its
                          top left) as the pointer shows it: its label and crosshair
  --render OUT.png [--NAME VALUE ...] FILE.wav
                          run one analysis as the Analyze button does and save the window's
                          client area as a PNG, without a display ("-" writes to standard
                          output)
  --render OUTDIR/ [--NAME VALUE ...] FILE.wav... [--jobs N]
                          the same for every file, N at a time (default: one per core), each
                          saved as OUTDIR/NAME.png after its file; a file that fails is
                          reported with its name and the others go on; two files that would
                          get the same NAME (demo.wav, demo.flac) stop it before it starts
  --csv OUT.csv [--NAME VALUE ...] FILE.wav
                          the same analysis, saving its numbers as CSV instead of the picture
                          ("-" writes to standard output); with --render, both (not both to
                          standard output)
  --help                  show this text
  --version               show the version

Options of --render and --csv, before or after the command (those not given come from the
settings file and the start-up defaults):
  --view NAME             wave-zoom (the block's samples), level-meter (octave bands),
                          spectrum-linear, spectrum-log (frequency axis), chart (512 columns
                          of spectra over time)
  --method NAME           fft, dtft, dct, mem (maximum entropy, Burg) or wt (Morlet wavelet).
                          fft and dct draw every view; dtft the log spectrum and the chart
                          (the level meter and the linear spectrum are drawn by FFT); mem the
                          level meter, both spectra and the chart; wt always the chart,
                          whatever the view; wave-zoom shows the samples for every method
  --block-order 8..16     transform length 2^N: 8 gives 256 points, 16 gives 65536
  --time-resolution N     analysis step in samples at 11025 Hz, a power of two from 32 to
                          32768 (32768 is 3 s, 1024 is 1/11 s)
  --window 0..6           window function: 0 Hanning, 1 Hamming, 2 Blackman, 3 triangle,
                          4 rectangle, 5 Gauss 4.24, 6 Gauss 6.50
  --scale NAME            amplitude, power or log (levels in decibels)
  --gain 0..3             the power buttons, each step drawing quiet levels larger: 0 "At"
                          ("1/2" with the rectangle window), 1 x1, 2 x2, 3 x4. On the log
                          scale FFT, DCT and DTFT draw 0 to -217, 0 to -109, 0 to -81 and
                          -11 to -65 dB; the wavelet 0 to -183, 0 to -122, -27 to -109 and
                          -54 to -109 dB; MEM from the gain's reference (At: the block's
                          loudest point) down to the block's quietest point, or with the
                          rectangle window 0 to -217, -109, -54 and -27 dB below the loudest
  --color-scale           colour the bars of the bar graph by musical note
  --key 0..11             the key whose tonic the note colours start from: 0 C major/A minor,
                          1 Db/Bb minor, 2 D/B minor, 3 Eb/C minor, 4 E/C# minor, 5 F/D minor,
                          6 Gb/Eb minor, 7 G/E minor, 8 Ab/F minor, 9 A/F# minor,
                          10 Bb/G minor, 11 B/G# minor
  --span FRAMES|whole     frames the overview strip and the chart cover, a power of two from
                          512 to 1073741824 (up to 524288 the chart's blocks follow one another,
                          FRAMES/512 frames a column; wider spans and whole spread the 512
                          columns evenly over the span), or whole: the file from the position
                          to its end
  --zoom 1|2              vertical zoom of the overview waveform: 1 standard, 2 double
  --position BYTES        where the analysis starts, in bytes from the start of the samples
                          (a whole number of frames)
  --autocorr              analyse the autocorrelation of each block
  --pink                  tilt the spectrum so that pink noise is drawn flat
  --onmem                 the Options dialog's on-memory analysis: dct is computed through an
                          FFT of twice the length (one larger piece of memory instead of many
                          small ones, the same transform); other methods are not changed
  --line, --bar           draw spectra as a line or as bars (the default)
  --thick                 thick graph lines
  --plot-only             save only the 512 x 256 plot
  --csv OUT.csv           also save the numbers the analysis computed as CSV: the settings in
                          "# key,value" lines, then one row per bin, band or sample (power,
                          db, level), or for the chart one row per chart row and one column
                          per chart column; in a batch, a folder (CSVDIR/) that gets one
                          NAME.csv per file
  --csv-values WHAT       what the chart's cells hold: db (the default), power or level (the
                          depth drawn, 0 the top of the plot)
  --jobs N                in a batch, render N files at once (1 to 256)
  --progress              show progress on stderr even when it is not a terminal

An output file is replaced only once it is whole. "-", /dev/stdout, /dev/stderr and /dev/fd/N
are written through the descriptor the shell opened: after what it holds with >>, and at its
current place otherwise, so { echo head; korimu --csv - x.wav; } > f keeps "head".

Environment:
  KORIMU_FONT             the unifont .hex file to draw text with
                          (default /usr/share/unifont/unifont_jp.hex)
  KORIMU_DISPLAY_BITS     draw as a display of 16, 8 or 4 bits per pixel would (default 24)
  XDG_CONFIG_HOME         where the settings file lives (default ~/.config)
  XDG_CACHE_HOME          where the decoded copies are kept (default ~/.cache)

Files:
)" + std::string("  settings                ") +
         settingsFilePath().string() + "\n" + "  decoded copies          " + cache.folder.string() +
         " (at most " + std::to_string(cache.limitBytes >> 30) +
         " GB, the least recently used go first)\n" + "  help page               " +
         helpPagePath(programPath()) + "\n" + R"(
Exit status: 0 done (also when the window is closed), 1 a file could not be read or written
or a fatal message was shown, 2 a usage error.
)";
}

}  // namespace korimu

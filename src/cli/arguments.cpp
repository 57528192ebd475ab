// argv rules: switches in Windows and Unix spellings, the last file name wins, and the headless
// commands of the command line.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/batch_render.h"
#include "cli/command_line.h"
#include "cli/render_options.h"
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

// An option of --render and --csv (null for any other item).
const RenderOption* renderOptionNamed(const std::string& a) {
  return a.size() > 2 && a.compare(0, 2, "--") == 0 ? findRenderOption(a.substr(2)) : nullptr;
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
    } else if (a == "--lang") {
      if (i + 1 >= args.size()) return usageError("--lang needs a language: ja or en");
      c.language = languageOfCode(args[++i]);
      if (!c.language)
        return usageError("--lang: '" + args[i] +
                          "' is not a language of the window; use ja or en");
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
    } else if (const RenderOption* option = renderOptionNamed(a)) {
      // The renderer checks the values; switches take none. The options may come before
      // --render or --csv too.
      if (option->valueWord == nullptr) {
        c.renderOptions.emplace_back(option->name, "");
        continue;
      }
      if (i + 1 >= args.size()) return usageError(a + " needs a value");
      c.renderOptions.emplace_back(option->name, args[++i]);
    } else {
      return usageError("unknown option: " + a);
    }
  }
  // The headless modes speak English and draw the window's texts as written.
  if (c.language && c.mode != HeadlessMode::kNone && c.mode != HeadlessMode::kScreenshot)
    return usageError(
        "--lang chooses the window's language; --check, --render and --csv speak "
        "English");
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
Opens FILE.wav (of several, the last one) in the KORIMU window; the interface is Japanese, or
English with --lang en or the window's View > Language menu.
8- and 16-bit PCM WAV files are read as they are. Every other kind libsndfile reads (WAV of
24 or 32 bits, float, A-law, u-law or ADPCM, more channels; RF64, W64, AIFF, AU, CAF, FLAC,
Ogg Vorbis, Opus, MP3, ...) is first decoded into a 16-bit WAV copy in the cache folder (see
Files), which the window, --render and --csv then read; a second open decodes nothing.

  -p, --play, /P          play the file once it is open
  -d, --diagnostic, /D    show diagnostic numbers in the overview strip
  --lang ja|en            the window's language from this start on: ja Japanese, en English
                          (remembered; without it, the last one chosen; at first Japanese)
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
)" + renderOptionsHelp() +
         R"(
An output file is replaced only once it is whole. "-", /dev/stdout, /dev/stderr and /dev/fd/N
are written through the descriptor the shell opened: after what it holds with >>, and at its
current place otherwise, so { echo head; korimu --csv - x.wav; } > f keeps "head".

Environment:
  KORIMU_FONT             the unifont .hex file to draw text with
                          (default /usr/share/unifont/unifont_jp.hex)
  KORIMU_DISPLAY_BITS     draw as a display of 16, 8 or 4 bits per pixel would (default 24)
  KORIMU_THREADS          the window's chart threads, 1 to 256 (default one per core)
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

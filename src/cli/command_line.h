// The command line: the rules that turn argv items into switches, a file name and headless
// commands.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/language.h"
#include "wave/decoded_copy.h"

namespace korimu {

enum class HeadlessMode {
  kNone,         // start the window
  kHelp,         // --help: usage on stdout, exit 0
  kVersion,      // --version: "KORIMU  Version 0.10", exit 0
  kCheck,        // --check FILE: validate through the reader, one line, exit 0 or 1
  kScreenshot,   // --screenshot OUT.png: start the window, save the client area, exit 0
  kRender,       // --render OUT.png [options]: one analysis without a display
  kBatchRender,  // --render OUTDIR/ [options] FILE...: one PNG per file, several at once
  kUsageError,   // an unknown or malformed item: usage on stderr, exit 2
};

// A pixel of the 512 x 256 plot, counted from its top-left corner.
struct PlotPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const PlotPoint&, const PlotPoint&) = default;
};

struct CommandLine {
  HeadlessMode mode = HeadlessMode::kNone;
  std::string fileName;            // the last item that is a file name ("" when none)
  std::vector<std::string> files;  // every file name, in order (a batch renders them all)
  std::string outputPath;          // --screenshot / --render target
  bool autoPlay = false;           // /P /p -p --play
  bool diagnosticText = false;     // /D /d -d --diagnostic
  // --screenshot --readout X,Y: analyse, then show the readout at this plot pixel.
  std::optional<PlotPoint> readoutAt;
  std::optional<Language> language;  // --lang ja|en: the window's language from this start on
  // Options of --render, in order, as (name, value) pairs for the renderer to validate.
  std::vector<std::pair<std::string, std::string>> renderOptions;
  std::string error;  // the message for kUsageError
};

// Parses argv (argv[0] is the program). Never exits; the caller acts on mode.
CommandLine parseArguments(const std::vector<std::string>& args);

// The text printed by --help: every option, the environment variables and the program's files.
std::string usageText();

// `korimu --check FILE`: validates FILE with the default settings and prints the result line to
// stdout (or the reader's first failing message to stderr). A file that decodes is described as
// its copy in `cache` would show it. Returns the exit code (0 or 1).
int runCheck(const std::string& fileName, const DecodeCache& cache = defaultDecodeCache());

}  // namespace korimu

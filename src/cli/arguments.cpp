// argv rules: switches in Windows and Unix spellings, the last file name wins, and the headless
// commands of the command line.
#include <string>
#include <vector>

#include "cli/command_line.h"

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
                           "--color-scale", "--plot-only"})
    if (a == name) return true;
  return false;
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
    } else if (c.mode == HeadlessMode::kRender && a.size() > 2 && a.compare(0, 2, "--") == 0) {
      // The renderer checks its own option names and values; its switches take no value.
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
  if (c.mode == HeadlessMode::kRender && c.fileName.empty())
    return usageError("--render needs a WAV file");
  return c;
}

std::string usageText() {
  return "Usage: korimu [options] [FILE.wav]\n"
         "  FILE.wav                open this WAV file (of several, the last one)\n"
         "  -p, --play, /P          play the file once it is open\n"
         "  -d, --diagnostic, /D    show diagnostic numbers in the overview strip\n"
         "  --check FILE.wav        check FILE.wav with the reader and print its format\n"
         "  --screenshot OUT.png    start the window, save its client area, exit\n"
         "  --render OUT.png [--NAME VALUE ...] FILE.wav\n"
         "                          draw one analysis into OUT.png without a display\n"
         "    render options: --view wave-zoom|level-meter|spectrum-linear|spectrum-log|chart\n"
         "      --method fft|dtft|dct|mem|wt  --block-order 8..16  --time-resolution 32..32768\n"
         "      --window 0..6  --scale amplitude|power|log  --gain 0..3  --key 0..11\n"
         "      --span 512..524288  --zoom 1|2  --position BYTES  --autocorr  --pink  --onmem\n"
         "      --line | --bar  --thick  --color-scale  --plot-only\n"
         "  --help                  show this text\n"
         "  --version               show the version\n";
}

}  // namespace korimu

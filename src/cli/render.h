// `korimu --render OUT.png [options] FILE.wav`: one analysis as Analyze runs it, without a display,
// saved as a PNG of the main window's client area (or of the 512 x 256 plot alone).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cli/render_options.h"
#include "core/settings.h"
#include "run/column_pool.h"
#include "run/run_listener.h"
#include "wave/decoded_copy.h"

namespace korimu {

// Everything a render of one file needs that does not depend on the file: the settings (from
// the settings file, then the options) and the choices.
struct RenderSetup {
  AppSettings settings;
  RenderChoices choices;
  int displayBits = 24;                            // the display depth every file is drawn at
  DecodeCache decodeCache = defaultDecodeCache();  // where a file the reader refuses is decoded
  // The threads every file's chart columns are computed on (none: one column after another).
  std::shared_ptr<ColumnPool> columnPool;
};

// Reads the settings file, applies the options and reads the display depth. On a bad option prints
// why and returns false (exit code 2).
bool prepareRender(const RenderOptions& options, RenderSetup& setup);

// The first of `outputs` that would replace one of `inputs` ("" when none does): the same name
// however it is spelled, or the same file under another name (a link at an output's name is
// replaced, not followed, so it is not the file it points at); "-", /dev/stdout or /dev/fd/N is
// the file open on that descriptor. "" (no file) is never an input.
std::string outputThatIsAnInput(const std::vector<std::string>& outputs,
                                const std::vector<std::string>& inputs);

// Renders one file into pngPath and csvPath ("" none, "-" standard output) in a session
// of its own under a copy of setup.settings (so renders on several threads share nothing). The
// reader's messages and every failure go to `messages` (stderr by default). Returns 0 when
// written, 1 for file problems, 2 for a --position the file does not allow. The file is opened
// once: the strip, the run and the numbers read that one handle. A follower hears when it has been
// opened (fileOpened) and when the run enters and leaves its running state (for timing it).
int renderFile(const RenderSetup& setup, const std::string& fileName, const std::string& pngPath,
               const std::string& csvPath, RunListener* follower = nullptr,
               const Messages& messages = Messages{});

// The whole command (outputPath "" writes no PNG, only the --csv table): settings from the INI
// file, the options, the run and the PNG. Returns the exit code: 0 when written, 1 for file
// problems (the reader's message is printed, or why the output cannot be created, which is found
// out before anything is analysed), 2 for bad options and for an output that is the input (or
// the other output, or both through one descriptor such as standard output). A follower hears when
// the run enters and leaves its running state (for timing it). The file's messages go to `messages`
// (stderr by default).
int runRender(const std::string& outputPath, const RenderOptions& options,
              const std::string& fileName, RunListener* follower = nullptr,
              const Messages& messages = Messages{});

}  // namespace korimu

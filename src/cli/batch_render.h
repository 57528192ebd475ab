// `korimu --render OUTDIR/ FILE... [--jobs N]`: many files in one process, N at a time. Each
// file gets its own session, so the PNG of a file is the one a single --render of it writes.
#pragma once

#include <string>
#include <vector>

#include "cli/render.h"

namespace korimu {

// What one input becomes: OUTDIR/<name without extension>.png, and with --csv DIR/ also
// DIR/<name>.csv.
struct BatchItem {
  std::string input;
  std::string png;
  std::string csv;  // "" without --csv
};

// The items for `files` in `folder` (and `csvFolder` when not empty). Two inputs that would
// write the same output are an error naming both; returns false with it in `error`.
bool planBatch(const std::string& folder, const std::string& csvFolder,
               const std::vector<std::string>& files, std::vector<BatchItem>& items,
               std::string& error);

// Whether an output path names a folder: it ends with '/' or is one.
bool namesFolder(const std::string& path);

// Renders every file, --jobs at a time (default: one per core); a file that fails has its messages
// printed on stderr after its name and the others go on. Returns 0 when every file was written, 1
// when any failed, 2 for bad options and for an output that would replace an input (found before
// any work).
int runBatchRender(const std::string& folder, const RenderOptions& options,
                   const std::vector<std::string>& files);

}  // namespace korimu

// The options of --render and --csv in one table: the argument parser asks it which items take a
// value, the renderer applies them through it, and --help lists it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/settings.h"
#include "export/csv_export.h"

namespace korimu {

using RenderOptions = std::vector<std::pair<std::string, std::string>>;

// What the options choose beyond the settings record.
struct RenderChoices {
  bool plotOnly = false;
  bool progress = false;  // --progress: also when stderr is not a terminal
  bool hasPosition = false;
  uint32_t position = 0;
  std::string csvPath;                   // --csv: the numbers too ("-" standard output)
  CsvValues csvValues = CsvValues::kDb;  // --csv-values: what the chart's cells hold
  int jobs = 0;     // --jobs: files rendered at once in a batch (0: one per core)
  int threads = 0;  // --threads: threads a chart's columns are computed on (0: one per core)
};

struct RenderOption {
  const char* name;  // given as --name
  // What --help shows after the name ("0..3"); null for a switch, which takes no value.
  const char* valueWord;
  // --help's description, its lines separated by '\n'.
  const char* help;
  // Applies the value (a switch gets ""); on a bad value returns false with a message that names
  // the option and what it allows.
  bool (*apply)(const RenderOption& option, const std::string& value, AppSettings& settings,
                RenderChoices& choices, std::string& error);
};

// Every option, in the order --help lists them.
std::span<const RenderOption> renderOptionTable();
// The option spelled --name (null when there is none).
const RenderOption* findRenderOption(std::string_view name);
// --help's lines for the table: the entry ("  --gain 0..3") in a column of 26, the description
// beside it.
std::string renderOptionsHelp();

// Applies the options to `settings`. On a bad name or value returns false with a message that
// names the option and what it allows.
bool applyRenderOptions(const RenderOptions& options, AppSettings& settings, RenderChoices& choices,
                        std::string& error);

}  // namespace korimu

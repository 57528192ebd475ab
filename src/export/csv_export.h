// The numbers behind a picture as CSV (UTF-8, comma separated, "." decimals whatever the locale):
// a block of "# key,value" lines that names the file, where it was read and the settings (each on
// its one line: control characters and backslashes in a value are escaped as \n, \r, \t, \xHH
// and \\, and a value with a comma or a quote is quoted), then a header row and the rows of the
// view.
//   spectra: index, frequency_hz, power, level (the depth 0..255 the graph draws);
//   level meter: one row per band with its bins' frequency range;
//   waveform zoom: one row per sample (or lag): index, time_ms, value, level;
//   chart: one row per chart row (top first) with its frequency, one column per chart column
//          (its time in seconds in the header row) holding the depth drawn there.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "run/run_record.h"

namespace korimu {

// The whole CSV of a run.
std::string runCsv(const RunRecord& record);

// The CSV of one cross-section column: the run's header block, the column's place, then
// frequency_hz, depth per element (the bottom row first).
std::string crossSectionCsv(const RunRecord& record, int column, const uint8_t* depths,
                            const double* frequencies, int count);

// The "# key,value" lines of a CSV's header block, in order, values unquoted and unescaped.
std::vector<std::pair<std::string, std::string>> csvHeaderFields(std::string_view csv);

// Writes `text` to `path` ("-" is standard output), replacing the file only once the whole text
// is written (see AtomicFile). False with the system's reason on failure.
bool writeTextFile(const std::string& path, const std::string& text, std::string& reason);

}  // namespace korimu

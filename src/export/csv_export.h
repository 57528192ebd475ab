// The numbers a run computed as CSV (UTF-8, comma separated, "." decimals whatever the locale):
// a block of "# key,value" lines that names the file, where it was read and the settings (each on
// its one line: control characters and backslashes in a value are escaped as \n, \r, \t, \xHH
// and \\, and a value with a comma or a quote is quoted), then a row of column names and the rows
// of the view.
//   spectra: index, frequency_hz, power, db, level;
//   level meter: band, from_hz, to_hz, power, db, level, one row per band (the highest first);
//   waveform zoom: index (or lag), time_ms, value (or autocorrelation), level;
//   chart: one row per chart row (top first) with its frequency, one column per chart column
//          with its time in seconds (the first cell, frequency_hz\time_s, names both units),
//          holding the dB, power or level (as "# values" says) of the cell; empty where the run
//          drew nothing.
// power is what the analyser computed; db is 10 log10 of it against the power the log scale
// draws as 0 dB; level is the depth the picture draws, 0 the top of the plot to 255 its bottom.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "run/run_record.h"

namespace korimu {

// What the chart's cells hold.
enum class CsvValues { kDb, kPower, kLevel };

// The whole CSV of a run.
std::string runCsv(const RunRecord& record, CsvValues chartValues = CsvValues::kDb);

// The CSV of one column of a chart run: the run's header block with the column's own peak (its
// loudest row), the column's place, then frequency_hz, power, db, level per row, the bottom row
// first.
std::string crossSectionCsv(const RunRecord& record, int column);

// The "# key,value" lines of a CSV's header block, in order, values unquoted and unescaped.
std::vector<std::pair<std::string, std::string>> csvHeaderFields(std::string_view csv);

// Writes `text` to `path`, replacing the file only once the whole text is written; "-" (standard
// output), /dev/stdout and /dev/fd/N are written through the descriptor (see AtomicFile). False
// with the system's reason on failure.
bool writeTextFile(const std::string& path, const std::string& text, std::string& reason);

}  // namespace korimu

#include "export/csv_export.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/sample_rate.h"
#include "core/settings.h"
#include "export/export_names.h"
#include "platform/atomic_file.h"
#include "run/chart_column.h"

namespace korimu {

namespace {

// Shortest text that reads back as the same double, with "." whatever the locale says.
// A number that is not finite (the dB of no power at all) is an empty field: spreadsheets read
// every field that is there as a number.
std::string number(double v) {
  if (!std::isfinite(v)) return {};
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, v);
  return std::string(text, result.ptr);
}

// A field quoted when it holds a comma, a quote or a line break.
std::string field(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

// The length of the UTF-8 character that starts at `at`, or 0 where the bytes there are not one
// (a file name in another encoding, or cut inside a character).
size_t utf8Length(const std::string& text, size_t at) {
  const auto byte = [&](size_t i) {
    return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0u;
  };
  const unsigned lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return 0;
  }
  if (byte(1) < low || byte(1) > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  return length;
}

// A header value kept on its one line and in UTF-8: line breaks and other control characters, and
// bytes that are not UTF-8, are written as \n, \r, \t or \xHH and a backslash as \\, so no file
// name can end the line early and read as a row or stop a UTF-8 reader; the result is quoted as
// any field.
std::string headerValue(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80) {
      if (const size_t length = utf8Length(text, i); length > 0) {
        escaped.append(text, i, length);
        i += length - 1;
      } else {
        escaped += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
      }
    } else if (c == '\\' || c == '\n' || c == '\r' || c == '\t') {
      escaped += '\\';
      escaped += c == '\n' ? 'n' : c == '\r' ? 'r' : c == '\t' ? 't' : '\\';
    } else if (byte < 0x20 || byte == 0x7F) {
      escaped += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
    } else {
      escaped += c;
    }
  }
  return field(escaped);
}

// The value headerValue escaped, given back (without its quotes).
std::string unescapedValue(std::string_view value) {
  std::string text;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      text += value[i];
      continue;
    }
    const char kind = value[++i];
    if (kind == 'x' && i + 2 < value.size()) {
      unsigned byte = 0;
      std::from_chars(value.data() + i + 1, value.data() + i + 3, byte, 16);
      text += char(byte);
      i += 2;
    } else {
      text += kind == 'n' ? '\n' : kind == 'r' ? '\r' : kind == 't' ? '\t' : kind;
    }
  }
  return text;
}

class CsvText {
 public:
  void meta(const std::string& key, const std::string& value) {
    text_ += "# " + key + ',' + headerValue(value) + '\n';
  }
  void row(std::initializer_list<std::string> fields) {
    bool first = true;
    for (const std::string& f : fields) {
      if (!first) text_ += ',';
      text_ += f;
      first = false;
    }
    text_ += '\n';
  }
  std::string& text() { return text_; }

 private:
  std::string text_;
};

std::string formatText(const RunRecord& r) {
  std::string text = r.run.formatTag == 1 ? "PCM" : "format " + std::to_string(r.run.formatTag);
  text += ' ' + std::to_string(SampleRate(r.run.srKHz).hz()) + " Hz ";
  text += std::to_string(r.run.bitsPerSample) + " bit ";
  text += r.run.channels == 2 ? "stereo" : "mono";
  // A decoded file is named as it is; the numbers are those of the copy that was analysed.
  if (!r.run.sourceDescription.empty())
    return r.run.sourceDescription + " decoded; the numbers are from its 16-bit copy: " + text;
  return text;
}

const char* windowName(WindowFunction w) {
  static constexpr const char* kNames[] = {"hanning",   "hamming",   "blackman", "triangle",
                                           "rectangle", "gauss4.24", "gauss6.50"};
  const auto i = static_cast<size_t>(w);
  return i < std::size(kNames) ? kNames[i] : "";
}

struct Peak {
  bool shown = false;
  double frequency = 0.0;
  double power = 0.0;
};

void headerBlock(CsvText& csv, const RunRecord& r, const Peak& peak) {
  const AnalysisParams& p = r.run.analysis;
  csv.meta("KORIMU numbers", r.complete ? "complete" : "stopped");
  csv.meta("file", r.run.fileName);
  csv.meta("format", formatText(r));
  csv.meta("position", std::to_string(r.run.position));
  csv.meta("seconds", number(r.run.secondsAt(r.run.position)));
  csv.meta("view", viewWord(p.view));
  csv.meta("method", methodWord(p.method));
  csv.meta("block-order", std::to_string(p.blockOrder));
  csv.meta("block-frames",
           std::to_string(r.run.blockAlign == 0 ? 0 : r.run.blockBytes / r.run.blockAlign));
  csv.meta("span", std::to_string(r.run.spanFrames));
  csv.meta("window", std::to_string(static_cast<int>(p.window)));
  csv.meta("window-name", windowName(p.window));
  csv.meta("scale", scaleWord(static_cast<int32_t>(p.scale)));
  csv.meta("gain", std::to_string(p.displayGain));
  csv.meta("autocorr", p.autocorrelation ? "1" : "0");
  csv.meta("pink", p.pinkNoiseFlat ? "1" : "0");
  csv.meta("version", KORIMU_VERSION);
  csv.meta("peak-frequency-hz", peak.shown ? number(peak.frequency) : "");
  csv.meta("peak-power", peak.shown ? number(peak.power) : "");
}

Peak runPeak(const RunRecord& r) {
  return {r.peakShown, r.peakFrequency, r.peakPower};
}

void spectrumRows(CsvText& csv, const SpectrumFrame& s) {
  csv.row({"index", "frequency_hz", "power", "db", "level"});
  for (int i = 0; i < s.bins(); ++i) {
    const auto k = size_t(i);
    const bool known = k < s.powers.size();
    csv.row({std::to_string(i), k < s.frequencies.size() ? number(s.frequencies[k]) : "",
             known ? number(s.powers[k]) : "",
             known ? number(decibelsOf(s.powers[k], s.zeroDbPower)) : "",
             std::to_string(s.depths[k])});
  }
}

// The bands as the meter drew them: bars stand for their loudest bin, line points for the mean.
void meterRows(CsvText& csv, const RunRecord& r) {
  const SpectrumFrame& s = r.spectrum;
  // A line point is the mean depth and the mean power of its bins, so its level is not the
  // depth of its dB; a bar is its loudest bin, and both agree.
  csv.meta("band-values", r.run.lineGraph ? "mean depth and mean power of the band's bins"
                                          : "the band's loudest bin");
  csv.row({"band", "from_hz", "to_hz", "power", "db", "level"});
  for (size_t k = 0; k < r.bands.size(); ++k) {
    const MeterBandResult& b = r.bands[k];
    auto frequency = [&](int i) {
      return size_t(i) < s.frequencies.size() ? number(s.frequencies[size_t(i)]) : "";
    };
    csv.row({std::to_string(k), frequency(b.firstBin), frequency(b.endBin - 1), number(b.power),
             number(decibelsOf(b.power, s.zeroDbPower)), std::to_string(int(b.depth))});
  }
}

void waveRows(CsvText& csv, const RunRecord& r) {
  const bool lags = r.run.analysis.autocorrelation;
  csv.row({lags ? "lag" : "index", "time_ms", lags ? "autocorrelation" : "value", "level"});
  const double rate = SampleRate(r.run.srKHz).hz();
  for (size_t i = 0; i < r.waveRows.size(); ++i) {
    csv.row({std::to_string(i), number(rate > 0 ? double(i) * 1000.0 / rate : 0.0),
             i < r.waveValues.size() ? number(r.waveValues[i]) : "",
             std::to_string(r.waveRows[i])});
  }
}

const char* valuesWord(CsvValues values) {
  switch (values) {
    case CsvValues::kPower:
      return "power";
    case CsvValues::kLevel:
      return "level";
    default:
      return "db";
  }
}

// One row per chart row (the top first) with its frequency, one column per chart column with its
// time; the first cell names both units. A cell no block drew is empty.
void chartRows(CsvText& csv, const RunRecord& r, CsvValues values) {
  csv.meta("values", valuesWord(values));
  std::string& text = csv.text();
  text += "frequency_hz\\time_s";
  for (int c = 0; c < r.chartColumns; ++c)
    text += ',' + number(r.run.secondsAt(r.run.columnBytePosition(c)));
  text += '\n';
  const ChartCells& cells = r.chartCells;
  for (int row = 0; row < kChartRows; ++row) {
    text += number(r.chartRowFrequencies[size_t(row)]);
    for (int c = 0; c < r.chartColumns; ++c) {
      const size_t i = ChartCells::at(row, c);
      text += ',';
      if (cells.block(i) < 0) continue;
      switch (values) {
        case CsvValues::kPower:
          text += number(cells.power(i));
          break;
        case CsvValues::kLevel: {
          char cell[4];
          text.append(cell, std::to_chars(cell, cell + sizeof cell, int(cells.depths[i])).ptr);
          break;
        }
        default:
          text += number(chartCellDecibels(r, row, c));
          break;
      }
    }
    text += '\n';
  }
}

}  // namespace

std::string runCsv(const RunRecord& record, CsvValues chartValues) {
  CsvText csv;
  headerBlock(csv, record, runPeak(record));
  switch (record.run.analysis.view) {
    case kWaveZoom:
      waveRows(csv, record);
      break;
    case kLevelMeter:
      meterRows(csv, record);
      break;
    case kTimeFrequencyChart:
      chartRows(csv, record, chartValues);
      break;
    default:
      spectrumRows(csv, record.spectrum);
      break;
  }
  return std::move(csv.text());
}

std::string crossSectionCsv(const RunRecord& record, int column) {
  const ChartColumn shown = chartColumnOf(record, column);
  const auto loudest = size_t(shown.loudest);
  CsvText csv;
  headerBlock(csv, record,
              {shown.cellDrawn[loudest], shown.frequencies[loudest], shown.powers[loudest]});
  csv.meta("column", std::to_string(shown.column));
  csv.meta("column-seconds",
           number(record.run.secondsAt(record.run.columnBytePosition(shown.column))));
  csv.row({"frequency_hz", "power", "db", "level"});
  for (size_t e = 0; e < size_t(kChartRows); ++e) {
    const bool drawn = shown.cellDrawn[e];
    csv.row({number(shown.frequencies[e]), drawn ? number(shown.powers[e]) : "",
             drawn ? number(shown.decibels[e]) : "", drawn ? std::to_string(shown.depths[e]) : ""});
  }
  return std::move(csv.text());
}

std::vector<std::pair<std::string, std::string>> csvHeaderFields(std::string_view csv) {
  std::vector<std::pair<std::string, std::string>> fields;
  while (csv.substr(0, 2) == "# ") {
    const size_t end = std::min(csv.find('\n'), csv.size());
    const std::string_view line = csv.substr(2, end - 2);
    csv.remove_prefix(std::min(end + 1, csv.size()));
    const size_t comma = line.find(',');
    if (comma == std::string_view::npos) continue;
    std::string_view value = line.substr(comma + 1);
    std::string text;
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
      for (size_t i = 0; i < value.size(); ++i) {
        text += value[i];
        if (value[i] == '"' && i + 1 < value.size() && value[i + 1] == '"') ++i;
      }
    } else {
      text = std::string(value);
    }
    fields.emplace_back(std::string(line.substr(0, comma)), unescapedValue(text));
  }
  return fields;
}

bool writeTextFile(const std::string& path, const std::string& text, std::string& reason) {
  return writeFileAtomically(path, text, reason);
}

}  // namespace korimu

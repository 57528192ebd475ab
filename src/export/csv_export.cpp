#include "export/csv_export.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "core/sample_rate.h"
#include "core/settings.h"
#include "display/level_meter.h"
#include "export/export_names.h"
#include "platform/atomic_file.h"

namespace korimu {

namespace {

// Shortest text that reads back as the same double, with "." whatever the locale says.
std::string number(double v) {
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

// A header value kept on its one line: line breaks and other control characters are written as
// \n, \r, \t or \xHH and a backslash as \\, so no file name can end the line early and read as
// a row; the result is quoted as any field.
std::string headerValue(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\' || c == '\n' || c == '\r' || c == '\t') {
      escaped += '\\';
      escaped += c == '\n' ? 'n' : c == '\r' ? 'r' : c == '\t' ? 't' : '\\';
    } else if (byte < 0x20 || byte == 0x7F) {
      static constexpr char kHex[] = "0123456789ABCDEF";
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

double secondsAt(const RunRecord& r, uint64_t bytes) {
  return r.bytesPerSecond == 0 ? 0.0 : double(bytes) / r.bytesPerSecond;
}

std::string formatText(const RunRecord& r) {
  std::string text = r.formatTag == 1 ? "PCM" : "format " + std::to_string(r.formatTag);
  text += ' ' + std::to_string(SampleRate(r.srKHz).hz()) + " Hz ";
  text += std::to_string(r.bitsPerSample) + " bit ";
  text += r.channels == 2 ? "stereo" : "mono";
  return text;
}

const char* windowName(WindowFunction w) {
  static constexpr const char* kNames[] = {"hanning",   "hamming",   "blackman", "triangle",
                                           "rectangle", "gauss4.24", "gauss6.50"};
  const auto i = static_cast<size_t>(w);
  return i < std::size(kNames) ? kNames[i] : "";
}

void headerBlock(CsvText& csv, const RunRecord& r) {
  const AnalysisParams& p = r.params;
  csv.meta("KORIMU numbers", r.complete ? "complete" : "stopped");
  csv.meta("file", r.fileName);
  csv.meta("format", formatText(r));
  csv.meta("position", std::to_string(r.position));
  csv.meta("seconds", number(secondsAt(r, r.position)));
  csv.meta("view", viewWord(p.view));
  csv.meta("method", methodWord(p.method));
  csv.meta("block-order", std::to_string(p.blockOrder));
  csv.meta("block-frames", std::to_string(r.blockAlign == 0 ? 0 : r.blockBytes / r.blockAlign));
  csv.meta("span", std::to_string(kChartColumns * r.framesPerColumn));
  csv.meta("window", std::to_string(static_cast<int>(p.window)));
  csv.meta("window-name", windowName(p.window));
  csv.meta("scale", scaleWord(static_cast<int32_t>(p.scale)));
  csv.meta("gain", std::to_string(p.displayGain));
  csv.meta("autocorr", p.autocorrelation ? "1" : "0");
  csv.meta("pink", p.pinkNoiseFlat ? "1" : "0");
  csv.meta("version", KORIMU_VERSION);
  csv.meta("peak-frequency-hz", r.peakShown ? number(r.peakFrequency) : "");
  csv.meta("peak-power", r.peakShown ? number(r.peakPower) : "");
}

void spectrumRows(CsvText& csv, const SpectrumFrame& s) {
  csv.row({"index", "frequency_hz", "power", "level"});
  for (int i = 0; i < s.bins(); ++i) {
    const auto k = size_t(i);
    csv.row({std::to_string(i), k < s.frequencies.size() ? number(s.frequencies[k]) : "",
             k < s.powers.size() ? number(s.powers[k]) : "", std::to_string(s.depths[k])});
  }
}

// The bands as the meter draws them: bars stand for their loudest bin, line points for the mean.
void meterRows(CsvText& csv, const RunRecord& r) {
  const SpectrumFrame& s = r.spectrum;
  const std::vector<MeterBand> bands =
      r.spectrumPoints ? equalCountMeterBands(s.data(), s.bins(), r.lineGraph)
                       : octaveMeterBands(s.data(), s.bins(), r.lineGraph, r.params.blockOrder,
                                          r.params.pinkNoiseFlat);
  csv.row({"band", "from_hz", "to_hz", "power", "level"});
  for (size_t k = 0; k < bands.size(); ++k) {
    const MeterBand& b = bands[k];
    double power = 0.0;
    for (int i = b.begin; i < b.end && size_t(i) < s.powers.size(); ++i)
      power = r.lineGraph ? power + s.powers[size_t(i)] / (b.end - b.begin)
                          : std::max(power, s.powers[size_t(i)]);
    auto frequency = [&](int i) {
      return size_t(i) < s.frequencies.size() ? number(s.frequencies[size_t(i)]) : "";
    };
    csv.row({std::to_string(k), frequency(b.begin), frequency(b.end - 1), number(power),
             std::to_string(int(b.depth))});
  }
}

void waveRows(CsvText& csv, const RunRecord& r) {
  const bool lags = r.params.autocorrelation;
  csv.row({lags ? "lag" : "index", "time_ms", lags ? "autocorrelation" : "value", "level"});
  const double rate = SampleRate(r.srKHz).hz();
  for (size_t i = 0; i < r.waveRows.size(); ++i) {
    csv.row({std::to_string(i), number(rate > 0 ? double(i) * 1000.0 / rate : 0.0),
             i < r.waveValues.size() ? number(r.waveValues[i]) : "",
             std::to_string(r.waveRows[i])});
  }
}

void chartRows(CsvText& csv, const RunRecord& r) {
  std::string& text = csv.text();
  text += "frequency_hz";
  const uint64_t columnBytes = uint64_t(r.framesPerColumn) * r.blockAlign;
  for (int c = 0; c < r.chartColumns; ++c)
    text += ',' + number(secondsAt(r, r.position + uint64_t(c) * columnBytes));
  text += '\n';
  for (int row = 0; row < kChartRows; ++row) {
    text += number(r.chartRowFrequencies[size_t(row)]);
    const uint8_t* depths = r.chartDepths.data() + size_t(row) * kChartColumns;
    for (int c = 0; c < r.chartColumns; ++c) {
      char cell[5] = {','};
      const auto end = std::to_chars(cell + 1, cell + sizeof cell, int(depths[c])).ptr;
      text.append(cell, end);
    }
    text += '\n';
  }
}

}  // namespace

std::string runCsv(const RunRecord& record) {
  CsvText csv;
  headerBlock(csv, record);
  switch (record.params.view) {
    case kWaveZoom:
      waveRows(csv, record);
      break;
    case kLevelMeter:
      meterRows(csv, record);
      break;
    case kTimeFrequencyChart:
      chartRows(csv, record);
      break;
    default:
      spectrumRows(csv, record.spectrum);
      break;
  }
  return std::move(csv.text());
}

std::string crossSectionCsv(const RunRecord& record, int column, const uint8_t* depths,
                            const double* frequencies, int count) {
  CsvText csv;
  headerBlock(csv, record);
  const uint64_t columnBytes = uint64_t(record.framesPerColumn) * record.blockAlign;
  csv.meta("column", std::to_string(column));
  csv.meta("column-seconds",
           number(secondsAt(record, record.position + uint64_t(column) * columnBytes)));
  csv.row({"frequency_hz", "depth"});
  for (int i = 0; i < count; ++i) csv.row({number(frequencies[i]), std::to_string(depths[i])});
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
  if (path == "-") {
    const bool ok =
        std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
    if (!ok) reason = std::strerror(errno);
    return ok;
  }
  return writeFileAtomically(path, text, reason);
}

}  // namespace korimu

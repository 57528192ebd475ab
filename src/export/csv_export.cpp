#include "export/csv_export.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/sample_rate.h"
#include "core/settings.h"
#include "export/export_names.h"

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

class CsvText {
 public:
  void meta(const std::string& key, const std::string& value) {
    text_ += "# " + key + ',' + field(value) + '\n';
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
  return r.run.bytesPerSecond == 0 ? 0.0 : double(bytes) / r.run.bytesPerSecond;
}

std::string formatText(const RunRecord& r) {
  std::string text = r.run.formatTag == 1 ? "PCM" : "format " + std::to_string(r.run.formatTag);
  text += ' ' + std::to_string(SampleRate(r.run.srKHz).hz()) + " Hz ";
  text += std::to_string(r.run.bitsPerSample) + " bit ";
  text += r.run.channels == 2 ? "stereo" : "mono";
  return text;
}

const char* windowName(WindowFunction w) {
  static constexpr const char* kNames[] = {"hanning",   "hamming",   "blackman", "triangle",
                                           "rectangle", "gauss4.24", "gauss6.50"};
  const auto i = static_cast<size_t>(w);
  return i < std::size(kNames) ? kNames[i] : "";
}

void headerBlock(CsvText& csv, const RunRecord& r) {
  const AnalysisParams& p = r.run.analysis;
  csv.meta("KORIMU numbers", r.complete ? "complete" : "stopped");
  csv.meta("file", r.run.fileName);
  csv.meta("format", formatText(r));
  csv.meta("position", std::to_string(r.run.position));
  csv.meta("seconds", number(secondsAt(r, r.run.position)));
  csv.meta("view", viewWord(p.view));
  csv.meta("method", methodWord(p.method));
  csv.meta("block-order", std::to_string(p.blockOrder));
  csv.meta("block-frames",
           std::to_string(r.run.blockAlign == 0 ? 0 : r.run.blockBytes / r.run.blockAlign));
  csv.meta("span", std::to_string(kChartColumns * r.run.framesPerColumn));
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

// The bands as the meter drew them: bars stand for their loudest bin, line points for the mean.
void meterRows(CsvText& csv, const RunRecord& r) {
  const SpectrumFrame& s = r.spectrum;
  csv.row({"band", "from_hz", "to_hz", "power", "level"});
  for (size_t k = 0; k < r.bands.size(); ++k) {
    const MeterBandResult& b = r.bands[k];
    auto frequency = [&](int i) {
      return size_t(i) < s.frequencies.size() ? number(s.frequencies[size_t(i)]) : "";
    };
    csv.row({std::to_string(k), frequency(b.firstBin), frequency(b.endBin - 1), number(b.power),
             std::to_string(int(b.depth))});
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

void chartRows(CsvText& csv, const RunRecord& r) {
  std::string& text = csv.text();
  text += "frequency_hz";
  const uint64_t columnBytes = uint64_t(r.run.framesPerColumn) * r.run.blockAlign;
  for (int c = 0; c < r.chartColumns; ++c)
    text += ',' + number(secondsAt(r, r.run.position + uint64_t(c) * columnBytes));
  text += '\n';
  for (int row = 0; row < kChartRows; ++row) {
    text += number(r.chartRowFrequencies[size_t(row)]);
    const uint8_t* depths = r.chartCells.depths.data() + size_t(row) * kChartColumns;
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
  switch (record.run.analysis.view) {
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
  const uint64_t columnBytes = uint64_t(record.run.framesPerColumn) * record.run.blockAlign;
  csv.meta("column", std::to_string(column));
  csv.meta("column-seconds",
           number(secondsAt(record, record.run.position + uint64_t(column) * columnBytes)));
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
    fields.emplace_back(std::string(line.substr(0, comma)), std::move(text));
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
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    reason = std::strerror(errno);
    return false;
  }
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += size_t(n);
  }
  const int writeError = written == text.size() ? 0 : errno;
  if (::close(fd) != 0 || writeError != 0) {
    reason = std::strerror(writeError != 0 ? writeError : errno);
    std::error_code ec;
    std::filesystem::remove(path, ec);
    return false;
  }
  return true;
}

}  // namespace korimu

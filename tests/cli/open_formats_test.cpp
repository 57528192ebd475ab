// Files of other WAV kinds than the plain PCM header: the same samples must give the same picture
// and the same verdict as the plain file.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/render.h"
#include "cli/render_test_support.h"
#include "wave/sndfile_writer.h"

namespace korimu {
namespace {

using testing::ByteWriter;
using testing::loadPng;
using testing::RenderScope;

// The test signal at the full scale of 8- or 16-bit samples, the same in every channel.
std::vector<int> multiTone(uint32_t rate, int channels, double seconds, int bits) {
  return testing::multiToneValues(rate, channels, seconds, bits == 16 ? 32767.0 : 127.0, 0.0);
}

std::vector<uint8_t> sampleBytes(const std::vector<int>& values, int bits) {
  std::vector<uint8_t> data;
  for (int v : values) {
    if (bits == 16) {
      testing::appendPcm16(data, v);
    } else {
      data.push_back(uint8_t(128 + v));
    }
  }
  return data;
}

// The 16 bytes of a GUID as they stand in a file.
constexpr uint8_t kPcmGuid[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                  0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71};
constexpr uint8_t kFloatGuid[16] = {0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                    0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71};

struct Header {
  bool extensible = false;
  const uint8_t* guid = kPcmGuid;
  uint16_t cbSize = 22;
  uint16_t validBits = 0;  // 0: the container's
};

std::vector<uint8_t> waveWith(const Header& h, uint32_t rate, int channels, int bits,
                              const std::vector<uint8_t>& data) {
  const uint16_t align = uint16_t(channels * bits / 8);
  ByteWriter fmt;
  fmt.u16(h.extensible ? 0xFFFE : 1).u16(uint16_t(channels)).u32(rate).u32(rate * align);
  fmt.u16(align).u16(uint16_t(bits));
  if (h.extensible) {
    fmt.u16(h.cbSize).u16(h.validBits ? h.validBits : uint16_t(bits));
    fmt.u32(channels == 1 ? 0x4 : 0x3);  // front centre; front left and right
    for (int i = 0; i < 16; ++i) fmt.u8(h.guid[i]);
  }
  ByteWriter chunks;
  chunks.chunk("fmt ", fmt.bytes()).chunk("data", data);
  return testing::riffWave(chunks.bytes());
}

struct Verdict {
  int code;
  std::string out, err;
};

Verdict check(const std::string& path) {
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  const int code = runCheck(path);
  std::string out = ::testing::internal::GetCapturedStdout();
  return {code, out, ::testing::internal::GetCapturedStderr()};
}

const RenderOptions kChart = {{"view", "chart"},          {"method", "fft"}, {"block-order", "9"},
                              {"time-resolution", "512"}, {"span", "16384"}, {"plot-only", ""}};

bool samePixels(const QImage& a, const QImage& b) {
  return a.size() == b.size() && !a.isNull() && a == b;
}

struct ExtensibleCase {
  const char* name;
  uint32_t rate;
  int channels;
  int bits;
  uint16_t validBits;
};

// Printed by its name: the test's name then reads the same in every run.
void PrintTo(const ExtensibleCase& value, std::ostream* out) {
  *out << value.name;
}

class ExtensiblePcm : public ::testing::TestWithParam<ExtensibleCase> {};

// An extensible header around PCM reads as the plain header: same verdict, same chart.
TEST_P(ExtensiblePcm, ReadsAsThePlainHeader) {
  RenderScope scope;
  const ExtensibleCase& c = GetParam();
  const std::vector<uint8_t> data = sampleBytes(multiTone(c.rate, c.channels, 0.4, c.bits), c.bits);
  const std::string plain =
      scope.dir.write("plain.wav", waveWith({}, c.rate, c.channels, c.bits, data));
  Header ext{true, kPcmGuid, 22, c.validBits};
  const std::string extensible =
      scope.dir.write("ext.wav", waveWith(ext, c.rate, c.channels, c.bits, data));

  const Verdict a = check(plain), b = check(extensible);
  EXPECT_EQ(a.code, 0) << a.err;
  EXPECT_EQ(b.code, 0) << b.err;
  EXPECT_EQ(a.out, b.out);

  ASSERT_EQ(runRender(scope.out("plain.png"), kChart, plain), 0);
  ASSERT_EQ(runRender(scope.out("ext.png"), kChart, extensible), 0);
  EXPECT_TRUE(samePixels(loadPng(scope.out("plain.png")), loadPng(scope.out("ext.png"))));
}

INSTANTIATE_TEST_SUITE_P(Kinds, ExtensiblePcm,
                         ::testing::Values(ExtensibleCase{"stereo16", 44100, 2, 16, 16},
                                           ExtensibleCase{"mono16valid12", 22050, 1, 16, 12},
                                           ExtensibleCase{"stereo8", 11025, 2, 8, 8}),
                         [](const auto& info) { return std::string(info.param.name); });

// An extensible header that is not PCM, or too short to name its sub-format, is refused by the
// reader: its message stays the first line.
TEST(ExtensibleOther, IsNotPcmToTheReader) {
  RenderScope scope;
  const std::vector<uint8_t> data = sampleBytes(multiTone(8000, 1, 0.1, 16), 16);
  for (const Header& h : {Header{true, kFloatGuid, 22, 0}, Header{true, kPcmGuid, 0, 0}}) {
    std::vector<uint8_t> bytes = waveWith(h, 8000, 1, 16, data);
    const Verdict v = check(scope.dir.write("other.wav", bytes));
    EXPECT_TRUE(v.err.starts_with("指定したファイルは、PCMファイルではありません。\n")) << v.err;
  }
}

// The loudest row of each chart column, from the numbers --csv writes (depth 0 is full scale).
std::vector<int> loudestRows(const std::string& csvPath) {
  std::vector<std::vector<int>> rows;
  const std::vector<uint8_t> bytes = testing::readFile(csvPath);
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  bool header = true;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    if (header) {
      header = false;
      continue;
    }
    std::vector<int> depths;
    std::istringstream cells(line);
    std::string cell;
    std::getline(cells, cell, ',');  // the row's frequency
    while (std::getline(cells, cell, ',')) depths.push_back(std::stoi(cell));
    rows.push_back(depths);
  }
  std::vector<int> loudest;
  for (size_t c = 0; !rows.empty() && c < rows[0].size(); ++c) {
    int best = 0;
    for (size_t r = 0; r < rows.size(); ++r)
      if (rows[r][c] < rows[size_t(best)][c]) best = int(r);
    loudest.push_back(best);
  }
  return loudest;
}

struct DecodedKind {
  const char* name;
  int format;
  int channels;
  bool lossy;
  const char* decodes;  // the --check line
};

// Printed by its name: the test's name then reads the same in every run.
void PrintTo(const DecodedKind& value, std::ostream* out) {
  *out << value.name;
}

class DecodedKinds : public ::testing::TestWithParam<DecodedKind> {};

// Each kind opens, and its chart is that of the same signal as a native 16-bit WAV: pixel for
// pixel where the samples are 16-bit values, within a row where the coding is lossy or the
// channels are mixed.
TEST_P(DecodedKinds, ChartEqualsTheNativeWavs) {
  RenderScope scope;
  const DecodedKind& k = GetParam();
  constexpr uint32_t kRate = 22050;
  const std::vector<int16_t> samples = testing::multiTone16(kRate, k.channels, 1.0);
  const std::string source = scope.out(std::string(k.name) + ".snd");
  ASSERT_TRUE(testing::writeSndfile(source, k.format, kRate, k.channels, samples));

  // The native file holds what the copy must: the samples, or their stereo mix by the documented
  // weights (front left, centre and rear left at 1, 0.707, 0.707, scaled to sum to 1).
  std::vector<int16_t> native = samples;
  if (k.channels == 6) {
    native.clear();
    const double side = std::sqrt(0.5), scale = 1.0 / (1.0 + 2 * side);
    for (size_t f = 0; f + 6 <= samples.size(); f += 6) {
      const int16_t* s = &samples[f];
      native.push_back(int16_t(std::lround(scale * (s[0] + side * s[2] + side * s[4]))));
      native.push_back(int16_t(std::lround(scale * (s[1] + side * s[2] + side * s[5]))));
    }
  }
  const int nativeChannels = k.channels == 1 ? 1 : 2;
  const std::string reference = scope.out("native.wav");
  ASSERT_TRUE(testing::writeSndfile(reference, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kRate,
                                    nativeChannels, native));

  const Verdict v = check(source);
  EXPECT_EQ(v.code, 0) << v.err;
  EXPECT_EQ(v.out, std::string(k.decodes) + "\n");

  RenderOptions options = kChart;
  options.emplace_back("csv-values", "level");
  options.emplace_back("csv", scope.out("decoded.csv"));
  ASSERT_EQ(runRender(scope.out("decoded.png"), options, source), 0);
  options.back().second = scope.out("native.csv");
  ASSERT_EQ(runRender(scope.out("native.png"), options, reference), 0);

  if (!k.lossy && k.channels != 6) {
    EXPECT_TRUE(samePixels(loadPng(scope.out("decoded.png")), loadPng(scope.out("native.png"))));
  }
  // The numbers name the source as the check does, and the copy they come from.
  std::map<std::string, std::string> header;
  const std::vector<uint8_t> csv = testing::readFile(scope.out("decoded.csv"));
  for (auto& [key, value] : csvHeaderFields(std::string(csv.begin(), csv.end())))
    header[key] = value;
  const std::string decodes = k.decodes;
  const size_t arrow = decodes.find(" -> ");
  EXPECT_EQ(header["format"], decodes.substr(8, arrow - 8) +
                                  " decoded; the numbers are from its 16-bit copy: PCM 22050 Hz "
                                  "16 bit " +
                                  (nativeChannels == 1 ? "mono" : "stereo"));
  const std::vector<int> decoded = loudestRows(scope.out("decoded.csv"));
  const std::vector<int> expected = loudestRows(scope.out("native.csv"));
  ASSERT_EQ(decoded.size(), expected.size());
  ASSERT_FALSE(decoded.empty());
  for (size_t c = 0; c < decoded.size(); ++c) EXPECT_NEAR(decoded[c], expected[c], 1) << c;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DecodedKinds,
    ::testing::Values(DecodedKind{"wav24", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, false,
                                  "DECODES WAV PCM_24 22050Hz 2ch 22050 frames -> 16bit STEREO"},
                      DecodedKind{"float", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, false,
                                  "DECODES WAV FLOAT 22050Hz 1ch 22050 frames -> 16bit MONO"},
                      DecodedKind{"six", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 6, false,
                                  "DECODES WAV PCM_16 22050Hz 6ch 22050 frames -> 16bit STEREO"},
                      DecodedKind{"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, false,
                                  "DECODES FLAC PCM_16 22050Hz 2ch 22050 frames -> 16bit STEREO"},
                      DecodedKind{"aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, false,
                                  "DECODES AIFF PCM_16 22050Hz 1ch 22050 frames -> 16bit MONO"},
                      DecodedKind{"vorbis", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 2, true,
                                  "DECODES OGG VORBIS 22050Hz 2ch 22050 frames -> 16bit STEREO"}),
    [](const auto& info) { return std::string(info.param.name); });

// Real recordings, not written by this project, as FLAC: the chart is the WAV's, pixel for pixel
// for 16-bit ones (8-bit ones become 16-bit copies: within a row).
TEST(DecodedRealRecordings, FlacOfEachSharedWavChartsAsTheWav) {
  // A clone without the recordings beside it has nothing to compare.
  if (!std::filesystem::is_directory(KORIMU_SHARED_WAV_DIR))
    GTEST_SKIP() << "no recordings folder " << KORIMU_SHARED_WAV_DIR;
  RenderScope scope;
  int tried = 0;
  for (const auto& entry : std::filesystem::directory_iterator(KORIMU_SHARED_WAV_DIR)) {
    if (entry.path().extension() != ".wav") continue;
    SCOPED_TRACE(entry.path().filename().string());
    SF_INFO info{};
    SNDFILE* in = sf_open(entry.path().c_str(), SFM_READ, &info);
    ASSERT_NE(in, nullptr);
    std::vector<int16_t> samples(size_t(info.frames * info.channels));
    sf_readf_short(in, samples.data(), info.frames);
    sf_close(in);
    const bool eightBit = (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_U8;
    const std::string flac = scope.out("real.flac");
    ASSERT_TRUE(testing::writeSndfile(
        flac, SF_FORMAT_FLAC | (eightBit ? SF_FORMAT_PCM_S8 : SF_FORMAT_PCM_16),
        uint32_t(info.samplerate), info.channels, samples));
    RenderOptions options = kChart;
    options.emplace_back("csv-values", "level");
    options.emplace_back("csv", scope.out("flac.csv"));
    ASSERT_EQ(runRender(scope.out("flac.png"), options, flac), 0);
    options.back().second = scope.out("wav.csv");
    ASSERT_EQ(runRender(scope.out("wav.png"), options, entry.path().string()), 0);
    if (!eightBit) {
      EXPECT_TRUE(samePixels(loadPng(scope.out("flac.png")), loadPng(scope.out("wav.png"))));
    }
    const std::vector<int> a = loudestRows(scope.out("flac.csv"));
    const std::vector<int> b = loudestRows(scope.out("wav.csv"));
    ASSERT_EQ(a.size(), b.size());
    for (size_t c = 0; c < a.size(); ++c) EXPECT_NEAR(a[c], b[c], 1) << c;
    ++tried;
  }
  if (tried == 0) GTEST_SKIP() << "no recordings in " << KORIMU_SHARED_WAV_DIR;
}

// A file nothing reads keeps the reader's message, exactly, in --check and --render.
TEST(DecodedKindsNot, UndecodableFileKeepsTheReadersMessage) {
  RenderScope scope;
  const std::string notes = scope.dir.write("notes.wav", {'h', 'e', 'l', 'l', 'o', '\n'});
  const Verdict v = check(notes);
  EXPECT_EQ(v.code, 1);
  EXPECT_EQ(v.out, "");
  EXPECT_EQ(v.err, "指定したファイルは、WAVEファイルではありません。\nkorimu: cannot open '" +
                       notes + "': not a WAVE file\n");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(runRender(scope.out("notes.png"), kChart, notes), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), v.err);
}

// A FLAC cut short renders the frames it holds, or is refused with a message; nothing crashes.
TEST(DecodedKindsNot, TruncatedFlacRendersWhatItHolds) {
  RenderScope scope;
  const std::string cut = scope.out("cut.flac");
  ASSERT_TRUE(testing::writeSndfile(cut, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 2,
                                    testing::multiTone16(22050, 2, 2.0)));
  std::filesystem::resize_file(cut, std::filesystem::file_size(cut) / 3);
  ::testing::internal::CaptureStderr();
  const int code = runRender(scope.out("cut.png"), kChart, cut);
  const std::string errors = ::testing::internal::GetCapturedStderr();
  if (code == 0) {
    EXPECT_EQ(loadPng(scope.out("cut.png")).width(), 512);
  } else {
    EXPECT_EQ(code, 1);
    EXPECT_FALSE(errors.empty());
  }
}

}  // namespace
}  // namespace korimu

// What a decode may cost and what it may be asked to do: its buffer is bounded in bytes whatever
// the channel count, and a source whose copy could not be analysed is refused before any decode,
// with the same verdict from --check and --render.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/render.h"
#include "cli/render_test_support.h"
#include "export/csv_export.h"
#include "wave/decoded_copy.h"
#include "wave/sndfile_writer.h"

namespace korimu {
namespace {

namespace fs = std::filesystem;
using testing::RenderScope;

// A field of /proc/self/status, in kB; -1 when it is not there.
long statusKb(const std::string& field) {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
  return -1;
}

// Starts the peak resident size afresh from the present one; false where the system cannot.
bool resetPeakMemory() {
  std::ofstream out("/proc/self/clear_refs");
  out << "5";
  out.close();
  return bool(out) && statusKb("VmHWM") >= 0;
}

struct Quiet : DecodeProgress {};

// A 6 MB WAV of 1024 channels of 24 bits decodes within a few MB more than it started with.
TEST(DecodeBounds, BufferIsBoundedInBytesNotFrames) {
  RenderScope scope;
  const std::string path = scope.out("many.wav");
  {
    const std::vector<int16_t> samples(size_t(2048) * 1024, 1000);
    ASSERT_TRUE(
        testing::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, 1024, samples));
  }
  if (!resetPeakMemory()) GTEST_SKIP() << "the peak resident size cannot be reset here";
  const long before = statusKb("VmRSS");
  Quiet quiet;
  const DecodeResult r = decodedCopy(path, {scope.dir.path() / "cache", 1 << 30}, quiet);
  const long grown = statusKb("VmHWM") - before;
  ASSERT_EQ(r.status, DecodeStatus::kDecoded) << r.failure;
  EXPECT_LT(grown, 32 * 1024) << "kB more at the peak";
}

// The 20-bit rate of a FLAC's stream information set to `rate`.
void setFlacRate(const std::string& path, uint32_t rate) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  f.seekg(18);  // "fLaC", the block header and the block and frame sizes
  char bytes[3];
  f.read(bytes, 3);
  bytes[0] = char(rate >> 12);
  bytes[1] = char(rate >> 4);
  bytes[2] = char((rate & 0xF) << 4 | (uint8_t(bytes[2]) & 0xF));
  f.seekp(18);
  f.write(bytes, 3);
}

struct UnusableRate {
  const char* name;
  int format;
  uint32_t rate;         // the rate written
  uint32_t claimedRate;  // the rate the header is made to say afterwards; 0: as written
};
// Printed as its name: ctest's test names carry the parameter, and a name can be run again.
void PrintTo(const UnusableRate& c, std::ostream* out) {
  *out << c.name;
}

class UnusableRates : public ::testing::TestWithParam<UnusableRate> {};

// --check and --render agree on a source whose rate no copy could be analysed at: both refuse it
// with one message naming the file and the rate, exit 1, decode nothing and write nothing.
TEST_P(UnusableRates, AreRefusedBeforeAnyDecode) {
  const UnusableRate& row = GetParam();
  RenderScope scope;
  const std::string path = scope.out(std::string(row.name) + ".snd");
  ASSERT_TRUE(testing::writeSndfile(path, row.format, row.rate, 1,
                                    testing::multiTone16(row.rate, 1, 0.05)));
  const uint32_t said = row.claimedRate ? row.claimedRate : row.rate;
  if (row.claimedRate) setFlacRate(path, row.claimedRate);
  const std::optional<SourceFormat> probed = probeSource(path);
  ASSERT_TRUE(probed);
  ASSERT_EQ(probed->rate, said);

  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  const int checked = runCheck(path);
  const std::string checkOut = ::testing::internal::GetCapturedStdout();
  const std::string checkErr = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(checked, 1);
  EXPECT_EQ(checkOut, "");
  EXPECT_NE(checkErr.find(path), std::string::npos) << checkErr;
  EXPECT_NE(checkErr.find(std::to_string(said) + " Hz"), std::string::npos) << checkErr;

  const std::string png = scope.out("chart.png");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(runRender(png, {{"csv", scope.out("numbers.csv")}}, path), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), checkErr);
  EXPECT_FALSE(fs::exists(png));
  EXPECT_FALSE(fs::exists(scope.out("numbers.csv")));
  const fs::path copies = scope.dir.path() / "korimu" / "decoded";
  EXPECT_TRUE(!fs::exists(copies) || fs::is_empty(copies));
}

INSTANTIATE_TEST_SUITE_P(
    Sources, UnusableRates,
    ::testing::Values(UnusableRate{"float800k", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 800000, 0},
                      UnusableRate{"float500", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 500, 0},
                      UnusableRate{"float999", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 999, 0},
                      UnusableRate{"float768001", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 768001, 0},
                      UnusableRate{"flacClaiming1048575", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000,
                                   1048575}),
    [](const auto& info) { return std::string(info.param.name); });

// The lowest and the highest rate the reader takes are decoded, and their copies open: --check
// says so, and --csv analyses the copy at that rate.
TEST(DecodeBounds, TheRatesAtTheEdgesAreDecodedAndAnalysed) {
  for (const uint32_t rate : {1000u, 768000u}) {
    SCOPED_TRACE(rate);
    RenderScope scope;
    const std::string path = scope.out("edge.wav");
    ASSERT_TRUE(testing::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, rate, 1,
                                      testing::multiTone16(rate, 1, 0.3)));
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int checked = runCheck(path);
    const std::string checkOut = ::testing::internal::GetCapturedStdout();
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(checked, 0);
    EXPECT_EQ(checkOut.rfind("DECODES ", 0), 0u) << checkOut;

    const std::string csv = scope.out("numbers.csv");
    ::testing::internal::CaptureStderr();
    const int rendered = runRender("", {{"csv", csv}, {"view", "spectrum-linear"}}, path);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(rendered, 0) << errors;
    std::ifstream in(csv, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string format;
    for (const auto& [key, value] : csvHeaderFields(text))
      if (key == "format") format = value;
    EXPECT_NE(format.find(" decoded; "), std::string::npos) << format;
    EXPECT_NE(format.find(": PCM " + std::to_string(rate) + " Hz 16 bit mono"), std::string::npos)
        << format;
  }
}

}  // namespace
}  // namespace korimu

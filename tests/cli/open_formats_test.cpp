// Files of other WAV kinds than the plain PCM header: the same samples must give the same picture
// and the same verdict as the plain file.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/render.h"
#include "cli/render_test_support.h"

namespace korimu {
namespace {

using testing::ByteWriter;
using testing::loadPng;
using testing::RenderScope;

// Three tones and a quieter fourth, so the chart has several rows to compare.
std::vector<int> multiTone(uint32_t rate, int channels, double seconds, int bits) {
  const int frames = int(rate * seconds);
  const double full = bits == 16 ? 32767.0 : 127.0;
  std::vector<int> values;
  for (int i = 0; i < frames; ++i) {
    const double t = i / double(rate);
    const double v = 0.3 * std::sin(2 * std::numbers::pi * 440 * t) +
                     0.25 * std::sin(2 * std::numbers::pi * 1750 * t) +
                     0.2 * std::sin(2 * std::numbers::pi * 5200 * t) +
                     0.05 * std::sin(2 * std::numbers::pi * 9000 * t);
    for (int c = 0; c < channels; ++c) values.push_back(int(std::lround(v * full)));
  }
  return values;
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

// An extensible header that is not PCM, or too short to name its sub-format, stays refused.
TEST(ExtensibleOther, IsNotPcm) {
  RenderScope scope;
  const std::vector<uint8_t> data = sampleBytes(multiTone(8000, 1, 0.1, 16), 16);
  for (const Header& h : {Header{true, kFloatGuid, 22, 0}, Header{true, kPcmGuid, 0, 0}}) {
    std::vector<uint8_t> bytes = waveWith(h, 8000, 1, 16, data);
    const Verdict v = check(scope.dir.write("other.wav", bytes));
    EXPECT_EQ(v.code, 1);
    EXPECT_EQ(v.err.substr(0, v.err.find('\n')), "指定したファイルは、PCMファイルではありません。");
  }
}

}  // namespace
}  // namespace korimu

#include "platform/qt/pulse_audio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio_device.h"
#include "platform/qt/private_pulse_server.h"
#include "wave/wav_builder.h"

namespace korimu {
namespace {

using testing::PrivatePulseServer;
using testing::processEventsUntil;

WaveFormat pcm(uint32_t rate, uint16_t channels, uint16_t bits) {
  WaveFormat f;
  f.formatTag = 1;
  f.channels = channels;
  f.samplesPerSec = rate;
  f.bitsPerSample = bits;
  f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
  f.avgBytesPerSec = rate * f.blockAlign;
  return f;
}

// A 16-bit stereo pattern whose every byte is non-zero, so its start is easy to find in a
// recording that begins with silence.
std::vector<uint8_t> pattern(size_t bytes, unsigned seed) {
  std::vector<uint8_t> data(bytes);
  uint32_t x = seed * 2654435761u + 1;
  for (auto& b : data) {
    x = x * 1103515245u + 12345u;
    b = static_cast<uint8_t>(1 + (x >> 16) % 255);
  }
  return data;
}

class PulseAudioBackend : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    server_ = testing::sharedPulseServer(&why);
    if (!server_) GTEST_SKIP() << "no private sound server: " << why;
    processEventsUntil(0, [] { return true; });  // creates the application object
    output_ = PulseAudioOutput::connect();
    ASSERT_TRUE(output_);
    device_ = output_->backend();
  }
  void TearDown() override {
    device_ = AudioBackend{};
    output_.reset();
  }

  // Opens the default output and records the order of returned buffers.
  bool open(const WaveFormat& f) {
    return device_.open(f, [this](int index) {
      returned_.push_back(index);
      returnTimes_.push_back(std::chrono::steady_clock::now());
    });
  }
  bool waitForReturns(size_t count, int ms = 10000) {
    return processEventsUntil(ms, [&] { return returned_.size() >= count; });
  }

  PrivatePulseServer* server_ = nullptr;
  std::unique_ptr<PulseAudioOutput> output_;
  AudioBackend device_;
  std::vector<int> returned_;
  std::vector<std::chrono::steady_clock::time_point> returnTimes_;
};

TEST_F(PulseAudioBackend, CountsTheServersOutputsAndNoRecorderForAMonitor) {
  EXPECT_EQ(device_.outputDeviceCount(), 1);
  EXPECT_EQ(device_.inputDeviceCount(), 0);  // the null sink only has a monitor
}

TEST_F(PulseAudioBackend, FormatQueryAndOpenAgree) {
  const WaveFormat playable[] = {pcm(44100, 2, 16), pcm(8000, 1, 8), pcm(11025, 2, 8),
                                 pcm(2000, 1, 16)};
  for (const WaveFormat& f : playable) {
    EXPECT_TRUE(device_.supportsFormat(f)) << f.samplesPerSec;
    EXPECT_TRUE(open(f)) << f.samplesPerSec;
    device_.close();
  }
  WaveFormat compressed = pcm(44100, 2, 16);
  compressed.formatTag = 2;
  WaveFormat oddBits = pcm(44100, 1, 12);
  WaveFormat wrongAlign = pcm(44100, 2, 16);
  wrongAlign.blockAlign = 3;
  WaveFormat noRate = pcm(0, 1, 8);
  for (const WaveFormat& f : {compressed, oddBits, wrongAlign, noRate}) {
    EXPECT_FALSE(device_.supportsFormat(f));
    EXPECT_FALSE(open(f));
  }
}

TEST_F(PulseAudioBackend, DeclaresTheRateItIsOpenedWith) {
  for (uint32_t rate : {44100u, 22050u, 11025u}) {
    ASSERT_TRUE(open(pcm(rate, 2, 16)));
    const std::string inputs = server_->run("pactl list sink-inputs");
    EXPECT_NE(inputs.find("s16le 2ch " + std::to_string(rate) + "Hz"), std::string::npos) << inputs;
    device_.close();
  }
}

TEST_F(PulseAudioBackend, ReturnsBuffersInOrderOnlyOnceTheyArePlayed) {
  const WaveFormat f = pcm(44100, 2, 16);
  const std::vector<uint8_t> first = pattern(f.avgBytesPerSec / 2, 1);  // half a second each
  const std::vector<uint8_t> second = pattern(f.avgBytesPerSec / 2, 2);
  ASSERT_TRUE(open(f));
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(device_.write(0, first.data(), first.size()));
  ASSERT_TRUE(device_.write(1, second.data(), second.size()));
  ASSERT_TRUE(waitForReturns(2));
  EXPECT_EQ(returned_, (std::vector<int>{0, 1}));
  // Copying into the server takes no time; playing half a second does.
  using std::chrono::milliseconds;
  EXPECT_GE(returnTimes_[0] - start, milliseconds(400));
  EXPECT_GE(returnTimes_[1] - start, milliseconds(900));
  device_.close();
}

TEST_F(PulseAudioBackend, TheOutputReceivesExactlyTheBytesWritten) {
  const WaveFormat f = pcm(44100, 2, 16);
  const std::string file = server_->runtimeDir() + "/monitor.raw";
  ASSERT_TRUE(server_->startCapture(file, "s16le", 44100, 2));
  std::vector<uint8_t> buffers[3] = {pattern(65536, 3), pattern(65536, 4), pattern(9000, 5)};
  ASSERT_TRUE(open(f));
  ASSERT_TRUE(device_.write(0, buffers[0].data(), buffers[0].size()));
  ASSERT_TRUE(device_.write(1, buffers[1].data(), buffers[1].size()));
  ASSERT_TRUE(waitForReturns(1));
  // Refill buffer 0 once it came back, as the engine does.
  ASSERT_TRUE(device_.write(0, buffers[2].data(), buffers[2].size()));
  ASSERT_TRUE(waitForReturns(3));
  std::vector<uint8_t> expected;
  for (const auto& b : buffers) expected.insert(expected.end(), b.begin(), b.end());
  // Where the sound starts in the recording: the frame of its first byte that is not silence.
  const auto soundStart = [](const std::vector<uint8_t>& recorded) {
    size_t start = 0;
    while (start < recorded.size() && recorded[start] == 0) ++start;
    return start - start % 4;
  };
  // The monitor records behind the playback, the more so on a busy machine: wait until it holds
  // every byte from the start of the sound on.
  processEventsUntil(20000, [&] {
    const std::vector<uint8_t> recorded = testing::readFile(file);
    return recorded.size() >= soundStart(recorded) + expected.size();
  });
  device_.close();
  server_->stopCapture();

  const std::vector<uint8_t> heard = testing::readFile(file);
  const size_t start = soundStart(heard);
  ASSERT_GE(heard.size(), start + expected.size()) << "recorded " << heard.size() << " bytes";
  const auto firstDifference =
      std::mismatch(expected.begin(), expected.end(), heard.begin() + start).first;
  EXPECT_EQ(firstDifference - expected.begin(), static_cast<long>(expected.size()))
      << "recording starts at " << start << " of " << heard.size();
}

TEST_F(PulseAudioBackend, ResetForgetsQueuedBuffersAndTheDeviceStaysUsable) {
  const WaveFormat f = pcm(22050, 1, 16);
  const std::vector<uint8_t> longBuffer = pattern(f.avgBytesPerSec * 2, 6);  // two seconds
  const std::vector<uint8_t> shortBuffer = pattern(4410, 7);
  ASSERT_TRUE(open(f));
  ASSERT_TRUE(device_.write(0, longBuffer.data(), longBuffer.size()));
  ASSERT_TRUE(device_.write(1, shortBuffer.data(), shortBuffer.size()));
  processEventsUntil(100, [] { return false; });
  device_.reset();
  EXPECT_FALSE(waitForReturns(1, 2500));  // neither buffer comes back
  EXPECT_TRUE(server_->run("pactl list sink-inputs").find("22050Hz") != std::string::npos);
  ASSERT_TRUE(device_.write(1, shortBuffer.data(), shortBuffer.size()));
  ASSERT_TRUE(waitForReturns(1));
  EXPECT_EQ(returned_, std::vector<int>{1});
  device_.close();
  EXPECT_EQ(server_->run("pactl list short sink-inputs"), "");
}

TEST(PulseAudioBackendLosingItsServer, HandsEveryQueuedBufferBack) {
  PrivatePulseServer own;
  std::string why;
  if (!own.start(&why)) GTEST_SKIP() << "no private sound server: " << why;
  processEventsUntil(0, [] { return true; });
  std::unique_ptr<PulseAudioOutput> output = PulseAudioOutput::connect();
  ASSERT_TRUE(output);
  const AudioBackend device = output->backend();
  const WaveFormat f = pcm(44100, 2, 16);
  const std::vector<uint8_t> longBuffer = pattern(f.avgBytesPerSec * 2, 8);
  std::vector<int> returned;
  ASSERT_TRUE(device.open(f, [&](int index) { returned.push_back(index); }));
  ASSERT_TRUE(device.write(0, longBuffer.data(), longBuffer.size()));
  ASSERT_TRUE(device.write(1, longBuffer.data(), longBuffer.size()));
  own.stop();
  // Both come back long before the four seconds they hold could have been played.
  EXPECT_TRUE(processEventsUntil(1500, [&] { return returned.size() == 2; }));
  EXPECT_EQ(returned, (std::vector<int>{0, 1}));
  // A refill after that comes straight back too.
  ASSERT_TRUE(device.write(0, longBuffer.data(), 4096));
  EXPECT_TRUE(processEventsUntil(1500, [&] { return returned.size() == 3; }));
  EXPECT_EQ(device.outputDeviceCount(), 0);
  device.close();
  output.reset();
  std::string ignored;
  if (PrivatePulseServer* shared = testing::sharedPulseServer(&ignored)) shared->pointClientsHere();
}

TEST(PulseAudioBackendWithoutServer, InstallsNothingAndReportsNoDevice) {
  const char* previous = std::getenv("PULSE_SERVER");
  const std::string saved = previous ? previous : "";
  setenv("PULSE_SERVER", "unix:/nonexistent/korimu/native", 1);
  const std::unique_ptr<PulseAudioOutput> output = PulseAudioOutput::connect();
  EXPECT_FALSE(output);
  const AudioBackend device = backendOf(output.get());
  EXPECT_EQ(device.outputDeviceCount(), 0);
  EXPECT_FALSE(device.supportsFormat(pcm(44100, 2, 16)));
  if (previous) {
    setenv("PULSE_SERVER", saved.c_str(), 1);
  } else {
    unsetenv("PULSE_SERVER");
  }
}

}  // namespace
}  // namespace korimu

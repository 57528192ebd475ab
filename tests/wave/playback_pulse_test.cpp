// Playback through a real (private) PulseAudio server: what the server is told and what reaches
// its output.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/settings.h"
#include "platform/audio_device.h"
#include "platform/message.h"
#include "platform/qt/private_pulse_server.h"
#include "platform/qt/pulse_audio.h"
#include "platform/system_facts.h"
#include "wave/wav_builder.h"
#include "wave/wave_session.h"

namespace korimu {
namespace {

using testing::ByteWriter;
using testing::FormatFields;
using testing::processEventsUntil;

class PlaybackOnServer : public ::testing::Test, public PlaybackObserver {
 protected:
  // The settings the code under test is given: the test's own.
  AppSettings settings;

  void SetUp() override {
    std::string why;
    server_ = testing::sharedPulseServer(&why);
    if (!server_) GTEST_SKIP() << "no private sound server: " << why;
    processEventsUntil(0, [] { return true; });
    output_ = PulseAudioOutput::connect();
    ASSERT_TRUE(output_);
    wave_.audio = output_->backend();
    wave_.messages.sink = [this](std::string_view text, MessageKind) {
      messages_.emplace_back(text);
    };
    wave_.volumeQuery = [](const std::filesystem::path&, VolumeInfo* info) {
      info->totalCapacity = uint64_t(100) << 30;
      return true;
    };
    outputDeviceCount_ = wave_.audio.outputDeviceCount();
    wave_.playback.observer = this;
  }
  void TearDown() override {
    if (!server_) return;
    wave_.playback.observer = nullptr;
    if (wave_.playback.playing) stopPlayback(wave_);
    closeWave(wave_, true);
    releaseFormatCopy(wave_.source);
    wave_.audio = AudioBackend{};
    output_.reset();
  }

  // A 44.1 kHz 16-bit stereo file whose bytes are never 0, so its start is found in a recording.
  void makeFile(uint32_t dataBytes) {
    ByteWriter chunks;
    chunks.chunk("fmt ", fmtData(FormatFields{}));
    data_.resize(dataBytes);
    uint32_t x = 12345;
    for (auto& b : data_) {
      x = x * 1103515245u + 12345u;
      b = uint8_t(1 + (x >> 16) % 255);
    }
    chunks.chunk("data", data_);
    fileName_ = dir_.write("play.wav", testing::riffWave(chunks.bytes()));
  }

  bool waitForTheEnd(int ms) {
    return processEventsUntil(ms, [this] { return !wave_.playback.playing; });
  }

  void start(bool partial) {
    startPlayback(wave_, WaveOpenRequest{fileName_, position_, outputDeviceCount_ > 0}, settings,
                  partial);
  }

  // The document's position follows the playback, as in the window.
  void stateChanged(PlaybackPhase) override {}
  void playedTo(uint32_t position) override { position_ = position; }
  void markerMoved(const MarkerMove&) override {}
  void markerTimer(uint32_t) override {}
  void redrawDue(PlaybackRedraw) override {}

  testing::PrivatePulseServer* server_ = nullptr;
  std::unique_ptr<PulseAudioOutput> output_;  // outlives wave_, which plays through it
  testing::TempDir dir_;
  WaveSession wave_;
  int outputDeviceCount_ = 0;
  std::string fileName_;
  uint32_t position_ = 0;
  std::vector<uint8_t> data_;
  std::vector<std::string> messages_;
};

TEST_F(PlaybackOnServer, TheStreamDeclaresTheRateOfTheSpeed) {
  makeFile(44100 * 4);
  EXPECT_EQ(outputDeviceCount_, 1);
  for (const auto& [speed, rate] : {std::pair{0, 44100}, {-120, 22050}, {-240, 11025}}) {
    settings.playSpeed = speed;
    start(false);
    ASSERT_TRUE(wave_.playback.playing) << (messages_.empty() ? "" : messages_.front());
    const std::string inputs = server_->run("pactl list sink-inputs");
    EXPECT_NE(inputs.find("s16le 2ch " + std::to_string(rate) + "Hz"), std::string::npos) << inputs;
    stopPlayback(wave_);
    EXPECT_EQ(server_->run("pactl list short sink-inputs"), "");
  }
}

TEST_F(PlaybackOnServer, TheOutputHearsTheFileFromThePositionToTheEnd) {
  // Buffers of a third of a second leave the refill time to spare on a busy machine.
  settings.playBufferSeconds = 4096;
  makeFile(260000);
  position_ = 10000;
  const std::string recording = server_->runtimeDir() + "/heard.raw";
  ASSERT_TRUE(server_->startCapture(recording, "s16le", 44100, 2));
  start(false);
  ASSERT_TRUE(wave_.playback.playing) << (messages_.empty() ? "" : messages_.front());
  ASSERT_TRUE(waitForTheEnd(20000));
  processEventsUntil(300, [] { return false; });  // the monitor catches up
  server_->stopCapture();
  EXPECT_EQ(position_, 0u);
  EXPECT_TRUE(wave_.sampleBuffer[0].empty());
  EXPECT_EQ(server_->run("pactl list short sink-inputs"), "");

  const std::vector<uint8_t> heard = testing::readFile(recording);
  size_t start = 0;
  while (start < heard.size() && heard[start] == 0) ++start;
  start -= start % 4;
  const std::vector<uint8_t> expected(data_.begin() + 10000, data_.end());
  ASSERT_GE(heard.size(), start + expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), heard.begin() + long(start)));
  // Silence follows: nothing was played twice.
  for (size_t i = start + expected.size(); i < heard.size(); ++i) ASSERT_EQ(heard[i], 0) << i;
}

TEST_F(PlaybackOnServer, SingleBufferPlaybackEndsWhenTheBufferWasPlayed) {
  settings.onMem = true;
  makeFile(44100);  // a quarter of a second
  // Only the marker timer matters here.
  struct TimerWatch : PlaybackObserver {
    int timerPeriod = 0;
    void stateChanged(PlaybackPhase) override {}
    void playedTo(uint32_t) override {}
    void markerMoved(const MarkerMove&) override {}
    void markerTimer(uint32_t periodMs) override { timerPeriod = int(periodMs); }
    void redrawDue(PlaybackRedraw) override {}
  } watch;
  const int& timerPeriod = watch.timerPeriod;
  wave_.playback.observer = &watch;
  start(false);
  ASSERT_TRUE(wave_.playback.playing);
  EXPECT_EQ(timerPeriod, 186);
  ASSERT_TRUE(waitForTheEnd(10000));
  EXPECT_EQ(timerPeriod, 0);
  EXPECT_EQ(position_, 0u);
}

TEST_F(PlaybackOnServer, StopSilencesTheOutputAtOnce) {
  makeFile(44100 * 4 * 3);  // three seconds
  position_ = 0;
  start(false);
  ASSERT_TRUE(wave_.playback.playing);
  // Stop as soon as the first buffer came back and was refilled.
  const uint32_t leftAtStart = wave_.source.bytesLeft;
  ASSERT_TRUE(processEventsUntil(10000, [&] { return wave_.source.bytesLeft != leftAtStart; }));
  stopPlayback(wave_);
  EXPECT_EQ(server_->run("pactl list short sink-inputs"), "");
  EXPECT_EQ(position_, 3u * 32768u);  // three buffers had been handed over
  // No late notice restarts anything.
  processEventsUntil(500, [] { return false; });
  EXPECT_FALSE(wave_.playback.playing);
  EXPECT_EQ(position_, 3u * 32768u);
}

TEST_F(PlaybackOnServer, RealRecordingsPlayToTheirEndAtTheirOwnRate) {
  const char* folder = std::getenv("KORIMU_SHARED_WAV");
  if (!folder) folder = KORIMU_SHARED_WAV_DIR;
  const std::pair<const char*, const char*> recordings[] = {
      {"11025_8_stereo_cpython-pluck-pcm8_LIST-INFO.wav", "u8 2ch 11025Hz"},
      {"48000_16_mono_alsa-Front_Center.wav", "s16le 1ch 48000Hz"},
  };
  settings.playBufferSeconds = 1024;
  for (const auto& [name, spec] : recordings) {
    fileName_ = std::string(folder) + "/" + name;
    if (!std::filesystem::exists(fileName_)) GTEST_SKIP() << fileName_;
    position_ = 0;
    start(false);
    ASSERT_TRUE(wave_.playback.playing) << name << (messages_.empty() ? "" : messages_.front());
    EXPECT_NE(server_->run("pactl list sink-inputs").find(spec), std::string::npos) << name;
    EXPECT_TRUE(waitForTheEnd(10000)) << name;
    EXPECT_EQ(position_, 0u);
  }
  EXPECT_TRUE(messages_.empty());
}

TEST_F(PlaybackOnServer, APlaybackWhoseServerGoesAwayRunsToItsEnd) {
  testing::PrivatePulseServer own;
  std::string why;
  if (!own.start(&why)) GTEST_SKIP() << "no second sound server: " << why;
  // A connection of its own to the second server.
  wave_.audio = AudioBackend{};
  output_ = PulseAudioOutput::connect();
  ASSERT_TRUE(output_);
  wave_.audio = output_->backend();
  settings.playBufferSeconds = 256;
  makeFile(44100 * 4 * 5);  // five seconds
  start(false);
  ASSERT_TRUE(wave_.playback.playing);
  own.stop();
  EXPECT_TRUE(waitForTheEnd(3000));
  EXPECT_EQ(position_, 0u);
  EXPECT_TRUE(wave_.sampleBuffer[0].empty());
  EXPECT_TRUE(wave_.sampleBuffer[1].empty());
  server_->pointClientsHere();
}

}  // namespace
}  // namespace korimu

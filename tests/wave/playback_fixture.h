// A playback test bench: a crafted WAV file, a wave-output device that keeps what it is given and
// hands buffers back only when the test says so, a fake millisecond clock with the pacing timer it
// fires (the clock moves on to the timer's due time), and an observer that
// inverts the marker into an overview canvas and logs what the playback reports.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "core/layout.h"
#include "core/settings.h"
#include "platform/audio_device.h"
#include "platform/canvas.h"
#include "platform/message.h"
#include "platform/system_facts.h"
#include "wave/wav_builder.h"
#include "wave/wave_session.h"

namespace korimu::testing {

struct FakeDevice {
  bool openSucceeds = true;
  bool writeSucceeds = true;
  bool open = false;
  int opens = 0, resets = 0, closes = 0;
  WaveFormat format;
  std::function<void(int)> notice;
  std::vector<std::pair<int, std::vector<uint8_t>>> writes;  // (header, bytes) in order
  std::vector<uint32_t> writeTimes;                          // playback clock at each write
  std::deque<int> queued;                                    // headers the device still holds
};

class PlaybackTest : public ::testing::Test, public PlaybackObserver {
 protected:
  // The settings the code under test is given: the test's own.
  AppSettings settings;

  void SetUp() override {
    wave_.messages.sink = [this](std::string_view text, MessageKind) {
      messages_.emplace_back(text);
    };
    wave_.volumeQuery = [](const std::filesystem::path&, VolumeInfo* info) {
      info->totalCapacity = uint64_t(100) << 30;  // a hard disk: streaming unless OnMem
      return true;
    };
    installDevice();
    wave_.clock = {[this] { return now_; },
                   [this](uint32_t ms) {
                     pacingDueIn_ = ms;
                     ++pacingWaits_;
                   }};
    overview_ = Canvas(512, kLayout.overviewHeight);
    overview_.clear(kWhite);
    wave_.playback.observer = this;
  }

  void TearDown() override {
    if (wave_.playback.playing) stopPlayback(wave_);
    closeWave(wave_, true);
    releaseFormatCopy(wave_.source);
  }

  // Play or Partial play of the file from position_, with an output device that is asked.
  void start(bool partial) {
    startPlayback(wave_, WaveOpenRequest{fileName_, position_, true}, settings, partial);
  }

  void stateChanged(PlaybackPhase phase) override {
    events_.push_back(phase == PlaybackPhase::kIdle       ? "idle"
                      : phase == PlaybackPhase::kStarting ? "starting"
                                                          : "playing");
  }
  void playedTo(uint32_t position) override {
    position_ = position;
    events_.push_back("position");
  }
  void markerMoved(const MarkerMove& move) override {
    overview_.invertRect(move.stripX, 0, move.stripWidth, overview_.height());
    if (move.crossSectionX >= 0) crossSectionColumns_.push_back(move.crossSectionX);
  }
  void markerTimer(uint32_t periodMs) override { timerPeriod_ = int(periodMs); }
  void redrawDue(PlaybackRedraw part) override {
    events_.push_back(part == PlaybackRedraw::kGraphFrame ? "frame" : "format texts");
  }
  void fileOpened(const WaveOpenResult&) override {
    if (onOpened_) onOpened_();
  }
  void readingWhole(bool on) override { events_.push_back(on ? "wait" : "wait over"); }

  void installDevice() {
    AudioBackend b;
    b.outputDeviceCount = [] { return 1; };
    b.supportsFormat = [](const WaveFormat&) { return true; };
    b.open = [this](const WaveFormat& f, std::function<void(int)> notice) {
      ++device_.opens;
      if (!device_.openSucceeds) return false;
      device_.open = true;
      device_.format = f;
      device_.notice = std::move(notice);
      return true;
    };
    b.write = [this](int index, const uint8_t* data, size_t length) {
      if (!device_.writeSucceeds || !device_.open) return false;
      device_.writes.emplace_back(index, std::vector<uint8_t>(data, data + length));
      device_.writeTimes.push_back(now_);
      device_.queued.push_back(index);
      return true;
    };
    b.reset = [this] {
      ++device_.resets;
      device_.queued.clear();
    };
    b.close = [this] {
      ++device_.closes;
      device_.open = false;
      device_.queued.clear();
    };
    wave_.audio = std::move(b);
  }

  // A 16-bit stereo file (or as given) whose data bytes are all distinct from their neighbours.
  void makeFile(uint32_t dataBytes, FormatFields f = {}) {
    ByteWriter chunks;
    chunks.chunk("fmt ", fmtData(f));
    data_.resize(dataBytes);
    for (uint32_t i = 0; i < dataBytes; ++i) data_[i] = uint8_t(i * 7 + i / 251);
    chunks.chunk("data", data_);
    fileName_ = dir_.write("play.wav", riffWave(chunks.bytes()));
  }

  // Time passes to the pacing timer's due time, and the timer fires; false when none is asked for.
  bool firePacingTimer() {
    if (pacingDueIn_ == 0) return false;
    now_ += std::exchange(pacingDueIn_, 0);
    pacingTimeout(wave_);
    return true;
  }
  // The device hands back the oldest buffer it holds, and the playback handles it (the time its
  // pacing asks for passes); false when the device holds none.
  bool returnOne() {
    if (device_.queued.empty() || !device_.notice) return false;
    const int index = device_.queued.front();
    device_.queued.pop_front();
    device_.notice(index);
    while (firePacingTimer()) {
    }
    return true;
  }
  // Returns buffers until the playback is over; the number returned.
  int playToEnd() {
    int returned = 0;
    while (wave_.playback.playing && returnOne()) ++returned;
    return returned;
  }

  std::vector<uint8_t> everythingWritten() const {
    std::vector<uint8_t> all;
    for (const auto& w : device_.writes) all.insert(all.end(), w.second.begin(), w.second.end());
    return all;
  }
  std::vector<uint8_t> dataFrom(uint32_t offset, uint32_t count) const {
    return std::vector<uint8_t>(data_.begin() + offset, data_.begin() + offset + count);
  }

  // Black columns of the overview's first row, as [first, last) runs.
  std::vector<std::pair<int, int>> invertedRuns() const {
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < 512; ++x) {
      if (overview_.getPixel(x, 0) != kBlack) continue;
      if (!runs.empty() && runs.back().second == x) {
        ++runs.back().second;
      } else {
        runs.emplace_back(x, x + 1);
      }
    }
    return runs;
  }
  // Every row of the overview shows the same columns.
  bool stripsCoverFullHeight() const {
    for (int x = 0; x < 512; ++x)
      for (int y = 1; y < overview_.height(); ++y)
        if (overview_.getPixel(x, y) != overview_.getPixel(x, 0)) return false;
    return true;
  }

  bool logged(const std::string& event) const {
    for (const auto& e : events_)
      if (e == event) return true;
    return false;
  }

  TempDir dir_;
  WaveSession wave_;
  // The document's file and position, as the window keeps them.
  std::string fileName_;
  uint32_t position_ = 0;
  // Runs once the start has validated the file.
  std::function<void()> onOpened_;
  std::vector<uint8_t> data_;
  FakeDevice device_;
  uint32_t now_ = 1000;
  uint32_t pacingDueIn_ = 0;  // the pacing timer's delay (0: none asked for)
  int pacingWaits_ = 0;       // how often a returned buffer had to wait
  Canvas overview_;
  int timerPeriod_ = 0;
  std::vector<int> crossSectionColumns_;
  std::vector<std::string> messages_;
  std::vector<std::string> events_;
};

}  // namespace korimu::testing

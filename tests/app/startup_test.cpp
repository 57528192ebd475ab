// Start-up with a command-line file, the /P switch handed to playback, and Stop.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <functional>
#include <vector>

#include "app/qt_window_view.h"
#include "app/shell_widgets.h"
#include "app/widgets.h"
#include "control/controller.h"
#include "crafted_wav.h"
#include "platform/message.h"
#include "platform/qt/qt_services.h"
#include "qt_app_fixture.h"

namespace korimu::testing {
namespace {

class StartupTest : public ShellTest {
 protected:
  // A device that accepts everything and remembers what it was given.
  void installRecordingDevice() {
    AudioBackend backend;
    backend.outputDeviceCount = [] { return 1; };
    backend.supportsFormat = [](const WaveFormat&) { return true; };
    backend.open = [this](const WaveFormat& format, std::function<void(int)>) {
      openedRate = format.samplesPerSec;
      return true;
    };
    backend.write = [this](int, const uint8_t*, size_t length) {
      written += length;
      return true;
    };
    backend.reset = [this] { ++resets; };
    backend.close = [] {};
    device_ = backend;
  }
  void startWith(const CommandLine& cl) {
    ASSERT_TRUE(initInstance(app(), cl, false, device_));
    QApplication::processEvents();
  }
  std::string file() {
    CraftedWav w;
    w.sampleRate = 22050;
    w.data.assign(22050 * 3, 128);
    return writeWav(processFolder("startup") / "three-seconds.wav", w);
  }

  AudioBackend device_;  // the device the window plays through (none until installed)
  uint32_t openedRate = 0;
  size_t written = 0;
  int resets = 0;
};

TEST_F(StartupTest, PlaySwitchStartsThePlaybackOfTheCommandLineFile) {
  installRecordingDevice();
  app().messages.sink = [this](std::string_view text, MessageKind) { messages.emplace_back(text); };
  CommandLine cl;
  cl.fileName = file();
  cl.autoPlay = true;
  startWith(cl);
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(controller().autoPlay());
  EXPECT_TRUE(controller().session().wave.playback.playing);
  EXPECT_EQ(openedRate, 22050u);
  EXPECT_GT(written, 0u);
  // Playing: Stop is the way out.
  EXPECT_TRUE(controlById(kStopId)->isEnabled());
  EXPECT_FALSE(controlById(kAnalyzeId)->isEnabled());
  buttonById(kStopId)->click();
  EXPECT_FALSE(controller().session().wave.playback.playing);
  EXPECT_GE(resets, 1);
  EXPECT_TRUE(controlById(kAnalyzeId)->isEnabled());
}

// A buffer handed back before its pacing time is refilled by the window's timer: the notice returns
// without waiting, the window goes on handling events, and the refills stay the delay apart.
TEST_F(StartupTest, APacedBufferIsRefilledByTheWindowsTimer) {
  using Clock = std::chrono::steady_clock;
  std::function<void(int)> notice;
  std::vector<int> held;
  std::vector<Clock::time_point> writeTimes;
  device_.outputDeviceCount = [] { return 1; };
  device_.supportsFormat = [](const WaveFormat&) { return true; };
  device_.open = [&](const WaveFormat&, std::function<void(int)> done) {
    notice = std::move(done);
    return true;
  };
  device_.write = [&](int index, const uint8_t*, size_t) {
    held.push_back(index);
    writeTimes.push_back(Clock::now());
    return true;
  };
  CommandLine cl;
  cl.fileName = file();
  startWith(cl);
  controller().session().settings.playBufferSeconds = 8192;  // 320 ms apart at 22.05 kHz
  buttonById(kPlayId)->click();
  ASSERT_TRUE(controller().session().wave.playback.playing);
  ASSERT_EQ(held.size(), 2u);
  // Waits on the window's event loop, with a deadline.
  const auto refilled = [&](size_t writes) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (held.size() < writes && Clock::now() < deadline)
      QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return held.size() >= writes;
  };
  notice(held[0]);
  ASSERT_TRUE(refilled(3));
  const Clock::time_point returned = Clock::now();
  notice(held[1]);
  // Unless this thread stood still for the whole delay, the buffer waits for the timer.
  if (returned - writeTimes[2] < std::chrono::milliseconds(250)) {
    EXPECT_EQ(held.size(), 3u);
  }
  ASSERT_TRUE(refilled(4));
  EXPECT_GE(writeTimes[3] - writeTimes[2], std::chrono::milliseconds(315));
  buttonById(kStopId)->click();
}

// Partial play from one buffer: the window's timer 1 moves the marker through the overview while
// the window handles its events, and Stop ends the ticks.
TEST_F(StartupTest, TheWindowsTimerMovesTheMarkerOfASingleBufferPlayback) {
  installRecordingDevice();
  CommandLine cl;
  cl.fileName = file();
  startWith(cl);
  controller().session().settings.onMem = true;  // the whole span in one buffer
  const Canvas before = shell().overview->canvas();
  buttonById(kPartialId)->click();
  ASSERT_TRUE(controller().session().wave.playback.playing);
  ASSERT_EQ(controller().session().wave.source.readMode, 1);
  ASSERT_NE(shell().markerTimer, nullptr);
  EXPECT_TRUE(shell().markerTimer->isActive());
  // The first strip is inverted at the start; a tick inverts the next one (and restores it).
  const auto firstStrip = shell().overview->canvas().pixels();
  EXPECT_NE(firstStrip, before.pixels());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (shell().overview->canvas().pixels() == firstStrip &&
         std::chrono::steady_clock::now() < deadline)
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  EXPECT_NE(shell().overview->canvas().pixels(), firstStrip) << "the marker never moved";
  buttonById(kStopId)->click();
  EXPECT_FALSE(shell().markerTimer->isActive());
}

TEST_F(StartupTest, WithoutThePlaySwitchTheFileIsOnlyOpened) {
  installRecordingDevice();
  app().messages.sink = [this](std::string_view text, MessageKind) { messages.emplace_back(text); };
  CommandLine cl;
  cl.fileName = file();
  cl.diagnosticText = true;
  startWith(cl);
  EXPECT_FALSE(controller().session().wave.playback.playing);
  EXPECT_TRUE(controller().diagnosticText());
  EXPECT_EQ(written, 0u);
  EXPECT_TRUE(controller().session().document.fileSelected);
  EXPECT_TRUE(controlById(kPlayId)->isEnabled());
}

TEST_F(StartupTest, AFileThatCannotBeOpenedIsReportedOnceAndLeavesNoFileSelected) {
  app().messages.sink = [this](std::string_view text, MessageKind) { messages.emplace_back(text); };
  CommandLine cl;
  cl.fileName = (processFolder("startup") / "missing.wav").string();
  startWith(cl);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "ファイルを開けません。\n" + cl.fileName + " (No such file or directory)");
  EXPECT_FALSE(controller().session().document.fileSelected);
  EXPECT_FALSE(controlById(kAnalyzeId)->isEnabled());
  // No command acts as if the file were open.
  controller().command(kAnalyzeId);
  waitWhileBusy();
  EXPECT_EQ(messages.size(), 1u);
}

TEST_F(StartupTest, QtsOwnWordsAreJapaneseAndMessageBoxesCarryTheProgramsName) {
  // The application look loads Qt's translations: the file dialog and the standard buttons.
  for (const auto& [context, english] :
       {std::pair{"QFileDialog", "Look in:"}, std::pair{"QFileDialog", "File &name:"},
        std::pair{"QPlatformTheme", "Cancel"}}) {
    EXPECT_NE(QCoreApplication::translate(context, english), QString(english)) << english;
  }
  QString title;
  QString button;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    title = box->windowTitle();
    if (!box->buttons().isEmpty()) button = box->buttons().first()->text();
    box->accept();
  });
  qtMessageBoxes(nullptr)("ファイルを開けません。", MessageKind::kExclamation);
  EXPECT_EQ(title, QString("KORIMU"));
  EXPECT_FALSE(button.isEmpty());
}

}  // namespace
}  // namespace korimu::testing

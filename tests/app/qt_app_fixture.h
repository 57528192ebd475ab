// One QApplication and a freshly started main window for each Qt test of the shell.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>
#include <QApplication>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/app_shell.h"
#include "app/control_filter.h"
#include "app/cross_section_window.h"
#include "app/startup.h"
#include "cli/command_line.h"
#include "core/settings.h"
#include "core/settings_file.h"
#include "platform/audio_device.h"
#include "platform/message.h"
#include "wave/wav_builder.h"

namespace korimu::testing {

inline QApplication& application() {
  static int argc = 1;
  static char name[] = "korimu-test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    auto* a = new QApplication(argc, argv);
    applyApplicationLook();
    return a;
  }();
  return *app;
}

// Runs `action` from the event queue, after what is queued now.
template <typename F>
void atNextEvent(F action) {
  QMetaObject::invokeMethod(qApp, action, Qt::QueuedConnection);
}

// Handles the window's events until its run or decode has ended (a minute at most, which fails
// the test).
inline void waitWhileBusy(Controller& controller) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  QTimer tick;  // wakes the wait below now and then, so the deadline is looked at
  tick.start(50);
  while (controller.busy() && std::chrono::steady_clock::now() < deadline)
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  ASSERT_FALSE(controller.busy()) << "the run did not end within a minute";
  QApplication::processEvents();
}

// Each test has a window program of its own (an AppShell); the members below reach it as the
// program's own code does.
class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    application();
    app_ = std::make_unique<AppShell>();
    // Settings are read from and written to a private folder.
    configHome_ = processFolder("shell-config");
    ::setenv("XDG_CONFIG_HOME", configHome_.c_str(), 1);
    std::filesystem::remove(settingsFilePath());
  }
  void TearDown() override {
    destroyMainWindow(*app_);
    app_.reset();
  }

  // Starts the window the way the program does, with messages recorded instead of shown.
  void start(const std::string& file = "", int devices = 0) {
    AudioBackend backend;
    if (devices > 0) {
      backend.outputDeviceCount = [devices] { return devices; };
      backend.supportsFormat = [](const WaveFormat&) { return true; };
    }
    app_->messages.sink = [this](std::string_view text, MessageKind) {
      messages.emplace_back(text);
    };
    CommandLine cl;
    cl.fileName = file;
    ASSERT_TRUE(initInstance(*app_, cl, false, backend));
    QApplication::processEvents();
    // A file that needs decoding is open once its decode has ended.
    waitWhileBusy();
  }

  AppShell& app() { return *app_; }
  ShellWidgets& shell() { return app_->widgets; }
  Controller& controller() { return app_->controller(); }
  DisplayState& windowDisplay() { return app_->display(); }
  Canvas& clientCanvas() { return app_->clientCanvas(); }
  ShellServices& shellServices() { return app_->services; }
  QWidget* controlById(int id) { return shell().controlById(id); }
  QAbstractButton* buttonById(int id) { return shell().buttonById(id); }
  bool menuItemChecked(int id) { return shell().menuItemChecked(id); }
  bool menuItemEnabled(int id) { return shell().menuItemEnabled(id); }
  QWidget* tabTarget(int id, bool backward) { return korimu::tabTarget(*app_, id, backward); }
  ControlFilter* controlFilter() { return app_->controlFilter; }
  CrossSectionWindow* crossSectionWindow() { return korimu::crossSectionWindow(*app_); }
  void waitWhileBusy() { testing::waitWhileBusy(controller()); }

  // The window's settings: its controller's session holds them.
  AppSettings& settings() { return controller().session().settings; }

  // Stores a settings file for the next start.

  void writeSettings(const std::string& text) {
    std::filesystem::create_directories(settingsFilePath().parent_path());
    std::ofstream(settingsFilePath()) << text;
  }

  std::vector<std::string> messages;

 private:
  std::unique_ptr<AppShell> app_;
  std::filesystem::path configHome_;
};

}  // namespace korimu::testing

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <memory>
#include <string>

#include "dialogs/about_dialog.h"
#include "dialogs/dialog_controls.h"
#include "platform/audio_device.h"

namespace korimu {
namespace {

QString textOf(QDialog* dialog, int id) {
  QLabel* label = dialogControl<QLabel>(dialog, id);
  return label ? label->text() : QString("<missing>");
}

TEST(AboutDialog, NamesTheProgramVersionAndWordSize) {
  AppSettings settings;
  std::unique_ptr<QDialog> dialog(createAboutDialog(nullptr, settings, countDevices({})));
  EXPECT_EQ(dialog->windowTitle(), QString("About KORIMU"));
  EXPECT_EQ(textOf(dialog.get(), 101), QString("KORIMU  Version 0.10"));
  EXPECT_EQ(textOf(dialog.get(), 103),
            QString::fromUtf8((std::to_string(sizeof(void*) * 8) + " bit 版").c_str()));
  EXPECT_TRUE(textOf(dialog.get(), 102).contains(QString("Qt%1").arg(QT_VERSION_MAJOR)));
  EXPECT_EQ(textOf(dialog.get(), 106), QString::fromUtf8("これはフリーソフトです"));
  // No sound devices at all.
  EXPECT_EQ(textOf(dialog.get(), 104), QString::fromUtf8("録音ﾃﾞﾊﾞｲｽ= 0個  再生ﾃﾞﾊﾞｲｽ= 0個"));
}

TEST(AboutDialog, AsksForOutputsThenInputsAndShowsInputsFirst) {
  AppSettings settings;
  std::string asked;
  AudioBackend backend;
  backend.outputDeviceCount = [&asked] {
    asked += "out ";
    return 1;
  };
  backend.inputDeviceCount = [&asked] {
    asked += "in ";
    return 12;
  };
  std::unique_ptr<QDialog> dialog(createAboutDialog(nullptr, settings, countDevices(backend)));
  EXPECT_EQ(asked, "out in ");
  EXPECT_EQ(textOf(dialog.get(), 104), QString::fromUtf8("録音ﾃﾞﾊﾞｲｽ=12個  再生ﾃﾞﾊﾞｲｽ= 1個"));
}

}  // namespace
}  // namespace korimu

namespace korimu {
namespace {

TEST(AboutRun, EscapeClosesTheDialog) {
  AppSettings settings;
  bool shown = false;
  QTimer::singleShot(0, [&shown] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    shown = modal->windowTitle() == QString("About KORIMU");
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  runAboutDialog(nullptr, settings, DeviceCounts{});
  EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace korimu

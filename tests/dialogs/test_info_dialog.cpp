#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

#include "core/settings.h"
#include "dialogs/dialog_controls.h"
#include "dialogs/info_dialog.h"
#include "wav_bytes.h"

namespace korimu {
namespace {

QString textOf(QDialog* dialog, int id) {
  QLabel* label = dialogControl<QLabel>(dialog, id);
  return label ? label->text() : QString("<missing>");
}

TEST(InfoDialog, CanonicalFileFillsTheControlsAndKeepsTheThirdChunkHints) {
  AppSettings settings;
  testing::ByteWriter b = testing::pcmHeader(441036, 16, 1, 1, 22050, 16);
  b.id("data").u32(441000).zeros(441000);
  const auto path = testing::writeTempFile("info_canonical.wav", b);
  std::unique_ptr<QDialog> dialog(createInfoDialog(nullptr, settings, path.string()));
  EXPECT_EQ(dialog->windowTitle(), QString("Wave Information"));
  EXPECT_EQ(textOf(dialog.get(), 116), QString("441044"));
  EXPECT_EQ(textOf(dialog.get(), 101), QString("RIFF"));
  EXPECT_EQ(textOf(dialog.get(), 104), QString("fmt "));
  EXPECT_EQ(textOf(dialog.get(), 106), QString("1"));
  EXPECT_EQ(textOf(dialog.get(), 117), QString("PCM"));
  EXPECT_EQ(textOf(dialog.get(), 121), QString("0.000045 sec"));
  EXPECT_EQ(textOf(dialog.get(), 112), QString(""));
  EXPECT_EQ(textOf(dialog.get(), 113), QString("data"));
  EXPECT_EQ(textOf(dialog.get(), 114), QString("441000"));
  EXPECT_EQ(textOf(dialog.get(), 119), QString(" "));
  EXPECT_EQ(textOf(dialog.get(), 120), QString("RS-fCS-20"));
  EXPECT_EQ(textOf(dialog.get(), 118), QString("10.000000 sec"));
  // Every text fits its control in the fixed-width font.
  for (QLabel* label : dialog->findChildren<QLabel*>()) {
    EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
    EXPECT_LE(label->geometry().right(), dialog->width());
  }
}

TEST(InfoDialog, UnopenableFileKeepsTheInitialTexts) {
  AppSettings settings;
  std::unique_ptr<QDialog> dialog(
      createInfoDialog(nullptr, settings, "/nonexistent/korimu/none.wav"));
  EXPECT_EQ(textOf(dialog.get(), 116), QString("File Size"));
  EXPECT_EQ(textOf(dialog.get(), 101), QString("Riff ID"));
  EXPECT_EQ(textOf(dialog.get(), 106), QString("WaveFmtType"));
  EXPECT_EQ(textOf(dialog.get(), 117), QString("PCM:1"));
  EXPECT_EQ(textOf(dialog.get(), 121), QString("SamplePerSec"));
  EXPECT_EQ(textOf(dialog.get(), 118), QString("Total Time"));
}

TEST(InfoDialog, RunsForTheSelectedFileAndClosesWithOk) {
  AppSettings settings;
  testing::ByteWriter b = testing::pcmHeader(36, 16, 0xFFFE, 2, 48000, 16);
  b.id("data").u32(0);
  const std::string path = testing::writeTempFile("info_run.wav", b).string();
  QString shownTag, shownName;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    shownTag = textOf(dialog, 106);
    shownName = textOf(dialog, 117);
    QTest::mouseClick(dialogControl<QPushButton>(dialog, 1), Qt::LeftButton);
  });
  runInfoDialog(nullptr, settings, path);
  EXPECT_EQ(shownTag, QString("-2"));
  EXPECT_EQ(shownName, QString("unknown"));
}

}  // namespace
}  // namespace korimu

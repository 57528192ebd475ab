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

// A decoded copy: the source's format in rows above the copy's header, which keeps its values
// and moves down to make room.
TEST(InfoDialog, DecodedCopyShowsItsSourceAboveTheHeader) {
  AppSettings settings;
  testing::ByteWriter b = testing::pcmHeader(4036, 16, 1, 2, 44100, 16);
  b.id("data").u32(4000).zeros(4000);
  const auto path = testing::writeTempFile("info_decoded.wav", b);
  std::unique_ptr<QDialog> plain(createInfoDialog(nullptr, settings, path.string()));
  const SourceFormat source{"FLAC", "PCM_24", 44100, 6, 88200};
  std::unique_ptr<QDialog> decoded(createInfoDialog(nullptr, settings, path.string(), &source));
  const std::pair<int, const char*> rows[] = {{130, "FLAC"}, {131, "PCM_24"}, {132, "44100 Hz"},
                                              {133, "6"},    {134, "88200"},  {135, "2.000000 sec"},
                                              {101, "RIFF"}, {106, "1"},      {118, "0.022676 sec"},
                                              {114, "4000"}};
  for (const auto& [id, text] : rows) EXPECT_EQ(textOf(decoded.get(), id), QString(text)) << id;
  const auto top = [](QDialog* d, int id) { return dialogControl<QLabel>(d, id)->y(); };
  EXPECT_GT(top(decoded.get(), 101), top(plain.get(), 101));
  EXPECT_LT(top(decoded.get(), 135), top(decoded.get(), 116));
  EXPECT_EQ(decoded->height() - plain->height(), top(decoded.get(), 118) - top(plain.get(), 118));
  EXPECT_EQ(dialogControl<QLabel>(plain.get(), 130), nullptr);
  for (QLabel* label : decoded->findChildren<QLabel*>())
    EXPECT_LE(label->geometry().right(), decoded->width());
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

// What the main window draws: status texts on the client canvas, the dark-scheme test, the
// overview strip of crafted files, drops, and the settings written at a normal exit.
#include <QAbstractButton>
#include <QDir>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPalette>
#include <QTimer>
#include <QUrl>
#include <fstream>
#include <sstream>

#include "app/qt_window_view.h"
#include "app/shell_widgets.h"
#include "app/widgets.h"
#include "control/controller.h"
#include "crafted_wav.h"
#include "display/status_texts.h"
#include "qt_app_fixture.h"
#include "wave/sound_kinds.h"
#include "wave/wave_session.h"

namespace korimu::testing {
namespace {

class ClientAreaTest : public ShellTest {
 protected:
  std::string craft(const std::string& name, const CraftedWav& w) {
    return writeWav(processFolder("client") / name, w);
  }
  // The client canvas shows `text` at (x, y) in the status colours.
  bool shows(int x, int y, const std::string& text) {
    Canvas expected = clientCanvas();
    expected.textOut(x, y, text);
    return expected.pixels() == clientCanvas().pixels();
  }
  std::vector<int> overviewBlackRows(int x) {
    std::vector<int> rows;
    const Canvas& c = shell().overview->canvas();
    for (int y = 0; y < c.height(); ++y)
      if (c.getPixel(x, y) == kBlack) rows.push_back(y);
    return rows;
  }
};

TEST_F(ClientAreaTest, StatusTextsShowFormatPositionAndSpan) {
  CraftedWav w;  // 8-bit mono, 11025 Hz, two seconds
  w.data.assign(22050, 128);
  start(craft("mono8.wav", w));
  shell().client->repaint();
  EXPECT_TRUE(shows(524, 24, "11kHz"));
  EXPECT_TRUE(shows(524, 42, " 8bit"));
  EXPECT_TRUE(shows(524, 59, " MONO "));
  EXPECT_TRUE(shows(484, 3, "表示ﾃﾞｰﾀ数"));
  EXPECT_TRUE(shows(432, 3, "23.8秒"));  // 512 x 512 frames at 11025 Hz
  EXPECT_TRUE(shows(0, 2, "         0pos      0.000000秒"));
  EXPECT_FALSE(shows(0, 2, "         1pos      0.000091秒"));
  controller().command(1207);
  EXPECT_TRUE(shows(0, 2, "         1pos      0.000091秒"));
}

// The span combobox is a widget over the canvas: the canvas, and so every saved picture, has the
// span number where the combobox shows it, after "表示ﾃﾞｰﾀ数".
TEST_F(ClientAreaTest, SavedPicturesShowTheSpanAfterItsLabel) {
  CraftedWav w;
  w.data.assign(22050, 128);
  start(craft("span.wav", w));
  shell().client->repaint();
  const QRect combo = shell().spanCombo->geometry();
  const auto pictureShows = [&](const std::string& text) {
    Canvas picture = controller().picture();
    Canvas expected = picture;
    expected.textOut(combo.x() + kLayout.unitW / 2, 3, text);
    return expected.pixels() == picture.pixels() && shows(combo.x() + kLayout.unitW / 2, 3, text);
  };
  EXPECT_TRUE(pictureShows(shell().spanCombo->currentText().toStdString()));
  shell().spanCombo->setCurrentIndex(shell().spanCombo->findText("  2048"));
  controller().command(kSpanComboId, kNotifyCloseUp);
  EXPECT_TRUE(pictureShows("  2048"));
}

// The Open dialog's first filter, ｻｳﾝﾄﾞ, takes every kind the program opens, whatever the case of
// its name; the second takes every file.
TEST(OpenDialogFilters, SoundListsEveryOpenableKind) {
  const QStringList filters = openDialogFilters().split(";;");
  ASSERT_EQ(filters.size(), 2);
  ASSERT_TRUE(filters[0].startsWith(QString::fromUtf8("ｻｳﾝﾄﾞ(")));
  const QString inside = filters[0].section('(', 1).chopped(1);
  const QStringList patterns = inside.split(' ');
  for (const std::string& extension : openableExtensions())
    EXPECT_TRUE(QDir::match(patterns, QString::fromStdString("take." + extension))) << extension;
  for (const char* name : {"TAKE.WAV", "take.flac", "take.opus", "take.mp3", "take.aif"})
    EXPECT_TRUE(QDir::match(patterns, name)) << name;
  EXPECT_FALSE(QDir::match(patterns, "notes.txt"));
  EXPECT_EQ(filters[1], QString::fromUtf8("全ファイル(*.*)"));
}

TEST_F(ClientAreaTest, StereoSixteenBitShowsStereo) {
  CraftedWav w;
  w.channels = 2;
  w.bitsPerSample = 16;
  w.sampleRate = 44100;
  w.data.assign(44100 * 4, 0);
  start(craft("stereo16.wav", w));
  EXPECT_TRUE(shows(524, 24, "44kHz"));
  EXPECT_TRUE(shows(524, 42, "16bit"));
  EXPECT_TRUE(shows(524, 59, "STEREO"));
  EXPECT_TRUE(shows(432, 3, "5.94秒"));  // 262144 frames at 44100 Hz
}

TEST_F(ClientAreaTest, WithoutAFileTheChannelTextIsBlankAndThePlotWhite) {
  start();
  shell().client->repaint();
  EXPECT_TRUE(shows(524, 59, "      "));
  const Rect plot = shell().layout.plotArea;
  EXPECT_EQ(plot, (Rect{8, 102, 512, 256}));
  for (int y = plot.y; y < plot.y + plot.h; y += 51)
    for (int x = plot.x; x < plot.x + plot.w; x += 73)
      ASSERT_EQ(clientCanvas().getPixel(x, y), kWhite);
}

TEST_F(ClientAreaTest, WithoutAFileRateBitsAndSpanAreBlankNotZero) {
  start();
  shell().client->repaint();
  EXPECT_TRUE(shows(524, 24, "     "));
  EXPECT_TRUE(shows(524, 42, "     "));
  EXPECT_TRUE(shows(432, 3, "      "));
}

TEST_F(ClientAreaTest, DarkSchemeFollowsThePaletteLuminance) {
  start();
  shell().client->repaint();
  EXPECT_FALSE(controller().session().display.darkScheme);
  const QPalette light = QApplication::palette();
  QPalette dark = light;
  dark.setColor(QPalette::Window, QColor(30, 30, 30));
  dark.setColor(QPalette::WindowText, QColor(220, 220, 220));
  QApplication::setPalette(dark);
  shell().client->repaint();
  EXPECT_TRUE(controller().session().display.darkScheme);
  QApplication::setPalette(light);
  shell().client->repaint();
  EXPECT_FALSE(controller().session().display.darkScheme);
}

TEST_F(ClientAreaTest, OverviewOfEightBitSilenceIsALineAtHalfHeight) {
  CraftedWav w;
  w.data.assign(600 * 512, 128);
  start(craft("silence.wav", w));
  shell().overview->repaint();
  const int g = shell().overview->canvas().height();
  ASSERT_EQ(g, 64);
  for (int x : {0, 255, 511}) EXPECT_EQ(overviewBlackRows(x), std::vector<int>{g / 2});
  controller().command(kDoubleZoomId);
  shell().overview->repaint();
  EXPECT_EQ(settings().amplitudeZoom, 2);
  for (int x : {0, 255, 511}) EXPECT_EQ(overviewBlackRows(x), std::vector<int>{g / 2});
}

TEST_F(ClientAreaTest, OverviewStopsWhereTheDataEndsAndSkipsTheChunkAfterIt) {
  CraftedWav w;  // 100 columns of 512 frames, then a LIST chunk of full-scale bytes
  w.data.assign(100 * 512, 128);
  w.trailingChunk.assign(4096, 255);
  start(craft("list-after-data.wav", w));
  shell().overview->repaint();
  EXPECT_EQ(overviewBlackRows(99), std::vector<int>{32});
  for (int x = 100; x < 512; ++x) ASSERT_TRUE(overviewBlackRows(x).empty()) << x;
  // Near the end the envelope stops after the remaining columns.
  controller().session().document.position = 100 * 512 - 3 * 512;
  controller().positionChanged();
  shell().overview->repaint();
  EXPECT_FALSE(overviewBlackRows(2).empty());
  for (int x = 3; x < 512; ++x) ASSERT_TRUE(overviewBlackRows(x).empty()) << x;
}

TEST_F(ClientAreaTest, CompressedWaveLeavesTheStripWhiteAndResetsThePosition) {
  CraftedWav w;
  w.formatTag = 2;
  w.bitsPerSample = 16;
  w.data.assign(8192, 0x55);
  start(craft("adpcm.wav", w));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].starts_with("指定したファイルは、PCMファイルではありません。\n"));
  shell().overview->repaint();
  for (int x = 0; x < 512; x += 7) ASSERT_TRUE(overviewBlackRows(x).empty()) << x;
  controller().session().document.position = 1234;
  controller().positionChanged();
  EXPECT_EQ(controller().session().document.position, 0u);
}

TEST_F(ClientAreaTest, OverviewRepaintIsDeferredWhilePlaying) {
  CraftedWav w;
  w.data.assign(512 * 512, 128);
  start(craft("deferred.wav", w));
  shell().overview->repaint();
  const int before = shell().overview->fileRedraws();
  bool& playing = controller().session().wave.playback.playing;
  playing = true;
  controller().command(kDoubleZoomId);
  shell().overview->repaint();
  EXPECT_EQ(shell().overview->fileRedraws(), before);
  EXPECT_TRUE(controller().overviewRepaintPending());
  playing = false;
}

TEST_F(ClientAreaTest, DropOfThreeFilesOpensOnlyTheFirst) {
  CraftedWav w;
  w.data.assign(4000, 128);
  const std::string first = craft("first.wav", w);
  const std::string second = craft("second.wav", w);
  const std::string third = craft("third.wav", w);
  start(second);
  controller().session().document.position = 100;
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(first)),
                QUrl::fromLocalFile(QString::fromStdString(second)),
                QUrl::fromLocalFile(QString::fromStdString(third))});
  QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(shell().window, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(shell().window, &drop);
  EXPECT_EQ(controller().session().document.fileName, first);
  EXPECT_EQ(controller().session().document.position, 0u);
  EXPECT_EQ(shell().window->windowTitle(), QString::fromStdString("KORIMU- " + first + " "));
  EXPECT_TRUE(messages.empty());
}

TEST_F(ClientAreaTest, OpenDialogCancelledKeepsTheFileAndAcceptedTakesTheNewOne) {
  CraftedWav w;
  w.data.assign(4000, 128);
  const std::string kept = craft("kept.wav", w);
  const std::string chosen = craft("chosen.wav", w);
  start(kept);
  const auto previous = shellServices().chooseFileToOpen;
  shellServices().chooseFileToOpen = [](const std::string&, std::string*) { return false; };
  controller().session().document.position = 10;
  controller().command(1101);
  EXPECT_EQ(controller().session().document.fileName, kept);
  EXPECT_EQ(controller().session().document.position, 10u);
  shellServices().chooseFileToOpen = [&](const std::string&, std::string* name) {
    *name = chosen;
    return true;
  };
  controller().command(1101);
  shellServices().chooseFileToOpen = previous;
  EXPECT_EQ(controller().session().document.fileName, chosen);
  EXPECT_EQ(controller().session().document.position, 0u);
  EXPECT_TRUE(shell().window->windowTitle().contains("chosen.wav"));
}

TEST_F(ClientAreaTest, AFailedOpenBlanksTheFormatAndSpanTextsUntilAFileIsRead) {
  CraftedWav w;  // 8-bit mono, 11025 Hz
  w.data.assign(22050, 128);
  const std::string good = craft("good.wav", w);
  const std::string notWave = (processFolder("client") / "notes.txt").string();
  std::ofstream(notWave) << "not a sound file at all";
  start(good);
  const auto previous = shellServices().chooseFileToOpen;
  auto choose = [&](const std::string& file) {
    shellServices().chooseFileToOpen = [file](const std::string&, std::string* name) {
      *name = file;
      return true;
    };
    controller().command(1101);
    waitWhileBusy();
  };
  choose(notWave);
  ASSERT_FALSE(messages.empty());
  // Blank texts, even after a full repaint and a span change; no command needs a file now.
  for (int pass = 0; pass < 2; ++pass) {
    EXPECT_TRUE(shows(524, 24, "     ")) << pass;
    EXPECT_TRUE(shows(524, 42, "     ")) << pass;
    EXPECT_TRUE(shows(524, 59, "      ")) << pass;
    EXPECT_TRUE(shows(432, 3, "      ")) << pass;
    EXPECT_TRUE(shows(484, 3, "表示ﾃﾞｰﾀ数")) << pass;
    shell().client->invalidateAll();
    shell().client->repaint();
    shell().spanCombo->setCurrentIndex(0);
    controller().command(kSpanComboId, kNotifyCloseUp);
  }
  EXPECT_FALSE(controlById(kAnalyzeId)->isEnabled());
  EXPECT_FALSE(shell().window->windowTitle().contains("good.wav"));
  choose(good);
  shellServices().chooseFileToOpen = previous;
  EXPECT_TRUE(shows(524, 24, "11kHz"));
  EXPECT_TRUE(shows(524, 59, " MONO "));
  EXPECT_TRUE(shows(432, 3, "47.6秒"));  // the longest span, 1024 x 512 frames
}

TEST_F(ClientAreaTest, SettingsAreWrittenAtANormalExitAndReadAtTheNextStart) {
  start();
  controller().command(1115);  // thick lines
  controller().command(1108);  // linear spectrum
  QTimer::singleShot(0, [this] { controller().command(1103); });
  EXPECT_EQ(runMessageLoop(app()), 0);
  std::ifstream in(settingsFilePath());
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("futosa=2"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("display=1108"), std::string::npos) << text.str();

  destroyMainWindow(app());
  start();
  EXPECT_EQ(settings().lineWidth, LineWidth::kThick);
  EXPECT_EQ(settings().display, 1108);
  EXPECT_TRUE(menuItemChecked(1108));
  EXPECT_TRUE(menuItemChecked(1115));
  EXPECT_FALSE(menuItemChecked(1106));
}

}  // namespace
}  // namespace korimu::testing

namespace korimu::testing {
namespace {

TEST_F(ClientAreaTest, AnalyzeRunsAndGivesTheControlsBack) {
  CraftedWav w;  // a 1 kHz square wave, 8-bit mono
  for (int i = 0; i < 11025 * 3; ++i) w.data.push_back((i / 5) % 2 == 0 ? 200 : 56);
  start(craft("square.wav", w));
  const std::vector<uint32_t> before = clientCanvas().pixels();
  controller().command(1108);  // linear spectrum
  controller().command(kAnalyzeId);
  waitWhileBusy();
  EXPECT_FALSE(controller().busy());
  EXPECT_EQ(controller().session().document.lastRunView, 1108);
  EXPECT_NE(clientCanvas().pixels(), before);
  EXPECT_EQ(buttonById(kStopId)->text(), QString("停止"));
  EXPECT_FALSE(controlById(kStopId)->isEnabled());
  EXPECT_TRUE(controlById(kAnalyzeId)->isEnabled());
  for (QMenu* popup : shell().popups) EXPECT_TRUE(popup->menuAction()->isEnabled());
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace korimu::testing

namespace korimu::testing {
namespace {

TEST_F(ClientAreaTest, OverviewReopensAClosedFileBeforeDrawing) {
  CraftedWav w;
  w.data.assign(512 * 512, 128);
  start(craft("reopen.wav", w));
  WaveSession& wave = controller().session().wave;
  closeWave(wave, true);  // as before the Wave information dialog
  ASSERT_FALSE(wave.source.mmio.isOpen());
  shell().overview->canvas().clear(kWhite);
  shell().overview->invalidateFromFile();
  for (int i = 0; i < 3; ++i) {
    shell().overview->repaint();
    QApplication::processEvents();
  }
  EXPECT_TRUE(wave.source.mmio.isOpen());
  EXPECT_EQ(overviewBlackRows(300), std::vector<int>{32});
  EXPECT_TRUE(messages.empty());
}

TEST_F(ClientAreaTest, AFileThatVanishedIsReportedOncePerRepaintRequest) {
  CraftedWav w;
  w.data.assign(4096, 128);
  const std::string name = craft("vanishing.wav", w);
  start(name);
  closeWave(controller().session().wave, true);
  std::filesystem::remove(name);
  shell().overview->invalidateFromFile();
  for (int i = 0; i < 5; ++i) {
    shell().overview->repaint();
    QApplication::processEvents();
  }
  EXPECT_EQ(messages, std::vector<std::string>{"ファイルを開けません。\n" + name +
                                               " (No such file or directory)"});
}

}  // namespace
}  // namespace korimu::testing

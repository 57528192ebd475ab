// The spectrum cross-section window: when it opens and closes, how its buttons and clicks move
// the column, its zoom and its menu.
#include <QMenu>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/widgets.h"
#include "cross_section_window_support.h"
#include "dialogs/dialog_look.h"
#include "export/csv_export.h"

namespace korimu {
namespace {

using testing::CrossSectionWindowTest;
using testing::kSineBin;
using testing::processFolder;
using testing::sineFile;

TEST_F(CrossSectionWindowTest, OpensOnlyAfterAChartRun) {
  start(sineFile("open.wav", 0.5));
  EXPECT_FALSE(menuItemEnabled(1116));
  clickChart(100);
  controller().command(1116);
  EXPECT_EQ(window(), nullptr) << "nothing was analysed yet";

  settings().timeResolution = 1024;
  analyze(kSpectrumLinear, kFft, 9);
  EXPECT_FALSE(menuItemEnabled(1116));
  clickChart(100);
  controller().command(1116);
  EXPECT_EQ(window(), nullptr) << "a spectrum run opens nothing";

  analyze(kTimeFrequencyChart, kFft, 9);
  EXPECT_TRUE(menuItemEnabled(1116));
  clickChart(100);
  ASSERT_NE(window(), nullptr);
  EXPECT_EQ(column(), 100);
  EXPECT_EQ(window()->windowTitle(), QString::fromUtf8("スペクトル断面"));
  EXPECT_TRUE(window()->windowFlags().testFlag(Qt::Tool));
  EXPECT_EQ(window()->parentWidget(), static_cast<QWidget*>(shell().window));
  QApplication::processEvents();
  EXPECT_TRUE(window()->isVisible());

  // While open, clicks move the column (kept on the chart) and 1116 does nothing.
  clickChart(300);
  EXPECT_EQ(column(), 300);
  EXPECT_TRUE(shows(int(kLayout.unitW * 23.5), 5 * kLayout.unitH + 256, "300",
                    crossSectionTextStyle(settings().dialog3d)));
  clickChart(515, 10);
  EXPECT_EQ(column(), 511);
  clickChart(-4, 10);  // in the margin left of the chart
  EXPECT_EQ(column(), 0);
  clickChart(50, 300);  // below the graph area: ignored
  EXPECT_EQ(column(), 0);
  clickChart(50);
  controller().command(1116);
  EXPECT_EQ(column(), 50);

  // It stays open across runs; closed, 1116 opens it again at the first column.
  analyze(kTimeFrequencyChart, kFft, 9);
  ASSERT_NE(window(), nullptr);
  press(kCrossSectionClose);
  EXPECT_EQ(window(), nullptr);
  EXPECT_TRUE(windowDisplay().crossSection.column.empty())
      << "the column buffer goes with the window";
  controller().command(1116);
  ASSERT_NE(window(), nullptr);
  EXPECT_EQ(column(), 0);
  // Escape (the cancel command) closes it too, and so does Enter on the default button.
  QTest::keyClick(window(), Qt::Key_Escape);
  EXPECT_EQ(window(), nullptr);
  controller().command(1116);
  ASSERT_NE(window(), nullptr);
  EXPECT_TRUE(window()->button(kCrossSectionClose)->isDefault());
  QTest::keyClick(window(), Qt::Key_Return);
  EXPECT_EQ(window(), nullptr);
}

TEST_F(CrossSectionWindowTest, ArrowsStepOneBlockAndStopAtTheEdges) {
  start(sineFile("arrows.wav", 0.5));
  analyzeFftChart();  // 4096 frames: 8 columns of 512 frames
  controller().command(1116);
  ASSERT_NE(window(), nullptr);
  EXPECT_EQ(column(), 0);
  press(kCrossSectionLeft);
  EXPECT_EQ(column(), 0);
  press(kCrossSectionRight);
  EXPECT_EQ(column(), 8);
  press(kCrossSectionRight);
  EXPECT_EQ(column(), 16);
  EXPECT_TRUE(shows(int(kLayout.unitW * 23.5), 5 * kLayout.unitH + 256, " 16",
                    crossSectionTextStyle(settings().dialog3d)));
  clickChart(505);
  press(kCrossSectionRight);
  EXPECT_EQ(column(), 511);
  press(kCrossSectionRight);
  EXPECT_EQ(column(), 511);
  press(kCrossSectionLeft);
  EXPECT_EQ(column(), 503);
}

TEST_F(CrossSectionWindowTest, WaveletChartStepsOneColumn) {
  start(sineFile("wt.wav", 1.0));
  analyze(kTimeFrequencyChart, kWt, 10);
  controller().command(1116);
  ASSERT_NE(window(), nullptr);
  press(kCrossSectionRight);
  press(kCrossSectionRight);
  EXPECT_EQ(column(), 2);
  clickChart(511);
  press(kCrossSectionRight);
  EXPECT_EQ(column(), 511);
  press(kCrossSectionLeft);
  EXPECT_EQ(column(), 510);
}

TEST_F(CrossSectionWindowTest, ZoomShowsTheWideLabelsOf44kHzFft) {
  start(sineFile("zoom.wav", 0.5));
  analyzeFftChart();
  controller().command(1116);
  ASSERT_NE(window(), nullptr);
  QAbstractButton* zoom = window()->button(kCrossSectionZoom);
  EXPECT_EQ(zoom->text(), QString::fromUtf8("拡大"));
  EXPECT_EQ(window()->width(), 256 + 2 * kLayout.unitW);
  press(kCrossSectionZoom);
  EXPECT_EQ(zoom->text(), QString::fromUtf8("縮小"));
  EXPECT_EQ(window()->width(), 512 + 2 * kLayout.unitW);
  window()->repaintGraphNow();
  const TextStyle style = crossSectionTextStyle(settings().dialog3d);
  const int w = kLayout.unitW;
  const int y = kLayout.unitH + 260;
  EXPECT_TRUE(shows(464 - w, y, "20000", style));
  EXPECT_TRUE(shows(348 - w, y, "15000", style));
  EXPECT_TRUE(shows(232 - w, y, "10000", style));
  EXPECT_TRUE(shows(116 - w, y, "5000", style));
  // The buttons sit under the graph at the places of this font width.
  const CrossSectionLayout l = crossSectionLayout(kLayout, 512);
  EXPECT_EQ(window()->button(kCrossSectionRight)->geometry(),
            QRect(l.right.x, l.right.y, l.right.w, l.right.h));
  press(kCrossSectionZoom);
  EXPECT_EQ(zoom->text(), QString::fromUtf8("拡大"));
  EXPECT_EQ(window()->width(), 256 + 2 * kLayout.unitW);
  // The width is kept for the next opening.
  press(kCrossSectionZoom);
  press(kCrossSectionClose);
  controller().command(1116);
  ASSERT_NE(window(), nullptr);
  EXPECT_EQ(window()->width(), 512 + 2 * kLayout.unitW);
}

TEST_F(CrossSectionWindowTest, WindowSwitchAndLookItems) {
  start(sineFile("look.wav", 0.5));
  analyzeFftChart();
  controller().command(1116);
  ASSERT_NE(window(), nullptr);
  window()->repaintGraphNow();
  const int below = 8 * kLayout.unitH + 256 + 1;  // under the buttons
  EXPECT_EQ(window()->canvas().getPixel(2, below), kButtonFace);

  // The window's menu: the window switch, saving the numbers, a separator and the 3D-look item.
  emit window()->customContextMenuRequested(QPoint(4, 4));
  const QList<QMenu*> menus = window()->findChildren<QMenu*>();
  ASSERT_EQ(menus.size(), 1);
  QList<QAction*> items = menus.front()->actions();
  ASSERT_EQ(items.size(), 4);
  EXPECT_EQ(items[0]->data().toInt(), kWindowSwitchItemId);
  EXPECT_EQ(items[0]->text(), QString::fromUtf8("ｳｲﾝﾄﾞｳ切換\tAlt+F6"));
  EXPECT_EQ(items[1]->data().toInt(), kSaveColumnItemId);
  EXPECT_TRUE(items[2]->isSeparator());
  items.removeAt(1);
  items[0]->trigger();
  QApplication::processEvents();
  EXPECT_NE(window(), nullptr) << "switching windows keeps this one open";

  items[2]->trigger();
  EXPECT_FALSE(settings().dialog3d);
  QApplication::processEvents();
  window()->repaintGraphNow();
  EXPECT_EQ(window()->canvas().getPixel(2, below), kWindowColour);
  EXPECT_TRUE(shows(int(kLayout.unitW * 23.5), 5 * kLayout.unitH + 256, "  0",
                    TextStyle{kWindowText, kWindowColour, true}));
  menus.front()->close();
}

struct SavedColumn {
  std::map<std::string, std::string> header;
  std::vector<std::string> names;
  std::vector<std::vector<std::string>> rows;  // frequency_hz, power, db, level; bottom row first
};

SavedColumn readSaved(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  SavedColumn saved;
  for (auto& [key, value] : csvHeaderFields(text)) saved.header[key] = value;
  std::stringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("#")) continue;
    std::vector<std::string> fields;
    std::stringstream cells(line);
    for (std::string f; std::getline(cells, f, ',');) fields.push_back(f);
    if (saved.names.empty()) {
      saved.names = fields;
    } else {
      saved.rows.push_back(fields);
    }
  }
  return saved;
}

// The saved column is the one the graph shows: its levels are the graph's depths, its peak is its
// own loudest row (the smallest level, the lowest of equals: the sine's frequency) as the window's
// readout names it, and a Japanese name with spaces is written.
TEST_F(CrossSectionWindowTest, SavesTheShownColumnWithItsOwnPeak) {
  start(sineFile("numbers.wav", 0.5));
  analyzeFftChart();
  clickChart(20);  // inside the half second of sound
  ASSERT_NE(window(), nullptr);
  const std::filesystem::path path = processFolder("cross-section") / "断面 の 数値.csv";
  std::string reason;
  ASSERT_TRUE(window()->saveNumbersTo(path.string(), reason)) << reason;
  window()->repaintGraphNow();

  const SavedColumn saved = readSaved(path);
  EXPECT_EQ(saved.header.at("column"), "20");
  EXPECT_EQ(saved.names, (std::vector<std::string>{"frequency_hz", "power", "db", "level"}));
  ASSERT_EQ(saved.rows.size(), size_t{kCrossSectionRows});
  int loudest = 0;
  for (int e = 0; e < kCrossSectionRows; ++e) {
    const int level = std::stoi(saved.rows[size_t(e)][3]);
    EXPECT_EQ(level, windowDisplay().crossSection.column[size_t(e)]) << "row " << e;
    EXPECT_DOUBLE_EQ(std::stod(saved.rows[size_t(e)][0]),
                     crossSectionRowFrequency(windowDisplay().fileRate, kFft, 9, e));
    if (level < std::stoi(saved.rows[size_t(loudest)][3])) loudest = e;
  }
  EXPECT_EQ(saved.header.at("peak-frequency-hz"), saved.rows[size_t(loudest)][0]);
  EXPECT_EQ(saved.header.at("peak-power"), saved.rows[size_t(loudest)][1]);
  EXPECT_NEAR(std::stod(saved.rows[size_t(loudest)][0]), 44100.0 * kSineBin / 512, 44100.0 / 512);
  EXPECT_TRUE(shows(kLayout.unitW, kLayout.unitH,
                    crossSectionPeakText(windowDisplay().fileRate, kFft, 9, loudest),
                    TextStyle{kBlack, kWhite, false}));
  std::filesystem::remove(path);
}

// Options changed after the chart run do not reach the window: its picture, its arrows and its
// saved numbers stay those of the run that drew the chart.
TEST_F(CrossSectionWindowTest, FollowsTheChartsRunNotTheOptions) {
  start(sineFile("options.wav", 0.5));
  analyzeFftChart();  // 512-point blocks of 1024 frames at 11025 Hz: 8 columns a block
  clickChart(20);
  ASSERT_NE(window(), nullptr);
  press(kCrossSectionZoom);  // the wide graph has the most labels
  window()->repaintGraphNow();
  const Canvas before = window()->canvas();
  const std::filesystem::path path = processFolder("cross-section") / "before.csv";
  std::string reason;
  ASSERT_TRUE(window()->saveNumbersTo(path.string(), reason)) << reason;
  const std::string savedBefore = [&] {
    std::ifstream in(path, std::ios::binary);
    return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }();

  settings().blockOrder = 12;
  settings().timeResolution = 256;
  settings().framesPerColumn = 1024;
  settings().method = kMem;
  window()->repaintGraphNow();
  const Canvas& after = window()->canvas();
  ASSERT_EQ(after.width(), before.width());
  EXPECT_TRUE(after.pixels() == before.pixels());
  ASSERT_TRUE(window()->saveNumbersTo(path.string(), reason)) << reason;
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
            savedBefore);
  EXPECT_EQ(readSaved(path).header.at("block-order"), "9");
  press(kCrossSectionRight);
  EXPECT_EQ(column(), 28);  // one block of the run: 8 columns
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace korimu

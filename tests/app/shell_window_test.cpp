// The main window as started: child rectangles, menu, and the enabling table for each state.
#include <QAction>
#include <QComboBox>
#include <QFontInfo>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>

#include "app/qt_window_view.h"
#include "app/shell_widgets.h"
#include "app/widgets.h"
#include "crafted_wav.h"
#include "display/status_texts.h"
#include "qt_app_fixture.h"

namespace korimu::testing {
namespace {

class MainWindowTest : public ShellTest {
 protected:
  bool on(int id) { return controlById(id)->isEnabled(); }
  std::string craftedFile() {
    CraftedWav w;
    w.data.assign(11025 * 2, 128);
    return writeWav(processFolder("window") / "two-seconds.wav", w);
  }
};

TEST_F(MainWindowTest, ClientAreaAndChildrenSitAtTheWorkedLayout) {
  start();
  ShellWidgets& s = shell();
  EXPECT_EQ(s.client->size(), QSize(640, 383));
  EXPECT_EQ(s.window->layout()->sizeConstraint(), QLayout::SetFixedSize);
  EXPECT_EQ(s.window->windowTitle(), QString("KORIMU"));
  const auto rect = [&](int child) { return s.children[size_t(child)]->geometry(); };
  EXPECT_EQ(rect(kOverviewChild), QRect(8, 21, 512, 64));
  const int bigY[4] = {246, 274, 302, 330};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(rect(kAnalyzeButton + i), QRect(584, bigY[i], 52, 28));
  const int navX[6] = {236, 268, 300, 332, 364, 396};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(rect(kNavFastBack + i), QRect(navX[i], 1, 32, 17));
  // The combobox's rectangle includes its list; the closed box keeps x, y and width.
  EXPECT_EQ(rect(kSpanCombo).topLeft(), QPoint(566, 0));
  EXPECT_EQ(rect(kSpanCombo).width(), 72);
  EXPECT_EQ(rect(kAmplitudeGroup), QRect(578, 24, 57, 60));
  EXPECT_EQ(rect(kAmplitudePanel), QRect(578, 24, 57, 60));
  EXPECT_EQ(rect(kAmplitudeNormal), QRect(579, 45, 54, 17));
  EXPECT_EQ(rect(kAmplitudeDouble), QRect(579, 62, 54, 17));
  EXPECT_EQ(rect(kPowerGroup), QRect(582, 137, 50, 106));
  const int powerY[4] = {155, 176, 197, 218};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(rect(kPowerAt + i), QRect(583, powerY[i], 47, 21));
}

TEST_F(MainWindowTest, ControlsCarryTheirCaptionsAndStartingChoices) {
  start();
  EXPECT_EQ(buttonById(kAnalyzeId)->text(), QString("解析"));
  EXPECT_EQ(buttonById(kStopId)->text(), QString("停止"));
  EXPECT_EQ(buttonById(kGainAtId)->text(), QString("Ａt"));
  QComboBox* combo = shell().spanCombo;
  ASSERT_EQ(combo->count(), 11);
  EXPECT_EQ(combo->itemText(0), QString("524288"));
  EXPECT_EQ(combo->itemText(3), QString(" 65536"));
  EXPECT_EQ(combo->itemText(10), QString("   512"));
  EXPECT_EQ(combo->currentText(), QString("262144"));
  EXPECT_EQ(settings().framesPerColumn, 512);
  EXPECT_TRUE(buttonById(kNormalZoomId)->isChecked());
  EXPECT_FALSE(buttonById(kDoubleZoomId)->isChecked());
  EXPECT_TRUE(buttonById(kGainX1Id)->isChecked());
  EXPECT_EQ(shell().window->focusWidget(), combo);
}

// A look whose scroll bars are 20 pixels wide, 3 more than 2 W + 1.
class WideScrollBarStyle : public QProxyStyle {
 public:
  WideScrollBarStyle() : QProxyStyle("Fusion") {}
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (metric == PM_ScrollBarExtent) return 20;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

TEST_F(MainWindowTest, WiderScrollBarsWidenTheWindowAndTheCombobox) {
  start();
  WideScrollBarStyle style;  // a widget does not own the style it is given
  shell().window->setStyle(&style);
  EXPECT_EQ(shell().client->size(), QSize(643, 383));
  EXPECT_EQ(clientCanvas().width(), 643);
  const QRect combo = shell().spanCombo->geometry();
  EXPECT_EQ(combo.topLeft(), QPoint(566, 0));
  EXPECT_EQ(combo.width(), 75);
  // The other controls stay where they were created.
  EXPECT_EQ(controlById(kAnalyzeId)->geometry(), QRect(584, 246, 52, 28));
  destroyMainWindow(app());
}

TEST_F(MainWindowTest, WidgetsUseUnifontAtSixteenPixels) {
  start();
  const QFont font = buttonById(kAnalyzeId)->font();
  EXPECT_EQ(font.pixelSize(), 16);
  EXPECT_TRUE(QFontInfo(font).family().startsWith("Unifont"))
      << QFontInfo(font).family().toStdString();
  EXPECT_FALSE(QApplication::windowIcon().isNull());
}

TEST_F(MainWindowTest, MenuStartsWithItsGrayingAndMarks) {
  writeSettings("[KORIMU]\nfutosa=2\n");
  start();
  const auto popups = shell().popups;
  EXPECT_EQ(popups[0]->title(), QString("ファイル(&F)"));
  EXPECT_EQ(popups[1]->title(), QString("操作(&O)"));
  EXPECT_EQ(popups[2]->title(), QString("表示(&V)"));
  EXPECT_EQ(popups[3]->title(), QString("ヘルプ(&H)"));
  EXPECT_EQ(shell().actions.at(1105)->text(), QString("ヘルプの表示(&H)...\tF1"));
  for (int id : {1102, 1203, 1201, 1213, 1202, 1116}) EXPECT_FALSE(menuItemEnabled(id)) << id;
  for (int id : {1101, 1103, 1200, 1106, 1111, 1115, 1105, 1104}) EXPECT_TRUE(menuItemEnabled(id));
  EXPECT_TRUE(shell().actions.at(1106)->isChecked());
  EXPECT_TRUE(shell().actions.at(1114)->isChecked());
  EXPECT_TRUE(shell().actions.at(1115)->isChecked());
  EXPECT_FALSE(shell().actions.at(1111)->isChecked());
  EXPECT_FALSE(shell().actions.at(1113)->isChecked());
}

TEST_F(MainWindowTest, IdleWithoutFileEnablesOnlyTheChoices) {
  start();
  for (int id : {1204, 1205, 1206, 1207, 1208, 1209, 1203, 1201, 1213, 1202})
    EXPECT_FALSE(on(id)) << id;
  for (int id : {1210, 1211, 1212, 1214, 1215, 1216, 1217}) EXPECT_TRUE(on(id)) << id;
  EXPECT_TRUE(shell().window->acceptDrops());
}

TEST_F(MainWindowTest, FileSelectedWithoutDeviceNeverEnablesPlay) {
  start(craftedFile(), 0);
  EXPECT_TRUE(messages.empty());
  for (int id : {1204, 1205, 1206, 1207, 1208, 1209, 1203}) EXPECT_TRUE(on(id)) << id;
  for (int id : {1201, 1213, 1202}) EXPECT_FALSE(on(id)) << id;
  EXPECT_TRUE(menuItemEnabled(1102));
  EXPECT_TRUE(menuItemEnabled(1203));
  EXPECT_FALSE(menuItemEnabled(1201));
  EXPECT_EQ(shell().window->focusWidget(), controlById(kAnalyzeId));
  EXPECT_TRUE(controller().session().document.fileSelected);
  EXPECT_TRUE(shell().window->windowTitle().endsWith("two-seconds.wav "));
  EXPECT_TRUE(shell().window->windowTitle().startsWith("KORIMU- /"));
}

TEST_F(MainWindowTest, FileSelectedWithDeviceEnablesPlayAndPartial) {
  start(craftedFile(), 1);
  for (int id : {1201, 1213, 1203}) EXPECT_TRUE(on(id)) << id;
  EXPECT_TRUE(menuItemEnabled(1201));
  EXPECT_TRUE(menuItemEnabled(1213));
  EXPECT_FALSE(on(1202));
}

TEST_F(MainWindowTest, PlayingLeavesStopViewAndPowerRadios) {
  start(craftedFile(), 1);
  controller().enter(UiState::kPlaying);
  for (int id : {1204, 1205, 1206, 1207, 1208, 1209, 1203, 1201, 1213, 1210, 1211, 1212})
    EXPECT_FALSE(on(id)) << id;
  for (int id : {1202, 1214, 1215, 1216, 1217}) EXPECT_TRUE(on(id)) << id;
  for (int id : {1101, 1200, 1102, 1201, 1213, 1203}) EXPECT_FALSE(menuItemEnabled(id)) << id;
  for (int id : {1202, 1106, 1103, 1105, 1104}) EXPECT_TRUE(menuItemEnabled(id)) << id;
  EXPECT_FALSE(shell().window->acceptDrops());
  EXPECT_EQ(shell().window->focusWidget(), controlById(kStopId));

  controller().enter(UiState::kFileSelected);
  EXPECT_FALSE(on(1202));
  for (int id : {1201, 1203, 1210, 1211}) EXPECT_TRUE(on(id)) << id;
  EXPECT_TRUE(menuItemEnabled(1102));
}

TEST_F(MainWindowTest, AnalysingLeavesOnlyTheAbortButton) {
  start(craftedFile(), 1);
  // The frame never changes: a change of decorations re-maps and moves the window.
  const Qt::WindowFlags flags = shell().window->windowFlags();
  controller().enter(UiState::kAnalysing);
  QAbstractButton* stop = buttonById(kStopId);
  EXPECT_EQ(stop->text(), QString("中断"));
  EXPECT_TRUE(stop->isEnabled());
  EXPECT_EQ(shell().window->focusWidget(), stop);
  for (int id : {1204, 1209, 1203, 1201, 1213, 1210, 1211, 1212, 1214, 1215, 1216, 1217})
    EXPECT_FALSE(on(id)) << id;
  for (QMenu* popup : shell().popups) EXPECT_FALSE(popup->menuAction()->isEnabled());
  EXPECT_EQ(shell().window->windowFlags(), flags);

  controller().enter(UiState::kFileSelected);
  EXPECT_EQ(stop->text(), QString("停止"));
  EXPECT_FALSE(stop->isEnabled());
  for (QMenu* popup : shell().popups) EXPECT_TRUE(popup->menuAction()->isEnabled());
  EXPECT_EQ(shell().window->windowFlags(), flags);
  for (int id : {1204, 1203, 1201, 1210, 1214}) EXPECT_TRUE(on(id)) << id;
}

TEST_F(MainWindowTest, ViewMenuMarksFollowTheSettings) {
  start();
  shell().actions.at(1108)->trigger();
  EXPECT_EQ(settings().display, 1108);
  EXPECT_TRUE(shell().actions.at(1108)->isChecked());
  EXPECT_FALSE(shell().actions.at(1106)->isChecked());
  // Choosing the marked item again keeps its mark.
  shell().actions.at(1108)->trigger();
  EXPECT_TRUE(shell().actions.at(1108)->isChecked());
  shell().actions.at(1113)->trigger();
  EXPECT_EQ(settings().graphStyle, 1113);
  EXPECT_FALSE(shell().actions.at(1114)->isChecked());
  shell().actions.at(1111)->trigger();
  EXPECT_TRUE(settings().pinkNoiseFlat);
  EXPECT_TRUE(shell().actions.at(1111)->isChecked());
  shell().actions.at(1111)->trigger();
  EXPECT_FALSE(settings().pinkNoiseFlat);
  EXPECT_FALSE(shell().actions.at(1111)->isChecked());
}

// A stored width outside 1..2 loads as thin lines; the toggle then goes thick and back.
TEST_F(MainWindowTest, ThickLinesFromAStoredZeroStartThin) {
  writeSettings("[KORIMU]\nfutosa=0\n");
  start();
  EXPECT_EQ(settings().lineWidth, LineWidth::kThin);
  EXPECT_FALSE(shell().actions.at(1115)->isChecked());
  shell().actions.at(1115)->trigger();
  EXPECT_EQ(settings().lineWidth, LineWidth::kThick);
  EXPECT_TRUE(shell().actions.at(1115)->isChecked());
  shell().actions.at(1115)->trigger();
  EXPECT_EQ(settings().lineWidth, LineWidth::kThin);
  EXPECT_FALSE(shell().actions.at(1115)->isChecked());
}

// Each AppShell is a window program of its own: a command in one changes its window, its settings
// and its messages only.
TEST_F(MainWindowTest, TwoProgramsInOneProcessKeepTheirOwnState) {
  start();
  AppShell other;
  std::vector<std::string> othersMessages;
  other.messages.sink = [&othersMessages](std::string_view text, MessageKind) {
    othersMessages.emplace_back(text);
  };
  ASSERT_TRUE(initInstance(other, CommandLine{}, false));
  ASSERT_NE(other.widgets.window, shell().window);
  other.controller().command(kDoubleZoomId);
  EXPECT_EQ(other.controller().session().settings.amplitudeZoom, 2);
  EXPECT_TRUE(other.widgets.buttonById(kDoubleZoomId)->isChecked());
  EXPECT_EQ(settings().amplitudeZoom, 1);
  EXPECT_TRUE(buttonById(kNormalZoomId)->isChecked());
  EXPECT_FALSE(buttonById(kDoubleZoomId)->isChecked());
  // A file that does not open is told to the program that was asked to open it.
  other.controller().dropFiles({(processFolder("window") / "missing.wav").string()});
  EXPECT_EQ(othersMessages.size(), 1u);
  EXPECT_TRUE(messages.empty());
  destroyMainWindow(other);
  EXPECT_NE(shell().window, nullptr);
  EXPECT_TRUE(shell().window->isVisible());
}

}  // namespace
}  // namespace korimu::testing

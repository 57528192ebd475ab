// The control bar driven like a user: buttons, keys, the held mouse button and the combobox.
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimerEvent>

#include "app/control_filter.h"
#include "app/qt_window_view.h"
#include "app/shell_widgets.h"
#include "app/widgets.h"
#include "core/program_files.h"
#include "crafted_wav.h"
#include "display/status_texts.h"
#include "qt_app_fixture.h"

namespace korimu::testing {
namespace {

// 8-bit mono at 11025 Hz: one byte per frame, 11025 bytes per second, two seconds of data.
constexpr uint32_t kDataSize = 22050;

class ControlBarTest : public ShellTest {
 protected:
  void startWithFile(int devices = 1) {
    CraftedWav w;
    w.data.assign(kDataSize, 128);
    start(writeWav(processFolder("bar") / "bar.wav", w), devices);
    ASSERT_TRUE(messages.empty());
  }
  void key(int id, int k, Qt::KeyboardModifiers mods = Qt::NoModifier, bool autoRepeat = false,
           QEvent::Type type = QEvent::KeyPress) {
    QKeyEvent event(type, k, mods, k == Qt::Key_Space ? " " : "", autoRepeat);
    QApplication::sendEvent(controlById(id), &event);
  }
  void click(int id) { QTest::mouseClick(controlById(id), Qt::LeftButton); }
  QWidget* focus() { return shell().window->focusWidget(); }
};

TEST_F(ControlBarTest, NavigationButtonsStepAndWrap) {
  startWithFile();
  click(kStepBackId);
  EXPECT_EQ(controller().session().document.position,
            kDataSize - 1);  // "<" at 0 jumps to the last frame
  click(kStepForwardId);
  EXPECT_EQ(controller().session().document.position, 0u);  // ">" at the last frame jumps to 0
  click(kFastForwardId);
  EXPECT_EQ(controller().session().document.position, 11025u);
  click(kFastForwardId);
  EXPECT_EQ(controller().session().document.position,
            kDataSize - 1);  // ">>>" near the end stops at the last frame
  click(kBackId);
  EXPECT_EQ(controller().session().document.position, kDataSize - 1 - 210);
  click(kFastBackId);
  click(kFastBackId);
  EXPECT_EQ(controller().session().document.position, 0u);  // "<<<" near the start stops at 0
  click(kForwardId);
  EXPECT_EQ(controller().session().document.position, 210u);
}

TEST_F(ControlBarTest, AClickInTheOverviewMovesThePositionOnlyWhileIdle) {
  startWithFile();
  const int framesPerColumn = controller().session().settings.framesPerColumn;
  ASSERT_GT(kDataSize, uint32_t(20 * framesPerColumn));
  QTest::mouseClick(shell().overview, Qt::LeftButton, Qt::NoModifier, QPoint(20, 5));
  EXPECT_EQ(controller().session().document.position, uint32_t(20 * framesPerColumn));
  EXPECT_TRUE(shell().overview->redrawPending());  // the strip starts there now
  // A right click moves back as far as a left click at the same place moves on.
  QTest::mouseClick(shell().overview, Qt::RightButton, Qt::NoModifier, QPoint(2, 5));
  EXPECT_EQ(controller().session().document.position, uint32_t(18 * framesPerColumn));
  // While a run works nothing moves.
  controller().session().settings.display = kTimeFrequencyChart;
  controller().session().settings.method = kWt;
  controller().session().settings.blockOrder = 16;  // long enough to be clicked during
  click(kAnalyzeId);
  ASSERT_TRUE(controller().busy());
  QTest::mouseClick(shell().overview, Qt::LeftButton, Qt::NoModifier, QPoint(1, 5));
  QTest::mouseClick(shell().overview, Qt::RightButton, Qt::NoModifier, QPoint(1, 5));
  EXPECT_EQ(controller().session().document.position, uint32_t(18 * framesPerColumn));
  controller().requestStop();
  waitWhileBusy();
}

// Home, End, PageUp and PageDown move by the span from any control, the span combobox too (whose
// own choice they leave alone), and only while the navigation buttons could.
TEST_F(ControlBarTest, HomeEndAndThePageKeysMoveBySpansFromAnyControl) {
  startWithFile();
  QComboBox* spans = shell().spanCombo;
  spans->setCurrentIndex(spans->findText("   512"));
  controller().command(kSpanComboId, kNotifyCloseUp);
  ASSERT_EQ(controller().session().settings.framesPerColumn, 1);
  const int chosen = spans->currentIndex();
  const struct {
    int control, key;
    uint32_t position;
  } steps[] = {
      {kSpanComboId, Qt::Key_End, kDataSize - 512},
      {kAnalyzeId, Qt::Key_PageUp, kDataSize - 1024},
      {kSpanComboId, Qt::Key_Home, 0},
      {kGainX1Id, Qt::Key_PageDown, 512},
      {kSpanComboId, Qt::Key_PageDown, 1024},
  };
  for (const auto& step : steps) {
    key(step.control, step.key);
    EXPECT_EQ(controller().session().document.position, step.position) << step.key;
  }
  EXPECT_EQ(spans->currentIndex(), chosen);
  // Without a selected file they do nothing.
  destroyMainWindow(app());
  start();
  key(kSpanComboId, Qt::Key_End);
  EXPECT_EQ(controller().session().document.position, 0u);
}

TEST_F(ControlBarTest, ArrowsStepFromAnyControlWhileNavigationIsEnabled) {
  startWithFile();
  key(kSpanComboId, Qt::Key_Right);
  EXPECT_EQ(controller().session().document.position, 210u);
  key(kGainX2Id, Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(controller().session().document.position, 210u + 11025u);
  key(kAnalyzeId, Qt::Key_Left);
  EXPECT_EQ(controller().session().document.position, 11025u);
  key(kAnalyzeId, Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(controller().session().document.position, 0u);
  // Without a selected file the navigation buttons are off and arrows do nothing.
  destroyMainWindow(app());
  start();
  key(kSpanComboId, Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(controller().session().document.position, 0u);
}

TEST_F(ControlBarTest, SpaceHeldOnANavigationButtonStepsOnEveryRepeat) {
  startWithFile();
  controlById(kForwardId)->setFocus();
  key(kForwardId, Qt::Key_Space);
  EXPECT_EQ(controller().session().document.position, 0u);  // the first press is the button's own
  key(kForwardId, Qt::Key_Space, Qt::NoModifier, true);
  EXPECT_EQ(controller().session().document.position, 210u);
  key(kForwardId, Qt::Key_Space, Qt::NoModifier, true, QEvent::KeyRelease);
  key(kForwardId, Qt::Key_Space, Qt::NoModifier, true);
  EXPECT_EQ(controller().session().document.position, 420u);
  key(kForwardId, Qt::Key_Space, Qt::NoModifier, false, QEvent::KeyRelease);
  EXPECT_EQ(controller().session().document.position, 630u);  // the click on release
  // The count starts again with the next press.
  key(kForwardId, Qt::Key_Space);
  EXPECT_EQ(controller().session().document.position, 630u);
  key(kForwardId, Qt::Key_Space, Qt::NoModifier, false, QEvent::KeyRelease);
  EXPECT_EQ(controller().session().document.position, 840u);
}

TEST_F(ControlBarTest, HeldMouseButtonRepeatsEveryTimerTickPlusTheFinalClick) {
  startWithFile();
  QWidget* forward = controlById(kStepForwardId);
  QTest::mousePress(forward, Qt::LeftButton);
  const int timer = controlFilter()->repeatTimerId(kStepForwardId);
  ASSERT_NE(timer, 0);
  for (int i = 0; i < 5; ++i) {  // one second of 200 ms ticks
    QTimerEvent tick(timer);
    QApplication::sendEvent(forward, &tick);
  }
  EXPECT_EQ(controller().session().document.position, 5u);
  QTest::mouseRelease(forward, Qt::LeftButton);
  EXPECT_EQ(controller().session().document.position, 6u);
  EXPECT_EQ(controlFilter()->repeatTimerId(kStepForwardId), 0);
}

TEST_F(ControlBarTest, TabFollowsTheFixedOrder) {
  startWithFile(1);
  struct Row {
    int from, next, previous;
  };
  // File selected, a device present, idle: Stop is disabled, Partial enabled.
  const Row rows[] = {
      {kFastBackId, kBackId, kPartialId},
      {kBackId, kStepBackId, kFastBackId},
      {kStepBackId, kStepForwardId, kBackId},
      {kStepForwardId, kForwardId, kStepBackId},
      {kForwardId, kFastForwardId, kStepForwardId},
      {kFastForwardId, kSpanComboId, kForwardId},
      {kSpanComboId, kNormalZoomId, kFastForwardId},
      {kNormalZoomId, kGainX1Id, kSpanComboId},
      {kGainX4Id, kAnalyzeId, kNormalZoomId},
      {kAnalyzeId, kPlayId, kGainX1Id},
      {kPlayId, kPartialId, kAnalyzeId},
      {kPartialId, kFastBackId, kPlayId},
  };
  for (const Row& r : rows) {
    controlById(r.from)->setFocus();
    key(r.from, Qt::Key_Tab);
    EXPECT_EQ(focus(), controlById(r.next)) << r.from;
    controlById(r.from)->setFocus();
    key(r.from, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focus(), controlById(r.previous)) << r.from;
  }
}

TEST_F(ControlBarTest, TabTargetsFollowTheChosenRadiosAndWhatIsEnabled) {
  start();  // no file: navigation, Analyze, Play, Partial and Stop are off
  click(kDoubleZoomId);
  click(kGainX4Id);
  EXPECT_EQ(tabTarget(kSpanComboId, false), controlById(kDoubleZoomId));
  EXPECT_EQ(tabTarget(kSpanComboId, true), controlById(kGainX4Id));
  EXPECT_EQ(tabTarget(kGainX4Id, false), controlById(kSpanComboId));
  EXPECT_EQ(tabTarget(kFastBackId, true), nullptr);
  EXPECT_EQ(tabTarget(kStopId, false), nullptr);
  EXPECT_EQ(tabTarget(kStopId, true), nullptr);
  controlById(kStopId)->setEnabled(true);
  EXPECT_EQ(tabTarget(kGainAtId, false), controlById(kStopId));
  EXPECT_EQ(tabTarget(kFastBackId, true), controlById(kStopId));
}

TEST_F(ControlBarTest, UpAndDownPressTheNeighbouringRadioWithinItsGroup) {
  start();
  key(kGainX4Id, Qt::Key_Down);
  EXPECT_EQ(settings().displayGain, 3);  // "4倍" is pressed again
  EXPECT_TRUE(buttonById(kGainX4Id)->isChecked());
  EXPECT_FALSE(buttonById(kGainX1Id)->isChecked());
  key(kGainAtId, Qt::Key_Up);
  EXPECT_EQ(settings().displayGain, 0);
  EXPECT_TRUE(buttonById(kGainAtId)->isChecked());
  key(kGainX1Id, Qt::Key_Down);
  EXPECT_EQ(settings().displayGain, 2);
  EXPECT_TRUE(buttonById(kGainX2Id)->isChecked());
  EXPECT_FALSE(buttonById(kGainAtId)->isChecked());
  key(kNormalZoomId, Qt::Key_Up);
  EXPECT_EQ(settings().amplitudeZoom, 1);
  key(kNormalZoomId, Qt::Key_Down);
  EXPECT_EQ(settings().amplitudeZoom, 2);
  EXPECT_TRUE(buttonById(kDoubleZoomId)->isChecked());
  EXPECT_FALSE(buttonById(kNormalZoomId)->isChecked());
}

TEST_F(ControlBarTest, ClickingTheCheckedRadioKeepsItChecked) {
  start();
  click(kGainX1Id);
  EXPECT_TRUE(buttonById(kGainX1Id)->isChecked());
  click(kNormalZoomId);
  EXPECT_TRUE(buttonById(kNormalZoomId)->isChecked());
}

TEST_F(ControlBarTest, LeftAndRightAlsoMoveTheSpanSelectionWhichCountsOnlyWhenTheBoxLosesFocus) {
  startWithFile();
  QComboBox* combo = shell().spanCombo;
  ASSERT_EQ(combo->currentText(), "262144");
  const int start = combo->currentIndex();  // "  全体" and "524288" above it
  ASSERT_EQ(start, 2);
  key(kSpanComboId, Qt::Key_Right);
  EXPECT_EQ(controller().session().document.position,
            210u);  // the step happens as on every control
  EXPECT_EQ(combo->currentIndex(), start + 1);
  EXPECT_EQ(settings().framesPerColumn, 512);  // not taken yet
  key(kSpanComboId, Qt::Key_Left);
  key(kSpanComboId, Qt::Key_Left);
  QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(combo, &focusOut);
  EXPECT_EQ(settings().framesPerColumn, 1024);  // "524288" / 512
  key(kSpanComboId, Qt::Key_Left);
  key(kSpanComboId, Qt::Key_Left);  // stops at the first item
  EXPECT_EQ(combo->currentIndex(), 0);
  QApplication::sendEvent(combo, &focusOut);
  // "全体": the 22050 frames from the position (the keys stepped back to 0) over the 512 columns.
  ASSERT_EQ(controller().session().document.position, 0u);
  EXPECT_EQ(settings().framesPerColumn, 44);
  // It follows the position: 210 frames on, 21840 are left.
  key(kSpanComboId, Qt::Key_Right);
  EXPECT_EQ(settings().framesPerColumn, 43);
}

TEST_F(ControlBarTest, SpanComboboxRedrawsOnlyWhenTheSpanChanges) {
  startWithFile();
  QComboBox* combo = shell().spanCombo;
  OverviewWidget* overview = shell().overview;
  overview->repaint();
  const int before = overview->fileRedraws();
  const std::vector<uint32_t> canvasBefore = clientCanvas().pixels();
  combo->showPopup();
  combo->hidePopup();  // closed without a change
  QApplication::processEvents();
  overview->repaint();
  EXPECT_EQ(settings().framesPerColumn, 512);
  EXPECT_EQ(overview->fileRedraws(), before);
  EXPECT_EQ(clientCanvas().pixels(), canvasBefore);

  combo->setCurrentIndex(combo->findText(" 65536"));
  EXPECT_EQ(settings().framesPerColumn, 512);  // a selection alone changes nothing
  combo->hidePopup();
  QApplication::processEvents();
  overview->repaint();
  EXPECT_EQ(settings().framesPerColumn, 128);
  EXPECT_EQ(overview->fileRedraws(), before + 1);
  // The span text: 128 x 512 frames of 11025 per second.
  Canvas expected = clientCanvas();
  expected.textOut(432, 3, "5.94秒");
  EXPECT_EQ(expected.pixels(), clientCanvas().pixels());

  combo->setCurrentIndex(combo->findText("   512"));  // taken when the box loses the focus
  QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(combo, &focusOut);
  overview->repaint();
  EXPECT_EQ(settings().framesPerColumn, 1);
  EXPECT_EQ(overview->fileRedraws(), before + 2);
  // Losing the focus again without a change draws nothing.
  QApplication::sendEvent(combo, &focusOut);
  overview->repaint();
  EXPECT_EQ(overview->fileRedraws(), before + 2);
}

TEST_F(ControlBarTest, EscapeDuringARunRequestsTheStop) {
  startWithFile();
  key(kStopId, Qt::Key_Escape);
  EXPECT_FALSE(controller().stopRequested());  // not while idle
  controller().session().busy = true;
  key(kStopId, Qt::Key_Escape);
  EXPECT_TRUE(controller().stopRequested());
  Canvas expected(640, 383);
  expected.copyFrom(clientCanvas(), 0, 0, 640, 383, 0, 0);
  expected.textOut(300, 150, "中断要求受付", TextStyle{kBlack, kWhite, true});
  EXPECT_EQ(expected.pixels(), clientCanvas().pixels());
  EXPECT_EQ(clientCanvas().getPixel(300, 150), kWhite);
  controller().session().busy = false;
}

TEST_F(ControlBarTest, F1OnAControlOpensTheHelpPage) {
  start();
  std::vector<std::string> opened;
  const auto previous = shellServices().openHelpPage;
  shellServices().openHelpPage = [&](const std::string& page) {
    opened.push_back(page);
    return true;
  };
  key(kSpanComboId, Qt::Key_F1);
  shellServices().openHelpPage = previous;
  EXPECT_TRUE(messages.empty()) << messages.front();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_TRUE(opened[0].ends_with("/help/index.html"));
}

TEST_F(ControlBarTest, AMissingHelpPageIsNamedInAMessage) {
  start();
  bool opened = false;
  const auto previous = shellServices().openHelpPage;
  shellServices().openHelpPage = [&](const std::string&) { return opened = true; };
  controller().showHelpPage("/nonexistent-folder/bin/korimu");
  shellServices().openHelpPage = previous;
  EXPECT_FALSE(opened);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0],
            "ヘルプファイル /nonexistent-folder/share/korimu/help/index.html が見つかりません。");
}

TEST(HelpFile, ModulePathRuleNamesThePageBesideTheProgram) {
  EXPECT_EQ(helpFileName("C:\\KORIMU\\KORIMU.EXE"), "C:\\KORIMU\\KORIMU.HLP");
  EXPECT_EQ(helpFileName("/opt/korimu/korimu"), "KORIMU.HLP");
  EXPECT_EQ(helpFileName("/opt/X.EXE.d/korimu"), "/opt/X.HLP");
}

}  // namespace
}  // namespace korimu::testing

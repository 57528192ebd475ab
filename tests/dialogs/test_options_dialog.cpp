#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <memory>
#include <utility>
#include <vector>

#include "core/layout.h"
#include "core/settings.h"
#include "dialogs/dialog_controls.h"
#include "dialogs/options_dialog.h"

namespace korimu {
namespace {

class OptionsDialogTest : public ::testing::Test {
 protected:
  void open() {
    dialog.reset(createOptionsDialog(
        nullptr, settings, [this](int32_t from, int32_t to) { moves.emplace_back(from, to); }));
  }
  template <typename T>
  T* control(int id) {
    T* widget = dialogControl<T>(dialog.get(), id);
    EXPECT_NE(widget, nullptr) << "control " << id;
    return widget;
  }
  QComboBox* list(int id) { return control<QComboBox>(id); }
  void clickOk() { QTest::mouseClick(control<QPushButton>(1), Qt::LeftButton); }
  void clickCancel() { QTest::mouseClick(control<QPushButton>(2), Qt::LeftButton); }

  AppSettings settings;  // the dialog's own: it must outlive the dialog
  std::unique_ptr<QDialog> dialog;
  std::vector<std::pair<int32_t, int32_t>> moves;
};

TEST_F(OptionsDialogTest, ControlsShowTheSettings) {
  settings.method = kDct;
  settings.spectrumType = SpectrumScale::kPower;
  settings.musicalKey = 3;
  settings.colorScale = false;
  settings.timeResolution = 1024;
  settings.playBufferSeconds = 2048;
  settings.blockOrder = 10;
  settings.windowFunction = WindowFunction::kBlackman;
  settings.autocorrelation = true;
  settings.onMem = false;
  settings.memSize = 15;
  settings.playSpeed = -120;
  open();
  EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("オプション設定"));
  EXPECT_TRUE(control<QRadioButton>(1121)->isChecked());
  for (int id : {1119, 1120, 1122, 1123}) EXPECT_FALSE(control<QRadioButton>(id)->isChecked());
  EXPECT_TRUE(control<QRadioButton>(1126)->isChecked());
  EXPECT_EQ(list(1112)->count(), 12);
  EXPECT_EQ(list(1112)->currentText(), QString::fromUtf8("変ホ長調・ハ短調"));
  EXPECT_FALSE(list(1112)->isEnabled());
  EXPECT_FALSE(control<QLabel>(118)->isEnabled());
  EXPECT_EQ(list(1101)->count(), 11);
  EXPECT_EQ(list(1101)->currentText(), QString::fromUtf8("1/11秒"));
  EXPECT_EQ(list(1110)->count(), 8);
  EXPECT_EQ(list(1110)->currentText(), QString::fromUtf8("1/5秒"));
  EXPECT_EQ(list(1110)->itemText(7), QString::fromUtf8("1/43秒"));
  EXPECT_EQ(list(104)->count(), 9);
  EXPECT_EQ(list(104)->currentText(), QString("  512"));
  EXPECT_EQ(list(109)->count(), 7);
  EXPECT_EQ(list(109)->currentText(), QString::fromUtf8("ﾌﾞﾗｯｸﾏﾝ"));
  EXPECT_TRUE(control<QCheckBox>(1113)->isChecked());
  EXPECT_FALSE(control<QCheckBox>(1111)->isChecked());
  EXPECT_FALSE(control<QCheckBox>(1114)->isChecked());
  EXPECT_EQ(control<QLineEdit>(1115)->text(), QString("15"));
  EXPECT_EQ(control<QLineEdit>(1115)->maxLength(), 3);
  EXPECT_FALSE(control<QLineEdit>(1115)->isEnabled());
  EXPECT_FALSE(control<QLabel>(1116)->isEnabled());
  EXPECT_FALSE(control<QLabel>(1117)->isEnabled());
  EXPECT_EQ(dialog->focusWidget(), control<QCheckBox>(1114));
  EXPECT_EQ(control<QScrollBar>(302)->minimum(), -240);
  EXPECT_EQ(control<QScrollBar>(302)->maximum(), 0);
  EXPECT_EQ(control<QScrollBar>(302)->value(), -120);
  EXPECT_EQ(control<QLabel>(303)->text(), QString("50.0%"));
}

TEST_F(OptionsDialogTest, OnMemoryFocusesTheSizeAndEnablesIt) {
  settings.onMem = true;
  settings.memSize = 64;
  settings.colorScale = true;
  open();
  EXPECT_TRUE(control<QCheckBox>(1114)->isChecked());
  EXPECT_TRUE(control<QLineEdit>(1115)->isEnabled());
  EXPECT_EQ(dialog->focusWidget(), control<QLineEdit>(1115));
  EXPECT_TRUE(list(1112)->isEnabled());
  QTest::mouseClick(control<QCheckBox>(1114), Qt::LeftButton);
  EXPECT_FALSE(control<QLineEdit>(1115)->isEnabled());
  EXPECT_FALSE(control<QLabel>(1117)->isEnabled());
  EXPECT_TRUE(settings.onMem);  // only OK stores it
  clickOk();
  EXPECT_FALSE(settings.onMem);
  EXPECT_EQ(settings.memSize, 64);
}

TEST_F(OptionsDialogTest, SwitchingToWaveletKeepsTheResolutionAndOkMovesTheViewCheck) {
  settings.display = kSpectrumLinear;
  open();
  EXPECT_EQ(list(104)->currentText(), QString("  512"));
  QTest::mouseClick(control<QRadioButton>(1123), Qt::LeftButton);
  for (QLabel* label : dialog->findChildren<QLabel*>()) {
    if (label->text() == QString::fromUtf8("分析法(&A):")) {
      EXPECT_EQ(label->buddy(), control<QRadioButton>(1123));
    }
  }
  EXPECT_EQ(list(104)->currentIndex(), 2);
  EXPECT_EQ(list(104)->currentText(), QString("1/2oct"));
  EXPECT_EQ(list(104)->itemText(8), QString("1/16oct"));
  EXPECT_EQ(settings.method, kFft);  // nothing is written before OK
  clickOk();
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(settings.method, kWt);
  EXPECT_EQ(settings.blockOrder, 10);
  EXPECT_EQ(settings.display, kTimeFrequencyChart);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0], std::make_pair(int32_t(kSpectrumLinear), int32_t(kTimeFrequencyChart)));
}

TEST_F(OptionsDialogTest, BackFromWaveletRestoresNumbersAndOkLeavesTheView) {
  settings.method = kWt;
  settings.blockOrder = 13;
  settings.display = kLevelMeter;
  open();
  EXPECT_EQ(list(104)->currentText(), QString("1/6oct"));
  QTest::mouseClick(control<QRadioButton>(1122), Qt::LeftButton);
  EXPECT_EQ(list(104)->currentText(), QString(" 4096"));
  clickOk();
  EXPECT_EQ(settings.method, kMem);
  EXPECT_EQ(settings.blockOrder, 13);
  EXPECT_EQ(settings.display, kLevelMeter);
  EXPECT_TRUE(moves.empty());
}

TEST_F(OptionsDialogTest, OkWritesTheOtherControls) {
  open();
  QTest::mouseClick(control<QRadioButton>(1125), Qt::LeftButton);
  QTest::mouseClick(control<QCheckBox>(1113), Qt::LeftButton);
  list(1112)->setCurrentIndex(11);
  list(109)->setCurrentIndex(4);
  list(104)->setCurrentIndex(8);
  list(1101)->setCurrentIndex(10);
  list(1110)->setCurrentIndex(0);
  QTest::mouseClick(control<QRadioButton>(1120), Qt::LeftButton);
  clickOk();
  EXPECT_EQ(settings.spectrumType, SpectrumScale::kAmplitude);
  EXPECT_TRUE(settings.autocorrelation);
  EXPECT_EQ(settings.musicalKey, 11);
  EXPECT_EQ(settings.windowFunction, WindowFunction::kRectangle);
  EXPECT_EQ(settings.blockOrder, 16);
  EXPECT_EQ(settings.timeResolution, 32);
  EXPECT_EQ(settings.playBufferSeconds, 32768);
  EXPECT_EQ(settings.method, kDtft);
}

TEST_F(OptionsDialogTest, CancelWritesNothing) {
  open();
  list(109)->setCurrentIndex(5);
  QTest::mouseClick(control<QRadioButton>(1123), Qt::LeftButton);
  clickCancel();
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_EQ(settings.windowFunction, WindowFunction::kHanning);
  EXPECT_EQ(settings.method, kFft);
  EXPECT_EQ(settings.display, kWaveZoom);
  EXPECT_TRUE(moves.empty());
}

TEST_F(OptionsDialogTest, SpeedChangesLiveAndCancelRestoresIt) {
  open();
  QScrollBar* bar = control<QScrollBar>(302);
  QLabel* readout = control<QLabel>(303);
  EXPECT_EQ(readout->text(), QString("100.0%"));
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(settings.playSpeed, 0);
  bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(settings.playSpeed, -1);
  EXPECT_EQ(readout->text(), QString("99.4%"));
  bar->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(settings.playSpeed, -11);
  QTest::keyClick(bar, Qt::Key_Left);
  EXPECT_EQ(settings.playSpeed, -12);
  EXPECT_EQ(readout->text(), QString("93.3%"));
  bar->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(settings.playSpeed, -240);
  bar->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(settings.playSpeed, -240);
  EXPECT_EQ(readout->text(), QString("25.0%"));
  bar->setSliderPosition(-120);  // dragging the thumb
  EXPECT_EQ(settings.playSpeed, -120);
  EXPECT_EQ(readout->text(), QString("50.0%"));
  clickCancel();
  EXPECT_EQ(settings.playSpeed, 0);
}

// Each mnemonic of the dialog takes the keyboard to its own control; on the speed bar the arrow
// keys change the speed and nothing else.
TEST_F(OptionsDialogTest, EveryMnemonicReachesItsOwnControl) {
  settings.method = kDct;
  settings.spectrumType = SpectrumScale::kPower;
  settings.colorScale = true;
  settings.onMem = true;
  settings.playSpeed = -10;
  open();
  dialog->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  const struct {
    Qt::Key key;
    int id;
  } rows[] = {
      // A check box's mnemonic also clicks it, which disables the list or edit it governs: the
      // governed control comes first.
      {Qt::Key_A, 1121}, {Qt::Key_T, 1101}, {Qt::Key_N, 104},  {Qt::Key_W, 109},
      {Qt::Key_S, 1112}, {Qt::Key_C, 1111}, {Qt::Key_M, 1115}, {Qt::Key_O, 1114},
      {Qt::Key_P, 1126}, {Qt::Key_B, 1110}, {Qt::Key_R, 302},
  };
  for (const auto& row : rows) {
    QTest::keyClick(QApplication::focusWidget(), row.key, Qt::AltModifier);
    const QWidget* focus = QApplication::focusWidget();
    EXPECT_EQ(focus ? focus->objectName() : QString(), controlName(row.id))
        << "Alt+" << char(row.key);
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
  EXPECT_EQ(settings.playSpeed, -9);
  EXPECT_TRUE(control<QRadioButton>(1121)->isChecked()) << "the method stays DCT";
}

TEST_F(OptionsDialogTest, SpeedStaysAfterOk) {
  settings.playSpeed = -30;
  open();
  control<QScrollBar>(302)->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(settings.playSpeed, -20);
  clickOk();
  EXPECT_EQ(settings.playSpeed, -20);
}

TEST_F(OptionsDialogTest, NoteColouringIsLiveEnablesTheKeyListAndCancelRestoresIt) {
  open();
  QCheckBox* box = control<QCheckBox>(1111);
  EXPECT_FALSE(list(1112)->isEnabled());
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_TRUE(settings.colorScale);
  EXPECT_TRUE(list(1112)->isEnabled());
  EXPECT_TRUE(control<QLabel>(118)->isEnabled());
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_FALSE(settings.colorScale);
  EXPECT_FALSE(list(1112)->isEnabled());
  QTest::mouseClick(box, Qt::LeftButton);
  dialog->reject();  // Escape or the close box
  EXPECT_FALSE(settings.colorScale);
}

TEST_F(OptionsDialogTest, MemorySizesAreClampedAtOk) {
  settings.onMem = true;
  const std::vector<std::pair<const char*, int>> cases = {
      {"1", 2}, {"999", 255}, {"", 2}, {"1234", 123}, {"x7", 7}};
  for (const auto& [typed, stored] : cases) {
    open();
    QLineEdit* edit = control<QLineEdit>(1115);
    edit->clear();
    QTest::keyClicks(edit, typed);
    clickOk();
    EXPECT_EQ(settings.memSize, stored) << "typed " << typed;
  }
}

TEST_F(OptionsDialogTest, StoredValuesOutsideTheListsLeaveNoSelection) {
  settings.timeResolution = 1000;
  settings.playBufferSeconds = 128;
  open();
  EXPECT_EQ(list(1101)->currentIndex(), -1);
  EXPECT_EQ(list(1110)->currentIndex(), -1);
  clickOk();
  EXPECT_EQ(settings.timeResolution, 1000);
  EXPECT_EQ(settings.playBufferSeconds, 128);
}

TEST_F(OptionsDialogTest, LayoutFollowsTheLayoutUnits) {
  open();
  const int w = std::max(QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent), 17);
  EXPECT_EQ(dialog->width(), 336 + 3 * w);
  EXPECT_EQ(dialog->height(), 299 + 28 + 2 + w);
  EXPECT_EQ(control<QLabel>(303)->pos(), QPoint(268 + 3 * w, 308));
  EXPECT_EQ(control<QScrollBar>(302)->geometry(), QRect(110, 314, 152 + 3 * w, w + 2));
  EXPECT_EQ(list(104)->pos(), QPoint(138 + w, 68));
  EXPECT_EQ(list(104)->width(), 66 + w);
  // A change of the system's settings lays the dialog out again.
  list(104)->move(0, 0);
  QEvent fontChange(QEvent::ApplicationFontChange);
  QApplication::sendEvent(dialog.get(), &fontChange);
  EXPECT_EQ(list(104)->pos(), QPoint(138 + w, 68));
  // Controls the second pass leaves alone keep their dialog-unit rectangles (2 px per unit).
  EXPECT_EQ(control<QPushButton>(1)->geometry(), QRect(294, 200, 74, 28));
}

}  // namespace
}  // namespace korimu

namespace korimu {
namespace {

// Presses button `id` of the modal dialog once the event loop of exec() runs.
void pressWhenShown(int id) {
  QTimer::singleShot(0, [id] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    QTest::mouseClick(dialogControl<QPushButton>(modal, id), Qt::LeftButton);
  });
}

TEST(OptionsRun, OkReportsTrueAndCancelFalse) {
  AppSettings settings;
  std::vector<int32_t> checked;
  auto mover = [&checked](int32_t, int32_t to) { checked.push_back(to); };
  pressWhenShown(1);
  EXPECT_TRUE(runOptionsDialog(nullptr, settings, mover));
  pressWhenShown(2);
  EXPECT_FALSE(runOptionsDialog(nullptr, settings, mover));
  EXPECT_TRUE(checked.empty());
}

}  // namespace
}  // namespace korimu

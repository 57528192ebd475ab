#include "dialogs/options_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStyle>
#include <array>
#include <memory>

#include "core/layout.h"
#include "core/settings.h"
#include "dialogs/dialog_controls.h"
#include "dialogs/dialog_look.h"
#include "dialogs/options_layout.h"
#include "dialogs/options_tables.h"
#include "platform/system_facts.h"

namespace korimu {

namespace {

struct MethodRadio {
  int id;
  const char* text;
  int32_t method;
  int x, w;
};
constexpr std::array<MethodRadio, 5> kMethodRadios{{
    {1119, "FFT", kFft, 49, 26},
    {1120, "DTFT", kDtft, 75, 30},
    {1121, "DCT", kDct, 105, 26},
    {1122, "MEM", kMem, 132, 26},
    {1123, "WT", kWt, 159, 23},
}};
constexpr int kComboHeightPx = 24;

struct OptionsControls {
  QLabel* methodLabel = nullptr;
  QButtonGroup* methods = nullptr;
  QButtonGroup* scales = nullptr;
  QComboBox* time = nullptr;
  QComboBox* frequency = nullptr;
  QComboBox* window = nullptr;
  QComboBox* key = nullptr;
  QComboBox* buffer = nullptr;
  QLabel* keyLabel = nullptr;
  QCheckBox* colour = nullptr;
  QCheckBox* onMem = nullptr;
  QLabel* memLabel = nullptr;
  QLineEdit* memSize = nullptr;
  QLabel* memUnit = nullptr;
  QCheckBox* autocorrelation = nullptr;
  QScrollBar* speed = nullptr;
  QLabel* speedText = nullptr;
  QPushButton* ok = nullptr;
};

template <typename T>
T* add(QDialog* dialog, int id, const char* text, int x, int y, int w, int h) {
  T* widget = text ? new T(QCoreApplication::translate("Options", text), dialog) : new T(dialog);
  placeControl(widget, id, x, y, w, h);
  return widget;
}

// A drop-down list: the resource height is that of the dropped list, the closed box is one row.
QComboBox* addList(QDialog* dialog, int id, int x, int y, int w) {
  auto* combo = new QComboBox(dialog);
  placeControl(combo, id, x, y, w, 0);
  combo->resize(combo->width(), kComboHeightPx);
  return combo;
}

QLabel* addLabel(QDialog* dialog, int id, const char* text, int x, int y, int w, int h,
                 QWidget* buddy = nullptr) {
  auto* label = add<QLabel>(dialog, id, text, x, y, w, h);
  if (buddy) label->setBuddy(buddy);
  return label;
}

// A group box's mnemonic focuses the first of its children; the radios of this dialog lie over
// their frame rather than in it, so the frame hands the focus to the group's checked radio.
class MnemonicToCheckedRadio : public QObject {
 public:
  MnemonicToCheckedRadio(QGroupBox* frame, QButtonGroup* radios) : QObject(frame), radios_(radios) {
    frame->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::Shortcut) return false;
    QAbstractButton* target = radios_->checkedButton();
    if (!target && !radios_->buttons().isEmpty()) target = radios_->buttons().first();
    if (target) target->setFocus(Qt::ShortcutFocusReason);
    return true;
  }

 private:
  QButtonGroup* radios_;
};

// The controls in the order of the dialog's resource (which is also the tab order).
OptionsControls buildControls(QDialog* dialog) {
  OptionsControls c;
  add<QGroupBox>(dialog, 1105, QT_TRANSLATE_NOOP("Options", "分析設定"), 5, 3, 179, 49);
  c.methodLabel = addLabel(dialog, 0, QT_TRANSLATE_NOOP("Options", "分析法(&A):"), 9, 14, 40, 10);
  c.methods = new QButtonGroup(dialog);
  for (const MethodRadio& m : kMethodRadios) {
    auto* radio = add<QRadioButton>(dialog, m.id, m.text, m.x, 13, m.w, 10);
    c.methods->addButton(radio, m.id);
  }
  c.methodLabel->setBuddy(c.methods->button(1119));
  auto* timeLabel =
      addLabel(dialog, 102, QT_TRANSLATE_NOOP("Options", "時間分解能(&T)"), 10, 26, 52, 8);
  c.time = addList(dialog, 1101, 18, 35, 42);
  timeLabel->setBuddy(c.time);
  auto* freqLabel =
      addLabel(dialog, 103, QT_TRANSLATE_NOOP("Options", "周波数分解能(&N)"), 70, 26, 60, 8);
  c.frequency = addList(dialog, 104, 78, 35, 40);
  freqLabel->setBuddy(c.frequency);
  auto* windowLabel =
      addLabel(dialog, 108, QT_TRANSLATE_NOOP("Options", "窓関数(&W)"), 142, 26, 38, 8);
  c.window = addList(dialog, 109, 134, 35, 45);
  windowLabel->setBuddy(c.window);

  add<QGroupBox>(dialog, 1107, QT_TRANSLATE_NOOP("Options", "表示設定"), 5, 56, 179, 35);
  c.colour = add<QCheckBox>(dialog, 1111,
                            QT_TRANSLATE_NOOP("Options", "棒グラフ時、音階を色で表示する(&C)"), 15,
                            65, 159, 11);
  c.keyLabel = addLabel(dialog, 118, QT_TRANSLATE_NOOP("Options", "スケール(&S):"), 15, 77, 49, 10);
  c.key = addList(dialog, 1112, 66, 76, 88);
  c.keyLabel->setBuddy(c.key);

  add<QGroupBox>(dialog, 1106, QT_TRANSLATE_NOOP("Options", "メモリ設定"), 5, 96, 90, 40);
  c.onMem = add<QCheckBox>(dialog, 1114, QT_TRANSLATE_NOOP("Options", "オンメモリ解析(&O)"), 10,
                           107, 82, 11);
  c.memLabel = addLabel(dialog, 1116, QT_TRANSLATE_NOOP("Options", "ﾒﾓﾘｻｲｽﾞ(&M):"), 9, 120, 46, 11);
  c.memSize = add<QLineEdit>(dialog, 1115, nullptr, 54, 118, 23, 12);
  c.memLabel->setBuddy(c.memSize);
  c.memUnit = addLabel(dialog, 1117, "MB", 80, 120, 14, 8);

  auto* spectrum = add<QGroupBox>(dialog, 1124, "s&Pectrum", 102, 96, 39, 40);
  c.scales = new QButtonGroup(dialog);
  c.scales->addButton(
      add<QRadioButton>(dialog, 1125, QT_TRANSLATE_NOOP("Options", "振幅"), 106, 107, 30, 8), 1125);
  c.scales->addButton(
      add<QRadioButton>(dialog, 1126, QT_TRANSLATE_NOOP("Options", "ﾊﾟﾜｰ"), 106, 116, 30, 8), 1126);
  c.scales->addButton(
      add<QRadioButton>(dialog, 1127, QT_TRANSLATE_NOOP("Options", "対数"), 106, 125, 30, 8), 1127);
  new MnemonicToCheckedRadio(spectrum, c.scales);

  c.ok = add<QPushButton>(dialog, 1, "OK", 147, 100, 37, 14);
  c.ok->setDefault(true);
  auto* cancel = add<QPushButton>(dialog, 2, "CANCEL", 147, 122, 37, 14);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);

  auto* bufferLabel =
      addLabel(dialog, 0, QT_TRANSLATE_NOOP("Options", "再生バッファの秒数(&B)"), 6, 143, 85, 10);
  c.buffer = addList(dialog, 1110, 92, 142, 39);
  bufferLabel->setBuddy(c.buffer);
  c.autocorrelation =
      add<QCheckBox>(dialog, 1113, QT_TRANSLATE_NOOP("Options", "自己相関"), 141, 143, 45, 10);
  auto* speedLabel =
      addLabel(dialog, 301, QT_TRANSLATE_NOOP("Options", "再生速度(&R):"), 6, 157, 48, 8);
  c.speed = new QScrollBar(Qt::Horizontal, dialog);
  // A scroll bar takes no focus by itself: without it Alt+R would leave the focus (and the arrow
  // keys) on the control that had it.
  c.speed->setFocusPolicy(Qt::StrongFocus);
  placeControl(c.speed, 302, 55, 157, 97, 8);
  speedLabel->setBuddy(c.speed);
  c.speedText = addLabel(dialog, 303, "100.0%", 155, 157, 25, 8);
  return c;
}

// The second layout pass in pixels. The title bar is the window manager's, so the dialog's size
// is its client size; a list keeps its one-row height (the table's height is the dropped list's).
void applyLayoutUnits(QDialog* dialog) {
  if (dialog == nullptr) return;
  const int scrollBarWidth = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  for (const ControlPlacement& p :
       optionsLayoutPlacements(kLayout.unitW, kLayout.unitH, scrollBarWidth, 0)) {
    QWidget* widget = p.id == 0 ? dialog : dialogControl<QWidget>(dialog, p.id);
    if (!widget) continue;
    if (p.move) widget->move(p.x, p.y);
    if (!p.resize) continue;
    if (p.id == 0) {
      dialog->setFixedSize(p.w, p.h);
    } else if (qobject_cast<QComboBox*>(widget)) {
      widget->resize(p.w, widget->height());
    } else {
      widget->resize(p.w, p.h);
    }
  }
}

// Repeats the second layout pass when the application's font or style changes.
class RelayoutOnSettingsChange : public QObject {
 public:
  explicit RelayoutOnSettingsChange(QDialog* dialog) : QObject(dialog), dialog_(dialog) {
    dialog->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (watched == dialog_ &&
        (type == QEvent::ApplicationFontChange || type == QEvent::StyleChange)) {
      applyLayoutUnits(dialog_);
    }
    return false;
  }

 private:
  QDialog* dialog_;
};

void fillList(QComboBox* combo, int count, const std::function<std::string(int)>& textOf) {
  combo->clear();
  for (int i = 0; i < count; ++i)
    combo->addItem(QCoreApplication::translate("Options", textOf(i).c_str()));
}

void fillFrequencyList(const OptionsControls& c) {
  const bool wavelet = c.methods->checkedId() == 1123;
  fillList(c.frequency, kBlockOrderRowCount,
           [wavelet](int i) { return blockOrderText(i, wavelet); });
}

void enableKeyList(const OptionsControls& c, bool on) {
  c.keyLabel->setEnabled(on);
  c.key->setEnabled(on);
}

void enableMemorySize(const OptionsControls& c, bool on) {
  c.memSize->setEnabled(on);
  c.memLabel->setEnabled(on);
  c.memUnit->setEnabled(on);
}

// The list row for a stored index, or -1 (no selection) when the list has no such row.
int rowOrNone(int32_t index, const QComboBox* combo) {
  return index >= 0 && index < combo->count() ? index : -1;
}

void initialise(const OptionsControls& c, const AppSettings& settings) {
  c.speed->setRange(kSlowestSpeed, 0);
  c.speed->setSingleStep(1);
  c.speed->setPageStep(10);
  c.speed->setInvertedControls(false);  // the Left key is "line left"
  c.speed->setValue(settings.playSpeed);
  c.speedText->setText(QString::fromStdString(speedReadout(settings.playSpeed)));
  if (QAbstractButton* scale = c.scales->button(1125 + int(settings.spectrumType))) {
    scale->setChecked(true);
  }
  for (const MethodRadio& m : kMethodRadios) {
    if (m.method == settings.method) c.methods->button(m.id)->setChecked(true);
  }
  // The label's mnemonic goes to the checked method, as it does for a radio group.
  if (QAbstractButton* checked = c.methods->checkedButton()) c.methodLabel->setBuddy(checked);
  fillList(c.key, int(kMusicalKeyNames.size()), [](int i) { return kMusicalKeyNames[size_t(i)]; });
  c.key->setCurrentIndex(rowOrNone(settings.musicalKey, c.key));
  enableKeyList(c, settings.colorScale);
  fillList(c.time, int(kTimeResolutionRows.size()),
           [](int i) { return kTimeResolutionRows[size_t(i)].text; });
  c.time->setCurrentIndex(timeRowOfValue(settings.timeResolution, c.time->count()));
  fillList(c.buffer, kPlayBufferRowCount,
           [](int i) { return kTimeResolutionRows[size_t(i)].text; });
  c.buffer->setCurrentIndex(timeRowOfValue(settings.playBufferSeconds, kPlayBufferRowCount));
  fillFrequencyList(c);
  c.frequency->setCurrentIndex(rowOrNone(settings.blockOrder - kFirstBlockOrder, c.frequency));
  fillList(c.window, int(kWindowFunctionNames.size()),
           [](int i) { return kWindowFunctionNames[size_t(i)]; });
  c.window->setCurrentIndex(int(settings.windowFunction));
  c.autocorrelation->setChecked(settings.autocorrelation);
  c.colour->setChecked(settings.colorScale);
  c.memSize->setMaxLength(3);
  c.memSize->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), c.memSize));
  c.memSize->setText(QString::number(settings.memSize));
  c.onMem->setChecked(settings.onMem);
  enableMemorySize(c, settings.onMem);
  if (settings.onMem) {
    c.memSize->setFocus();
  } else {
    c.onMem->setFocus();
  }
}

OptionsChoice readChoice(const OptionsControls& c) {
  OptionsChoice choice;
  const int scale = c.scales->checkedId();
  choice.spectrumType = scale == 1125   ? SpectrumScale::kAmplitude
                        : scale == 1126 ? SpectrumScale::kPower
                                        : SpectrumScale::kLog;
  choice.autocorrelation = c.autocorrelation->isChecked();
  choice.keyIndex = c.key->currentIndex();
  choice.windowIndex = c.window->currentIndex();
  choice.blockOrderIndex = c.frequency->currentIndex();
  choice.timeResolutionIndex = c.time->currentIndex();
  choice.playBufferIndex = c.buffer->currentIndex();
  choice.onMem = c.onMem->isChecked();
  choice.memSizeText = c.memSize->text().toStdString();
  const int method = c.methods->checkedId();
  choice.method = method == 1122   ? kMem
                  : method == 1123 ? kWt
                  : method == 1121 ? kDct
                  : method == 1120 ? kDtft
                                   : kFft;
  return choice;
}

ScrollCode scrollCodeOf(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      return ScrollCode::kLineLeft;
    case QAbstractSlider::SliderSingleStepAdd:
      return ScrollCode::kLineRight;
    case QAbstractSlider::SliderPageStepSub:
      return ScrollCode::kPageLeft;
    case QAbstractSlider::SliderPageStepAdd:
      return ScrollCode::kPageRight;
    case QAbstractSlider::SliderMove:
      return ScrollCode::kThumbTrack;
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum:
      return ScrollCode::kThumbPosition;
    default:
      return ScrollCode::kOther;
  }
}

void connectBehaviour(const OptionsControls& c, QDialog* dialog, AppSettings& settings,
                      const ViewCheckMover& moveViewCheck) {
  const int32_t speedAtOpen = settings.playSpeed;
  const bool colourAtOpen = settings.colorScale;
  QObject::connect(c.methods, &QButtonGroup::idToggled, dialog, [c](int, bool checked) {
    if (!checked) return;
    c.methodLabel->setBuddy(c.methods->checkedButton());
    const int index = c.frequency->currentIndex();
    fillFrequencyList(c);
    c.frequency->setCurrentIndex(index);
  });
  QObject::connect(c.colour, &QCheckBox::toggled, dialog, [c, &settings](bool on) {
    settings.colorScale = on;
    enableKeyList(c, on);
  });
  QObject::connect(c.onMem, &QCheckBox::toggled, dialog, [c](bool on) { enableMemorySize(c, on); });
  // The bar has already moved by Qt's own step; the scroll codes decide where it ends up.
  QObject::connect(c.speed, &QAbstractSlider::actionTriggered, dialog, [c, &settings](int action) {
    c.speed->setSliderPosition(
        speedAfterScroll(settings.playSpeed, scrollCodeOf(action), c.speed->sliderPosition()));
  });
  QObject::connect(c.speed, &QAbstractSlider::valueChanged, dialog, [c, &settings](int value) {
    settings.playSpeed = std::clamp(value, kSlowestSpeed, 0);
    c.speedText->setText(QString::fromStdString(speedReadout(settings.playSpeed)));
  });
  QObject::connect(c.ok, &QPushButton::clicked, dialog, [c, dialog, &settings, moveViewCheck] {
    ViewMode previousView = settings.display;
    if (applyOptionsChoice(readChoice(c), settings, kSystemVersion, &previousView) &&
        moveViewCheck) {
      moveViewCheck(previousView, settings.display);
    }
    dialog->accept();
  });
  QObject::connect(dialog, &QDialog::rejected, dialog, [&settings, speedAtOpen, colourAtOpen] {
    settings.playSpeed = speedAtOpen;
    settings.colorScale = colourAtOpen;
  });
}

}  // namespace

QDialog* createOptionsDialog(QWidget* parent, AppSettings& settings,
                             const ViewCheckMover& moveViewCheck) {
  auto* dialog = new QDialog(parent);
  dialog->setWindowTitle(QCoreApplication::translate("Options", "オプション設定"));
  applyDialogFont(dialog);
  const Rect frame = dialogUnitsToPixels(9, 12, 189, 171);
  dialog->setFixedSize(frame.w, frame.h);
  if (parent) dialog->move(parent->mapToGlobal(QPoint(frame.x, frame.y)));
  const OptionsControls c = buildControls(dialog);
  applyLayoutUnits(dialog);
  installDialogLook(dialog, settings);
  new RelayoutOnSettingsChange(dialog);
  initialise(c, settings);
  connectBehaviour(c, dialog, settings, moveViewCheck);
  return dialog;
}

bool runOptionsDialog(QWidget* parent, AppSettings& settings, const ViewCheckMover& moveViewCheck) {
  std::unique_ptr<QDialog> dialog(createOptionsDialog(parent, settings, moveViewCheck));
  return dialog->exec() == QDialog::Accepted;
}

}  // namespace korimu

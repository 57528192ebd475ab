#include "dialogs/about_dialog.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <memory>

#include "dialogs/about_texts.h"
#include "dialogs/dialog_controls.h"
#include "dialogs/dialog_look.h"
#include "dialogs/static_text.h"
#include "platform/audio_device.h"
#include "platform/qt/qt_text_catalogue.h"

namespace korimu {

QDialog* createAboutDialog(QWidget* parent, AppSettings& settings, const DeviceCounts& counts) {
  auto* dialog = new QDialog(parent);
  applyDialogFont(dialog);
  const Rect frame = dialogUnitsToPixels(6, 18, 151, 69);
  dialog->setFixedSize(frame.w, frame.h);
  if (parent) dialog->move(parent->mapToGlobal(QPoint(frame.x, frame.y)));

  auto* ok = new QPushButton("OK", dialog);
  placeControl(ok, 1, 112, 7, 31, 14);
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QLabel* icon = addStaticText(dialog, 100, "", 5, 6, 16, 14);
  const QIcon appIcon = QApplication::windowIcon();
  if (!appIcon.isNull()) icon->setPixmap(appIcon.pixmap(icon->size()));
  QLabel* name =
      addStaticText(dialog, 101, QT_TRANSLATE_NOOP("Dialog", "ソフト名とVersion"), 30, 7, 81, 9);
  addStaticText(dialog, 105, "by KORIMU", 65, 17, 40, 9);
  QLabel* toolchain =
      addStaticText(dialog, 102, QT_TRANSLATE_NOOP("Dialog", "コンパイラ"), 93, 27, 51, 9);
  QLabel* bits = addStaticText(dialog, 103, QT_TRANSLATE_NOOP("Dialog", "ビット数"), 30, 27, 34, 9);
  addStaticText(dialog, 106, QT_TRANSLATE_NOOP("Dialog", "これはフリーソフトです"), 30, 41, 95, 9);
  QLabel* devices =
      addStaticText(dialog, 104, QT_TRANSLATE_NOOP("Dialog", "追加情報"), 6, 56, 139, 9);

  dialog->setWindowTitle(kAboutCaption);
  name->setText(kAboutVersion);
  toolchain->setText(QString::fromStdString(toolchainLabel(QT_VERSION_MAJOR, QT_VERSION_MINOR)));
  bits->setText(QString::fromStdString(wordSizeText(qtTextCatalogue())));
  // The text names the inputs first.
  devices->setText(
      QString::fromStdString(deviceCountsText(counts.inputs, counts.outputs, qtTextCatalogue())));
  installDialogLook(dialog, settings);
  widenToFitTexts(dialog, 4);
  return dialog;
}

void runAboutDialog(QWidget* parent, AppSettings& settings, const DeviceCounts& devices) {
  std::unique_ptr<QDialog> dialog(createAboutDialog(parent, settings, devices));

  dialog->exec();
}

}  // namespace korimu

#include "dialogs/dialog_look.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QWidget>
#include <memory>

#include "core/settings.h"

namespace korimu {

namespace {

constexpr const char* kValueFieldProperty = "korimuValueField";

}  // namespace

void markAsValueField(QWidget* widget) {
  widget->setProperty(kValueFieldProperty, true);
}

void applyDialogFont(QWidget* dialog) {
  QFont font("Unifont");
  font.setPixelSize(16);
  font.setStyleStrategy(QFont::NoAntialias);
  dialog->setFont(font);
}

void applyDialogLook(QWidget* dialog, bool threeD) {
  QPalette palette = QApplication::palette();
  const QColor background = threeD ? palette.color(QPalette::Button) : QColor(Qt::white);
  palette.setColor(QPalette::Window, background);
  dialog->setPalette(palette);
  dialog->setAutoFillBackground(true);
  for (QGroupBox* box : dialog->findChildren<QGroupBox*>()) box->setFlat(!threeD);
  for (QComboBox* combo : dialog->findChildren<QComboBox*>()) combo->setFrame(threeD);
  // A flat edit keeps a plain one-pixel border so it still reads as a field.
  for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
    edit->setStyleSheet(threeD ? QString()
                               : QStringLiteral("QLineEdit { border: 1px solid black; }"));
  }
  for (QFrame* frame : dialog->findChildren<QFrame*>()) {
    if (!frame->property(kValueFieldProperty).toBool()) continue;
    frame->setFrameStyle(threeD ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
    frame->setLineWidth(1);
  }
  dialog->update();
}

QMenu* createDialogMenu(QWidget* dialog, AppSettings& settings,
                        const std::vector<DialogMenuItem>& extraItems,
                        const std::function<void()>& afterToggle) {
  auto* menu = new QMenu(dialog);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  for (const DialogMenuItem& item : extraItems) {
    QAction* action = menu->addAction(item.text);
    action->setData(item.id);
    QObject::connect(action, &QAction::triggered, dialog, [run = item.run] {
      if (run) run();
    });
  }
  menu->addSeparator();
  QAction* look = menu->addAction(QCoreApplication::translate("Dialog", kDialog3dItemText));
  look->setData(kDialog3dItemId);
  look->setCheckable(true);
  look->setChecked(settings.dialog3d);
  QObject::connect(look, &QAction::triggered, dialog, [dialog, &settings, afterToggle] {
    toggleDialogLook(dialog, settings);
    if (afterToggle) afterToggle();
  });
  return menu;
}

void installDialogLook(QWidget* dialog, AppSettings& settings,
                       std::vector<DialogMenuItem> extraItems,
                       const std::function<void()>& afterToggle) {
  applyDialogLook(dialog, settings.dialog3d);
  dialog->setContextMenuPolicy(Qt::CustomContextMenu);
  auto items = std::make_shared<std::vector<DialogMenuItem>>(std::move(extraItems));
  QObject::connect(
      dialog, &QWidget::customContextMenuRequested, dialog,
      [dialog, &settings, items, afterToggle](const QPoint& at) {
        createDialogMenu(dialog, settings, *items, afterToggle)->popup(dialog->mapToGlobal(at));
      });
}

void toggleDialogLook(QWidget* dialog, AppSettings& settings) {
  settings.dialog3d = !settings.dialog3d;
  applyDialogLook(dialog, settings.dialog3d);
  dialog->repaint();
}

}  // namespace korimu

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <filesystem>
#include <memory>
#include <string>

#include "core/settings.h"
#include "core/settings_file.h"
#include "dialogs/about_dialog.h"
#include "dialogs/dialog_controls.h"
#include "dialogs/dialog_look.h"
#include "dialogs/info_dialog.h"
#include "dialogs/options_dialog.h"
#include "platform/system_facts.h"
#include "wave/wav_builder.h"

namespace korimu {
namespace {

QAction* actionWithId(QMenu* menu, int id) {
  for (QAction* action : menu->actions()) {
    if (action->data().toInt() == id && !action->isSeparator()) return action;
  }
  return nullptr;
}

QMenu* openContextMenu(QWidget* dialog) {
  emit dialog->customContextMenuRequested(QPoint(4, 4));
  QMenu* menu = nullptr;
  for (QMenu* m : dialog->findChildren<QMenu*>()) menu = m;  // the newest one
  return menu;
}

QColor background(QWidget* dialog) {
  return dialog->palette().color(QPalette::Window);
}

TEST(DialogLook, ContextMenuItemFlipsTheLookOfThisAndLaterDialogs) {
  AppSettings settings;
  EXPECT_TRUE(settings.dialog3d);
  std::unique_ptr<QDialog> options(createOptionsDialog(nullptr, settings));
  EXPECT_EQ(background(options.get()), QApplication::palette().color(QPalette::Button));
  EXPECT_FALSE(dialogControl<QGroupBox>(options.get(), 1105)->isFlat());

  QMenu* menu = openContextMenu(options.get());
  ASSERT_NE(menu, nullptr);
  QAction* look = actionWithId(menu, kDialog3dItemId);
  ASSERT_NE(look, nullptr);
  EXPECT_EQ(look->text(), QString::fromUtf8("３Ｄ表示(&T)"));
  EXPECT_TRUE(look->isChecked());
  EXPECT_TRUE(menu->actions().front()->isSeparator());
  look->trigger();
  EXPECT_FALSE(settings.dialog3d);
  EXPECT_EQ(background(options.get()), QColor(Qt::white));
  EXPECT_TRUE(dialogControl<QGroupBox>(options.get(), 1105)->isFlat());
  EXPECT_FALSE(dialogControl<QComboBox>(options.get(), 104)->hasFrame());
  EXPECT_TRUE(dialogControl<QLineEdit>(options.get(), 1115)->styleSheet().contains("solid"));
  menu->close();

  std::unique_ptr<QDialog> about(createAboutDialog(nullptr, settings, DeviceCounts{}));
  EXPECT_EQ(background(about.get()), QColor(Qt::white));
  QMenu* aboutMenu = openContextMenu(about.get());
  ASSERT_NE(aboutMenu, nullptr);
  QAction* aboutLook = actionWithId(aboutMenu, kDialog3dItemId);
  ASSERT_NE(aboutLook, nullptr);
  EXPECT_FALSE(aboutLook->isChecked());
  aboutLook->trigger();
  EXPECT_TRUE(settings.dialog3d);
  EXPECT_EQ(background(about.get()), QApplication::palette().color(QPalette::Button));
  aboutMenu->close();
}

TEST(DialogLook, ValueFieldsAreSunkenOnlyInTheThreeDimensionalLook) {
  AppSettings settings;
  std::unique_ptr<QDialog> info(
      createInfoDialog(nullptr, settings, "/nonexistent/korimu/none.wav"));
  QLabel* size = dialogControl<QLabel>(info.get(), 116);
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(size->frameShadow(), QFrame::Sunken);
  EXPECT_EQ(size->frameShape(), QFrame::Panel);
  toggleDialogLook(info.get(), settings);
  EXPECT_EQ(size->frameShape(), QFrame::NoFrame);
}

TEST(DialogLook, ExtraItemsComeBeforeTheLookItemAndRun) {
  AppSettings settings;
  QWidget window;
  int switched = 0;
  int toggled = 0;
  installDialogLook(
      &window, settings,
      {{kWindowSwitchItemId, QString::fromUtf8(kWindowSwitchItemText), [&] { ++switched; }}},
      [&] { ++toggled; });
  QMenu* menu = openContextMenu(&window);
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->actions().size(), 3);
  EXPECT_EQ(menu->actions()[0]->data().toInt(), 99);
  EXPECT_EQ(menu->actions()[0]->text(), QString::fromUtf8("ｳｲﾝﾄﾞｳ切換\tAlt+F6"));
  EXPECT_TRUE(menu->actions()[1]->isSeparator());
  menu->actions()[0]->trigger();
  EXPECT_EQ(switched, 1);
  EXPECT_EQ(toggled, 0);
  menu->actions()[2]->trigger();
  EXPECT_EQ(toggled, 1);
  EXPECT_FALSE(settings.dialog3d);
  menu->close();
}

TEST(DialogLook, TheChosenLookIsKeptInTheSettingsFile) {
  AppSettings settings;
  std::unique_ptr<QDialog> about(createAboutDialog(nullptr, settings, DeviceCounts{}));
  toggleDialogLook(about.get(), settings);
  const testing::TempDir dir;
  const auto file = dir.path() / "look.ini";
  ASSERT_TRUE(saveSettingsTo(file, kSystemVersion, settings));
  settings = AppSettings{};
  loadSettingsFrom(file, kSystemVersion, settings);
  EXPECT_FALSE(settings.dialog3d);
  std::unique_ptr<QDialog> later(createInfoDialog(nullptr, settings, ""));
  EXPECT_EQ(background(later.get()), QColor(Qt::white));
}

// Each dialog renders at its own size in both looks; with KORIMU_DIALOG_SNAPSHOTS set to a
// folder the pictures are saved there for a look by eye.
TEST(DialogLook, DialogsRenderInBothLooks) {
  const QString folder = qEnvironmentVariable("KORIMU_DIALOG_SNAPSHOTS");
  const QString recording =
      QDir(KORIMU_SHARED_WAV_DIR).filePath("11025_8_stereo_cpython-pluck-pcm8_LIST-INFO.wav");
  for (int look : {1, 0}) {
    AppSettings settings;
    settings.dialog3d = look;
    if (look == 0) {  // the other states of the Options controls
      settings.method = kWt;
      settings.onMem = true;
      settings.colorScale = true;
      settings.playSpeed = -120;
    }
    std::unique_ptr<QDialog> dialogs[] = {
        std::unique_ptr<QDialog>(createOptionsDialog(nullptr, settings)),
        std::unique_ptr<QDialog>(createInfoDialog(nullptr, settings, recording.toStdString())),
        std::unique_ptr<QDialog>(createAboutDialog(nullptr, settings, DeviceCounts{}))};
    const char* names[] = {"options", "info", "about"};
    for (size_t i = 0; i < 3; ++i) {
      const QPixmap picture = dialogs[i]->grab();
      EXPECT_EQ(picture.size(), dialogs[i]->size());
      const QColor corner = picture.toImage().pixelColor(1, picture.height() - 2);
      EXPECT_EQ(corner == QColor(Qt::white), look == 0) << names[i];
      if (!folder.isEmpty()) {
        picture.save(QDir(folder).filePath(QString("%1_%2d.png").arg(names[i]).arg(look ? 3 : 2)));
      }
    }
  }
}

}  // namespace
}  // namespace korimu

// The look every dialog of the program shares, and the context menu that carries the 3D-look
// item (the dialogs' own menu on window managers that give a dialog no system menu).
#pragma once

#include <QCoreApplication>
#include <QString>
#include <functional>
#include <vector>

#include "core/settings.h"

class QFont;
class QMenu;
class QWidget;

namespace korimu {

inline constexpr int kDialog3dItemId = 1100;
inline constexpr const char* kDialog3dItemText = QT_TRANSLATE_NOOP("Dialog", "３Ｄ表示(&T)");
// The cross-section window's item that activates the main window.
inline constexpr int kWindowSwitchItemId = 99;
inline constexpr const char* kWindowSwitchItemText =
    QT_TRANSLATE_NOOP("Dialog", "ｳｲﾝﾄﾞｳ切換\tAlt+F6");

// An item a dialog puts in front of the 3D-look item (the cross-section window's window switch).
struct DialogMenuItem {
  int id = 0;
  QString text;
  std::function<void()> run;
};

// Marks a widget as a value field: it gets a sunken frame in the 3D look.
void markAsValueField(QWidget* widget);

// Shows `dialog` in the 3D look (button-face background, sunken frames) or flat (white).
void applyDialogLook(QWidget* dialog, bool threeD);

// Applies the look the settings choose and gives the dialog's background a context menu with
// `extraItems`, a separator and the 3D-look item, which switches the settings' look (they must
// outlive the dialog). `afterToggle` runs after the look was switched (for windows that paint
// their own background).
void installDialogLook(QWidget* dialog, AppSettings& settings,
                       std::vector<DialogMenuItem> extraItems = {},
                       const std::function<void()>& afterToggle = {});

// Flips the settings' dialog3d, restyles the dialog and repaints it.
void toggleDialogLook(QWidget* dialog, AppSettings& settings);

// The context menu as installDialogLook shows it (owned by the dialog, deleted when closed).
QMenu* createDialogMenu(QWidget* dialog, AppSettings& settings,
                        const std::vector<DialogMenuItem>& extraItems,
                        const std::function<void()>& afterToggle);

// The dialogs' font: Unifont at 16 pixels.
void applyDialogFont(QWidget* dialog);

}  // namespace korimu

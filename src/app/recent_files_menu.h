// ファイル's list of the files opened last, below 開く.
#pragma once

namespace korimu {

class AppShell;

// Adds the list to `app`'s File menu (once, after the menu is built). It is filled each time it
// opens: a missing file grayed, every file grayed where 開く is.
void addRecentFilesMenu(AppShell& app);

}  // namespace korimu

// 表示's language item: 日本語 / English, each written in its own language so that a user who
// reads only one of them finds it. The choice is remembered and takes effect at the next start.
#pragma once

namespace korimu {

class AppShell;

// Adds the item to `app`'s View menu (once, after the menu is built), checked at app.language.
void addLanguageMenu(AppShell& app);

}  // namespace korimu

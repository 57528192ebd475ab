// The main menu "KorimuMenu": popups, items, ids, mnemonics and initial graying, in menu order.
#pragma once

#include <span>
#include <string>

namespace korimu {

// The fields follow the menu resource's order, which the table is written in; its 40-odd entries
// are not worth reordering for the padding.
// NOLINTNEXTLINE(clang-analyzer-optin.performance.Padding)
struct MenuEntry {
  enum Kind { kPopup, kItem, kSeparator, kEndPopup };
  Kind kind = kItem;
  int id = 0;                 // command id (0 for popups and separators)
  const char* caption = "";   // caption text before the mnemonic group
  char mnemonic = 0;          // mnemonic letter, 0 when the caption carries its own "&"
  const char* katakana = "";  // half-width katakana of the mnemonic group
  const char* suffix = "";    // text after the group ("...", "...\tF1")
  bool grayed = false;        // grayed in the menu resource
  const char* shortcut = "";  // key sequence of the item ("Ctrl+S"), "" for none
};

// The whole menu, popups opened by kPopup and closed by kEndPopup.
std::span<const MenuEntry> korimuMenu();

// The caption as shown on this platform: the mnemonic group becomes "(&L)" and its katakana is
// dropped, e.g. "ファイル(&F)" or "ヘルプの表示(&H)...\tF1".
std::string menuCaption(const MenuEntry& entry);

// The caption in the resource form: "(" U+001E letter U+001F katakana ")".
std::string resourceCaption(const MenuEntry& entry);

}  // namespace korimu

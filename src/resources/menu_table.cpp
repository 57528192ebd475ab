#include "resources/menu_table.h"

#include "core/translatable.h"

namespace korimu {

namespace {

using E = MenuEntry;

// A C array: GCC keeps a std::array of structs with pointers in writable data.
constexpr E kMenu[]{
    E{E::kPopup, 0, QT_TRANSLATE_NOOP("Menu", "ファイル"), 'F', "ﾌ"},
    E{E::kItem, 1101, QT_TRANSLATE_NOOP("Menu", "開く"), 'O', "ﾋ", "...", false, "Ctrl+O"},
    E{E::kSeparator},
    E{E::kItem, 1120, QT_TRANSLATE_NOOP("Menu", "画像を保存"), 'S', "ｶ", "...", true, "Ctrl+S"},
    E{E::kItem, 1121, QT_TRANSLATE_NOOP("Menu", "数値を保存"), 'E', "ｽ", "...", true, "Ctrl+E"},
    E{E::kItem, 1122, QT_TRANSLATE_NOOP("Menu", "クリップボードにコピー"), 'C', "ｸ", "", true,
      "Ctrl+C"},
    E{E::kSeparator},
    E{E::kItem, 1102, "&Info...", 0, "", "", true},
    E{E::kSeparator},
    E{E::kItem, 1103, QT_TRANSLATE_NOOP("Menu", "終了"), 'X', "ｼ", "", false, "Ctrl+Q"},
    E{E::kEndPopup},
    E{E::kPopup, 0, QT_TRANSLATE_NOOP("Menu", "操作"), 'O', "ｿ"},
    E{E::kItem, 1203, QT_TRANSLATE_NOOP("Menu", "解析"), 'A', "ｶ", "", true},
    E{E::kSeparator},
    E{E::kItem, 1201, QT_TRANSLATE_NOOP("Menu", "再生"), 'S', "ｻ", "", true},
    E{E::kItem, 1213, QT_TRANSLATE_NOOP("Menu", "部分再生"), 'P', "ﾌ", "", true},
    E{E::kItem, 1202, QT_TRANSLATE_NOOP("Menu", "停止"), 'T', "ﾃ", "", true},
    E{E::kSeparator},
    E{E::kItem, 1123, QT_TRANSLATE_NOOP("Menu", "位置"), 'G', "ｲ", "...", true, "Ctrl+G"},
    E{E::kSeparator},
    E{E::kItem, 1200, QT_TRANSLATE_NOOP("Menu", "ｵﾌﾟｼｮﾝ"), 'O', "ｵ", "..."},
    E{E::kEndPopup},
    E{E::kPopup, 0, QT_TRANSLATE_NOOP("Menu", "表示"), 'V', "ﾋ"},
    E{E::kItem, 1106, QT_TRANSLATE_NOOP("Menu", "波形拡大"), 'W', "ﾊ"},
    E{E::kItem, 1107, QT_TRANSLATE_NOOP("Menu", "レベルメータ"), 'L', "ﾚ"},
    E{E::kItem, 1108, QT_TRANSLATE_NOOP("Menu", "スペクトル(周波数リニア)"), 'S', "ｽ"},
    E{E::kItem, 1109, QT_TRANSLATE_NOOP("Menu", "スペクトル(周波数対数)"), 'T', "ﾀ"},
    E{E::kItem, 1110, QT_TRANSLATE_NOOP("Menu", "時間-周波数チャート"), 'C', "ﾁ"},
    E{E::kSeparator},
    E{E::kItem, 1111, QT_TRANSLATE_NOOP("Menu", "ピンクノイズを水平にする"), 'P', "ﾋ"},
    E{E::kItem, 1115, QT_TRANSLATE_NOOP("Menu", "グラフの線を太くする"), 'F', "ﾌ"},
    E{E::kSeparator},
    E{E::kItem, 1113, QT_TRANSLATE_NOOP("Menu", "折れ線グラフ"), 'O', "ｵ"},
    E{E::kItem, 1114, QT_TRANSLATE_NOOP("Menu", "棒グラフ"), 'B', "ﾎ"},
    E{E::kSeparator},
    E{E::kItem, 1116, QT_TRANSLATE_NOOP("Menu", "スペクトル断面を表示"), 'D', "ﾀ"},
    E{E::kEndPopup},
    E{E::kPopup, 0, QT_TRANSLATE_NOOP("Menu", "ヘルプ"), 'H', "ﾍ"},
    E{E::kItem, 1105, QT_TRANSLATE_NOOP("Menu", "ヘルプの表示"), 'H', "ﾍ", "...\tF1"},
    E{E::kItem, 1104, QT_TRANSLATE_NOOP("Menu", "バージョン情報"), 'A', "ｼ", "..."},
    E{E::kEndPopup},
};

}  // namespace

std::span<const MenuEntry> korimuMenu() {
  return kMenu;
}

std::string menuCaption(const MenuEntry& entry) {
  std::string text = entry.caption;
  if (entry.mnemonic != 0) {
    text += "(&";
    text += entry.mnemonic;
    text += ')';
  }
  return text + entry.suffix;
}

std::string resourceCaption(const MenuEntry& entry) {
  std::string text = entry.caption;
  if (entry.mnemonic != 0) {
    text += "(\x1e";
    text += entry.mnemonic;
    text += '\x1f';
    text += entry.katakana;
    text += ')';
  }
  return text + entry.suffix;
}

}  // namespace korimu

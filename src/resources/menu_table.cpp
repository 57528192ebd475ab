#include "resources/menu_table.h"

namespace korimu {

namespace {

using E = MenuEntry;

// A C array: GCC keeps a std::array of structs with pointers in writable data.
constexpr E kMenu[]{
    E{E::kPopup, 0, "ファイル", 'F', "ﾌ"},
    E{E::kItem, 1101, "開く", 'O', "ﾋ", "...", false, "Ctrl+O"},
    E{E::kSeparator},
    E{E::kItem, 1120, "画像を保存", 'S', "ｶ", "...", true, "Ctrl+S"},
    E{E::kItem, 1121, "数値を保存", 'E', "ｽ", "...", true, "Ctrl+E"},
    E{E::kItem, 1122, "クリップボードにコピー", 'C', "ｸ", "", true, "Ctrl+C"},
    E{E::kSeparator},
    E{E::kItem, 1102, "&Info...", 0, "", "", true},
    E{E::kSeparator},
    E{E::kItem, 1103, "終了", 'X', "ｼ", "", false, "Ctrl+Q"},
    E{E::kEndPopup},
    E{E::kPopup, 0, "操作", 'O', "ｿ"},
    E{E::kItem, 1203, "解析", 'A', "ｶ", "", true},
    E{E::kSeparator},
    E{E::kItem, 1201, "再生", 'S', "ｻ", "", true},
    E{E::kItem, 1213, "部分再生", 'P', "ﾌ", "", true},
    E{E::kItem, 1202, "停止", 'T', "ﾃ", "", true},
    E{E::kSeparator},
    E{E::kItem, 1123, "位置", 'G', "ｲ", "...", true, "Ctrl+G"},
    E{E::kSeparator},
    E{E::kItem, 1200, "ｵﾌﾟｼｮﾝ", 'O', "ｵ", "..."},
    E{E::kEndPopup},
    E{E::kPopup, 0, "表示", 'V', "ﾋ"},
    E{E::kItem, 1106, "波形拡大", 'W', "ﾊ"},
    E{E::kItem, 1107, "レベルメータ", 'L', "ﾚ"},
    E{E::kItem, 1108, "スペクトル(周波数リニア)", 'S', "ｽ"},
    E{E::kItem, 1109, "スペクトル(周波数対数)", 'T', "ﾀ"},
    E{E::kItem, 1110, "時間-周波数チャート", 'C', "ﾁ"},
    E{E::kSeparator},
    E{E::kItem, 1111, "ピンクノイズを水平にする", 'P', "ﾋ"},
    E{E::kItem, 1115, "グラフの線を太くする", 'F', "ﾌ"},
    E{E::kSeparator},
    E{E::kItem, 1113, "折れ線グラフ", 'O', "ｵ"},
    E{E::kItem, 1114, "棒グラフ", 'B', "ﾎ"},
    E{E::kSeparator},
    E{E::kItem, 1116, "スペクトル断面を表示", 'D', "ﾀ"},
    E{E::kEndPopup},
    E{E::kPopup, 0, "ヘルプ", 'H', "ﾍ"},
    E{E::kItem, 1105, "ヘルプの表示", 'H', "ﾍ", "...\tF1"},
    E{E::kItem, 1104, "バージョン情報", 'A', "ｼ", "..."},
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

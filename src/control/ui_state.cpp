#include "control/ui_state.h"

#include <array>
#include <string_view>

namespace korimu {

namespace {

enum class Part { kControl, kMenuItem, kMenuBar, kDrops };

// One line per part of the window, one column per state in the order of UiState: NoFile,
// FileSelected, StartingPlayback, Playing, Analysing. '+' on, '-' off, 'D' on with an output
// device, 'H' on with the wave headers (without them nothing may be played, so no file is taken by
// a drop either), 'R' on once an analysis has left results.
struct Row {
  Part part;
  int id;
  std::string_view on;
};

// A C array: GCC keeps a std::array of structs with pointers in writable data.
constexpr Row kRows[]{
    Row{Part::kControl, 1206, "-+---"},  // "<<<"
    Row{Part::kControl, 1205, "-+---"},  // "<<"
    Row{Part::kControl, 1204, "-+---"},  // "<"
    Row{Part::kControl, 1207, "-+---"},  // ">"
    Row{Part::kControl, 1208, "-+---"},  // ">>"
    Row{Part::kControl, 1209, "-+---"},  // ">>>"
    Row{Part::kControl, 1203, "-+---"},  // 解析
    Row{Part::kControl, 1201, "-D---"},  // 再生
    Row{Part::kControl, 1213, "-D---"},  // 部分
    Row{Part::kControl, 1202, "---++"},  // 停止 / 中断
    Row{Part::kControl, 1210, "++---"},  // span combobox
    Row{Part::kControl, 1211, "++---"},  // 標準
    Row{Part::kControl, 1212, "++---"},  // ２倍
    Row{Part::kControl, 1214, "++++-"},  // power radios
    Row{Part::kControl, 1215, "++++-"},
    Row{Part::kControl, 1216, "++++-"},
    Row{Part::kControl, 1217, "++++-"},
    // While analysing the menu bar is off: Open, Options and Info keep their idle graying
    // behind it.
    Row{Part::kMenuItem, 1101, "++--+"},  // Open
    Row{Part::kMenuItem, 1102, "-+--+"},  // Info
    Row{Part::kMenuItem, 1200, "++--+"},  // Options
    Row{Part::kMenuItem, 1203, "-+---"},  // Analyze
    Row{Part::kMenuItem, 1201, "-D---"},  // Play
    Row{Part::kMenuItem, 1213, "-D---"},  // Partial play
    Row{Part::kMenuItem, 1202, "---+-"},  // Stop
    Row{Part::kMenuItem, 1123, "-+---"},  // 位置 (as the navigation buttons)
    // A run refills the results, so they cannot be taken while it draws.
    Row{Part::kMenuItem, 1120, "-RRR-"},  // 画像を保存
    Row{Part::kMenuItem, 1121, "-RRR-"},  // 数値を保存
    Row{Part::kMenuItem, 1122, "-RRR-"},  // クリップボードにコピー
    Row{Part::kMenuBar, 0, "++++-"},
    Row{Part::kDrops, 0, "HH--H"},
};

// Who has the focus as each state begins.
constexpr std::array<int, 5> kFocus{1210, 1203, 0, 1202, 1202};

}  // namespace

Enabling enablingFor(UiState state, bool outputDevice, bool headersAvailable,
                     bool resultsAvailable) {
  const auto column = static_cast<size_t>(state);
  Enabling e;
  for (const Row& row : kRows) {
    const char mark = row.on[column];
    const bool on = mark == '+' || (mark == 'D' && outputDevice) ||
                    (mark == 'H' && headersAvailable) || (mark == 'R' && resultsAvailable);
    switch (row.part) {
      case Part::kControl:
        e.controls.emplace_back(row.id, on);
        break;
      case Part::kMenuItem:
        e.menuItems.emplace_back(row.id, on);
        break;
      case Part::kMenuBar:
        e.menuBar = on;
        break;
      case Part::kDrops:
        e.acceptDrops = on;
        break;
    }
  }
  e.stopAborts = state == UiState::kAnalysing;
  e.focus = kFocus[column];
  return e;
}

}  // namespace korimu

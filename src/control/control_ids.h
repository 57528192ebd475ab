// Command ids of the menus and the control bar, and the notification codes the span combobox
// acts on.
#pragma once

namespace korimu {

// The menus' commands. The View menu's modes and graph styles are the values of ViewMode
// (1106 to 1110) and GraphStyle (1113, 1114).
enum MenuId : int {
  kOpenId = 1101,
  kInfoId = 1102,
  kExitId = 1103,
  kAboutId = 1104,
  kHelpId = 1105,
  kPinkNoiseFlatId = 1111,
  kThickLinesId = 1115,
  kCrossSectionId = 1116,
  kOptionsId = 1200,
};

// The File menu's commands that take a run's results away.
enum ExportId : int {
  kSavePictureId = 1120,  // 画像を保存: the client area as PNG
  kSaveNumbersId = 1121,  // 数値を保存: the last run's numbers as CSV
  kCopyPictureId = 1122,  // クリップボードにコピー: the client area on the clipboard
};

// Moving through a long recording besides the six navigation buttons: the Operation menu's
// 位置 (a time typed in) and the keys Home, End, PageUp and PageDown.
enum MoveId : int {
  kGoToId = 1123,
  kToStartId = 1230,
  kToEndId = 1231,
  kSpanBackId = 1232,
  kSpanForwardId = 1233,
};

enum ControlId : int {
  kPlayId = 1201,
  kStopId = 1202,
  kAnalyzeId = 1203,
  kStepBackId = 1204,
  kBackId = 1205,
  kFastBackId = 1206,
  kStepForwardId = 1207,
  kForwardId = 1208,
  kFastForwardId = 1209,
  kSpanComboId = 1210,
  kNormalZoomId = 1211,
  kDoubleZoomId = 1212,
  kPartialId = 1213,
  kGainAtId = 1214,
  kGainX1Id = 1215,
  kGainX2Id = 1216,
  kGainX4Id = 1217,
};

inline constexpr int kNotifyClick = 0;
inline constexpr int kNotifySelectionChange = 1;
inline constexpr int kNotifyKillFocus = 4;
inline constexpr int kNotifyCloseUp = 8;

}  // namespace korimu

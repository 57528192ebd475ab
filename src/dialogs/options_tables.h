// What the Options dialog lists and how it turns control states into settings. Kept free of Qt
// so the mapping can be checked without a display.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/settings.h"
#include "core/translatable.h"

namespace korimu {

struct ListRow {
  const char* text;
  int32_t value;
};

// Time resolution (11 rows) and playback buffer length (the first 8 of them), in sample periods
// of the 11025-Hz base rate.
inline constexpr std::array<ListRow, 11> kTimeResolutionRows{{
    {QT_TRANSLATE_NOOP("Options", "３秒"), 32768},
    {QT_TRANSLATE_NOOP("Options", "1.5秒"), 16384},
    {QT_TRANSLATE_NOOP("Options", "１秒"), 8192},
    {QT_TRANSLATE_NOOP("Options", "1/3秒"), 4096},
    {QT_TRANSLATE_NOOP("Options", "1/5秒"), 2048},
    {QT_TRANSLATE_NOOP("Options", "1/11秒"), 1024},
    {QT_TRANSLATE_NOOP("Options", "1/22秒"), 512},
    {QT_TRANSLATE_NOOP("Options", "1/43秒"), 256},
    {QT_TRANSLATE_NOOP("Options", "1/86秒"), 128},
    {QT_TRANSLATE_NOOP("Options", "1/172秒"), 64},
    {QT_TRANSLATE_NOOP("Options", "1/345秒"), 32},
}};
inline constexpr int kPlayBufferRowCount = 8;

// The frequency list holds blockOrder 8..16 at indices 0..8.
inline constexpr int kBlockOrderRowCount = 9;
inline constexpr int kFirstBlockOrder = 8;
inline constexpr std::array<const char*, kBlockOrderRowCount> kWaveletResolutionTexts{
    "1.0oct", "0.7oct", "1/2oct", "1/3oct", "1/4oct", "1/6oct", "1/8oct", "1/12oct", "1/16oct"};

inline constexpr std::array<const char*, 7> kWindowFunctionNames{
    QT_TRANSLATE_NOOP("Options", "ハニング"), QT_TRANSLATE_NOOP("Options", "ハミング"),
    QT_TRANSLATE_NOOP("Options", "ﾌﾞﾗｯｸﾏﾝ"),  QT_TRANSLATE_NOOP("Options", "三角"),
    QT_TRANSLATE_NOOP("Options", "方形"),     QT_TRANSLATE_NOOP("Options", "ｶﾞｳｽ4.24"),
    QT_TRANSLATE_NOOP("Options", "ｶﾞｳｽ6.50")};

inline constexpr std::array<const char*, 12> kMusicalKeyNames{
    QT_TRANSLATE_NOOP("Options", "ハ長調・イ短調"),
    QT_TRANSLATE_NOOP("Options", "変ニ長調・変ロ短調"),
    QT_TRANSLATE_NOOP("Options", "ニ長調・ロ短調"),
    QT_TRANSLATE_NOOP("Options", "変ホ長調・ハ短調"),
    QT_TRANSLATE_NOOP("Options", "ホ長調・嬰ハ短調"),
    QT_TRANSLATE_NOOP("Options", "ヘ長調・ニ短調"),
    QT_TRANSLATE_NOOP("Options", "変ト長調・変ホ短調"),
    QT_TRANSLATE_NOOP("Options", "ト長調・ホ短調"),
    QT_TRANSLATE_NOOP("Options", "変イ長調・ヘ短調"),
    QT_TRANSLATE_NOOP("Options", "イ長調・嬰ヘ短調"),
    QT_TRANSLATE_NOOP("Options", "変ロ長調・ト短調"),
    QT_TRANSLATE_NOOP("Options", "ロ長調・嬰ト短調")};

// The text of frequency-list row `index`: the number of spectral lines 2^(blockOrder-1)
// right-aligned to five characters, or the wavelet's octave fraction.
std::string blockOrderText(int index, bool wavelet);

// The row of the time list (first rowCount rows) whose value equals `value`, or -1 (the list is
// then left without a selection).
int timeRowOfValue(int32_t value, int rowCount);

// The playback speed read-out: 2^(playSpeed/120) * 100 as "%.1f%%".
std::string speedReadout(int32_t playSpeed);

// Scroll-bar requests of the speed bar, by the classic scroll codes.
enum class ScrollCode {
  kLineLeft,
  kLineRight,
  kPageLeft,
  kPageRight,
  kThumbPosition,
  kThumbTrack,
  kOther
};
inline constexpr int32_t kSlowestSpeed = -240;
// The speed after one scroll request: +-1 per line, +-10 per page, the thumb's 16-bit position
// taken as signed; clamped to -240..0.
int32_t speedAfterScroll(int32_t current, ScrollCode code, int thumbPosition);

// MemSize from the edit's text: the leading digits of its first 3 characters (0 when there are
// none), clamped to 2..255 (15 at most on systems up to 3.11).
int32_t memSizeFromText(std::string_view text, uint16_t winVersion);

// The state of the Options controls when OK is pressed. A list index of -1 is "no selection".
struct OptionsChoice {
  SpectrumScale spectrumType = SpectrumScale::kAmplitude;
  bool autocorrelation = false;
  int keyIndex = -1;
  int windowIndex = -1;
  int blockOrderIndex = -1;
  int timeResolutionIndex = -1;
  int playBufferIndex = -1;
  bool onMem = false;
  std::string memSizeText;
  AnalysisMethod method = kFft;
};

// Writes an accepted choice into `s` in the order OK does it. Returns true when the view was
// forced to the time-frequency chart (the caller then moves the View menu's check mark from
// `previousView`, which is set to the view shown before).
bool applyOptionsChoice(const OptionsChoice& c, AppSettings& s, uint16_t winVersion,
                        ViewMode* previousView);

}  // namespace korimu

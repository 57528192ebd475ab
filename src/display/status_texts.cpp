#include "display/status_texts.h"

#include <string>

#include "core/layout.h"
#include "core/span.h"

#include "display/display_state.h"
#include "display/overview.h"
#include "platform/fixed_font.h"
#include "platform/message.h"
#include "wave/wave_source.h"

namespace korimu {

namespace {

constexpr TextStyle kStatusStyle{kButtonText, kButtonFace, true};

// A fact of the open file, or as many blanks as it takes while the facts are hidden.
void factText(Canvas& canvas, bool fileFactsHidden, int x, int y, const std::string& text) {
  canvas.textOut(x, y, fileFactsHidden ? std::string(size_t(textCells(text)), ' ') : text,
                 kStatusStyle);
}

// Text followed by blanks up to `cells` character cells.
std::string padded(std::string text, int cells) {
  const int have = textCells(text);
  if (have < cells) text.append(size_t(cells - have), ' ');
  return text;
}

// The column of format texts beside the overview, in character cells.
constexpr int kFormatCells = 6;

}  // namespace

void hideFileFacts(DisplayState& display, bool hidden) {
  display.fileFactsHidden = hidden;
}

void drawPositionText(Canvas& canvas, const WaveSource& facts, uint32_t& position,
                      const TextCatalogue& texts) {
  if (facts.formatTag != 1) position = 0;
  const double seconds =
      facts.bytesPerSecond == 0 ? 0.0 : double(position) / double(facts.bytesPerSecond);
  canvas.textOut(
      0, 2,
      formatText(texts.translate("Canvas", "%10ldpos %13.6f秒").c_str(), long(position), seconds),
      kStatusStyle);
}

void drawFormatTexts(const DisplayState& display, Canvas& canvas, const WaveSource& facts,
                     const Document& document) {
  const int w = kLayout.unitW;
  const int h = kLayout.unitH;
  const int x = (3 * w) / 2 + kOverviewColumns;  // right of the overview strip
  const std::string bits = formatText("%2dbit", facts.bitsPerSample);
  const char* channels = "      ";
  if (document.fileSelected) channels = (facts.sampleKind & 2) != 0 ? "STEREO" : " MONO ";
  // The two layouts differ: each clears the column beside the overview first. The window's
  // amplitude group covers all but six cells of it.
  canvas.fillRect(x, 3 * h, kFormatCells * w, kLayout.overviewHeight, kButtonFace);
  if (!document.decodedFrom) {
    factText(canvas, display.fileFactsHidden, x, int(3.5 * h), formatText("%2dkHz", facts.srKHz));
    factText(canvas, display.fileFactsHidden, x, 6 * h, bits);
    factText(canvas, display.fileFactsHidden, x, int(8.5 * h), channels);
    return;
  }
  // A decoded file: four lines filling the overview's height, the kind between rate and bits.
  const SourceFormat& source = *document.decodedFrom;
  const std::string lines[] = {
      formatText("%2dkHz", int(source.rate / 1000)),
      source.mark().substr(0, kFormatCells - 1) + "→",
      bits,
      source.channels > 2 ? formatText("%d→2ch", source.channels) : channels,
  };
  const int pitch = kLayout.overviewHeight / 4;
  for (int i = 0; i < 4; ++i)
    factText(canvas, display.fileFactsHidden, x, 3 * h + i * pitch, lines[i]);
}

void drawDecodeProgress(Canvas& canvas, int percent, const TextCatalogue& texts) {
  const std::string text =
      formatText(texts.translate("Canvas", "デコード中 %3d%%  Esc:中止").c_str(), percent);
  const std::string position =
      formatText(texts.translate("Canvas", "%10ldpos %13.6f秒").c_str(), 0L, 0.0);
  canvas.textOut(0, 2, padded(text, textCells(position)), kStatusStyle);
}

std::string spanDurationText(double seconds, const TextCatalogue& texts) {
  // Spans over 100 s (the long ones a whole recording needs) count minutes, so that the text
  // keeps its four cells before the unit.
  if (seconds >= 100.0) {
    const double minutes = seconds / 60.0;
    return formatText(minutes >= 99.95 ? texts.translate("Canvas", "%4.0f分").c_str()
                                       : texts.translate("Canvas", "%4.1f分").c_str(),
                      minutes);
  }
  return formatText(seconds >= 10.0 ? texts.translate("Canvas", "%4.1f秒").c_str()
                                    : texts.translate("Canvas", "%4.2f秒").c_str(),
                    seconds);
}

void drawSpanText(const DisplayState& display, Canvas& canvas, const WaveSource& facts,
                  int framesPerColumn) {
  double span = 0.0;
  if (facts.bytesPerSecond != 0) {
    span = double(framesPerColumn) * kOverviewColumns * double(facts.blockAlign) /
           double(facts.bytesPerSecond);
  }
  const std::string text = spanDurationText(span, display.texts);
  const int w = kLayout.unitW;
  const int x = kLayout.layoutWidth - (w < 8 ? 27 * w : 26 * w);
  factText(canvas, display.fileFactsHidden, x, 3, text);
  // The span combobox's number where the combobox stands: the window's combobox covers it, a
  // saved picture has no combobox and shows it after "表示ﾃﾞｰﾀ数".
  const int comboX = kLayout.layoutWidth - 2 - (w < 8 ? 10 * w : 9 * w);
  // A whole file's span may have more digits than there are cells up to the right edge.
  const int cells = (kLayout.layoutWidth - (comboX + w / 2)) / w;
  canvas.textOut(comboX + w / 2, 3,
                 spanLabelWithin(int64_t{framesPerColumn} * kOverviewColumns, cells), kStatusStyle);
}

void drawDataCountLabel(Canvas& canvas, const TextCatalogue& texts) {
  const int w = kLayout.unitW;
  const int x = kLayout.layoutWidth - (w < 8 ? (41 * w) / 2 : (39 * w) / 2);
  canvas.textOut(x, 3, texts.translate("Canvas", "表示ﾃﾞｰﾀ数"), kStatusStyle);
}

int drawStopAccepted(Canvas& canvas, const TextCatalogue& texts) {
  return canvas.textOut(300, 150, texts.translate("Canvas", "中断要求受付"),
                        TextStyle{kBlack, kWhite, true});
}

}  // namespace korimu

// The status texts around the overview strip, drawn into the main window's client canvas.
#pragma once

#include <cstdint>
#include <string>

#include "core/document.h"
#include "display/display_state.h"
#include "platform/canvas.h"
#include "platform/text_catalogue.h"
#include "wave/wave_source.h"

namespace korimu {

// "%10ldpos %13.6f秒" at (0, 2); a non-PCM file has no position: it is reset to 0 first.
void drawPositionText(Canvas& canvas, const WaveSource& facts, uint32_t& position,
                      const TextCatalogue& texts = {});
// "%2dkHz", "%2dbit" and "STEREO" / " MONO " (blank until a file is selected) right of the
// overview. A decoded file shows four lines there: its source's rate, its kind ("FLAC→"), the
// copy's bits, and the channels ("6→2ch" for more than two, mixed to stereo).
void drawFormatTexts(const DisplayState& display, Canvas& canvas, const WaveSource& facts,
                     const Document& document);
// The overview's span in seconds, "%4.1f秒" from 10 seconds on, else "%4.2f秒": 512 columns of
// framesPerColumn frames; and the span in frames as the span combobox shows it ("%6d").
// The length of a span as the span text shows it: "%4.2f秒" under 10 s, "%4.1f秒" under 100 s,
// then minutes ("%4.1f分", from 100 minutes on "%4.0f分").
std::string spanDurationText(double seconds, const TextCatalogue& texts = {});

void drawSpanText(const DisplayState& display, Canvas& canvas, const WaveSource& facts,
                  int framesPerColumn);

// While hidden (after a failed open), the format and span texts draw blanks in their place: the
// facts still held describe a file that is no longer open. Reading a file shows them again.
void hideFileFacts(DisplayState& display, bool hidden);
// "表示ﾃﾞｰﾀ数" left of the span combobox.
void drawDataCountLabel(Canvas& canvas, const TextCatalogue& texts = {});
// "デコード中 42%  Esc:中止" in the position text's place while a long decode runs.
void drawDecodeProgress(Canvas& canvas, int percent, const TextCatalogue& texts = {});
// "中断要求受付" at (300, 150) in the window's default colours (black on white); returns its width.
int drawStopAccepted(Canvas& canvas, const TextCatalogue& texts = {});

}  // namespace korimu

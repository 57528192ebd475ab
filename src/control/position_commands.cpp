// The commands that move `position`: the six navigation buttons, Home, End, PageUp and PageDown,
// the wheel, clicks in the overview strip and the Go-to box.
#include <optional>
#include <string>

#include "control/controller.h"
#include "control/navigation.h"
#include "core/layout.h"
#include "platform/message.h"
#include "wave/wave_source.h"

namespace korimu {

void Controller::navigationCommand(int id) {
  session_.document.position = navigatedPosition(id, session_.document.position, extent());
  positionChanged();
}

bool Controller::canMove() const {
  return state_ == UiState::kFileSelected && !session_.busy && !session_.wave.playback.playing &&
         fileSelected();
}

void Controller::moveTo(uint32_t position) {
  if (position == session_.document.position) return;
  session_.document.position = position;
  positionChanged();
}

DataExtent Controller::extent() const {
  const WaveSource& facts = session_.wave.source;
  return DataExtent{facts.blockAlign, facts.dataSize, facts.bytesPerSecond};
}

void Controller::clickOverview(double x, bool backwards) {
  if (!canMove()) return;
  const uint32_t here = session_.document.position;
  const int64_t framesPerColumn = session_.settings.framesPerColumn;
  moveTo(backwards ? positionBackByStripX(x, here, framesPerColumn, extent())
                   : positionUnderStripX(x, here, framesPerColumn, extent()));
}

void Controller::moveBySpan(SpanMove move, int count) {
  if (!canMove()) return;
  const int64_t spanFrames = int64_t{kPlotWidth} * session_.settings.framesPerColumn;
  moveTo(positionAfterSpanMove(move, count, session_.document.position, spanFrames, extent()));
}

void Controller::goToCommand() {
  if (!canMove()) return;
  const uint32_t perSecond = session_.wave.source.bytesPerSecond;
  std::string text =
      timeTextOfSeconds(perSecond != 0 ? double(session_.document.position) / perSecond : 0.0);
  if (!view_.askTime(text, &text)) return;
  const std::optional<double> seconds = secondsOfTimeText(text);
  if (!seconds) {
    session_.wave.messages.show(
        formatText(session_.wave.messages.texts
                       .translate("Message",
                                  "位置「%s」を読み取れません。\n"
                                  "分:秒 (1:23.5) か秒 (83.5) で入力してください。")
                       .c_str(),
                   text.c_str()));
    return;
  }
  moveTo(positionAtSeconds(*seconds, extent()));
}

}  // namespace korimu

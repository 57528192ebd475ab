#include "app/enabling.h"

#include <QAbstractButton>
#include <QMenu>

#include "app/shell_widgets.h"
#include "app/widgets.h"
#include "core/app_state.h"
#include "wave/playback.h"

namespace korimu {

void showEnabling(const Enabling& enabling) {
  for (const auto& [id, on] : enabling.controls)
    if (QWidget* w = controlById(id)) w->setEnabled(on);
  for (const auto& [id, on] : enabling.menuItems) enableMenuItem(id, on);
  for (QMenu* popup : shell().popups)
    if (popup) popup->menuAction()->setEnabled(enabling.menuBar);
  if (QAbstractButton* stop = buttonById(kStopId))
    stop->setText(enabling.stopAborts ? "中断" : "停止");
  if (shell().window) shell().window->setAcceptDrops(enabling.acceptDrops);
  if (QWidget* w = controlById(enabling.focus)) w->setFocus(Qt::OtherFocusReason);
}

void enterUiState(UiState state) {
  showEnabling(enablingFor(state, appState.outputDeviceCount > 0, playbackState.headersAvailable));
}

UiState currentUiState() {
  if (appState.busy != 0) return UiState::kAnalysing;
  switch (playbackState.phase) {
    case PlaybackPhase::kStarting:
      return UiState::kStartingPlayback;
    case PlaybackPhase::kPlaying:
      return UiState::kPlaying;
    case PlaybackPhase::kIdle:
      break;
  }
  return appState.fileSelected != 0 ? UiState::kFileSelected : UiState::kNoFile;
}

}  // namespace korimu

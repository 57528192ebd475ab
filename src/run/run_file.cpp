#include "run/run_file.h"

#include <optional>
#include <utility>

namespace korimu {

WaveOpenResult openFileForRun(Session& session) {
  const uint32_t position = session.document.position;
  if (std::optional<WaveOpenResult> opened = std::exchange(session.fileOpenedForRun, {})) {
    if (opened->opened) placeOpenFile(session.wave, position, session.settings);
    return *opened;
  }
  return openWave(session.wave, WaveOpenRequest{session.document.wavePath(), position, false},
                  session.settings);
}

}  // namespace korimu

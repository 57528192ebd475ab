// `korimu --check FILE`: the reader's verdict on one file, as one line.
#include <cstdio>
#include <string>

#include "cli/command_line.h"
#include "core/app_state.h"
#include "core/settings.h"
#include "platform/message.h"
#include "wave/sample_buffers.h"
#include "wave/wave_source.h"

namespace korimu {

void explainOpenFailure(const std::string& path) {
  const std::string& reason = waveSource.mmio.openFailure();
  if (!reason.empty())
    std::fprintf(stderr, "korimu: cannot open '%s': %s\n", path.c_str(), reason.c_str());
}

int runCheck(const std::string& fileName) {
  settings = AppSettings{};
  appState.fileName = fileName;
  appState.position = 0;
  appState.busy = 1;  // as at an analysis start: the device is not asked
  std::string firstMessage;
  const MessageSink previous = setMessageSink([&](std::string_view text, MessageKind) {
    if (firstMessage.empty()) firstMessage = std::string(text);
  });
  const bool ok = openWave();
  setMessageSink(previous);
  if (!ok) {
    std::fprintf(stderr, "%s\n", firstMessage.c_str());
    explainOpenFailure(fileName);
  }
  appState.busy = 0;
  closeWave();
  releaseFormatCopy();
  if (!ok) return 1;
  const WaveSource& w = waveSource;
  std::printf(
      "OK %dkHz %dbit %s dataSize=%u blockAlign=%u bytesPerSecond=%u readMode=%d "
      "bufferBytes=%u\n",
      w.srKHz, w.bitsPerSample, (w.sampleKind & 2) ? "STEREO" : "MONO", w.dataSize, w.blockAlign,
      w.bytesPerSecond, w.readMode, bufferBytes);
  std::fflush(stdout);
  return 0;
}

}  // namespace korimu

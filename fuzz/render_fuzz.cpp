// The headless render on any file with any options: every view, method, resolution, window,
// scale, gain, style, span and position the program offers, drawn as `korimu --render` draws it.
// Runs stop after a few blocks (or wavelet rows), and the wavelet's full-size block is checked
// arithmetically instead of being transformed, so each input takes milliseconds.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/layout.h"
#include "core/settings.h"
#include "display/chart.h"
#include "display/client_area.h"
#include "display/display_state.h"
#include "display/overview.h"
#include "fuzz_support.h"
#include "run/run_driver.h"
#include "run/run_listener.h"
#include "run/session.h"
#include "wave/wave_source.h"

using namespace korimu;

namespace {

// The options, taken from the end of the input (the rest is the file).
void chooseOptions(AppSettings& s, fuzz::TrailingChoices& in) {
  s.display = ViewMode(kWaveZoom + in.inRange(0, 4));
  s.method = AnalysisMethod(in.inRange(0, 4));
  s.blockOrder = in.inRange(8, 16);
  s.timeResolution = 32 << in.inRange(0, 10);
  s.spectrumType = SpectrumScale(in.inRange(0, 2));
  s.autocorrelation = in.flag();
  s.windowFunction = WindowFunction(in.inRange(0, 6));
  s.displayGain = in.inRange(0, 3);
  s.pinkNoiseFlat = in.flag();
  s.graphStyle = in.flag() ? kLineGraph : kBarGraph;
  s.lineWidth = in.flag() ? LineWidth::kThick : LineWidth::kThin;
  s.colorScale = in.flag();
  s.musicalKey = in.inRange(0, 11);
  s.framesPerColumn = 1 << in.inRange(0, 10);
  s.amplitudeZoom = in.inRange(1, 2);
  s.onMem = in.flag();
}

// The wavelet's transform length follows from the block size alone: it must never exceed the
// largest block the transform takes (a larger one ends the program).
void checkWaveletSize(const WaveSource& w, const AppSettings& settings) {
  const uint32_t bytes =
      computeBlockBytes(kWt, kTimeFrequencyChart, w.bytesPerSecond, w.srKHz, w.blockAlign,
                        settings.timeResolution, settings.framesPerColumn);
  uint64_t padded = 1;
  while (padded < bytes / w.blockAlign) padded *= 2;
  fuzz::check(padded <= 65536, "the wavelet block fits the transform");
}

// Stops the run at its `budget`-th question whether to stop.
struct StopAfter : RunListener {
  explicit StopAfter(int budget) : budget(budget) {}
  bool cancelled() override { return ++asked >= budget; }
  int budget;
  int asked = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::TrailingChoices in(data, size);
  Session session;
  session.wave.messages = fuzz::quietMessages();
  AppSettings& settings = session.settings;
  chooseOptions(settings, in);
  const int depthBits = std::vector<int>{24, 16, 8, 4}[size_t(in.inRange(0, 3))];
  const uint32_t positionHigh = in.byte();
  const uint32_t positionFrames = positionHigh << 8 | in.byte();

  Document& document = session.document;
  document.fileName = fuzz::writeInput(in.rest(), in.restSize());
  document.fileSelected = true;
  WaveSession& wave = session.wave;
  const WaveOpenResult opened = openWave(wave, {document.fileName, 0, false}, settings);
  followFileRate(session.display, opened, wave.source);
  if (opened.opened) {
    document.position = std::min(positionFrames * wave.source.blockAlign, wave.source.dataSize);
    openWave(wave, {document.fileName, document.position, false}, settings);
    if (settings.method == kWt) {
      checkWaveletSize(wave.source, settings);

      // The run itself takes a block of at most 4096 frames (the chart's cap at 8 frames a
      // column): a full 65536-frame transform would take most of a second per input.
      settings.framesPerColumn = std::min(settings.framesPerColumn, 8);
    }

    DisplayState& display = session.display;
    display.surfaces.window = Canvas(kLayout.layoutWidth, kLayout.clientHeight, depthBits);
    Canvas& window = display.surfaces.window;
    window.clear(kButtonFace);
    prepareAnalysis(display, settings.musicalKey);
    Canvas strip(kPlotWidth, kLayout.overviewHeight, depthBits);
    drawOverviewOfOpenFile(strip, wave.source, document.position, settings.framesPerColumn,
                           settings.amplitudeZoom, wave.messages);
    composeClientArea(display, settings, window, wave.source, document, &strip);

    StopAfter listener(settings.method == kWt ? 3 : 6);
    runAnalysis(session, listener);
    fuzz::check(!session.busy, "the run ends idle");
  }
  closeWave(wave, true);
  releaseFormatCopy(wave.source);
  return 0;
}

#include "display/client_area.h"

#include "core/layout.h"
#include "display/display_state.h"
#include "display/graph_frame.h"
#include "display/peak_readout.h"
#include "display/status_texts.h"

namespace korimu {

// The back buffer uses window coordinates: its plot sits where the window's does.
void copyPlotFromBackBuffer(const DisplayState& display, Canvas& client) {
  const Canvas& chart = display.surfaces.backBuffer;
  if (chart.width() == 0) return;
  client.copyFrom(chart, kLayout.unitW, kLayout.plotTop, kPlotWidth, kPlotHeight, kLayout.unitW,
                  kLayout.plotTop);
}

void drawGraphFrameWithPeakBox(DisplayState& display, const AppSettings& settings, Canvas& client) {
  drawGraphFrame(display, settings, client);
  redrawPeakReadout(display, client);
}

void composeClientArea(DisplayState& display, const AppSettings& settings, Canvas& client,
                       const WaveSource& file, Document& document, const Canvas* overviewStrip) {
  if (overviewStrip != nullptr)
    client.copyFrom(*overviewStrip, 0, 0, overviewStrip->width(), overviewStrip->height(),
                    kLayout.unitW, 3 * kLayout.unitH);
  drawDataCountLabel(client, display.texts);
  drawFormatTexts(display, client, file, document);
  drawGraphFrameWithPeakBox(display, settings, client);
  drawPositionText(client, file, document.position, display.texts);
  drawSpanText(display, client, file, settings.framesPerColumn);

  copyPlotFromBackBuffer(display, client);
}

}  // namespace korimu

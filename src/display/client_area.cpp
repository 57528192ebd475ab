#include "display/client_area.h"

#include "core/layout.h"
#include "display/display_state.h"
#include "display/graph_frame.h"
#include "display/peak_readout.h"
#include "display/plot_geometry.h"
#include "display/status_texts.h"

namespace korimu {

namespace {

// The back buffer uses window coordinates: its plot sits where the window's does.
void copyPlotFromBackBuffer(Canvas& client) {
  const Canvas& chart = displaySurfaces.backBuffer;
  if (chart.width() == 0) return;
  client.copyFrom(chart, kLayout.unitW, kLayout.plotTop, kPlotWidth, kPlotHeight, kLayout.unitW,
                  kLayout.plotTop);
}

}  // namespace

void drawGraphFrameWithPeakBox(Canvas& client) {
  drawGraphFrame(client);
  redrawPeakReadout(client);
}

void composeClientArea(Canvas& client, const WaveSource& file, Document& document,
                       const Canvas* overviewStrip) {
  if (overviewStrip != nullptr)
    client.copyFrom(*overviewStrip, 0, 0, overviewStrip->width(), overviewStrip->height(),
                    kLayout.unitW, 3 * kLayout.unitH);
  drawDataCountLabel(client);
  drawFormatTexts(client, file, document.fileSelected);
  drawGraphFrameWithPeakBox(client);
  drawPositionText(client, file, document.position);
  drawSpanText(client, file);
  copyPlotFromBackBuffer(client);
}

}  // namespace korimu

#include "control/client_drawing.h"

#include "core/layout.h"
#include "display/display_state.h"
#include "display/graph_frame.h"
#include "display/peak_readout.h"

namespace korimu {

void drawGraphFrameWithPeakBox(Canvas& client) {
  drawGraphFrame(client);
  redrawPeakReadout(client);
}

void copyChartTo(Canvas& client) {
  // The back buffer uses window coordinates: its graph area sits where the window's does.
  const Canvas& chart = displaySurfaces.backBuffer;
  if (chart.width() == 0) return;
  client.copyFrom(chart, layout.unitW, layout.plotTop, 512, 256, layout.unitW, layout.plotTop);
}

}  // namespace korimu

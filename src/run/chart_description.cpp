#include "run/chart_description.h"

namespace korimu {

CrossSectionChart crossSectionChartOf(const RunRecord& record) {
  const RunParameters& run = record.run;
  CrossSectionChart chart;
  chart.rate = run.rate();
  chart.method = run.analysis.method;
  chart.blockOrder = run.analysis.blockOrder;
  chart.timeResolution = run.timeResolution;
  chart.framesPerColumn = run.framesPerColumn;
  chart.placement = run.placement();
  chart.bytesPerSecond = run.bytesPerSecond;
  return chart;
}

}  // namespace korimu

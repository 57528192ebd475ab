// The chart a run drew, described for the cross-section window from the run's own parameters.
#pragma once

#include "display/cross_section.h"
#include "run/run_record.h"

namespace korimu {

CrossSectionChart crossSectionChartOf(const RunRecord& record);

}  // namespace korimu

// The care layer's curves on the explorer's chart: persons in hospital, in
// intensive care and deaths so far, each named beside its highest point.
#pragma once

#include "analysis/care_layer.h"
#include "chart/chart.h"
#include "chart/surface.h"
#include "model/records.h"

namespace morbilex {

// Their colours, in the order of CareSeries.
inline constexpr Colour CARE_SERIES_COLOURS[CARE_SERIES_COUNT] = {
    0x0078E6,  // orange: in hospital
    0xA0008C,  // purple: in intensive care
    0x3C3C3C,  // dark grey: deaths
};

// Draws the curves of care (rows 0..shown_rows-1) in the chart's logical
// units, within the frame, as the run's own curves are drawn.
void draw_care_curves(Surface& surface, const ChartGeometry& geometry, const Records& records,
                      const CareRun& care, double x_per_day);

}  // namespace morbilex

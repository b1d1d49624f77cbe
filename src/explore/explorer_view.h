// The explorer view: the classic chart with the comparison run, the bands of
// the reduction, round tick labels, a readable legend and header, the
// read-out, and (for pictures and print) the figures beside the chart. In the
// classic view it is exactly paint_view.
#pragma once

#include <string>
#include <vector>

#include "chart/chart.h"
#include "explore/explorer.h"
#include "model/records.h"

namespace morbilex {

// Light colours of the comparison curves and the band of the reduction.
Colour comparison_colour(Colour colour);
inline constexpr Colour REDUCTION_BAND_COLOUR = 0xC8EEFF;  // pale orange

// The read-out of the explorer's step, a line each: the day, S, E, I, R and
// whether a reduction is in force (R_t when shown; an observed count within
// half a day and the model's value for it, in the counts' units); none when
// no step is shown.
std::vector<std::string> read_out_lines(const Records& records, const Explorer& explorer);

// The view of a window's client area or a picture, width by height device
// units from the surface's top-left corner (the surface brings its own
// background). The explorer is brought up to date with the records first.
// with_figures puts the figures at the right of the chart, for pictures and
// print where no panel shows them.
void paint_explorer_view(Surface& surface, Records& records, const SeriesColours& colours,
                         Explorer& explorer, int width, int height, bool with_figures);

// A printed page of width by height device units: the chart and the figures
// where explorer_page_layout puts them, the chart's header opened by the
// scenario's name. The classic view, and the view before a run, as
// paint_explorer_view.
void paint_explorer_page(Surface& surface, Records& records, const SeriesColours& colours,
                         Explorer& explorer, int width, int height);

// The width of an exported picture of the view of a window this wide: in the
// explorer view the figures stand beside the chart, which keeps the window's
// width in three fifths of the picture; the classic view is the window's.
int exported_view_width(int window_width, const ViewOptions& view);

}  // namespace morbilex

// The chart of the last run and the title screen before it.
#pragma once

#include "chart/surface.h"
#include "model/records.h"

namespace morbilex {

// The compartment colours, filled once at start by init_series_colours.
struct SeriesColours {
    Colour colours[COMPARTMENT_COUNT] = {};
};
void init_series_colours(SeriesColours& colours);

// The one entry into drawing: the title screen while records.mode < 0, the
// chart otherwise. left..bottom is the device rectangle.
void draw_view(Records& records, const SeriesColours& colours, Surface& surface, int left, int top,
               int right, int bottom);

}  // namespace morbilex

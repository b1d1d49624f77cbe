// The view: the title screen before the first calculation, the chart after it.
#include <climits>

#include "chart/chart.h"
#include "chart/chart_text.h"

namespace morbilex {

void draw_title_screen(Surface& surface, int, int, int, int) {
    const int h = surface.text_cell_height();
    // The lowest line stands 12 cell heights down; beyond that nothing fits.
    if (h > INT_MAX / 12 || h < INT_MIN / 12) return;
    draw_formatted_text(surface, 3 * h, 6 * h,
                        "--- Simulation for Transmission Dynamics of Morbilex (v.2b) ---");
    draw_formatted_text(surface, 3 * h, 9 * h, "       Simple SEIR model");
    draw_formatted_text(surface, 3 * h, 12 * h, "       2020.05.14   by Orvanto");
}

void draw_view(Records& records, const SeriesColours& colours, Surface& surface, int left, int top,
               int right, int bottom) {
    if (records.mode < 0) {
        draw_title_screen(surface, left, top, right, bottom);
    } else {
        draw_chart(records, colours, surface, left, top, right, bottom);
    }
}

void paint_view(Surface& surface, Records& records, const SeriesColours& colours, int width,
                int height) {
    draw_view(records, colours, surface, 0, 0, width, height);
}

}  // namespace morbilex

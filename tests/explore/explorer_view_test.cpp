// The explorer view's drawing: exactly the classic one in the classic view,
// and the comparison, bands, legend, read-out, figures and header besides.
#include <gtest/gtest.h>

#include "../chart/chart_test_support.h"
#include "explore/explorer_view.h"

namespace morbilex::testing {
namespace {

bool same_calls(const RecordingSurface& a, const RecordingSurface& b) {
    if (a.calls.size() != b.calls.size()) return false;
    for (std::size_t k = 0; k < a.calls.size(); ++k) {
        const SurfaceCall& x = a.calls[k];
        const SurfaceCall& y = b.calls[k];
        if (x.operation != y.operation || x.x != y.x || x.y != y.y || x.text != y.text ||
            x.object != y.object || x.colour != y.colour) {
            return false;
        }
    }
    return true;
}

TEST(ExplorerView, ClassicViewAndTitleDrawExactlyAsPaintView) {
    for (InterventionMode mode : {MODE_NOTHING_CALCULATED, MODE_ONE_TIME}) {
        auto records = records_after_run(mode < 0 ? MODE_NO_INTERVENTION : mode);
        records->mode = mode;
        Explorer explorer;
        explorer.view.classic = mode >= 0;
        explorer.read_out_step = 100;
        RecordingSurface explorer_log;
        paint_explorer_view(explorer_log, *records, series_colours(), explorer, 900, 500, true);
        RecordingSurface classic_log;
        paint_view(classic_log, *records, series_colours(), 900, 500);
        EXPECT_TRUE(same_calls(explorer_log, classic_log)) << mode;
    }
}

TEST(ExplorerView, DrawsComparisonBandsLegendBoxReadOutAndFigures) {
    auto records = records_after_run(MODE_ONE_TIME);
    Explorer explorer;
    explorer.read_out_step = 200;
    RecordingSurface surface(16);
    paint_explorer_view(surface, *records, series_colours(), explorer, 1500, 700, true);
    // The comparison's light pens, the band and the boxes, and the read-out's text.
    int light_pens = 0;
    int bands = 0;
    for (const SurfaceCall& call : surface.calls) {
        light_pens += call.operation == "create_pen" &&
                      call.colour == comparison_colour(series_colours().colours[2]);
        bands += call.operation == "fill_rectangle" && call.colour == REDUCTION_BAND_COLOUR;
    }
    EXPECT_EQ(light_pens, 2);  // the curve and its legend line
    EXPECT_EQ(bands, 2);       // the window of days 10 to 70 and the legend's swatch
    bool peak_shown = false;
    for (const PlacedText& text : surface.texts())
        peak_shown |= text.text.rfind("Peak infectious: 1196.40 persons", 0) == 0;
    EXPECT_TRUE(peak_shown);
    // The read-out belongs to the window: a picture is the same drawing
    // whether one is shown or not.
    RecordingSurface window(16);
    paint_explorer_view(window, *records, series_colours(), explorer, 1500, 700, false);
    bool day_shown = false;
    bool reduction_on = false;
    for (const PlacedText& text : window.texts()) {
        day_shown |= text.text == "day 50.00";
        reduction_on |= text.text == "reduction on";
    }
    EXPECT_TRUE(day_shown);
    EXPECT_TRUE(reduction_on);
    explorer.read_out_step = -1;
    RecordingSurface unhovered(16);
    paint_explorer_view(unhovered, *records, series_colours(), explorer, 1500, 700, true);
    EXPECT_EQ(unhovered.texts(), surface.texts());
    EXPECT_EQ(unhovered.segments(), surface.segments());
    EXPECT_EQ(surface.objects_deleted_while_selected, 0);
    EXPECT_EQ(surface.live_objects(), 0);
}

TEST(ExplorerView, HeaderReadsAHugeParameterWithItsPowerOfTen) {
    auto records = records_after_run(MODE_NO_INTERVENTION);
    records->model.R_0 = 1e308;
    Explorer explorer;
    RecordingSurface surface(16);
    paint_explorer_view(surface, *records, series_colours(), explorer, 1500, 700, false);
    EXPECT_EQ(surface.texts().at(0).text,
              "R_0 1e+308  latent 4.60 d  infectious 5.00 d  T_max 200 d");
}

}  // namespace
}  // namespace morbilex::testing

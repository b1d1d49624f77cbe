// Shared set-up of the chart tests: records, a drawing onto a recording
// surface, and the run that fills the result table.
#pragma once

#include <memory>

#include "chart/chart.h"
#include "model/simulation.h"
#include "recording_surface.h"
#include "support/test_support.h"
#include "trace/traced_run.h"

namespace morbilex::testing {

inline SeriesColours series_colours() {
    SeriesColours colours;
    init_series_colours(colours);
    return colours;
}

// Records after a run of the mode, without a trace file.
inline std::unique_ptr<Records> records_after_run(InterventionMode mode = MODE_NO_INTERVENTION) {
    auto records = default_records();
    records->mode = mode;
    run_simulation_to_stream(*records, mode, nullptr);
    return records;
}

inline RecordingSurface draw_chart_recorded(Records& records, int width = 1200, int height = 700) {
    RecordingSurface surface;
    draw_chart(records, series_colours(), surface, 0, 0, width, height);
    return surface;
}

// Index of the first call of the operation at or after from, or -1.
inline int find_call(const RecordingSurface& surface, const std::string& operation, int from = 0) {
    for (int i = from; i < static_cast<int>(surface.calls.size()); ++i) {
        if (surface.calls[i].operation == operation) return i;
    }
    return -1;
}

// Index of the legend's last name: the curves are drawn after it.
inline int legend_end(const RecordingSurface& surface) {
    for (int i = 0; i < static_cast<int>(surface.calls.size()); ++i) {
        if (surface.calls[i].operation == "text_out" && surface.calls[i].text == "Recovered")
            return i;
    }
    return -1;
}

inline std::vector<Segment> curve_segments(const RecordingSurface& surface) {
    std::vector<Segment> curves;
    const int end = legend_end(surface);
    int segment = 0;
    for (int i = 0; i < static_cast<int>(surface.calls.size()); ++i) {
        if (surface.calls[i].operation != "line_to") continue;
        if (i > end) curves.push_back(surface.segments()[segment]);
        ++segment;
    }
    return curves;
}

}  // namespace morbilex::testing

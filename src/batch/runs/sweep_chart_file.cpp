// A sweep's chart drawn to a picture file's bytes.
#include "batch/runs/sweep_chart_file.h"

// MORBILEX_BATCH_CHART (0 or 1) comes from the build, which knows whether
// the Qt painter library is there.
#if MORBILEX_BATCH_CHART
#include "picture/sweep_chart.h"
#endif

namespace morbilex::batch {

#if MORBILEX_BATCH_CHART
bool draw_sweep_chart(const SweepChartContents& contents, const BatchRequest& request,
                      std::string& bytes, std::string& error) {
    const std::string path = "chart." + request.chart_type;
    std::string reason;
    bool drawn = false;
    if (contents.heat_map) {
        const SweepHeatMap map{contents.x_name, contents.y_name,   contents.metric_label,
                               contents.title,  contents.x_values, contents.y_values,
                               contents.cells};
        drawn = render_sweep_heat_map(map, path, request.chart_width, request.chart_height, bytes,
                                      reason);
    } else {
        SweepLineChart chart{contents.x_name, contents.y_name, contents.title, {}};
        for (const ChartLine& line : contents.lines)
            chart.series.push_back({line.label, line.x, line.y});
        drawn = render_sweep_line_chart(chart, path, request.chart_width, request.chart_height,
                                        bytes, reason);
    }
    if (!drawn) error = "--chart=" + request.chart_path + ": " + reason;
    return drawn;
}
#else
bool draw_sweep_chart(const SweepChartContents&, const BatchRequest&, std::string&,
                      std::string& error) {
    error = "--chart: this build has no chart export";
    return false;
}
#endif

}  // namespace morbilex::batch

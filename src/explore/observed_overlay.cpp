#include "explore/observed_overlay.h"

#include <cmath>
#include <fstream>
#include <sstream>

#include "analysis/scenario_setup.h"
#include "chart/selected_pen.h"
#include "shell/scenario_document.h"
#include "text/read.h"

namespace morbilex {
namespace {

// The counts and their reading as the link gives them; false with why.
bool read_link(const ObservedOverlay& link_of, ObservedOverlay& read, std::string& problem) {
    std::string path;
    CountReading reading;
    for (const auto& [name, text] : link_of.link) {
        bool taken = true;
        if (name == "data") {
            path = text;
        } else if (name == "data_series") {
            taken = count_measure_named(text, read.observation.measure);
        } else if (name == "data_column") {
            reading.column = text;
        } else if (name == "data_day_zero") {
            reading.day_zero_date = text;
        } else if (name == "population") {
            taken = read_full_number(text, read.observation.population) &&
                    read.observation.population > 0.0;
        } else if (name == "reporting") {
            double& reporting = read.observation.reporting;
            taken = read_full_number(text, reporting) && reporting > 0.0 && reporting <= 1.0;
        } else if (name == "fit_objective") {
            taken = fit_objective_named(text, read.objective);
        }
        if (!taken) {
            problem = name + " = " + text + ": not a value it takes";
            return false;
        }
    }
    std::string source = path;
    if (counts_rows_kept(link_of.link)) {
        source = "the counts kept in the scenario (data_row lines)";
        read.text = counts_rows_text(link_of.link);
    } else if (path.empty()) {
        return true;
    } else if (!link_of.supplied_name.empty() && path == link_of.supplied_name) {
        read.text = link_of.supplied_text;
    } else if (!read_counts_file(path, read.text)) {
        problem = path + ": the file cannot be read";
        return false;
    }
    std::string reason;
    if (read_observed_counts(read.text, reading, read.counts, reason)) return true;
    read.text.clear();
    problem = source + ": " + reason;
    return false;
}

}  // namespace

bool read_counts_file(const std::string& path, std::string& text) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream read;
    read << file.rdbuf();
    if (!file) return false;
    text = read.str();
    return true;
}

void follow_counts_link(ObservedOverlay& overlay, const Records& records) {
    if (records.counts_link == overlay.link) return;
    ObservedOverlay read;
    read.link = records.counts_link;
    read.supplied_name = std::move(overlay.supplied_name);
    read.supplied_text = std::move(overlay.supplied_text);
    if (!read_link(read, read, read.problem)) {
        read.counts = {};
    }
    overlay = std::move(read);
}

void supply_counts_text(ObservedOverlay& overlay, std::string name, std::string text) {
    overlay.supplied_name = std::move(name);
    overlay.supplied_text = std::move(text);
    // Read again whatever the link says.
    overlay.link = {{"", ""}};
}

OverlayContents overlay_contents(const ObservedOverlay& overlay, const Records& records) {
    OverlayContents contents;
    if (overlay.counts.points.empty() || records.mode < 0) return contents;
    const CountModel model{scenario_inputs_of(records, records.mode), overlay.observation};
    std::string reason;
    if (!counts_within_run(model.scenario, overlay.counts, reason)) return contents;
    std::vector<double> expected;
    expected_counts(widest_lane_kernel(), std::span<const CountModel>(&model, 1), overlay.counts,
                    expected);
    const CountObservation& o = overlay.observation;
    const double per_count = 1.0 / ((o.population / POPULATION_BASE) * o.reporting);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const ObservedPoint& point = overlay.counts.points[i];
        contents.points.push_back({point.day, point.count * per_count});
        // Prevalence is the infectious curve itself.
        if (o.measure != CountMeasure::Prevalence)
            contents.series.push_back({point.day, expected[i] * per_count});
        contents.residuals.push_back(point.count - expected[i]);
    }
    contents.objective = fit_objective_value(overlay.objective, overlay.counts, expected);
    contents.rmse = root_mean_square_error(overlay.counts, expected);
    return contents;
}

void draw_observed_overlay(Surface& surface, const ChartGeometry& geometry, const AxisScale& scale,
                           const OverlayContents& contents, int strip_height) {
    if (!geometry.drawable || contents.points.empty()) return;
    draw_chart_points(surface, geometry, scale, contents.points, contents.series,
                      OBSERVED_COUNTS_COLOUR);
    // The strip: a zero line across its middle, under the frame, and a bar a
    // point from it, the largest residual reaching the strip's edge; a
    // tenth of it left clear at the frame.
    const int gap = strip_height / 10;
    const int half = (strip_height - gap) / 2;
    if (half < 1) return;
    double largest = 0.0;
    for (double residual : contents.residuals)
        largest = std::fmax(largest, std::fabs(residual));
    const int zero = geometry.frame_bottom - gap - half;
    SelectedPen pen(surface, OBSERVED_COUNTS_COLOUR);
    surface.move_to(geometry.frame_left, zero);
    surface.line_to(geometry.frame_right, zero);
    if (!(largest > 0.0)) return;
    for (std::size_t i = 0; i < contents.points.size(); ++i) {
        const double x = contents.points[i].day * scale.x_per_day + 0.5;
        if (!(x >= geometry.frame_left && x <= geometry.frame_right)) continue;
        const int bar = static_cast<int>(std::lround(contents.residuals[i] / largest * half));
        if (bar == 0) continue;
        surface.move_to(static_cast<int>(x), zero);
        surface.line_to(static_cast<int>(x), zero + bar);
    }
}

}  // namespace morbilex

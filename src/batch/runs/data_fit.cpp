#include "batch/runs/data_fit.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "analysis/scenario_setup.h"
#include "text/shortest.h"

namespace morbilex::batch {
namespace {

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

CountModel count_model_of(const DataOptions& data, const Records& records, InterventionMode mode) {
    return {scenario_inputs_of(records, mode), data.observation};
}

}  // namespace

bool load_data_counts(const DataOptions& data, ObservedCounts& counts, std::string& error) {
    std::string reason;
    if (!data.text.empty()) {
        if (read_observed_counts(data.text, data.reading, counts, reason)) return true;
        error = data.option + ": " + reason;
        return false;
    }
    std::FILE* file = std::fopen(data.path.c_str(), "rb");
    if (file == nullptr) {
        error = data.option + ": the file cannot be opened (" + std::strerror(errno) + ")";
        return false;
    }
    std::string text;
    char block[16 * 1024];
    std::size_t count = 0;
    while ((count = std::fread(block, 1, sizeof block, file)) > 0)
        text.append(block, count);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        error = data.option + ": the file cannot be read";
        return false;
    }
    if (read_observed_counts(text, data.reading, counts, reason)) return true;
    error = data.option + ": " + reason;
    return false;
}

bool fit_data_counts(DataOptions& data, const ObservedCounts& counts, const Records& records,
                     BatchRequest& request, CountFit& fit, std::string& error) {
    FitRequest fit_request{data.fit, data.objective};
    std::string reason;
    if (!fit_counts(count_model_of(data, records, request.mode), counts, fit_request, fit,
                    reason)) {
        error = "--fit: " + reason;
        return false;
    }
    for (std::size_t d = 0; d < data.fit.size(); ++d) {
        const FitField& field = *data.fit[d];
        if (std::string_view(field.name) == "reporting") {
            data.observation.reporting = fit.fields[d].value;
            continue;
        }
        TypedField typed;
        find_editable_field(field.name, typed);
        append_shortest(typed.text, fit.fields[d].value);
        request.typed.push_back(std::move(typed));
    }
    return true;
}

std::string fit_output_text(const CountFit& fit) {
    std::string text = "field,value,low,high\n";
    for (const FittedField& field : fit.fields) {
        text += field.name + ",";
        append_shortest(text, field.value);
        text += ",";
        append_shortest(text, field.low);
        text += ",";
        append_shortest(text, field.high);
        text += "\n";
    }
    text += "objective,";
    append_shortest(text, fit.objective);
    text += ",,\nrmse,";
    append_shortest(text, fit.rmse);
    return text + ",,\n";
}

bool run_objective(const DataOptions& data, const ObservedCounts& counts, const Records& records,
                   InterventionMode mode, double& objective, std::string& error) {
    const CountModel model = count_model_of(data, records, mode);
    std::string reason;
    if (!counts_within_run(model.scenario, counts, reason)) {
        error = data.option + ": " + reason;
        return false;
    }
    std::vector<double> expected;
    expected_counts(widest_lane_kernel(), std::span<const CountModel>(&model, 1), counts, expected);
    objective = fit_objective_value(data.objective, counts, expected);
    return true;
}

std::string summary_with_objective(const std::string& text, const std::string& path,
                                   double objective) {
    std::string value;
    append_shortest(value, objective);
    if (path.empty()) {
        std::string line = "  objective";
        line.resize(27, ' ');
        return text + line + value + "\n";
    }
    if (ends_with(path, ".jsonl") || ends_with(path, ".jsonl.gz")) {
        return text.substr(0, text.size() - 2) + ",\"objective\":" + value + "}\n";
    }
    const std::size_t header_end = text.find('\n');
    return text.substr(0, header_end) + ",objective" +
           text.substr(header_end, text.size() - header_end - 1) + "," + value + "\n";
}

void data_chart_points(const DataOptions& data, const ObservedCounts& counts,
                       const Records& records, InterventionMode mode,
                       std::vector<ChartPoint>& points, std::vector<ChartPoint>& series) {
    const CountObservation& o = data.observation;
    const double per_count = 1.0 / ((o.population / POPULATION_BASE) * o.reporting);
    points.clear();
    series.clear();
    for (const ObservedPoint& point : counts.points)
        points.push_back({point.day, point.count * per_count});
    if (o.measure == CountMeasure::Prevalence) return;  // the infectious curve itself
    const CountModel model = count_model_of(data, records, mode);
    std::string reason;
    if (!counts_within_run(model.scenario, counts, reason)) return;
    std::vector<double> expected;
    expected_counts(widest_lane_kernel(), std::span<const CountModel>(&model, 1), counts, expected);
    for (std::size_t i = 0; i < counts.points.size(); ++i)
        series.push_back({counts.points[i].day, expected[i] * per_count});
}

}  // namespace morbilex::batch

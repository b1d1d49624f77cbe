// The table of morbilex-batch's options and the reading of each one's value.
#include "batch/options/option_table.h"

#include <memory>
#include <vector>

#include "analysis/scenario_fields.h"
#include "batch/options/array_task.h"
#include "batch/options/job_count.h"
#include "batch/scenario_file.h"
#include "picture/picture_type.h"
#include "shell/nearest_name.h"
#include "shell/scenario_files.h"
#include "study/ensemble.h"
#include "text/read.h"
#include "text/whole_number.h"

namespace morbilex::batch {
namespace {

// A whole number from least to most.
bool read_whole(std::string_view text, int& value, int least, int most) {
    long long read = 0;
    if (read_whole_number(text, read, least, most) != WholeNumberReading::Read) return false;
    value = static_cast<int>(read);
    return true;
}

bool parse_size(std::string_view text, int& width, int& height) {
    const std::size_t cross = text.find('x');
    return cross != std::string_view::npos &&
           read_whole(text.substr(0, cross), width, 1, LARGEST_CHART_SIDE) &&
           read_whole(text.substr(cross + 1), height, 1, LARGEST_CHART_SIDE);
}

// A file name option: the path, which may not be empty.
bool read_path(const GivenOption& given, std::string& path, std::string& error) {
    path = given.value;
    return !path.empty() || refuse_option(error, given.argument, "a file name is needed");
}

// The single run's options.

bool read_mode(const GivenOption& given, OptionTargets& into, std::string& error) {
    const std::string_view value = given.value;
    if (value == "0" || value == "1" || value == "2") {
        into.request->mode = value[0] - '0';
        return true;
    }
    return refuse_option(error, given.argument,
                         "the mode is 0 (no intervention), 1 (one-time) or 2 (intermittent)");
}

// The scenario file's fields typed as they stand there, its mode taken:
// options after it type over them, options before it are typed over.
bool read_scenario(const GivenOption& given, OptionTargets& into, std::string& error) {
    std::string path;
    if (!read_path(given, path, error)) return false;
    auto records = std::make_unique<Records>();
    InterventionMode mode = MODE_NOTHING_CALCULATED;
    std::string reason;
    if (!load_scenario_file(path, *records, mode, reason)) {
        return refuse_option(error, given.argument, reason);
    }
    type_scenario_fields(*records, into.request->typed);
    if (mode >= 0) into.request->mode = mode;
    if (records->care.enabled) into.request->care = records->care;
    into.request->capacity = records->capacity;
    return read_counts_link(given, records->counts_link, into, error);
}

bool read_trace(const GivenOption& given, OptionTargets& into, std::string& error) {
    return read_path(given, into.request->trace_path, error);
}

bool read_chart(const GivenOption& given, OptionTargets& into, std::string& error) {
    BatchRequest& request = *into.request;
    if (!read_path(given, request.chart_path, error)) return false;
    request.chart_type = picture_type_of(request.chart_path);
    return !request.chart_type.empty() ||
           refuse_option(error, given.argument, "the picture type is .png, .svg or .pdf");
}

bool read_size(const GivenOption& given, OptionTargets& into, std::string& error) {
    if (parse_size(given.value, into.request->chart_width, into.request->chart_height)) {
        return true;
    }
    return refuse_option(
        error, given.argument,
        "the size is WIDTHxHEIGHT in pixels, each 1 to " + std::to_string(LARGEST_CHART_SIDE));
}

bool read_care(const GivenOption& given, OptionTargets& into, std::string& error) {
    into.request->care.enabled = true;
    return read_path(given, into.request->care_path, error);
}

// Answered before the options are read: run_batch prints the help.
bool read_help(const GivenOption&, OptionTargets&, std::string&) {
    return true;
}

bool read_version(const GivenOption&, OptionTargets&, std::string&) {
    return true;
}

// Summaries' and sweeps' options.

bool read_summary(const GivenOption&, OptionTargets& into, std::string&) {
    into.analysis->summary = true;
    return true;
}

bool read_summary_path(const GivenOption& given, OptionTargets& into, std::string& error) {
    return read_path(given, into.analysis->summary_path, error);
}

bool read_sweep(const GivenOption& given, OptionTargets& into, std::string& error) {
    SweepAxis axis;
    return parse_sweep_axis(given.value, axis, error) &&
           add_sweep_axis(into.analysis->grid, std::move(axis), error);
}

bool read_scenarios(const GivenOption& given, OptionTargets& into, std::string& error) {
    std::string path;
    SweepGrid& grid = into.analysis->grid;
    return read_path(given, path, error) &&
           read_scenario_file(std::string(given.argument), path, grid.size(), grid.table, error);
}

bool read_off_ratio(const GivenOption& given, OptionTargets& into, std::string& error) {
    into.analysis->has_off_ratio = true;
    into.analysis->off_ratio_option = given.argument;
    if (read_full_number(given.value, into.analysis->off_ratio)) return true;
    return refuse_option(error, given.argument, "not a finite number");
}

bool read_output(const GivenOption& given, OptionTargets& into, std::string& error) {
    return read_path(given, into.analysis->output_path, error);
}

bool read_format(const GivenOption& given, OptionTargets& into, std::string& error) {
    if (given.value == "csv" || given.value == "jsonl") {
        into.analysis->format = given.value == "csv" ? RowFormat::Csv : RowFormat::JsonLines;
        into.analysis->format_given = true;
        return true;
    }
    return refuse_option(error, given.argument, "the format is csv or jsonl");
}

bool read_jobs(const GivenOption& given, OptionTargets& into, std::string& error) {
    // Each thread holds its own stack and lanes: far more threads than CPUs
    // only cost memory.
    const int cpus = usable_cpu_count();
    const int largest = largest_job_count();
    if (read_whole(given.value, into.analysis->jobs, 1, largest)) return true;
    return refuse_option(error, given.argument,
                         "the number of threads is 1 to " + std::to_string(largest) + " (" +
                             std::to_string(JOBS_PER_CPU) +
                             " x the CPUs this process may run on: " + std::to_string(cpus) + ")");
}

bool read_shard(const GivenOption& given, OptionTargets& into, std::string& error) {
    into.analysis->shard_given = true;
    if (given.value == "auto") {
        return shard_of_array_task(std::string(given.argument), into.analysis->shard,
                                   into.analysis->lone_array_task, error);
    }
    return parse_shard(given.value, into.analysis->shard, error);
}

bool read_count(const GivenOption&, OptionTargets& into, std::string&) {
    into.analysis->count_only = true;
    return true;
}

bool read_resume(const GivenOption&, OptionTargets& into, std::string&) {
    into.analysis->resume = true;
    return true;
}

bool read_metric(const GivenOption& given, OptionTargets& into, std::string& error) {
    into.analysis->metric = given.value;
    into.analysis->metric_given = true;
    const int column = summary_column_index(given.value);
    if (column >= 0 && SUMMARY_COLUMNS[column].kind != ValueKind::Text) return true;
    return refuse_option(error, given.argument, "not a numeric column of the summary");
}

bool read_merge(const GivenOption& given, OptionTargets& into, std::string& error) {
    return read_path(given, into.analysis->merge_output, error);
}

// Ranges and the ensemble's outputs.

bool read_range(const GivenOption& given, OptionTargets& into, std::string& error) {
    ParameterRange range;
    if (!parse_parameter_range(given.value, given.argument, range, error)) return false;
    for (const ParameterRange& earlier : into.analysis->ranges) {
        if (earlier.name == range.name)
            return refuse_option(error, given.argument, range.name + " has a range already");
    }
    into.analysis->ranges.push_back(std::move(range));
    return true;
}

bool read_samples(const GivenOption& given, OptionTargets& into, std::string& error) {
    if (read_whole_number(given.value, into.analysis->samples, 1, LARGEST_ENSEMBLE_SAMPLES) ==
        WholeNumberReading::Read) {
        return true;
    }
    return refuse_option(error, given.argument, "the number of samples is 1 to 1000000");
}

bool read_bands(const GivenOption& given, OptionTargets& into, std::string& error) {
    return read_path(given, into.analysis->bands_path, error);
}

bool read_sensitivity(const GivenOption& given, OptionTargets& into, std::string& error) {
    return read_path(given, into.analysis->sensitivity_path, error);
}

bool read_capacity(const GivenOption& given, OptionTargets& into, std::string& error) {
    CapacitySetting& capacity = into.analysis->capacity;
    capacity.set = true;
    if (read_full_number(given.value, capacity.capacity) && capacity.capacity >= 0.0) return true;
    return refuse_option(error, given.argument,
                         "the capacity is a number of persons per 10,000, 0 or more");
}

bool read_capacity_series(const GivenOption& given, OptionTargets& into, std::string& error) {
    into.analysis->capacity_series_given = true;
    if (capacity_series_of_name(given.value, into.analysis->capacity.series)) return true;
    return refuse_option(error, given.argument, "the series is infectious, hospital or icu");
}

bool read_find_plan(const GivenOption& given, OptionTargets& into, std::string& error) {
    into.analysis->find_plan = true;
    if (plan_kind_of_name(given.value, into.analysis->plan_kind)) return true;
    return refuse_option(error, given.argument, "the plan is one-time or intermittent");
}

bool read_search(const GivenOption& given, OptionTargets& into, std::string& error) {
    AnalysisOptions::SearchBound bound;
    bound.option = given.argument;
    const std::string_view value = given.value;
    const std::size_t equals = value.find('=');
    const std::size_t colon = value.find(':', equals == std::string_view::npos ? 0 : equals);
    if (equals == std::string_view::npos || colon == std::string_view::npos ||
        !read_full_number(value.substr(equals + 1, colon - equals - 1), bound.low) ||
        !read_full_number(value.substr(colon + 1), bound.high)) {
        return refuse_option(error, given.argument,
                             "the bounds of a searched field are FIELD=LOW:HIGH");
    }
    bound.field = value.substr(0, equals);
    into.analysis->search_bounds.push_back(std::move(bound));
    return true;
}

using Takes = OptionTakes;
using Part = OptionPart;

// Sweep-only options are refused without a sweep in this order.
const BatchOption OPTIONS[] = {
    {"mode", Takes::Value, Part::Run, false, read_mode, nullptr},
    {"scenario", Takes::Value, Part::Run, false, read_scenario, nullptr},
    {"trace", Takes::Value, Part::Run, false, read_trace, nullptr},
    {"chart", Takes::Value, Part::Run, false, read_chart, nullptr},
    {"size", Takes::Value, Part::Run, false, read_size, nullptr},
    {"help", Takes::Nothing, Part::Run, true, read_help, nullptr},
    {"summary", Takes::Nothing, Part::Analysis, true, read_summary, nullptr},
    {"summary", Takes::Value, Part::Analysis, false, read_summary_path, nullptr},
    {"sweep", Takes::Value, Part::Analysis, true, read_sweep, nullptr},
    {"scenarios", Takes::Value, Part::Analysis, false, read_scenarios, nullptr},
    {"off-ratio", Takes::Value, Part::Analysis, false, read_off_ratio,
     [](const AnalysisOptions& options) { return options.has_off_ratio; }},
    {"output", Takes::Value, Part::Analysis, false, read_output,
     [](const AnalysisOptions& options) { return !options.output_path.empty(); }},
    {"format", Takes::Value, Part::Analysis, false, read_format,
     [](const AnalysisOptions& options) { return options.format != RowFormat::Csv; }},
    {"jobs", Takes::Value, Part::Analysis, false, read_jobs,
     [](const AnalysisOptions& options) { return options.jobs != 0; }},
    {"shard", Takes::Value, Part::Analysis, false, read_shard,
     [](const AnalysisOptions& options) { return options.shard_given; }},
    {"count", Takes::Nothing, Part::Analysis, true, read_count,
     [](const AnalysisOptions& options) { return options.count_only; }},
    {"resume", Takes::Nothing, Part::Analysis, true, read_resume,
     [](const AnalysisOptions& options) { return options.resume; }},
    {"metric", Takes::Value, Part::Analysis, false, read_metric,
     [](const AnalysisOptions& options) { return options.metric_given; }},
    {"merge", Takes::ValueAndFiles, Part::Analysis, false, read_merge, nullptr},
    {"care", Takes::Value, Part::Run, false, read_care, nullptr},
    {"capacity", Takes::Value, Part::Analysis, false, read_capacity, nullptr},
    {"capacity-series", Takes::Value, Part::Analysis, false, read_capacity_series, nullptr},
    {"find-plan", Takes::Value, Part::Analysis, false, read_find_plan, nullptr},
    {"search", Takes::Value, Part::Analysis, true, read_search, nullptr},
    {"version", Takes::Nothing, Part::Run, true, read_version, nullptr},
    {"data", Takes::Value, Part::Run, false, read_data, nullptr},
    {"data-series", Takes::Value, Part::Run, false, read_data_series, nullptr},
    {"data-column", Takes::Value, Part::Run, false, read_data_column, nullptr},
    {"data-day-zero", Takes::Value, Part::Run, false, read_data_day_zero, nullptr},
    {"population", Takes::Value, Part::Run, false, read_population, nullptr},
    {"reporting", Takes::Value, Part::Run, false, read_reporting, nullptr},
    {"fit", Takes::Value, Part::Run, false, read_fit, nullptr},
    {"fit-objective", Takes::Value, Part::Run, false, read_fit_objective, nullptr},
    {"fit-output", Takes::Value, Part::Run, false, read_fit_output, nullptr},
    {"range", Takes::Value, Part::Analysis, true, read_range, nullptr},
    {"samples", Takes::Value, Part::Analysis, false, read_samples, nullptr},
    {"bands", Takes::Value, Part::Analysis, false, read_bands, nullptr},
    {"sensitivity", Takes::Value, Part::Analysis, false, read_sensitivity, nullptr},
};

}  // namespace

std::span<const BatchOption> batch_option_table() {
    return OPTIONS;
}

const BatchOption* find_batch_option(OptionPart part, std::string_view name, OptionTakes takes) {
    for (const BatchOption& option : OPTIONS) {
        if (option.part == part && option.name == name && option.takes == takes) return &option;
    }
    return nullptr;
}

bool split_option(std::string_view argument, GivenOption& given, std::string_view& name) {
    const std::size_t equals = argument.find('=');
    if (argument.substr(0, 2) != "--" || equals == std::string_view::npos) return false;
    given = {argument, argument.substr(equals + 1)};
    name = argument.substr(2, equals - 2);
    return true;
}

bool refuse_option(std::string& error, std::string_view argument, const std::string& reason) {
    error = std::string(argument) + ": " + reason;
    return false;
}

bool repeatable_option(std::string_view name) {
    for (const BatchOption& option : OPTIONS) {
        if (option.name == name && option.takes != OptionTakes::Nothing) return option.repeatable;
    }
    return false;
}

std::string did_you_mean(std::string_view name) {
    std::vector<std::string_view> known;
    for (const BatchOption& option : OPTIONS)
        known.push_back(option.name);
    for (DialogKind kind : ALL_DIALOG_KINDS) {
        for (const FieldSpec& field : dialog_table(kind).fields) {
            if (field.read_order > 0) known.push_back(field.name);
        }
    }
    const std::string_view nearest = nearest_name(name, known);
    return nearest.empty() ? std::string() : " (did you mean --" + std::string(nearest) + "?)";
}

}  // namespace morbilex::batch

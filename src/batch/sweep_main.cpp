#include "batch/sweep_main.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <thread>

#include "analysis/run_figures.h"
#include "analysis/run_summary.h"
#include "batch/batch_options.h"
#include "batch/output_file.h"
#include "batch/sweep_merge.h"
#include "batch/sweep_runner.h"
#include "text/format.h"

// MORBILEX_BATCH_CHART (0 or 1) comes from the build, which knows whether
// the Qt painter library is there.
#if MORBILEX_BATCH_CHART
#include "picture/sweep_chart.h"
#endif

namespace morbilex::batch {
namespace {

// A chart keeps one value per scenario.
constexpr long long LARGEST_CHART_SWEEP = 1'000'000;

// A failed command: the reason in error, and the status.
int fail(std::string& error, const std::string& reason, int status) {
    error = reason;
    return status;
}

// Ctrl-C during a sweep: the flag the workers look at; a second Ctrl-C ends
// the program at once.
std::atomic<bool> interrupt_requested{false};

extern "C" void on_interrupt(int) {
    interrupt_requested.store(true);
}

class InterruptHandler {
public:
    InterruptHandler() {
        struct sigaction action = {};
        action.sa_handler = on_interrupt;
        action.sa_flags = SA_RESTART | SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptHandler() { sigaction(SIGINT, &previous_, nullptr); }
    InterruptHandler(const InterruptHandler&) = delete;
    InterruptHandler& operator=(const InterruptHandler&) = delete;

private:
    struct sigaction previous_ = {};
};

// Rows to a stream, with a progress line on a terminal's standard error.
class StreamSink : public RowSink {
public:
    explicit StreamSink(std::FILE* out)
        : out_(out),
          terminal_(isatty(STDERR_FILENO) == 1),
          rows_on_terminal_(isatty(fileno(out)) == 1) {}
    ~StreamSink() override { clear_progress(); }
    StreamSink(const StreamSink&) = delete;
    StreamSink& operator=(const StreamSink&) = delete;

    bool write(std::string_view rows) override {
        // Rows shown on the terminal too go above the progress line, not after it.
        if (rows_on_terminal_) clear_progress();
        return std::fwrite(rows.data(), 1, rows.size(), out_) == rows.size();
    }

    void progress(long long done, long long total) override {
        if (!terminal_) return;
        const auto now = Clock::now();
        if (now - last_ < std::chrono::milliseconds(250) && done < total) return;
        last_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const double rate = seconds > 0.0 ? done / seconds : 0.0;
        const double left = rate > 0.0 ? (total - done) / rate : 0.0;
        char line[160];
        format_text(line, sizeof line, "\r\033[K%d/%d scenarios, %.0f/s, %.0f s left",
                    {static_cast<int>(done), static_cast<int>(total), rate, left});
        std::fputs(line, stderr);
        shown_ = true;
    }

private:
    using Clock = std::chrono::steady_clock;

    void clear_progress() {
        if (shown_) std::fputs("\r\033[K", stderr);
        shown_ = false;
    }

    std::FILE* out_;
    bool terminal_;
    bool rows_on_terminal_;
    bool shown_ = false;
    Clock::time_point start_ = Clock::now(), last_ = {};
};

bool given_as_base(const BatchRequest& request, std::string_view name) {
    return std::any_of(request.typed.begin(), request.typed.end(),
                       [&](const TypedField& typed) { return name == typed.field->name; });
}
bool swept(const SweepGrid& grid, std::string_view name) {
    return std::any_of(grid.axes.begin(), grid.axes.end(),
                       [&](const SweepAxis& axis) { return axis.name == name; });
}

int swept_field_count(const SweepGrid& grid) {
    return static_cast<int>(std::count_if(grid.axes.begin(), grid.axes.end(),
                                          [](const SweepAxis& axis) { return !axis.is_mode; }));
}

bool check_chart_request(const AnalysisOptions& options, const BatchRequest& request,
                         std::string& error) {
    const std::string option = "--chart=" + request.chart_path;
    if (request.chart_path.empty()) {
        if (!options.metric_given) return true;
        error = "--metric: it names what --chart shows; give --chart=PATH too";
        return false;
    }
    if (!MORBILEX_BATCH_CHART) {
        error = "--chart: this build has no chart export (the Qt 6 painter library was not built)";
    } else if (options.shard_given) {
        error = option + ": a shard holds part of the sweep; chart the merged sweep instead";
    } else if (options.grid.size() > LARGEST_CHART_SWEEP) {
        error = option + ": a chart takes at most 10^6 scenarios";
    } else {
        const int fields = swept_field_count(options.grid);
        const bool mode_swept = swept(options.grid, "mode");
        if (fields == 1 || (fields == 2 && !mode_swept)) return true;
        error = option +
                ": a chart needs one swept field (a line per mode when mode is swept too) or "
                "two swept fields and one mode (a heat map)";
    }
    return false;
}

// What the options of a sweep may not combine.
bool check_sweep_request(const AnalysisOptions& options, const BatchRequest& request,
                         std::string& error) {
    if (options.trace_given) {
        error = "--trace=" + request.trace_path + ": a sweep writes no trace";
        return false;
    }
    if (options.mode_given && swept(options.grid, "mode")) {
        error = "--mode: the mode is swept";
        return false;
    }
    for (const SweepAxis& axis : options.grid.axes) {
        if (!axis.is_mode && given_as_base(request, axis.name)) {
            error = axis.option + ": --" + axis.name + " is given too";
            return false;
        }
    }
    if (options.has_off_ratio &&
        (given_as_base(request, "Off_threshold") || swept(options.grid, "Off_threshold"))) {
        error = "--off-ratio: it sets Off_threshold, which is given too";
        return false;
    }
    return check_chart_request(options, request, error);
}

SweepPlan plan_of(const AnalysisOptions& options, const BatchRequest& request) {
    SweepPlan plan;
    plan.grid = options.grid;
    plan.base = request.typed;
    plan.base_mode = request.mode;
    plan.has_off_ratio = options.has_off_ratio;
    plan.off_ratio = options.off_ratio;
    return plan;
}

// A refusal ("run_id N: NAME=TEXT refused: ...") found while checking axis:
// the sweep's when it names the swept field, else the base scenario's option,
// told as a single run would tell it.
std::string refusal_of(const SweepAxis& axis, const std::string& error) {
    const std::size_t name = error.find(": ") + 2;
    if (error.compare(name, axis.name.size() + 1, axis.name + "=") == 0) {
        return axis.option + ": " + error;
    }
    return error.find(" refused: ") != std::string::npos ? "--" + error.substr(name) : error;
}

// A dialog refuses a field for its own value only, so every value of each
// axis (the ends of a range) set up once with the others' first values
// finds any refusal before the sweep starts.
bool check_scenarios(const SweepPlan& plan, std::string& error) {
    ScenarioBuilder builder(plan);
    ScenarioInputs inputs;
    long long stride = plan.grid.size();
    for (const SweepAxis& axis : plan.grid.axes) {
        stride /= axis.count;
        std::vector<long long> checked = {0, axis.count - 1};
        if (!axis.is_range) {
            checked.clear();
            for (long long k = 0; k < axis.count; ++k)
                checked.push_back(k);
        }
        for (long long k : checked) {
            if (!builder.build(1 + k * stride, inputs, error)) {
                error = refusal_of(axis, error);
                return false;
            }
        }
    }
    return builder.build(1, inputs, error);
}

#if MORBILEX_BATCH_CHART
const char* const MODE_NAMES[] = {"no intervention", "one-time", "intermittent"};

std::string chart_title(const AnalysisOptions& options, const BatchRequest& request) {
    std::string title = options.metric + " by ";
    for (const SweepAxis& axis : options.grid.axes) {
        if (!axis.is_mode) title += (title.back() == ' ' ? "" : " and ") + axis.name;
    }
    if (!swept(options.grid, "mode")) {
        title += std::string(", ") + MODE_NAMES[request.mode];
    }
    if (options.has_off_ratio) {
        title += ", Off_threshold = ";
        append_shortest(title, options.off_ratio);
        title += " x On_threshold";
    }
    return title;
}

// The metric's name with its unit.
std::string metric_label(const std::string& metric) {
    switch (SUMMARY_COLUMNS[summary_column_index(metric)].kind) {
        case ValueKind::Persons:
            return metric + " (persons per 10,000)";
        case ValueKind::Days:
            return metric + " (days)";
        default:
            return metric;
    }
}

std::vector<double> axis_values(const SweepAxis& axis) {
    std::vector<double> values(axis.count);
    for (long long k = 0; k < axis.count; ++k)
        values[k] = axis.value(k);
    return values;
}

// The chart's file as bytes, before anything is written.
bool draw_sweep_chart(const AnalysisOptions& options, const BatchRequest& request,
                      const std::vector<double>& metric, std::string& bytes, std::string& error) {
    const SweepGrid& grid = options.grid;
    std::string reason;
    bool drawn = false;
    if (swept_field_count(grid) == 2) {
        SweepHeatMap map{grid.axes[1].name,
                         grid.axes[0].name,
                         metric_label(options.metric),
                         chart_title(options, request),
                         axis_values(grid.axes[1]),
                         axis_values(grid.axes[0]),
                         metric};
        drawn = render_sweep_heat_map(map, "chart." + request.chart_type, request.chart_width,
                                      request.chart_height, bytes, reason);
    } else {
        const bool mode_first = grid.axes[0].is_mode;
        const std::size_t field_axis = grid.axes.size() == 2 && mode_first ? 1 : 0;
        const SweepAxis& field = grid.axes[field_axis];
        const long long series_count = grid.axes.size() == 2 ? grid.axes[1 - field_axis].count : 1;
        SweepLineChart chart{
            field.name, metric_label(options.metric), chart_title(options, request), {}};
        std::vector<long long> indices(grid.axes.size());
        for (long long s = 0; s < series_count; ++s) {
            LineSeries series;
            if (series_count > 1 || grid.axes.size() == 2) {
                const int mode = static_cast<int>(grid.axes[1 - field_axis].value(s));
                series.label = std::to_string(mode) + " " + MODE_NAMES[mode];
            }
            for (long long run_id = 1; run_id <= grid.size(); ++run_id) {
                grid.indices_of(run_id, indices);
                if (grid.axes.size() == 2 && indices[1 - field_axis] != s) continue;
                series.x.push_back(field.value(indices[field_axis]));
                series.y.push_back(metric[run_id - 1]);
            }
            chart.series.push_back(std::move(series));
        }
        drawn = render_sweep_line_chart(chart, "chart." + request.chart_type, request.chart_width,
                                        request.chart_height, bytes, reason);
    }
    if (!drawn) error = "--chart=" + request.chart_path + ": " + reason;
    return drawn;
}
#else
bool draw_sweep_chart(const AnalysisOptions&, const BatchRequest&, const std::vector<double>&,
                      std::string&, std::string& error) {
    error = "--chart: this build has no chart export";
    return false;
}
#endif

int jobs_of(const AnalysisOptions& options) {
    if (options.jobs > 0) return options.jobs;
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

// The rows to the output; false with the reason. interrupted tells a Ctrl-C.
bool write_sweep(const AnalysisOptions& options, const SweepPlan& plan, std::FILE* out,
                 std::vector<double>* metric, bool& interrupted, std::string& error) {
    SweepSettings settings;
    settings.jobs = jobs_of(options);
    settings.shard = options.shard;
    settings.json_lines = options.format == RowFormat::JsonLines;
    settings.stop = &interrupt_requested;
    settings.metric_values = metric;
    settings.metric_column = summary_column_index(options.metric);
    if (!settings.json_lines) {
        const std::string header = sweep_csv_header(plan.grid);
        if (std::fwrite(header.data(), 1, header.size(), out) != header.size()) {
            error = "the rows could not be written";
            return false;
        }
    }
    const InterruptHandler handler;
    SweepOutcome outcome;
    {
        StreamSink sink(out);
        outcome = run_sweep(plan, settings, sink);
    }
    interrupted = interrupt_requested.load() && !outcome.complete;
    error = outcome.error;
    return error.empty();
}

// The chart of a finished sweep, ready to be put in place.
bool prepare_chart(const AnalysisOptions& options, const BatchRequest& request,
                   const std::vector<double>& metric, PendingOutput& output, std::string& error) {
    std::string bytes;
    return draw_sweep_chart(options, request, metric, bytes, error) &&
           prepare_output(output, "--chart=", request.chart_path, bytes, error);
}

int sweep_command(const AnalysisOptions& options, const BatchRequest& request, std::string& error) {
    if (!check_sweep_request(options, request, error)) return EXIT_WRONG_OPTION;
    const SweepPlan plan = plan_of(options, request);
    if (!check_scenarios(plan, error)) return EXIT_FAILED;
    if (options.count_only) {
        if (print_to_standard_output(std::to_string(options.shard.size(plan.grid.size())) + "\n"))
            return EXIT_DONE;
        return fail(error, "--count: standard output could not be written", EXIT_FAILED);
    }
    std::vector<double> metric;
    if (!request.chart_path.empty()) metric.assign(plan.grid.size(), 0.0);
    PendingOutput file;
    if (!options.output_path.empty() && !file.open(options.output_path, error)) {
        return fail(error, "--output=" + options.output_path + ": " + error, EXIT_FAILED);
    }
    std::FILE* out = options.output_path.empty() ? stdout : file.stream();
    bool interrupted = false;
    const bool written =
        write_sweep(options, plan, out, metric.empty() ? nullptr : &metric, interrupted, error);
    const bool flushed =
        options.output_path.empty() ? std::fflush(stdout) == 0 : file.finish(error);
    if (!flushed && !error.empty()) error = "--output=" + options.output_path + ": " + error;
    if (interrupted) {
        // The rows written so far are kept; the chart is not drawn.
        if (flushed) file.commit(error);
        return fail(error, "interrupted; every row written is complete", EXIT_INTERRUPTED);
    }
    if (!written || !flushed)
        return fail(error, error.empty() ? "the rows could not be written" : error, EXIT_FAILED);
    // The rows and the chart are put in place together, once both are complete.
    PendingOutput chart;
    if (!metric.empty() && !prepare_chart(options, request, metric, chart, error)) {
        return EXIT_FAILED;
    }
    std::string reason;
    if (!file.commit(reason) || !chart.commit(reason)) {
        return fail(error, "the outputs could not be put in place (" + reason + ")", EXIT_FAILED);
    }
    return EXIT_DONE;
}

bool ends_with(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

}  // namespace

SummaryRow run_summary_of(const Records& records, InterventionMode mode) {
    const ScenarioInputs inputs = scenario_inputs_of(records, mode);
    SummaryRow row;
    summarise_run(inputs, integrate_run_figures(inputs), row);
    return row;
}

std::string summary_file_text(const SummaryRow& row, const std::string& path) {
    if (ends_with(path, ".jsonl")) {
        std::string text = "{";
        append_summary_json(text, row);
        return text + "}\n";
    }
    std::string text = summary_csv_header() + "\n";
    append_summary_csv(text, row);
    return text + "\n";
}

bool print_summary(const SummaryRow& row, std::string& error) {
    if (print_to_standard_output(readable_summary(row))) return true;
    error = "--summary: standard output could not be written";
    return false;
}

int run_analysis_command(const AnalysisOptions& options, const BatchRequest& request,
                         std::string& error) {
    if (options.merge()) {
        return merge_shard_files(options.merge_output, options.merge_inputs, error) ? EXIT_DONE
                                                                                    : EXIT_FAILED;
    }
    return sweep_command(options, request, error);
}

}  // namespace morbilex::batch

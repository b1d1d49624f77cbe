#include "batch/sweep_options.h"

#include <charconv>
#include <string_view>

#include "batch/batch_options.h"

namespace morbilex::batch {
namespace {

constexpr int LARGEST_JOB_COUNT = 4096;

bool refuse(std::string& error, std::string_view argument, const std::string& reason) {
    error = std::string(argument) + ": " + reason;
    return false;
}

bool parse_jobs(std::string_view value, int& jobs) {
    const auto [end, status] = std::from_chars(value.data(), value.data() + value.size(), jobs);
    return status == std::errc() && end == value.data() + value.size() && jobs >= 1 &&
           jobs <= LARGEST_JOB_COUNT;
}

// One option of a sweep; handled is false for an option that is not one.
bool take_sweep_option(std::string_view name, std::string_view value, std::string_view argument,
                       AnalysisOptions& options, bool& handled, std::string& error) {
    handled = true;
    if (name == "sweep") {
        SweepAxis axis;
        return parse_sweep_axis(value, axis, error) &&
               add_sweep_axis(options.grid, std::move(axis), error);
    }
    if (name == "off-ratio") {
        options.has_off_ratio = true;
        if (parse_full_number(value, options.off_ratio)) return true;
        return refuse(error, argument, "not a finite number");
    }
    if (name == "output") {
        options.output_path = value;
        return !value.empty() || refuse(error, argument, "a file name is needed");
    }
    if (name == "format") {
        if (value == "csv" || value == "jsonl") {
            options.format = value == "csv" ? RowFormat::Csv : RowFormat::JsonLines;
            return true;
        }
        return refuse(error, argument, "the format is csv or jsonl");
    }
    if (name == "jobs") {
        if (parse_jobs(value, options.jobs)) return true;
        return refuse(error, argument, "the number of threads is 1 to 4096");
    }
    if (name == "shard") {
        options.shard_given = true;
        return parse_shard(value, options.shard, error);
    }
    if (name == "metric") {
        options.metric = value;
        options.metric_given = true;
        const int column = summary_column_index(value);
        if (column >= 0 && SUMMARY_COLUMNS[column].kind != ValueKind::Text) return true;
        return refuse(error, argument, "not a numeric column of the summary");
    }
    handled = false;
    return true;
}

// Options that only a sweep reads, refused without one.
bool check_sweep_only(const AnalysisOptions& options, std::string& error) {
    if (options.sweep()) {
        if (options.summary || !options.summary_path.empty()) {
            error = "--summary: a sweep writes every run's summary already";
            return false;
        }
        return true;
    }
    const char* lone = options.has_off_ratio              ? "--off-ratio"
                       : !options.output_path.empty()     ? "--output"
                       : options.format != RowFormat::Csv ? "--format"
                       : options.jobs != 0                ? "--jobs"
                       : options.shard_given              ? "--shard"
                       : options.count_only               ? "--count"
                       : options.metric_given             ? "--metric"
                                                          : nullptr;
    if (lone == nullptr) return true;
    error = std::string(lone) + " belongs to a sweep: give --sweep=NAME=... too";
    return false;
}

// --merge=OUT IN...: every argument after it is an input, and nothing else goes.
bool take_merge(int argc, const char* const argv[], int at, AnalysisOptions& options,
                std::string& error) {
    options.merge_output = std::string_view(argv[at]).substr(8);
    if (options.merge_output.empty()) return refuse(error, argv[at], "a file name is needed");
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (i == at) continue;
        if (argument.substr(0, 2) == "--") {
            return refuse(error, argument, "--merge=OUT takes only the files to join");
        }
        options.merge_inputs.emplace_back(argument);
    }
    if (options.merge_inputs.empty()) return refuse(error, argv[at], "no files to join");
    return true;
}

}  // namespace

bool split_analysis_options(int argc, const char* const argv[], AnalysisOptions& options,
                            std::vector<const char*>& rest, std::string& error) {
    rest.assign(argv, argv + (argc > 0 ? 1 : 0));
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]).substr(0, 8) == "--merge=") {
            return take_merge(argc, argv, i, options, error);
        }
    }
    std::vector<std::string_view> given;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        const std::size_t equals = argument.find('=');
        bool handled = false;
        if (argument == "--summary" || argument == "--count") {
            (argument == "--summary" ? options.summary : options.count_only) = true;
            continue;
        }
        if (argument.substr(0, 2) == "--" && equals != std::string_view::npos) {
            const std::string_view name = argument.substr(2, equals - 2);
            const std::string_view value = argument.substr(equals + 1);
            if (name != "sweep" && !given_once(given, name, error)) return false;
            if (name == "summary") {
                options.summary_path = value;
                if (value.empty()) return refuse(error, argument, "a file name is needed");
                continue;
            }
            if (!take_sweep_option(name, value, argument, options, handled, error)) return false;
            options.trace_given = options.trace_given || name == "trace";
            options.mode_given = options.mode_given || name == "mode";
        }
        if (!handled) rest.push_back(argv[i]);
    }
    return check_sweep_only(options, error);
}

std::string analysis_usage_text() {
    return "\n"
           "Summary of the run:\n"
           "  --summary        the run's figures, readable, on standard output after it\n"
           "                   (the trace then goes only where --trace says; --trace=-\n"
           "                   is standard output)\n"
           "  --summary=FILE   the figures as one CSV row with its header (.jsonl: one\n"
           "                   JSON line; -: standard output); the trace goes where it\n"
           "                   would without it\n"
           "\n"
           "Sweeps (one summary row per scenario, no trace):\n"
           "  --sweep=NAME=a:b:step  values a, a+step, ... up to b; NAME is a field or mode\n"
           "  --sweep=NAME=v1,v2,... the listed values; repeat --sweep for a grid (the\n"
           "                   first varies slowest; run_id counts the scenarios from 1;\n"
           "                   at most 10^8 scenarios)\n"
           "  --off-ratio=F    Off_threshold = F x On_threshold in every scenario\n"
           "  --output=FILE    the rows (default, or -: standard output)\n"
           "  --format=csv|jsonl  CSV with a header (default) or JSON Lines\n"
           "  --jobs=N         threads, 1 to 4096 (default: every core); the output is\n"
           "                   the same for any N\n"
           "  --shard=K/N      only run_ids r with (r-1) mod N = K-1, for a job array\n"
           "  --count          print the number of scenarios (of the shard) and exit\n"
           "  --chart=PATH     one field: the metric against it (a line per mode when mode\n"
           "                   is swept too); two fields: a heat map; at most 10^6\n"
           "                   scenarios\n"
           "  --metric=NAME    the summary column the chart shows (default peak_infectious)\n"
           "  --merge=OUT IN...  join shard files into OUT (same header, every run_id once;\n"
           "                   OUT -: standard output)\n"
           "A scenario whose run overflows is a row with status non-finite (a missing\n"
           "value in the chart), not a failed sweep. Ctrl-C stops a sweep with every\n"
           "written row complete and exit status 130.\n";
}

}  // namespace morbilex::batch
